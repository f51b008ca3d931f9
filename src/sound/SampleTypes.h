#pragma once
// On-disk sample types and their conversions to and from internal samples.
//
// Internal scale: a 16-bit value v is v << 4 (full scale +-2^19).  8-bit
// samples use shift 11, so they occupy half the internal range of 16-bit ones.
// Disk bytes are little-endian whatever the host.
//
// Conversions back to a narrower type saturate at the type's range: a value
// beyond it becomes the nearest representable value instead of keeping its low
// bits (which would turn a loud peak into noise of the opposite sign).  Every
// in-range value converts exactly as the formulas below say.
//
// The array conversions are plain loops over `count` samples that the compiler
// vectorises; they never read or write outside [0, count) of either buffer.
#include <cstddef>
#include <cstdint>

namespace typix {

// Unsigned 8-bit, 128 = silence.  in: (v - 128) << 11;
// out: clamp(((s + 1024) >> 11) + 128, 0, 255).
struct LSFU8 {
    static constexpr int kBytes = 1;
    static constexpr int32_t kPeakLevel = 260096;  // 127 << 11
    static int32_t toInternal(uint8_t v) { return (static_cast<int32_t>(v) - 128) * 2048; }
    static uint8_t fromInternal(int32_t s);
    static void toInternal(const uint8_t* in, int32_t* out, size_t count);
    static void fromInternal(const int32_t* in, uint8_t* out, size_t count);
};

// Signed 16-bit.  in: v << 4; out: clamp((s + 8) >> 4, -32768, 32767).
struct LSF16 {
    static constexpr int kBytes = 2;
    static constexpr int32_t kPeakLevel = 524272;  // 0x7FFF0
    static int32_t toInternal(int16_t v) { return static_cast<int32_t>(v) * 16; }
    static int16_t fromInternal(int32_t s);
    static void toInternal(const uint8_t* in, int32_t* out, size_t count);
    static void fromInternal(const int32_t* in, uint8_t* out, size_t count);
    // Host-order 16-bit buffers (sound devices).
    static void toInternal(const int16_t* in, int32_t* out, size_t count);
    static void fromInternal(const int32_t* in, int16_t* out, size_t count);
};

// Signed 32-bit.  in: (v + 2048) >> 12, formed without overflow;
// out: s << 12 saturated to the int32 range.
struct LSF32 {
    static constexpr int kBytes = 4;
    static constexpr int32_t kPeakLevel = 524272;
    static int32_t toInternal(int32_t v);
    static int32_t fromInternal(int32_t s);
    static void toInternal(const uint8_t* in, int32_t* out, size_t count);
    static void fromInternal(const int32_t* in, uint8_t* out, size_t count);
};

// Packed signed 24-bit (3 bytes per sample), read only.  The value is taken as
// a 32-bit word holding it shifted left by 8, then converted as LSF32, so a
// 24-bit file plays at the same level as a 16-bit or 32-bit one.
struct LSF24Packed {
    static constexpr int kBytes = 3;
    static constexpr int32_t kPeakLevel = 524272;
    static void toInternal(const uint8_t* in, int32_t* out, size_t count);
};

}  // namespace typix
