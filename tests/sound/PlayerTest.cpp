// The player against ALSA's file PCM: what reaches the device file must be
// the chain's output converted to 16-bit, block after block, and the notify
// calls must arrive in order on the interface thread.
#include <gtest/gtest.h>

#include <thread>

#include "DeviceTestSupport.h"
#include "sound/LSoundPlayer.h"
#include "sound/TimeUnits.h"

namespace typix::test {
namespace {

struct Event {
    char kind;  // S started, X stopped, P position, L levels
    int32_t value;
    std::vector<int> levels;
    std::thread::id thread;
};

class EventLog : public LSoundPlayerNotify {
public:
    void onStarted(int32_t cookie) override { add('S', cookie); }
    void onStopped(int32_t cookie) override { add('X', cookie); }
    void onPosition(int32_t time, int32_t) override { add('P', time); }
    void onLevels(const LevelRecord* levels, int32_t) override {
        Event& e = add('L', levels->count);
        for (int c = 0; c < levels->count; ++c) e.levels.push_back(levels->levels[static_cast<size_t>(c)]);
    }
    bool stopped() const {
        return std::any_of(events.begin(), events.end(), [](const Event& e) { return e.kind == 'X'; });
    }
    std::vector<int32_t> values(char kind) const {
        std::vector<int32_t> out;
        for (const Event& e : events) {
            if (e.kind == kind) out.push_back(e.value);
        }
        return out;
    }
    std::vector<Event> events;

private:
    Event& add(char kind, int32_t value) {
        events.push_back(Event{kind, value, {}, std::this_thread::get_id()});
        return events.back();
    }
};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        output_ = folder_ / "out.raw";
        const std::string pcm = "file:'" + output_.string() + "',raw";
        setenv("TYPIX_OUTPUT_DEVICE", pcm.c_str(), 1);
        setenv("TYPIX_DEVICE_CLOCK", "1", 1);
        player_.setNotify(&log_, 77);
    }
    void TearDown() override {
        player_.stop();
        unsetenv("TYPIX_OUTPUT_DEVICE");
        unsetenv("TYPIX_DEVICE_CLOCK");
        if (!HasFailure()) std::filesystem::remove_all(folder_);
    }
    bool playToEnd(const LSoundSource& source) {
        if (!player_.play(source)) return false;
        return runUntil(poster_, [&] { return log_.stopped(); });
    }

    std::filesystem::path folder_;
    std::filesystem::path output_;
    QueuePoster poster_;
    EventLog log_;
    LSoundPlayer player_{&poster_};
};

struct BlockCase {
    int32_t rate;
    int channels;
    int32_t blockFrames;
};

class PlayerBlocks : public PlayerTest, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(PlayerBlocks, DeviceReceivesTheChainBlockByBlockWithAPartialLastBlock) {
    const BlockCase c = GetParam();
    const int32_t length = c.blockFrames * 6 + c.blockFrames / 2;
    ASSERT_TRUE(playToEnd(makeSource<PatternSource>(c.rate, c.channels, length)));
    EXPECT_EQ(readRaw16(output_), patternSamples(c.channels, 0, length));
    // Positions move in whole blocks (the source's position after each block,
    // past the end for the last one), then the length at the end of play.
    const std::vector<int32_t> got = log_.values('P');
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got.front(), 0);
    EXPECT_EQ(got.back(), framesToTime(length, c.rate));
    for (size_t i = 1; i + 1 < got.size(); ++i) {
        EXPECT_EQ(got[i] % framesToTime(c.blockFrames, c.rate), 0) << got[i];
        EXPECT_GT(got[i], got[i - 1]);
        EXPECT_LE(got[i], framesToTime(7 * c.blockFrames, c.rate));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PlayerBlocks,
                         ::testing::Values(BlockCase{44100, 2, 4410}, BlockCase{8000, 1, 800}));

TEST_F(PlayerTest, SourceShorterThanABlockPlaysOnePartialBlockAndEnds) {
    ASSERT_TRUE(playToEnd(makeSource<PatternSource>(8000, 1, 300)));
    EXPECT_EQ(readRaw16(output_), patternSamples(1, 0, 300));
    EXPECT_FALSE(player_.isOpen());
}

TEST_F(PlayerTest, NotificationsComeInOrderOnTheInterfaceThread) {
    player_.setLevelsWanted(true);
    ASSERT_TRUE(playToEnd(makeSource<PatternSource>(8000, 2, 4800)));
    const std::vector<Event>& events = log_.events;
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front().kind, 'S');
    EXPECT_EQ(events.front().value, 77);
    EXPECT_EQ(events[1].kind, 'P');
    EXPECT_EQ(events[events.size() - 2].kind, 'X');
    EXPECT_EQ(events.back().kind, 'L');
    EXPECT_EQ(events.back().value, 0) << "stop reports an empty level record";
    int levels = 0;
    for (const Event& e : events) {
        EXPECT_EQ(e.thread, std::this_thread::get_id());
        if (e.kind == 'L' && e.value == 2) {
            ++levels;
            EXPECT_GT(e.levels[0], -127);
        }
    }
    // One record per finished block; the last block's is overtaken by the end of play.
    EXPECT_GE(levels, 1);
    EXPECT_LE(levels, 6);
}

TEST_F(PlayerTest, StopWhileNothingPlaysNotifiesNothing) {
    player_.stop();
    poster_.runPending();
    EXPECT_TRUE(log_.events.empty());
}

TEST_F(PlayerTest, StopWhilePlayingNotifiesStoppedOnce) {
    ASSERT_TRUE(player_.play(makeSource<PatternSource>(8000, 1, 8000 * 60)));
    player_.stop();
    player_.stop();
    poster_.runPending();
    EXPECT_EQ(log_.values('X').size(), 1u);
    EXPECT_FALSE(player_.isOpen());
}

TEST_F(PlayerTest, SetPositionRefillsFromTheNewPlace) {
    setenv("TYPIX_DEVICE_CLOCK", "25", 1);
    const int32_t length = 8000 * 20;
    ASSERT_TRUE(player_.play(makeSource<PatternSource>(8000, 1, length)));
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.values('P').size() >= 3; }));
    const int32_t target = 8000 * 18 + 123;
    player_.setPosition(target);
    EXPECT_EQ(log_.values('P').back(), framesToTime(target, 8000));
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.stopped(); }));
    const std::vector<int16_t> played = readRaw16(output_);
    const std::vector<int16_t> tail = patternSamples(1, target, length);
    ASSERT_GE(played.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), played.end() - static_cast<ptrdiff_t>(tail.size())));
}

TEST_F(PlayerTest, SetPositionAfterTheFeedingThreadEndedPlaysAgain) {
    ASSERT_TRUE(player_.play(makeSource<PatternSource>(8000, 1, 300)));
    // The end of play is posted but not yet dispatched when the owner seeks.
    while (player_.isRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    player_.setPosition(100);
    ASSERT_TRUE(runUntil(poster_, [&] { return log_.stopped(); }, 5));
    std::vector<int16_t> expected = patternSamples(1, 0, 300);
    const std::vector<int16_t> again = patternSamples(1, 100, 300);
    expected.insert(expected.end(), again.begin(), again.end());
    EXPECT_EQ(readRaw16(output_), expected);
}

TEST_F(PlayerTest, SetPositionBeyondTheEndReportsTheClampedPositionAndEnds) {
    ASSERT_TRUE(player_.play(makeSource<PatternSource>(8000, 1, 8000 * 20)));
    player_.setPosition(8000 * 50);
    EXPECT_EQ(log_.values('P').back(), framesToTime(8000 * 20, 8000));
    EXPECT_TRUE(runUntil(poster_, [&] { return log_.stopped(); }));
}

TEST_F(PlayerTest, PlayFailsAndHoldsNothingWhenTheSourceOrDeviceIsUnusable) {
    EXPECT_FALSE(player_.play(LSoundSource()));
    EXPECT_FALSE(player_.play(makeSource<PatternSource>(0, 1, 100)));
    setenv("TYPIX_OUTPUT_DEVICE", "no_such_typix_pcm", 1);
    bool destroyed = false;
    {
        LSoundSource source = makeSource<PatternSource>(8000, 1, 100, &destroyed);
        EXPECT_FALSE(player_.play(source));
    }
    EXPECT_TRUE(destroyed) << "a failed play keeps no reference to the source";
    EXPECT_FALSE(player_.isOpen());
    poster_.runPending();
    EXPECT_TRUE(log_.events.empty());
}

TEST_F(PlayerTest, PlayWithoutAnInterfaceFails) {
    LSoundPlayer orphan;  // no poster given and none installed
    ASSERT_EQ(interfacePoster(), nullptr);
    EXPECT_FALSE(orphan.play(makeSource<PatternSource>(8000, 1, 100)));
}

TEST(PlayerLevels, MeanSquareToDecibels) {
    struct Case {
        int32_t meanSquare;
        int level;
    };
    for (const Case& c : {Case{0, -127}, Case{8388626, 0}, Case{838863, -10}, Case{1, -69},
                          Case{INT32_MAX, 24}}) {
        EXPECT_EQ(LSoundPlayer::meanSquareLevel(c.meanSquare), c.level) << c.meanSquare;
    }
}

TEST_F(PlayerTest, SilentChannelReportsMinus127) {
    class HalfSilent : public PatternSource {
    public:
        HalfSilent() : PatternSource(8000, 2, 2400) {}
        void read(int32_t* buffer, int32_t frames) override {
            PatternSource::read(buffer, frames);
            for (int32_t i = 0; i < frames; ++i) buffer[i * 2 + 1] = 0;
        }
    };
    player_.setLevelsWanted(true);
    ASSERT_TRUE(playToEnd(makeSource<HalfSilent>()));
    bool seen = false;
    for (const Event& e : log_.events) {
        if (e.kind != 'L' || e.value != 2) continue;
        seen = true;
        EXPECT_EQ(e.levels[1], -127);
    }
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace typix::test
