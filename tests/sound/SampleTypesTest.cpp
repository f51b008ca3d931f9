#include "sound/SampleTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace typix {
namespace {

struct Case {
    int32_t internal;
    int64_t expected;
};

TEST(SampleTypes, EightBitFromInternalRoundsAndSaturates) {
    const Case cases[] = {
        {260096, 255},   // 8-bit full scale round-trips
        {0, 128},        // silence
        {-262144, 0},    // most negative 8-bit value
        {1023, 128},     {1024, 129},     // rounding edge: + 1024 then >> 11
        {-1025, 127},    {-1024, 128},
        {524272, 255},   // 16-bit full scale clips to the top, no wrap to silence
        {-524288, 0},
        {INT32_MAX, 255}, {INT32_MIN, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LSFU8::fromInternal(c.internal), c.expected) << "internal " << c.internal;
}

TEST(SampleTypes, SixteenBitFromInternalRoundsAndSaturates) {
    const Case cases[] = {
        {524272, 32767},   {-524288, -32768}, {0, 0},
        {7, 0},            {8, 1},            {-8, 0}, {-9, -1},
        {524279, 32767},   {524280, 32767},   // rounds up past full scale: saturates
        {600000, 32767},   {-600000, -32768},
        {INT32_MAX, 32767}, {INT32_MIN, -32768},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LSF16::fromInternal(c.internal), c.expected) << "internal " << c.internal;
}

TEST(SampleTypes, ThirtyTwoBitConversionsNeverOverflow) {
    const Case toInternal[] = {
        {0, 0}, {2047, 0}, {2048, 1}, {-2048, 0}, {-2049, -1},
        {32767 << 16, 524272}, {INT32_MAX, 524288}, {INT32_MIN, -524288},
    };
    for (const auto& c : toInternal)
        EXPECT_EQ(LSF32::toInternal(c.internal), c.expected) << "disk " << c.internal;
    const Case fromInternal[] = {
        {524287, 524287LL << 12}, {-524288, INT32_MIN}, {524272, 524272LL << 12},
        {524288, INT32_MAX},      {-524289, INT32_MIN}, {INT32_MAX, INT32_MAX}, {-1, -4096},
    };
    for (const auto& c : fromInternal)
        EXPECT_EQ(LSF32::fromInternal(c.internal), c.expected) << "internal " << c.internal;
}

TEST(SampleTypes, EveryEightAndSixteenBitValueRoundTrips) {
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(LSFU8::fromInternal(LSFU8::toInternal(static_cast<uint8_t>(v))), v);
    for (int v = -32768; v < 32768; ++v)
        ASSERT_EQ(LSF16::fromInternal(LSF16::toInternal(static_cast<int16_t>(v))), v);
    EXPECT_EQ(LSFU8::toInternal(255), 260096);
    EXPECT_EQ(LSF16::toInternal(32767), 524272);
}

// The byte-buffer loops must agree with the single-sample forms at every
// length (vector body plus any tail) and use little-endian bytes.
TEST(SampleTypes, BufferConversionsMatchSingleSamplesAtEveryLength) {
    std::vector<int32_t> internal;
    for (int i = 0; i < 37; ++i) internal.push_back((i * 7919 % 1200001) - 600000);
    for (size_t n = 0; n <= internal.size(); ++n) {
        std::vector<uint8_t> b8(n + 1, 0xAA), b16(2 * n + 2, 0xAA), b32(4 * n + 4, 0xAA);
        LSFU8::fromInternal(internal.data(), b8.data(), n);
        LSF16::fromInternal(internal.data(), b16.data(), n);
        LSF32::fromInternal(internal.data(), b32.data(), n);
        for (size_t i = 0; i < n; ++i) {
            ASSERT_EQ(b8[i], LSFU8::fromInternal(internal[i]));
            const int16_t v16 = static_cast<int16_t>(b16[2 * i] | (b16[2 * i + 1] << 8));
            ASSERT_EQ(v16, LSF16::fromInternal(internal[i]));
            int32_t v32;
            std::memcpy(&v32, &b32[4 * i], 4);
            ASSERT_EQ(v32, LSF32::fromInternal(internal[i]));
        }
        EXPECT_EQ(b8[n], 0xAA);  // nothing written past the end
        EXPECT_EQ(b16[2 * n], 0xAA);
        EXPECT_EQ(b32[4 * n], 0xAA);
    }
}

TEST(SampleTypes, ByteBuffersReadLittleEndian) {
    const uint8_t bytes16[] = {0xFF, 0x7F, 0x00, 0x80, 0x01, 0x00};
    int32_t out[3];
    LSF16::toInternal(bytes16, out, 3);
    EXPECT_EQ(out[0], 524272);
    EXPECT_EQ(out[1], -524288);
    EXPECT_EQ(out[2], 16);
    const uint8_t bytes32[] = {0x00, 0x00, 0xFF, 0x7F, 0x00, 0x08, 0x00, 0x00};
    LSF32::toInternal(bytes32, out, 2);
    EXPECT_EQ(out[0], 524272);
    EXPECT_EQ(out[1], 1);  // 2048 rounds up to one unit
}

TEST(SampleTypes, PackedTwentyFourBitReadsAtTheThirtyTwoBitScale) {
    // 0x7FFFFF (full scale), -0x800000, 1 and -1: taken as value << 8, then LSF32.
    const uint8_t bytes[] = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00,
                             0xFF, 0xFF, 0xFF, 0x08, 0x00, 0x00};
    int32_t out[5];
    LSF24Packed::toInternal(bytes, out, 5);
    EXPECT_EQ(out[0], 524288);   // (0x7FFFFF00 + 2048) >> 12
    EXPECT_EQ(out[1], -524288);
    EXPECT_EQ(out[2], 0);        // (256 + 2048) >> 12
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[4], 1);        // 8 << 8 = 2048 rounds up
}

}  // namespace
}  // namespace typix
