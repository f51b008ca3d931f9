#include <gtest/gtest.h>

#include <vector>

#include "sound/LSoundSink.h"
#include "sound/LSoundSource.h"
#include "sound/TimeUnits.h"
#include "sound/VectorSource.h"

namespace typix {
namespace {

using test::VectorSource;

class CountingSource : public VectorSource {
public:
    explicit CountingSource(int* destroyed) : VectorSource({1, 2, 3}, 1), destroyed_(destroyed) {}
    ~CountingSource() override { ++*destroyed_; }

private:
    int* destroyed_;
};

class PassThrough : public LSoundProcessBase {
public:
    using LSoundProcessBase::LSoundProcessBase;
    void read(int32_t* buffer, int32_t frames) override { inner_.read(buffer, frames); }
};

TEST(SourceBase, ConstructionRules) {
    const struct { int32_t rate; int channels; bool error; int32_t rateAfter; int channelsAfter; } cases[] = {
        {8000, 2, false, 8000, 2},  {0, 1, true, 44100, 1},    {-5, 1, true, 44100, 1},
        {8000, 0, true, 8000, 1},   {8000, 255, false, 8000, 255}, {8000, 256, true, 8000, 1},
    };
    for (const auto& c : cases) {
        VectorSource s({}, c.channels, c.rate);
        EXPECT_EQ(s.isError(), c.error) << c.rate << "/" << c.channels;
        EXPECT_EQ(s.sampleRate(), c.rateAfter);
        EXPECT_EQ(s.channels(), c.channelsAfter);
    }
}

TEST(SourceHandle, LastHandleDestroysTheChainFromTheEndInwards) {
    int destroyed = 0;
    {
        LSoundSource inner(new CountingSource(&destroyed));
        LSoundSource outer = makeSource<PassThrough>(inner);
        inner.reset();
        EXPECT_EQ(destroyed, 0);  // the process still holds it
        LSoundSource copy = outer;
        outer = LSoundSource();
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(SourceHandle, EmptyHandleReadsOneChannelOfSilence) {
    std::vector<int32_t> buffer(4, 7);
    LSoundSource().read(buffer.data(), 3);
    EXPECT_EQ(buffer, (std::vector<int32_t>{0, 0, 0, 7}));
    EXPECT_FALSE(LSoundSource().usable());
}

TEST(ProcessBase, CopiesFormatAndForwardsPosition) {
    LSoundSource inner = makeSource<VectorSource>(std::vector<int32_t>(20), 2, 22050);
    LSoundSource p = makeSource<PassThrough>(inner);
    EXPECT_TRUE(p.usable());
    EXPECT_EQ(p->sampleRate(), 22050);
    EXPECT_EQ(p->channels(), 2);
    EXPECT_EQ(p->getLength(), 10);
    p->setPosition(4);
    EXPECT_EQ(inner->getPosition(), 4);

    LSoundSource orphan = makeSource<PassThrough>(LSoundSource());
    EXPECT_TRUE(orphan->isError());
    EXPECT_EQ(orphan->sampleRate(), 44100);
    EXPECT_EQ(orphan->peakLevel(), kDefaultPeakLevel);
    EXPECT_EQ(orphan->getLength(), 0);
    EXPECT_TRUE(makeSource<PassThrough>(makeSource<VectorSource>(std::vector<int32_t>{}, 1, 0))->isError());
}

class NullSink : public LSoundSinkBase {
public:
    using LSoundSinkBase::LSoundSinkBase;
    int32_t write(const int32_t*, int32_t frames) override {
        framesWritten_ += frames;
        return frames;
    }
};

TEST(SinkBase, ChannelRulesAndCountedHandle) {
    LSoundSink sink(new NullSink(8000, kDefaultPeakLevel, 0));
    EXPECT_TRUE(sink->isError());
    EXPECT_EQ(sink->channels(), 1);
    EXPECT_FALSE(sink.usable());
    LSoundSink ok(new NullSink(8000, kDefaultPeakLevel, 2));
    EXPECT_TRUE(ok.usable());
    LSoundSink copy = ok;
    copy->write(nullptr, 5);
    EXPECT_EQ(ok->framesWritten(), 5);
}

TEST(TimeUnits, TimeTextRoundsToTenths) {
    const struct { int32_t t; const char* text; } cases[] = {
        {0, " 0:00:00.0"},          {499, " 0:00:00.0"},       {500, " 0:00:00.1"},
        {-500, "-0:00:00.1"},       {123456, " 0:00:12.3"},    {36000000, " 1:00:00.0"},
        {35999500, " 1:00:00.0"},   {6009999, " 0:10:01.0"},
        {INT32_MIN, "-59:39:08.4"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatTime(c.t), c.text) << c.t;
}

TEST(TimeUnits, FrameConversionsKeepTheirIntegerOrder) {
    EXPECT_EQ(timeToFrames(15000, 44100), 66150);
    EXPECT_EQ(timeToFrames(1, 44100), 4);         // 44100 * 1 / 10000 truncates
    EXPECT_EQ(framesToTime(66150, 44100), 15000);
    EXPECT_EQ(framesToTime(11025, 11025), 10000);
    EXPECT_EQ(framesToTime(7, 0), 0);
}

}  // namespace
}  // namespace typix
