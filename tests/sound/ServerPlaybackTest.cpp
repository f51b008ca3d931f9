// The player on a real sound server: a private PulseAudio daemon with a null
// sink, played through ALSA's "pulse" PCM, heard through the sink's monitor.
// Servers report the end of a stream unlike a card (a delay that never
// reaches 0, an underrun instead), drop what a reset finds unplayed, and
// carry the desktop's master volume on their mixer; these cases hold the
// player to what a typist hears.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>

#include "DeviceTestSupport.h"
#include "SoundServer.h"
#include "sound/LSoundPlayer.h"
#include "sound/Mixer.h"
#include "sound/TimeUnits.h"

namespace typix::test {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int16_t kToneAmplitude = 16000;

// A 441 Hz sine of `seconds` on both channels.
class ToneSource : public LSoundSourceBase {
public:
    explicit ToneSource(double seconds)
        : LSoundSourceBase(kRate, 524272, kChannels), length_(static_cast<int32_t>(seconds * kRate)) {}
    static int16_t value(int64_t frame) {
        return static_cast<int16_t>(std::lround(kToneAmplitude * std::sin(2 * M_PI * 441.0 * frame / kRate)));
    }
    void read(int32_t* buffer, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i, ++position_) {
            const int32_t v = position_ < length_ ? value(position_) * 16 : 0;
            for (int c = 0; c < kChannels; ++c) *buffer++ = v;
        }
    }
    void setPosition(int32_t frame) override { position_ = std::clamp(frame, 0, length_); }
    int32_t getPosition() override { return position_; }
    int32_t getLength() override { return length_; }

private:
    int32_t length_;
    int32_t position_ = 0;
};

class Watch : public LSoundPlayerNotify {
public:
    void onStopped(int32_t) override {
        stopped = true;
        if (atStop) atStop();
    }
    void onPosition(int32_t time, int32_t) override { positions.push_back(time); }
    std::function<void()> atStop;
    bool stopped = false;
    std::vector<int32_t> positions;
};

// The first and last frame of the left channel louder than `threshold`.
struct Heard {
    int64_t first = -1;
    int64_t last = -1;
    double seconds() const { return first < 0 ? 0 : static_cast<double>(last - first + 1) / kRate; }
};

Heard heardSpan(const std::vector<int16_t>& samples, int threshold = 1000) {
    Heard heard;
    for (size_t i = 0; i < samples.size(); i += kChannels) {
        if (std::abs(samples[i]) <= threshold) continue;
        const int64_t frame = static_cast<int64_t>(i / kChannels);
        if (heard.first < 0) heard.first = frame;
        heard.last = frame;
    }
    return heard;
}

// Root mean square of the left channel over the middle half of what was heard.
double steadyRms(const std::vector<int16_t>& samples) {
    const Heard heard = heardSpan(samples, 100);
    if (heard.first < 0) return 0;
    const int64_t span = heard.last - heard.first;
    double sum = 0;
    int64_t count = 0;
    for (int64_t f = heard.first + span / 4; f < heard.last - span / 4; ++f, ++count) {
        const double v = samples[static_cast<size_t>(f * kChannels)];
        sum += v * v;
    }
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0;
}

// Where a PatternSource of `frames` frames shows up in a monitor recording:
// the first source frame heard, and how many frames from there on arrived
// exactly as sent, in order.
struct Arrival {
    int64_t firstFrame = -1;
    int64_t exactFrames = 0;
};

Arrival arrivalOf(const std::vector<int16_t>& heard, int64_t frames) {
    Arrival arrival;
    size_t i = 0;
    while (i + 1 < heard.size() && heard[i] == 0 && heard[i + 1] == 0) i += kChannels;
    if (i + 1 >= heard.size()) return arrival;
    for (int64_t f = 0; f < frames; ++f) {
        if (PatternSource::value(f, 0) == heard[i] && PatternSource::value(f, 1) == heard[i + 1]) {
            arrival.firstFrame = f;
            break;
        }
    }
    if (arrival.firstFrame < 0) return arrival;
    for (int64_t f = arrival.firstFrame; f < frames && i + 1 < heard.size(); ++f, i += kChannels) {
        if (PatternSource::value(f, 0) != heard[i] || PatternSource::value(f, 1) != heard[i + 1]) break;
        ++arrival.exactFrames;
    }
    return arrival;
}

class ServerPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!toolExists("pulseaudio") || !toolExists("parec") || !toolExists("pactl")) {
            GTEST_SKIP() << "pulseaudio, parec and pactl are needed (scripts/install-deps installs them)";
        }
        folder_ = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        server_ = std::make_unique<PulseServer>(folder_ / "pa", kRate, kChannels);
        if (!server_->running()) GTEST_SKIP() << "the PulseAudio daemon would not start here";
        setenv("TYPIX_OUTPUT_DEVICE", "pulse", 1);
        player_.setNotify(&watch_, 0);
    }
    void TearDown() override {
        player_.stop();
        unsetenv("TYPIX_OUTPUT_DEVICE");
        server_.reset();
        if (!HasFailure() && !folder_.empty()) std::filesystem::remove_all(folder_);
    }

    // Plays `source` to its end (or `limit` seconds); returns the seconds
    // from play to the stop notification.
    double playToEnd(const LSoundSource& source, double limit = 30) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_TRUE(player_.play(source));
        EXPECT_TRUE(runUntil(poster_, [&] { return watch_.stopped; }, limit)) << "play never ended";
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }

    // Plays `source` while recording the sink's monitor; returns what was heard.
    std::vector<int16_t> playAndHear(const LSoundSource& source) {
        const std::filesystem::path raw = folder_ / "monitor.raw";
        std::filesystem::remove(raw);
        server_->startRecording(raw);
        watch_ = Watch{};
        playToEnd(source);
        server_->stopRecording();
        return readRaw16(raw);
    }

    std::filesystem::path folder_;
    std::unique_ptr<PulseServer> server_;
    QueuePoster poster_;
    Watch watch_;
    LSoundPlayer player_{&poster_};
};

// How late play ends is read on the server's own clock: the monitor runs in
// real time, so the frames it recorded after the last one heard, up to the
// moment the player said it stopped, are the time the player kept going
// after the audio ended (a loaded machine may stretch the audio itself).
TEST_F(ServerPlaybackTest, PlayEndsSoonAfterTheLastPartialBlock) {
    const int32_t frames = 134505;  // 3.05 s: the last block is half full
    const LSoundSource source(new PatternSource(kRate, kChannels, frames));
    int64_t framesAtStop = 0;
    const std::filesystem::path raw = folder_ / "monitor.raw";
    server_->startRecording(raw);
    watch_.atStop = [&] { framesAtStop = server_->recordedFrames(); };
    playToEnd(source);
    server_->stopRecording();
    const std::vector<int16_t> heard = readRaw16(raw);
    const Arrival arrival = arrivalOf(heard, frames);
    const int64_t lastHeard = heardSpan(heard).last;
    ASSERT_GE(lastHeard, 0) << "nothing was heard";
    EXPECT_LT(static_cast<double>(framesAtStop - lastHeard) / kRate, 0.5)
        << "the player kept the device after the audio ended";
    // A machine too loaded to feed the server in time may lose audio to an
    // underrun on the way; the last frame must still be heard.
    EXPECT_EQ(heard.size() >= 2 ? heard[static_cast<size_t>(lastHeard) * kChannels] : 0,
              PatternSource::value(frames - 1, 0));
    EXPECT_GE(arrival.firstFrame, 0);
    ASSERT_FALSE(watch_.positions.empty());
    EXPECT_EQ(watch_.positions.back(), framesToTime(frames, kRate));
}

struct ShortCase {
    double seconds;
};

class ServerShortFileTest : public ServerPlaybackTest,
                            public ::testing::WithParamInterface<ShortCase> {};

// Every frame from the first one heard to the last of the file must arrive
// bit for bit.  The monitor itself may miss the first moments of a new
// stream (a sink that rewinds to start it at once; aplay's first 5000 frames
// go the same way on a loaded machine), so the start is allowed 0.15 s.
TEST_P(ServerShortFileTest, IsHeardWholeAndBitForBit) {
    const int32_t frames = static_cast<int32_t>(GetParam().seconds * kRate);
    const Arrival arrival = arrivalOf(playAndHear(LSoundSource(new PatternSource(kRate, kChannels, frames))), frames);
    ASSERT_GE(arrival.firstFrame, 0) << "nothing of the file was heard";
    EXPECT_LT(arrival.firstFrame, kRate * 15 / 100);
    EXPECT_EQ(arrival.firstFrame + arrival.exactFrames, frames)
        << "the tail was dropped or the samples changed on the way";
}

INSTANTIATE_TEST_SUITE_P(Tails, ServerShortFileTest,
                         ::testing::Values(ShortCase{0.45}, ShortCase{0.65}, ShortCase{1.25}),
                         [](const ::testing::TestParamInfo<ShortCase>& info) {
                             return "Ms" + std::to_string(std::lround(info.param.seconds * 1000));
                         });

TEST_F(ServerPlaybackTest, ProgramVolumeScalesItsOwnSoundAndNotTheSink) {
    const std::string sinkBefore = server_->sinkVolume();
    ASSERT_FALSE(sinkBefore.empty());
    player_.setVolume(0);
    const double loud = steadyRms(playAndHear(LSoundSource(new ToneSource(0.8))));
    player_.setVolume(-20);
    // The mixer call the program makes for its volume must leave a device
    // behind a server alone, whatever level it is given.
    mixerSetPlaybackVolume(0, -20);
    const double quiet = steadyRms(playAndHear(LSoundSource(new ToneSource(0.8))));
    ASSERT_GT(loud, 1000);
    EXPECT_NEAR(quiet / loud, 0.1, 0.002);
    EXPECT_EQ(server_->sinkVolume(), sinkBefore);
}

TEST_F(ServerPlaybackTest, OffIsSilence) {
    player_.setVolume(-127);
    const std::vector<int16_t> heard = playAndHear(LSoundSource(new ToneSource(0.5)));
    EXPECT_EQ(heardSpan(heard, 0).first, -1);
}

TEST_F(ServerPlaybackTest, AServerThatDiesEndsPlayWhereTheSoundStopped) {
    const LSoundSource tone(new ToneSource(8));
    ASSERT_TRUE(player_.play(tone));
    ASSERT_TRUE(runUntil(poster_, [&] {
        return !watch_.positions.empty() && watch_.positions.back() >= 10000;
    }, 10));
    server_->kill();
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_TRUE(runUntil(poster_, [&] { return watch_.stopped; }, 10));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count(), 2.0);
    EXPECT_LT(watch_.positions.back(), 40000) << "the position ran on past the sound";
}

}  // namespace
}  // namespace typix::test
