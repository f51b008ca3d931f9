#include "dsp/LSRCSpeed.h"

#include <gtest/gtest.h>

#include <cmath>

#include "dsp/MemorySource.h"
#include "dsp/SplitProduct.h"
#include "dsp/SyntheticSpeech.h"

namespace typix {
namespace {

using test::MemorySource;
using test::memorySource;
using test::randomSamples;
using test::readFrames;


LSoundSource speedOver(const LSoundSource& inner, double r0, double r1 = 1.0, int32_t ramp = 0) {
    return LSPSpeed(r0, r1, ramp).apply(inner);
}

LSRCSpeed& asSpeed(const LSoundSource& s) { return *static_cast<LSRCSpeed*>(s.get()); }
MemorySource& asMemory(const LSoundSource& s) { return *static_cast<MemorySource*>(s.get()); }

TEST(SplitProductQ24, MatchesWorkedProducts) {
    struct Case { int32_t x, w, expected; };
    const Case cases[] = {
        {524272, 1 << 24, 524272},     // unity gain returns the sample exactly
        {-524288, 1 << 24, -524288},
        {-1, 1 << 24, -1},
        {-524288, 1 << 23, -262144},
        {1000, 1 << 23, 500},
        {4095, 4095, 0},               // both low halves: the product is dropped
        {123456, 0, 0},
        {-7, 1 << 23, -4},             // arithmetic shifts round towards minus infinity
    };
    for (const auto& c : cases) EXPECT_EQ(splitProductQ24(c.x, c.w), c.expected) << c.x << " * " << c.w;
}

TEST(LSRCSpeed, BlockAndOverlapLengthsFollowTheRate) {
    struct Case { int32_t rate, n, h; };
    const Case cases[] = {{44100, 1102, 551}, {22050, 551, 275}, {11025, 275, 137},
                          {8000, 200, 100},   {441000, 8192, 4096}, {500, 20, 10}};
    for (const auto& c : cases) {
        auto s = speedOver(memorySource(std::vector<int32_t>(100000), c.rate), 0.5);
        EXPECT_EQ(asSpeed(s).blockLength(), c.n) << c.rate;
        EXPECT_EQ(asSpeed(s).overlapLength(), c.h) << c.rate;
    }
}

TEST(LSRCSpeed, SkipAndInputAdvanceFollowTheRatio) {
    struct Case { double ratio; int32_t skip, advancePerBlock; };
    const Case cases[] = {{0.5, -1102, 551}, {1.5, 0, 1653}, {1.0, -551, 1102},
                          {2.0, 551, 2204},  {0.75, -826, 827}};  // (0.75 - 1) x 1102 truncates to -275
    for (const auto& c : cases) {
        auto inner = memorySource(std::vector<int32_t>(441000), 44100);
        auto s = speedOver(inner, c.ratio);
        EXPECT_EQ(asSpeed(s).skip(), c.skip) << c.ratio;
        EXPECT_EQ(asSpeed(s).targetSkip(), c.skip) << c.ratio;
        readFrames(s, 1102 * 5);  // exactly five refills
        EXPECT_EQ(inner->getPosition(), 5 * c.advancePerBlock) << c.ratio;
        EXPECT_EQ(s->getPosition(), inner->getPosition()) << "position is the inner source's";
    }
}

TEST(LSRCSpeed, AudibleRewindRampReachesItsTargetAfter326Blocks) {
    auto s = speedOver(memorySource(std::vector<int32_t>(44100 * 60), 44100), -0.5, -7.0, 80000);
    LSRCSpeed& speed = asSpeed(s);
    EXPECT_EQ(speed.skip(), -2204);
    EXPECT_EQ(speed.targetSkip(), -9367);
    EXPECT_EQ(speed.skipStep(), -22);
    int blocks = 0;
    std::vector<int32_t> block(1102);
    while (speed.skip() != speed.targetSkip() && blocks < 1000) {
        s->read(block.data(), 1102);
        ++blocks;
        if (blocks == 325) {
            EXPECT_EQ(speed.skip(), -2204 - 22 * 325);
        }
    }
    EXPECT_EQ(blocks, 326);
    readFrames(s, 1102 * 10);
    EXPECT_EQ(speed.skip(), -9367) << "the ramp stops at its target";
}

TEST(LSRCSpeed, RampsThatNeverMoveKeepTheStartSkip) {
    struct Case { double r0, r1; int32_t ramp; int32_t skip; };
    const Case cases[] = {
        {0.5, 7.0, 0, -1102},        // no ramp time: the end ratio is ignored
        {0.5, 7.0, -5, -1102},
        {1.0, 1.001, 80000, -551},   // the step truncates to 0
    };
    for (const auto& c : cases) {
        auto s = speedOver(memorySource(std::vector<int32_t>(441000), 44100), c.r0, c.r1, c.ramp);
        readFrames(s, 1102 * 400);
        EXPECT_EQ(asSpeed(s).skip(), c.skip) << c.r0 << " -> " << c.r1 << " over " << c.ramp;
    }
}

// At ratio 1 every block continues where the previous one ended; only the
// first H frames pass through the cross-fade, which may lose up to 3 units.
void expectUnityReproduces(int channels) {
    const int32_t n = 1102, h = 551, blocks = 6;
    auto input = randomSamples(static_cast<size_t>(n) * (blocks + 2) * channels, 524288, channels);
    auto inner = memorySource(input, 44100, channels);
    auto out = readFrames(speedOver(inner, 1.0), n * blocks);
    for (int32_t f = 0; f < n * blocks; ++f) {
        for (int c = 0; c < channels; ++c) {
            const size_t i = static_cast<size_t>(f) * channels + c;
            const int32_t loss = input[i] - out[i];
            if (f % n < h) {
                ASSERT_GE(loss, 0) << "frame " << f;
                ASSERT_LE(loss, 3) << "frame " << f;
            } else {
                ASSERT_EQ(loss, 0) << "frame " << f;
            }
        }
    }
}

TEST(LSRCSpeed, UnityRatioReproducesMonoInput) { expectUnityReproduces(1); }
TEST(LSRCSpeed, UnityRatioReproducesStereoInput) { expectUnityReproduces(2); }

TEST(LSRCSpeed, RewindAtTheStartRepeatsTheOpeningBlock) {
    const int32_t n = 1102, h = 551;
    auto input = randomSamples(44100, 100000);
    auto inner = memorySource(input, 44100);
    auto out = readFrames(speedOver(inner, -0.5, -7.0, 80000), n * 8);
    EXPECT_EQ(asMemory(inner).lowestPositionSet(), 0) << "never a negative position";
    for (int b = 0; b < 8; ++b)
        for (int32_t f = h; f < n; ++f) ASSERT_EQ(out[b * n + f], input[f]) << "block " << b;
    for (int b = 2; b < 8; ++b)
        for (int32_t f = 0; f < n; ++f) ASSERT_EQ(out[b * n + f], out[n + f]) << "block " << b;
}

TEST(LSRCSpeed, StartGuardMovesBackToTwoBlocksBeforeTheEnd) {
    struct Case { int32_t length, start, expected; };
    const Case cases[] = {
        {10000, 8000, 10000 - 2204},  // 2000 frames left: guard applies
        {10000, 7796, 7796},          // exactly two blocks left: guard applies, same place
        {10000, 7000, 7000},          // more than two blocks left: untouched
        {1500, 0, 0},                 // shorter than two blocks: clamped at the start
    };
    for (const auto& c : cases) {
        auto inner = memorySource(std::vector<int32_t>(static_cast<size_t>(c.length)), 44100);
        inner->setPosition(c.start);
        auto s = speedOver(inner, 0.5);
        EXPECT_EQ(inner->getPosition(), c.expected) << c.length << " from " << c.start;
        EXPECT_GE(asMemory(inner).lowestPositionSet(), 0);
    }
}

TEST(LSRCSpeed, SetPositionReprimesTheOverlapAtTheNewPlace) {
    const int32_t n = 1102, h = 551;
    auto input = randomSamples(44100 * 2, 400000, 3);
    auto inner = memorySource(input, 44100);
    auto s = speedOver(inner, 1.0);
    readFrames(s, n * 3 + 100);
    s->setPosition(30000);
    EXPECT_EQ(s->getPosition(), 30000);
    auto out = readFrames(s, n);
    for (int32_t f = 0; f < n; ++f) {
        const int32_t loss = input[30000 + f] - out[f];
        ASSERT_GE(loss, 0) << f;
        ASSERT_LE(loss, f < h ? 3 : 0) << f;
    }
}

TEST(LSRCSpeed, ReadsOfAnySizeGiveTheSameStream) {
    auto input = test::syntheticSpeech(11025, 11025 * 3);
    auto whole = readFrames(speedOver(memorySource(input, 11025), 0.7), 20000);
    auto s = speedOver(memorySource(input, 11025), 0.7);
    std::vector<int32_t> pieces;
    for (int32_t size : {1, 7, 274, 275, 276, 5000}) {
        auto part = readFrames(s, size);
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    auto rest = readFrames(s, 20000 - static_cast<int32_t>(pieces.size()));
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);
}

// Ratios typed on a command line may be absurd: the source keeps delivering
// and never sets a negative position.
TEST(LSRCSpeed, AbsurdRatiosStayWithinTheInput) {
    const double cases[] = {1e12, -1e12, std::nan(""), 1e6};
    for (double ratio : cases) {
        auto inner = memorySource(randomSamples(44100, 1000), 44100);
        auto s = speedOver(inner, ratio, -ratio, 80000);
        const auto out = readFrames(s, 1102 * 20);
        EXPECT_EQ(out.size(), size_t{1102 * 20});
        EXPECT_GE(asMemory(inner).lowestPositionSet(), 0) << ratio;
    }
}

TEST(LSPSpeed, ApplyWrapsOnlyUsableSources) {
    LSPSpeed speed(0.5, 1.0, 0);
    EXPECT_FALSE(speed.apply(LSoundSource()));
    auto failed = memorySource({1, 2, 3}, 0);  // rate 0: error state
    ASSERT_TRUE(failed->isError());
    EXPECT_EQ(speed.apply(failed).get(), failed.get());
    auto good = memorySource(std::vector<int32_t>(1000), 8000, 2);
    auto wrapped = speed.apply(good);
    ASSERT_NE(wrapped.get(), good.get());
    EXPECT_TRUE(wrapped.usable());
    EXPECT_EQ(wrapped->channels(), 2);
    EXPECT_EQ(wrapped->sampleRate(), 8000);
}

TEST(LSRCSpeed, FailedSourceWritesNothing) {
    auto s = makeSource<LSRCSpeed>(LSoundSource(), 0.5, 1.0, 0);
    ASSERT_TRUE(s->isError());
    std::vector<int32_t> buffer(2000, 77);
    s->read(buffer.data(), 2000);
    s->setPosition(10);
    EXPECT_EQ(buffer, std::vector<int32_t>(2000, 77));
}

}  // namespace
}  // namespace typix
