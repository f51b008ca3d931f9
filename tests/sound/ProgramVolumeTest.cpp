// The program's own volume: the decibel-to-Q24 mapping and the split-product
// gain stage, against worked numbers.
#include <gtest/gtest.h>

#include <vector>

#include "sound/ProgramVolume.h"

namespace typix {
namespace {

struct GainCase {
    int levelDb;
    int32_t gain;
};

TEST(ProgramGain, DecibelsToQ24) {
    for (const GainCase& c : {GainCase{0, 1 << 24}, GainCase{-20, 1677722}, GainCase{-6, 8408526},
                              GainCase{12, 66791300}, GainCase{-126, 8},
                              GainCase{-127, 0}, GainCase{-128, 0}, GainCase{42, 2112126356},
                              GainCase{43, INT32_MAX}, GainCase{127, INT32_MAX}}) {
        EXPECT_EQ(programGainQ24(c.levelDb), c.gain) << c.levelDb << " dB";
    }
}

TEST(ProgramGain, UnityIsBitExactOverTheWholeRange) {
    std::vector<int16_t> all;
    for (int v = -32768; v <= 32767; ++v) all.push_back(static_cast<int16_t>(v));
    std::vector<int16_t> out(all.size());
    applyProgramGain(all.data(), out.data(), all.size(), programGainQ24(0));
    EXPECT_EQ(out, all);
    std::vector<int32_t> internal{-524288, -17, 0, 1, 524272};
    const std::vector<int32_t> before = internal;
    applyProgramGain(internal.data(), internal.size(), programGainQ24(0));
    EXPECT_EQ(internal, before);
}

TEST(ProgramGain, SplitProductScalesAndSaturates) {
    // Gain 0.1 takes a tenth exactly here; at +12 dB the loud samples
    // saturate instead of wrapping.
    const std::vector<int16_t> in{10000, -10000, 1, 30000, -30000, 0};
    std::vector<int16_t> out(in.size());
    applyProgramGain(in.data(), out.data(), in.size(), programGainQ24(-20));
    EXPECT_EQ(out, (std::vector<int16_t>{1000, -1000, 0, 3000, -3000, 0}));
    applyProgramGain(in.data(), out.data(), in.size(), programGainQ24(12));
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 4, 32767, -32768, 0}));
    applyProgramGain(in.data(), out.data(), in.size(), programGainQ24(-127));
    EXPECT_EQ(out, std::vector<int16_t>(in.size(), 0));
}

TEST(ProgramGain, ScalesInPlace) {
    std::vector<int16_t> samples{20000, -20000};
    applyProgramGain(samples.data(), samples.data(), samples.size(), programGainQ24(-6));
    EXPECT_EQ(samples, (std::vector<int16_t>{10024, -10024}));
}

}  // namespace
}  // namespace typix
