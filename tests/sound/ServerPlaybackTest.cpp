// The player on a real sound server: a private PulseAudio daemon with a null
// sink, played through ALSA's "pulse" PCM, heard through the sink's monitor.
// Servers report the end of a stream unlike a card (a delay that never
// reaches 0, an underrun instead), drop what a reset finds unplayed, and
// carry the desktop's master volume on their mixer; these cases hold the
// player to what a typist hears.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

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

// How a PatternSource of `frames` frames shows up in a monitor recording:
// every non-silent frame heard must be one of the source's frames, in
// order, unchanged.  A machine too loaded to keep the server fed may lose
// short stretches on the way (an underrun, a dropped quantum); those are
// counted as missing rather than taken for a fault of the player.
struct Arrival {
    int64_t firstFrame = -1;
    int64_t lastFrame = -1;
    int64_t heardFrames = 0;   // frames heard that are the source's, in order
    int64_t changedFrames = 0; // frames heard that are not (altered samples)
};

Arrival arrivalOf(const std::vector<int16_t>& heard, int64_t frames) {
    std::map<std::pair<int16_t, int16_t>, int64_t> frameOf;
    for (int64_t f = 0; f < frames; ++f) frameOf[{PatternSource::value(f, 0), PatternSource::value(f, 1)}] = f;
    Arrival arrival;
    for (size_t i = 0; i + 1 < heard.size(); i += kChannels) {
        if (heard[i] == 0 && heard[i + 1] == 0) continue;
        const auto found = frameOf.find({heard[i], heard[i + 1]});
        if (found == frameOf.end() || found->second <= arrival.lastFrame) {
            ++arrival.changedFrames;
            continue;
        }
        if (arrival.firstFrame < 0) arrival.firstFrame = found->second;
        arrival.lastFrame = found->second;
        ++arrival.heardFrames;
    }
    return arrival;
}

enum class Server { PulseAudio, PipeWire };

class ServerPlaybackTest : public ::testing::TestWithParam<Server> {
protected:
    void SetUp() override {
        if (!toolExists("parec") || !toolExists("pactl")) {
            GTEST_SKIP() << "parec and pactl are needed (scripts/install-deps installs them)";
        }
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name) {
            if (c == '/') c = '-';
        }
        folder_ = scratchFolder(name);
        if (GetParam() == Server::PulseAudio) {
            if (!toolExists("pulseaudio")) GTEST_SKIP() << "pulseaudio is needed (scripts/install-deps)";
            server_ = std::make_unique<PulseServer>(folder_ / "s", kRate, kChannels);
        } else {
            if (!PipeWireServer::available()) {
                GTEST_SKIP() << "PipeWire with wireplumber and pipewire-pulse is not installed";
            }
            server_ = std::make_unique<PipeWireServer>(folder_ / "s", kRate, kChannels);
        }
        if (!server_->running()) GTEST_SKIP() << "the sound server would not start here";
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
    std::unique_ptr<SoundServer> server_;
    QueuePoster poster_;
    Watch watch_;
    LSoundPlayer player_{&poster_};
};

// How late play ends is read on the server's own clock: the monitor runs in
// real time, so the frames it recorded after the last one heard, up to the
// moment the player said it stopped, are the time the player kept going
// after the audio ended (a loaded machine may stretch the audio itself).
TEST_P(ServerPlaybackTest, PlayEndsSoonAfterTheLastPartialBlock) {
    const int32_t frames = 134505;  // 3.05 s: the last block is half full
    const LSoundSource source(new PatternSource(kRate, kChannels, frames));
    int64_t framesAtStop = 0;
    const std::filesystem::path raw = folder_ / "monitor.raw";
    server_->startRecording(raw);
    watch_.atStop = [&] { framesAtStop = server_->recordedFrames(); };
    playToEnd(source);
    server_->stopRecording();
    const std::vector<int16_t> heard = readRaw16(raw);
    const int64_t lastHeard = heardSpan(heard).last;
    ASSERT_GE(lastHeard, 0) << "nothing was heard";
    std::printf("play ended %.3f s after the last frame was heard\n",
                static_cast<double>(framesAtStop - lastHeard) / kRate);
    EXPECT_LT(static_cast<double>(framesAtStop - lastHeard) / kRate, 0.5)
        << "the player kept the device after the audio ended";
    // The pattern repeats every 60000 frames, so the end is checked by value
    // (not on PipeWire's pulse server, which drops quanta here; see below).
    const size_t last = static_cast<size_t>(lastHeard) * kChannels;
    if (GetParam() == Server::PulseAudio) {
        EXPECT_EQ(heard[last], PatternSource::value(frames - 1, 0)) << "the tail was dropped";
        EXPECT_EQ(heard[last + 1], PatternSource::value(frames - 1, 1));
    }
    ASSERT_FALSE(watch_.positions.empty());
    EXPECT_EQ(watch_.positions.back(), framesToTime(frames, kRate));
}


// Every frame from the first one heard to the last of the file must arrive
// bit for bit.  The monitor itself may miss the first moments of a new
// stream (a sink that rewinds to start it at once; aplay's first 5000 frames
// go the same way on a loaded machine), so the start is allowed 0.15 s.
TEST_P(ServerPlaybackTest, ShortFilesAreHeardWholeAndBitForBit) {
    if (GetParam() == Server::PipeWire) {
        // Through PipeWire's pulse server on a loaded machine whole quanta
        // (512 or 1024 frames) go missing now and then, the last one too,
        // for aplay as for this player; what arrives is exact.
        GTEST_SKIP() << "PipeWire's pulse server drops quanta here; not a stable measure";
    }
    for (const double seconds : {0.45, 0.65, 1.25}) {
        const int32_t frames = static_cast<int32_t>(seconds * kRate);
        const Arrival arrival =
            arrivalOf(playAndHear(LSoundSource(new PatternSource(kRate, kChannels, frames))), frames);
        ASSERT_GE(arrival.firstFrame, 0) << seconds << " s: nothing of the file was heard";
        EXPECT_LT(arrival.firstFrame, kRate * 15 / 100) << seconds << " s";
        EXPECT_EQ(arrival.lastFrame, frames - 1) << seconds << " s: the tail was dropped";
        EXPECT_EQ(arrival.changedFrames, 0) << seconds << " s: samples changed on the way";
        EXPECT_GE(arrival.heardFrames, (arrival.lastFrame - arrival.firstFrame + 1) * 95 / 100)
            << seconds << " s: more than a loaded machine's dropouts went missing";
    }
}

TEST_P(ServerPlaybackTest, ProgramVolumeScalesItsOwnSoundAndNotTheSink) {
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

TEST_P(ServerPlaybackTest, OffIsSilence) {
    player_.setVolume(-127);
    const std::vector<int16_t> heard = playAndHear(LSoundSource(new ToneSource(0.5)));
    EXPECT_EQ(heardSpan(heard, 0).first, -1);
}

TEST_P(ServerPlaybackTest, AServerThatDiesEndsPlayWhereTheSoundStopped) {
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

INSTANTIATE_TEST_SUITE_P(Servers, ServerPlaybackTest,
                         ::testing::Values(Server::PulseAudio, Server::PipeWire),
                         [](const ::testing::TestParamInfo<Server>& info) {
                             return std::string(info.param == Server::PulseAudio ? "PulseAudio" : "PipeWire");
                         });

}  // namespace
}  // namespace typix::test
