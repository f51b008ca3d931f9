#include "sound/LSPMultiMix.h"

#include <gtest/gtest.h>

#include <vector>

#include "sound/VectorSource.h"

namespace typix {
namespace {

using test::VectorSource;

std::vector<int32_t> mixAll(const std::vector<int32_t>& in, int channels,
                            std::vector<int8_t> left, std::vector<int8_t> right) {
    LSoundSource src = makeSource<VectorSource>(in, channels);
    LSoundSource mix = LSPMultiMix(LGainList(left), LGainList(right)).apply(src);
    EXPECT_TRUE(mix.usable());
    EXPECT_EQ(mix->channels(), 2);
    const int32_t frames = static_cast<int32_t>(in.size()) / channels;
    std::vector<int32_t> out(2 * static_cast<size_t>(frames), -1);
    mix.read(out.data(), frames);
    return out;
}

TEST(MultiMix, WorkedCases) {
    const struct {
        const char* what;
        std::vector<int32_t> in;
        int channels;
        std::vector<int8_t> left, right;
        std::vector<int32_t> out;
    } cases[] = {
        {"mono, left 0 dB, right muted", {100, -524288, 524272}, 1, {0}, {-127},
         {100, 0, -524288, 0, 524272, 0}},
        {"stereo with lists of one leaves channel 2 out", {10, 999, 20, 999}, 2, {0}, {0},
         {10, 10, 20, 20}},
        {"stereo kept apart", {10, 30, -20, 40}, 2, {0, -128}, {-127, 0},
         {10, 30, -20, 40}},
        {"three channels summed", {100, 200, 300}, 3, {0, 0, 0}, {0, -127, 0}, {600, 400}},
        {"empty lists silence everything", {5, 6}, 2, {}, {}, {0, 0}},
        {"-6 dB halves (split product)", {524272}, 1, {-6}, {-6}, {262756, 262756}},
        {"+50 dB saturates at the +42 dB cap", {4096}, 1, {50}, {42}, {524287, 515655}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mixAll(c.in, c.channels, c.left, c.right), c.out) << c.what;
}

TEST(MultiMix, GainsComeFromTheTableAndListsLongerThanTheInputAreHarmless) {
    LSoundSource src = makeSource<VectorSource>(std::vector<int32_t>(4), 1);
    LSoundSource mix = LSPMultiMix(LGainList({50, 0, 0}), LGainList({-6})).apply(src);
    auto* mixer = static_cast<LSRCMultiMix*>(mix.get());
    EXPECT_EQ(mixer->leftGain(0), INT32_MAX);
    EXPECT_EQ(mixer->rightGain(0), 8408526);
}

TEST(MultiMix, ApplyPassesEmptyAndFailedInputsThrough) {
    LSPMultiMix process(LGainList({0}), LGainList({0}));
    EXPECT_FALSE(process.apply(LSoundSource()));
    LSoundSource failed = makeSource<VectorSource>(std::vector<int32_t>{}, 1, 0);
    ASSERT_TRUE(failed->isError());
    EXPECT_EQ(process.apply(failed).get(), failed.get());
}

TEST(MultiMix, LargeReadsAreSplitAndPositionFollowsTheInner) {
    const int channels = 3;
    const int32_t frames = 8000;  // 24000 input samples, more than one input buffer
    std::vector<int32_t> in(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<int32_t>(i % channels == 0 ? i : 0);
    LSoundSource mix =
        LSPMultiMix(LGainList({0, 0, 0}), LGainList({0, 0, 0})).apply(makeSource<VectorSource>(in, channels));
    std::vector<int32_t> out(2 * static_cast<size_t>(frames));
    mix.read(out.data(), frames);
    for (int32_t i = 0; i < frames; ++i) ASSERT_EQ(out[2 * i], i * channels) << i;
    EXPECT_EQ(mix->getPosition(), frames);
    EXPECT_EQ(mix->getLength(), frames);
    mix->setPosition(10);
    mix.read(out.data(), 1);
    EXPECT_EQ(out[0], 30);
}

}  // namespace
}  // namespace typix
