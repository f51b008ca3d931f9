#include "sound/LDB.h"

#include <gtest/gtest.h>

namespace typix {
namespace {

TEST(DecibelTable, WorkedEntries) {
    const struct { int db; int32_t gain; } cases[] = {
        {-128, 0},        {-127, 0},        {-126, 8},          {-60, 16777},
        {-20, 1677722},   {-6, 8408526},    {-1, 14952709},     {0, 16777216},
        {1, 18824346},    {6, 33474947},    {20, 167772160},    {42, 2112126356},
        {43, INT32_MAX},  {50, INT32_MAX},  {127, INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LDB::amplitude(static_cast<int8_t>(c.db)), c.gain) << c.db << " dB";
}

TEST(DecibelTable, RisesStrictlyUntilTheCap) {
    for (int d = -126; d < 42; ++d)
        EXPECT_LT(LDB::amplitude(static_cast<int8_t>(d)), LDB::amplitude(static_cast<int8_t>(d + 1)));
}

TEST(SplitProduct, UnityGainReturnsTheSampleExactly) {
    for (int32_t s : {0, 1, -1, 4095, -4096, 524272, -524288, 12345678, INT32_MAX, INT32_MIN})
        EXPECT_EQ(LDB::mul(kUnityGain, s), s) << s;
}

TEST(SplitProduct, MatchesTheTwelveBitHalvesFormula) {
    const struct { int32_t gain, sample, expected; } cases[] = {
        {0, 524272, 0},
        {kUnityGain / 2, 524272, 262136},
        {kUnityGain / 2, -3, -2},           // halves floor toward minus infinity
        {8408526, 524272, 262756},          // -6 dB of full scale (exact: 262758)
        {INT32_MAX, 524272, 67106814},      // the +42 dB cap, 128 times
        {1, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LDB::mul(c.gain, c.sample), c.expected) << c.gain << " * " << c.sample;
}

}  // namespace
}  // namespace typix
