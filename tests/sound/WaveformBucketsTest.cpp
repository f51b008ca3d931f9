#include "sound/WaveformBuckets.h"

#include <gtest/gtest.h>

#include <numeric>

namespace typix {
namespace {

std::vector<WaveformPeak> peaksOf(WaveformBuckets& b) {
    std::vector<WaveformPeak> out;
    b.takeWhole(out);
    if (b.hasPartial()) out.push_back(b.partial());
    return out;
}

TEST(WaveformBuckets, OneBucketIsAHundredthOfASecond) {
    struct Case { int32_t rate, frames; };
    for (const Case c : {Case{44100, 441}, Case{8000, 80}, Case{11025, 110}, Case{100, 1}, Case{7, 1}, Case{0, 1}})
        EXPECT_EQ(WaveformBuckets(c.rate).bucketFrames(), c.frames) << c.rate;
}

TEST(WaveformBuckets, LowAndHighOverEveryChannelOnTheSixteenBitScale) {
    // Two channels at 400 Hz (4 frames a bucket); internal samples are the
    // 16-bit value times 16, and values beyond 16 bits are held there.
    const std::vector<int32_t> samples = {
        16, -32,   160, 0,     0, 0,   -16, 48,       // bucket 0
        0, 0,      0, 0,       0, 0,   0, 0,          // bucket 1: silence
        600000, 5, -600000, 0, 7, 8,                  // bucket 2, partial
    };
    WaveformBuckets b(400);
    b.add(samples.data(), 11, 2);
    const std::vector<WaveformPeak> expected = {{-2, 10}, {0, 0}, {-32768, 32767}};
    EXPECT_EQ(peaksOf(b), expected);
}

TEST(WaveformBuckets, PiecesOfAnySizeGiveTheSameEnvelope) {
    std::vector<int32_t> ramp(5000);
    std::iota(ramp.begin(), ramp.end(), -2500);
    for (int32_t& v : ramp) v *= 37;
    WaveformBuckets whole(8000);
    whole.add(ramp.data(), 5000, 1);
    WaveformBuckets pieces(8000);
    const int32_t sizes[] = {1, 79, 80, 81, 1000, 3759};
    const int32_t* at = ramp.data();
    for (int32_t n : sizes) {
        pieces.add(at, n, 1);
        at += n;
    }
    EXPECT_EQ(peaksOf(pieces), peaksOf(whole));
}

TEST(WaveformBuckets, TakeHandsOutEachWholeBucketOnceWithItsIndex) {
    const std::vector<int32_t> frames(250, 160);
    WaveformBuckets b(8000);
    std::vector<WaveformPeak> out;
    b.add(frames.data(), 170, 1);
    EXPECT_EQ(b.takeWhole(out), 0);
    EXPECT_EQ(out.size(), 2u);
    EXPECT_TRUE(b.hasPartial());
    b.add(frames.data(), 80, 1);
    out.clear();
    EXPECT_EQ(b.takeWhole(out), 2);
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(b.partial(), (WaveformPeak{10, 10}));
}

TEST(WaveformBuckets, ColumnsTakeTheExtremesOfTheirBucketsAndNeverReadPastThem) {
    // Six buckets of 10 frames; the display spans 60 frames, or 120 of a
    // file still growing (the second half has not arrived).
    const std::vector<WaveformPeak> peaks = {{-1, 1}, {-5, 2}, {-2, 9}, {0, 3}, {-7, 0}, {-3, 4}};
    struct Case { int64_t frames; int x, columns; WaveformPeak expected; };
    const Case cases[] = {
        {60, 0, 3, {-5, 2}},   // buckets 0 and 1
        {60, 2, 3, {-7, 4}},   // buckets 4 and 5
        {60, 1, 12, {-1, 1}},  // narrower than a bucket: the bucket it starts in
        {60, 11, 12, {-3, 4}},
        {120, 0, 2, {-7, 9}},  // the first half holds all six
        {120, 1, 2, {0, 0}},   // nothing there yet
        {60, 0, 0, {0, 0}},    // no columns at all
    };
    for (const Case& c : cases)
        EXPECT_EQ(columnPeak(peaks, c.frames, 10, c.x, c.columns), c.expected)
            << c.frames << " frames, column " << c.x << " of " << c.columns;
}

}  // namespace
}  // namespace typix
