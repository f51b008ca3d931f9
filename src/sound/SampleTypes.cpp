#include "sound/SampleTypes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace typix {
namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// (s + 2^(k-1)) >> k without the overflow of the addition near INT32_MAX.
template <int k>
inline int32_t roundShift(int32_t s) {
    return (s >> k) + (((s & ((1 << k) - 1)) + (1 << (k - 1))) >> k);
}

inline uint16_t load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    if constexpr (!kLittleEndian) v = __builtin_bswap16(v);
    return v;
}

inline uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (!kLittleEndian) v = __builtin_bswap32(v);
    return v;
}

inline void store16(uint8_t* p, uint16_t v) {
    if constexpr (!kLittleEndian) v = __builtin_bswap16(v);
    std::memcpy(p, &v, 2);
}

inline void store32(uint8_t* p, uint32_t v) {
    if constexpr (!kLittleEndian) v = __builtin_bswap32(v);
    std::memcpy(p, &v, 4);
}

// Runs `step(i)` for i in [0, count): whole groups of eight, then the tail one
// by one.  A group has a fixed trip count, so the compiler turns it into
// vector instructions even at -O2; the grouping never changes a result.
template <class Step>
inline void inGroupsOfEight(size_t count, Step step) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8)
        for (size_t k = 0; k < 8; ++k) step(i + k);
    for (; i < count; ++i) step(i);
}

}  // namespace

uint8_t LSFU8::fromInternal(int32_t s) {
    return static_cast<uint8_t>(std::clamp(roundShift<11>(s) + 128, 0, 255));
}

void LSFU8::toInternal(const uint8_t* __restrict in, int32_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { out[i] = toInternal(in[i]); });
}

void LSFU8::fromInternal(const int32_t* __restrict in, uint8_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { out[i] = fromInternal(in[i]); });
}

int16_t LSF16::fromInternal(int32_t s) {
    return static_cast<int16_t>(std::clamp(roundShift<4>(s), -32768, 32767));
}

void LSF16::toInternal(const uint8_t* __restrict in, int32_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { out[i] = static_cast<int16_t>(load16(in + 2 * i)) * 16; });
}

void LSF16::fromInternal(const int32_t* __restrict in, uint8_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { store16(out + 2 * i, static_cast<uint16_t>(fromInternal(in[i]))); });
}

void LSF16::toInternal(const int16_t* __restrict in, int32_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { out[i] = toInternal(in[i]); });
}

void LSF16::fromInternal(const int32_t* __restrict in, int16_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { out[i] = fromInternal(in[i]); });
}

int32_t LSF32::toInternal(int32_t v) { return roundShift<12>(v); }

int32_t LSF32::fromInternal(int32_t s) {
    // 524287 << 12 is the largest product that fits; beyond it, saturate.
    constexpr int32_t kMax = INT32_MAX >> 12;
    constexpr int32_t kMin = INT32_MIN >> 12;
    if (s > kMax) return INT32_MAX;
    if (s < kMin) return INT32_MIN;
    return static_cast<int32_t>(static_cast<uint32_t>(s) << 12);
}

void LSF32::toInternal(const uint8_t* __restrict in, int32_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { out[i] = toInternal(static_cast<int32_t>(load32(in + 4 * i))); });
}

void LSF32::fromInternal(const int32_t* __restrict in, uint8_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) { store32(out + 4 * i, static_cast<uint32_t>(fromInternal(in[i]))); });
}

void LSF24Packed::toInternal(const uint8_t* __restrict in, int32_t* __restrict out, size_t count) {
    inGroupsOfEight(count, [=](size_t i) {
        const uint8_t* p = in + 3 * i;
        uint32_t word = (uint32_t{p[0]} << 8) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 24);
        out[i] = LSF32::toInternal(static_cast<int32_t>(word));
    });
}

}  // namespace typix
