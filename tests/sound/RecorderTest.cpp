// The voice-activated recorder against ALSA's file PCM, whose `infile` holds a
// prepared signal.  Signals are built from 100 ms blocks (800 frames at
// 8000 Hz) of silence or of a square wave whose peak sits at a chosen level.
#include <gtest/gtest.h>

#include <thread>

#include "DeviceTestSupport.h"
#include "sound/LSoundRecorder.h"
#include "sound/TimeUnits.h"

namespace typix::test {
namespace {

constexpr int32_t kRate = 8000;
constexpr int32_t kBlock = 800;

// 16-bit peaks that the recorder measures as exactly these levels
// (20 log10(16 v / 131072) rounded): 1834 -> -13 dB, 2058 -> -12 dB.
constexpr int16_t kMinus13 = 1834;
constexpr int16_t kMinus12 = 2058;
constexpr int16_t kLoud = 8192;  // 0 dB
constexpr int16_t kWhisper = 100;  // -38 dB: below every threshold used here

// A sink that keeps what it is given, in 16-bit, and honours truncate.
class MemorySink : public LSoundSinkBase {
public:
    MemorySink(int32_t rate, int channels) : LSoundSinkBase(rate, 524272, channels) {}
    int32_t write(const int32_t* buffer, int32_t frames) override {
        framesWritten_ += frames;
        for (int32_t i = 0; i < frames * channels(); ++i) samples.push_back(static_cast<int16_t>(buffer[i] >> 4));
        return frames;
    }
    void truncate(int32_t frames) override {
        truncations.push_back(frames);
        framesWritten_ = frames;
        samples.resize(static_cast<size_t>(frames) * static_cast<size_t>(channels()));
    }
    std::vector<int16_t> samples;
    std::vector<int32_t> truncations;
};

class Signal {
public:
    explicit Signal(int channels = 1) : channels_(channels) {}
    Signal& silence(int blocks) { return frames(blocks * kBlock, 0); }
    Signal& tone(int blocks, int16_t peak) { return frames(blocks * kBlock, peak); }
    // Square wave of `peak` (alternating sign) for `count` frames; 0 = silence.
    Signal& frames(int count, int16_t peak) {
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < channels_; ++c) samples.push_back(i % 2 ? peak : static_cast<int16_t>(-peak));
        }
        return *this;
    }
    int channels() const { return channels_; }
    std::vector<int16_t> samples;

private:
    int channels_;
};

struct Event {
    char kind;  // A activated, W listening (waiting), X stopped, P position, L levels
    int32_t value;
    std::vector<int> levels;
};

class EventLog : public LSoundRecorderNotify {
public:
    void onActivated(int32_t) override { events.push_back({'A', 0, {}}); }
    void onListening(int32_t) override { events.push_back({'W', 0, {}}); }
    void onStopped(int32_t) override { events.push_back({'X', 0, {}}); }
    void onPosition(int32_t time, int32_t) override { events.push_back({'P', time, {}}); }
    void onLevels(const LevelRecord* levels, int32_t) override {
        Event e{'L', levels->count, {}};
        for (int c = 0; c < levels->count; ++c) e.levels.push_back(levels->levels[static_cast<size_t>(c)]);
        events.push_back(e);
    }
    int count(char kind) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(),
                                              [kind](const Event& e) { return e.kind == kind; }));
    }
    // Level records of whole blocks heard (count > 0), in order.
    std::vector<std::vector<int>> blockLevels() const {
        std::vector<std::vector<int>> out;
        for (const Event& e : events) {
            if (e.kind == 'L' && e.value > 0) out.push_back(e.levels);
        }
        return out;
    }
    std::vector<Event> events;
};

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        const std::filesystem::path config = folder_ / "asound.conf";
        std::ofstream(config) << "</usr/share/alsa/alsa.conf>\n"
                              << "pcm.typix_test_capture {\n  type file\n  slave.pcm null\n"
                              << "  file \"/dev/null\"\n  infile \"" << (folder_ / "in.raw").string()
                              << "\"\n  format raw\n}\n";
        setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
        setenv("TYPIX_INPUT_DEVICE", "typix_test_capture", 1);
        setenv("TYPIX_DEVICE_CLOCK", "5", 1);
        recorder_.setNotify(&log_, 5);
    }
    void TearDown() override {
        recorder_.stop();
        unsetenv("ALSA_CONFIG_PATH");
        unsetenv("TYPIX_INPUT_DEVICE");
        unsetenv("TYPIX_DEVICE_CLOCK");
        if (!HasFailure()) std::filesystem::remove_all(folder_);
    }
    // Starts on `signal` (followed by plenty of silence) into a new sink.
    MemorySink* start(Signal signal, int activate = -15, int32_t pause = 30000, int32_t maximum = 0) {
        signal.silence(300);
        writeRaw16(folder_ / "in.raw", signal.samples);
        auto* sink = new MemorySink(kRate, signal.channels());
        sink_ = LSoundSink(sink);
        EXPECT_TRUE(recorder_.start(sink_, maximum, activate, pause));
        return sink;
    }
    // Runs the interface thread until `blocks` whole blocks have been heard.
    void hearBlocks(size_t blocks) {
        ASSERT_TRUE(runUntil(poster_, [&] {
            return log_.blockLevels().size() >= blocks || recorder_.state() == LSoundRecorder::Closed;
        }));
    }

    std::filesystem::path folder_;
    QueuePoster poster_;
    EventLog log_;
    LSoundSink sink_;
    LSoundRecorder recorder_{&poster_};
};

TEST(RecorderLevels, ThresholdsFollowTheActivateLevel) {
    struct Case {
        int activate, upper, lower;
    };
    QueuePoster poster;
    for (const Case& c : {Case{-15, -13, -18}, Case{-125, -123, -127}, Case{-124, -122, -127},
                          Case{-128, -126, -127}, Case{126, 127, 123}, Case{0, 2, -3}}) {
        LSoundRecorder recorder(&poster);
        setenv("TYPIX_INPUT_DEVICE", "null", 1);
        ASSERT_TRUE(recorder.start(LSoundSink(new MemorySink(kRate, 1)), 0, c.activate, 30000));
        EXPECT_EQ(recorder.upperLevel(), c.upper) << c.activate;
        EXPECT_EQ(recorder.lowerLevel(), c.lower) << c.activate;
        unsetenv("TYPIX_INPUT_DEVICE");
    }
}

TEST(RecorderLevels, PeakToDecibels) {
    struct Case {
        int32_t peak;
        int level;
    };
    for (const Case& c : {Case{0, -127}, Case{131072, 0}, Case{kMinus13 * 16, -13}, Case{kMinus12 * 16, -12},
                          Case{524272, 12}, Case{1, -102}, Case{INT32_MAX, 84}}) {
        EXPECT_EQ(LSoundRecorder::peakDecibels(c.peak), c.level) << c.peak;
    }
}

TEST_F(RecorderTest, ABlockAtTheUpperLevelDoesNotActivateOneDecibelMoreDoes) {
    start(Signal().silence(2).tone(1, kMinus13).silence(2).tone(1, kMinus12));
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.count('A') > 0; }));
    const auto levels = log_.blockLevels();
    ASSERT_GE(levels.size(), 6u);
    EXPECT_EQ(levels[2], std::vector<int>{-13});
    EXPECT_EQ(levels[5], std::vector<int>{-12}) << "levels of the first half, which activated too";
    EXPECT_EQ(recorder_.state(), LSoundRecorder::Recording);
    EXPECT_EQ(log_.count('A'), 1);
}

struct PreRollCase {
    const char* name;
    bool soundFillsBlock;
    size_t expectedFrames;
};

class RecorderPreRoll : public RecorderTest, public ::testing::WithParamInterface<PreRollCase> {};

TEST_P(RecorderPreRoll, SinkBeginsWithHalfABlockBeforeOnlyWhenTheSoundFillsTheBlock) {
    Signal signal;
    signal.silence(2).tone(1, kWhisper);  // the block before: quiet but not silent
    if (GetParam().soundFillsBlock) {
        signal.tone(1, kLoud);
    } else {
        signal.frames(kBlock / 2, 0).frames(kBlock / 2, kLoud);
    }
    MemorySink* sink = start(signal);
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.count('A') > 0; }));
    ASSERT_EQ(sink->samples.size(), GetParam().expectedFrames);
    const std::vector<int16_t> expected(
        signal.samples.begin() + static_cast<ptrdiff_t>(4 * kBlock - GetParam().expectedFrames),
        signal.samples.begin() + 4 * kBlock);
    EXPECT_EQ(sink->samples, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RecorderPreRoll,
                         ::testing::Values(PreRollCase{"Whole", true, kBlock + kBlock / 2},
                                           PreRollCase{"SecondHalf", false, kBlock}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecorderTest, SilenceLongerThanThePauseCutsToSevenTenthsAfterTheLastSound) {
    // Activation writes 1.5 blocks, four more loud blocks follow: last sound
    // at 5500 (0.55 s).  Pause 1 s: the eleventh quiet block passes it.
    MemorySink* sink = start(Signal().silence(2).tone(5, kLoud).silence(20), -15, 10000);
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.count('W') >= 2; }));
    EXPECT_EQ(sink->truncations, std::vector<int32_t>{timeToFrames(5500 + 7000, kRate)});
    EXPECT_EQ(sink->framesWritten(), 10000);
    // Back to listening, with the position after the cut.
    const auto second = std::find_if(log_.events.begin() + 1, log_.events.end(),
                                     [](const Event& e) { return e.kind == 'W'; });
    ASSERT_NE(second + 1, log_.events.end());
    EXPECT_EQ((second + 1)->kind, 'P');
    EXPECT_EQ((second + 1)->value, 12500);
}

TEST_F(RecorderTest, ASoundThatReactivatesSurvivesTheNextPause) {
    // First sound: last sound at 1500, cut at 8500 after the pause.  Second
    // sound (a single block, with pre-roll): 1.5 blocks from 8500, so the
    // tail counts from 10000 and the next cut keeps it.
    MemorySink* sink = start(Signal().silence(2).tone(1, kLoud).silence(12).tone(1, kLoud).silence(14),
                             -15, 10000);
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.count('W') >= 3; }));
    EXPECT_EQ(sink->truncations, (std::vector<int32_t>{timeToFrames(8500, kRate), timeToFrames(17000, kRate)}));
    EXPECT_EQ(log_.count('A'), 2);
}

TEST_F(RecorderTest, StopLeavesTheSinkFiveHundredthsLongerThanTheLastSound) {
    MemorySink* sink = start(Signal().silence(2).tone(5, kLoud).silence(20));
    hearBlocks(17);
    ASSERT_EQ(recorder_.state(), LSoundRecorder::Recording);
    recorder_.stop();
    EXPECT_EQ(sink->framesWritten(), timeToFrames(5500 + 500, kRate));
    ASSERT_GE(log_.events.size(), 2u);
    EXPECT_EQ(log_.events[log_.events.size() - 2].kind, 'X');
    EXPECT_EQ(log_.events.back().kind, 'L');
    EXPECT_EQ(log_.events.back().value, 0);
    EXPECT_EQ(sink_.get()->framesWritten(), 4800) << "the caller's handle still sees the trimmed sink";
}

TEST_F(RecorderTest, LowestActivateLevelMakesEverySilenceAPause) {
    MemorySink* sink = start(Signal().silence(1).tone(2, kWhisper).silence(20), -125, 10000);
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.count('W') >= 2; }));
    EXPECT_EQ(recorder_.lowerLevel(), -127);
    EXPECT_FALSE(sink->truncations.empty());
}

TEST_F(RecorderTest, MaximumTimeStopsTheRecorder) {
    start(Signal().tone(30, kLoud), -15, 30000, 5000);
    ASSERT_TRUE(runUntil(poster_, [&] { return recorder_.state() == LSoundRecorder::Closed; }));
    EXPECT_EQ(log_.count('X'), 1);
    EXPECT_EQ(sink_.get()->framesWritten(), timeToFrames(5500, kRate))
        << "stopped after the first block past 0.5 s; the tail counts from the last sound";
}

TEST_F(RecorderTest, DigitalSilenceReportsMinus127PerChannel) {
    start(Signal(2).silence(3));
    hearBlocks(2);
    for (const auto& levels : log_.blockLevels()) EXPECT_EQ(levels, (std::vector<int>{-127, -127}));
}

TEST_F(RecorderTest, StartFailsWithoutAUsableSinkOrDevice) {
    EXPECT_FALSE(recorder_.start(LSoundSink(), 0, -15, 30000));
    setenv("TYPIX_INPUT_DEVICE", "no_such_typix_pcm", 1);
    EXPECT_FALSE(recorder_.start(LSoundSink(new MemorySink(kRate, 1)), 0, -15, 30000));
    EXPECT_EQ(recorder_.state(), LSoundRecorder::Closed);
    recorder_.stop();
    poster_.runPending();
    EXPECT_TRUE(log_.events.empty()) << "a failed start and a stop while closed notify nothing";
}

// The program's own capture level (used where no hardware capture control
// is chosen, as behind a sound server) scales the samples before their
// levels are measured, so it moves activation as a card's control would.
TEST_F(RecorderTest, CaptureLevelScalesTheSamplesBeforeTheirLevels) {
    recorder_.setCaptureLevel(-20);
    MemorySink* sink = start(Signal().silence(2).tone(3, kLoud), -25);
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.count('A') > 0; }));
    const auto levels = log_.blockLevels();
    ASSERT_GE(levels.size(), 3u);
    EXPECT_EQ(levels[2], std::vector<int>{-20});
    ASSERT_GE(sink->samples.size(), 2u);
    // 8192 at gain 0.1 through the split product: 819.2 either side, floored.
    EXPECT_EQ(sink->samples[sink->samples.size() - 2], -820);
    EXPECT_EQ(sink->samples.back(), 819);
}

TEST_F(RecorderTest, AtZeroDecibelsCaptureIsUntouched) {
    recorder_.setCaptureLevel(0);
    MemorySink* sink = start(Signal().silence(2).tone(2, kLoud));
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.count('A') > 0; }));
    ASSERT_GE(sink->samples.size(), 2u);
    EXPECT_EQ(sink->samples.back(), kLoud);
}

}  // namespace
}  // namespace typix::test
