#include "sound/LevelMeasures.h"

#include <gtest/gtest.h>

#include <vector>

namespace typix {
namespace {

TEST(LevelMeasures, MeanSquareWorkedCases) {
    EXPECT_EQ(meanSquare(nullptr, 0, 1), 0);
    const std::vector<int32_t> unit8192(8192, 32);  // (32 >> 5)^2 = 1 each
    EXPECT_EQ(meanSquare(unit8192.data(), 8192, 1), 1);
    EXPECT_EQ(meanSquare(unit8192.data(), 4096, 2), 1);
    const std::vector<int32_t> unit100(100, 32);    // low parts below one 8192
    EXPECT_EQ(meanSquare(unit100.data(), 100, 1), 0);
    const std::vector<int32_t> full(64, -524288);   // (2^14)^2 = 2^28 per sample
    EXPECT_EQ(meanSquare(full.data(), 64, 1), 1 << 28);
    const std::vector<int32_t> small(10, 31);       // 31 >> 5 is 0
    EXPECT_EQ(meanSquare(small.data(), 10, 1), 0);
}

TEST(LevelMeasures, MeanSquareOfFarOutOfRangeSamplesDoesNotWrap) {
    const std::vector<int32_t> huge(16, INT32_MIN);  // (2^26)^2 does not fit 32 bits
    EXPECT_EQ(meanSquare(huge.data(), 16, 1), INT32_MAX);
}

TEST(LevelMeasures, ChannelMeanSquarePicksOneChannel) {
    std::vector<int32_t> stereo;
    for (int i = 0; i < 8192; ++i) {
        stereo.push_back(64);   // (64 >> 5)^2 = 4
        stereo.push_back(0);
    }
    EXPECT_EQ(channelMeanSquare(0, stereo.data(), 8192, 2), 4);
    EXPECT_EQ(channelMeanSquare(1, stereo.data(), 8192, 2), 0);
    EXPECT_EQ(meanSquare(stereo.data(), 8192, 2), 2);
    EXPECT_EQ(channelMeanSquare(2, stereo.data(), 8192, 2), 0);  // no such channel
    EXPECT_EQ(channelMeanSquare(0, stereo.data(), 8192, 1), meanSquare(stereo.data(), 8192, 1));
}

TEST(LevelMeasures, PeaksTakeTheLargerMagnitude) {
    const std::vector<int32_t> block = {5, -7, 3, 100, -2, 1};  // 3 frames of 2
    EXPECT_EQ(peakLevel(block.data(), 3, 2), 100);
    EXPECT_EQ(channelPeakLevel(0, block.data(), 3, 2), 5);
    EXPECT_EQ(channelPeakLevel(1, block.data(), 3, 2), 100);
    EXPECT_EQ(channelPeakLevel(0, block.data(), 6, 1), 100);  // mono: whole block
    EXPECT_EQ(peakLevel(block.data(), 0, 2), 0);
    const std::vector<int32_t> negative = {-3, -9, -1};
    EXPECT_EQ(peakLevel(negative.data(), 3, 1), 9);
    const std::vector<int32_t> extreme = {INT32_MIN, 0};
    EXPECT_EQ(peakLevel(extreme.data(), 2, 1), INT32_MAX);
}

}  // namespace
}  // namespace typix
