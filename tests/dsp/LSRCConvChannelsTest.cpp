#include "dsp/LSRCConvChannels.h"

#include <gtest/gtest.h>

#include "dsp/MemorySource.h"

namespace typix {
namespace {

using test::memorySource;
using test::readFrames;

// Frames whose samples name their place: frame f, channel c -> 100 f + c + 1.
std::vector<int32_t> labelled(int frames, int channels) {
    std::vector<int32_t> v;
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c) v.push_back(100 * f + c + 1);
    return v;
}

TEST(LSPConvChannels, ApplyPicksTheConverterForThePair) {
    struct Case { int from, to; const std::type_info* type; };
    const Case cases[] = {
        {2, 1, &typeid(LSRCConvStereoMono)}, {1, 2, &typeid(LSRCConvMonoStereo)},
        {3, 2, &typeid(LSRCConvChannelsN)},  {2, 3, &typeid(LSRCConvChannelsN)},
        {1, 4, &typeid(LSRCConvChannelsN)},  {6, 1, &typeid(LSRCConvChannelsN)},
    };
    for (const auto& c : cases) {
        auto in = memorySource(labelled(4, c.from), 8000, c.from);
        auto out = LSPConvChannels(static_cast<uint16_t>(c.to)).apply(in);
        ASSERT_NE(out.get(), in.get()) << c.from << " -> " << c.to;
        const LSoundSourceBase& made = *out.get();
        EXPECT_EQ(typeid(made), *c.type) << c.from << " -> " << c.to;
        EXPECT_EQ(out->channels(), c.to);
        EXPECT_EQ(out->sampleRate(), 8000);
    }
}

TEST(LSPConvChannels, ApplyHandsBackWhatNeedsNoConverter) {
    auto stereo = memorySource(labelled(4, 2), 8000, 2);
    EXPECT_EQ(LSPConvChannels(2).apply(stereo).get(), stereo.get());
    EXPECT_EQ(LSPConvChannels(0).apply(stereo).get(), stereo.get());
    EXPECT_FALSE(LSPConvChannels(1).apply(LSoundSource()));
    auto failed = memorySource({1, 2}, -1, 2);
    EXPECT_EQ(LSPConvChannels(1).apply(failed).get(), failed.get());
}

TEST(LSRCConvChannels, CopiesChannelsWithoutMixing) {
    struct Case { int from, to; std::vector<int32_t> firstTwoFrames; };
    const std::vector<Case> cases = {
        {2, 1, {1, 101}},                          // left kept
        {1, 2, {1, 1, 101, 101}},
        {3, 2, {1, 2, 101, 102}},                  // channels 0 and 1
        {2, 3, {1, 2, 1, 101, 102, 101}},          // channel 2 repeats channel 0
        {1, 3, {1, 1, 1, 101, 101, 101}},
        {4, 3, {1, 2, 3, 101, 102, 103}},
    };
    for (const auto& c : cases) {
        auto out = LSPConvChannels(static_cast<uint16_t>(c.to)).apply(memorySource(labelled(2, c.from), 8000, c.from));
        EXPECT_EQ(readFrames(out, 2), c.firstTwoFrames) << c.from << " -> " << c.to;
    }
}

TEST(LSRCConvChannels, RightOnlySignalBecomesSilenceInMono) {
    std::vector<int32_t> rightOnly;
    for (int f = 0; f < 100; ++f) rightOnly.insert(rightOnly.end(), {0, 5000 + f});
    auto out = readFrames(LSPConvChannels(1).apply(memorySource(rightOnly, 8000, 2)), 100);
    EXPECT_EQ(out, std::vector<int32_t>(100, 0));
}

TEST(LSRCConvChannels, LongReadsAreServedInPieces) {
    const int frames = 20000;
    auto in = memorySource(labelled(frames, 2), 8000, 2);
    auto out = LSPConvChannels(1).apply(in);
    auto mono = readFrames(out, frames);
    for (int f = 0; f < frames; ++f) ASSERT_EQ(mono[f], 100 * f + 1) << f;
    EXPECT_EQ(out->getPosition(), frames);
    out->setPosition(7);
    EXPECT_EQ(in->getPosition(), 7);
    EXPECT_EQ(out->getLength(), frames);
}

TEST(LSRCConvChannels, TargetsOutsideOneByteFail) {
    for (int target : {0, 256, 1000}) {
        auto s = makeSource<LSRCConvChannelsN>(memorySource(labelled(4, 2), 8000, 2), target);
        EXPECT_TRUE(s->isError()) << target;
        EXPECT_EQ(s->channels(), 1);
        int32_t sentinel = 42;
        s->read(&sentinel, 1);
        EXPECT_EQ(sentinel, 42);
    }
}

}  // namespace
}  // namespace typix
