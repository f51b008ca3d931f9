#pragma once
// Q24 fixed-point gain applied to an internal sample without a 64-bit
// product: the sample and the gain are split into 12-bit halves so that no
// partial product leaves 32 bits.  The result is (x * w) >> 24 rounded down
// in each partial term, so a sum of two complementary gains may come out up
// to a few units below the exact value.
#include <cstdint>

namespace typix {

inline constexpr int32_t kUnityGainQ24 = 1 << 24;

// Wrap-around 32-bit multiply: the partial products are defined to wrap like
// the machine's own arithmetic for samples far outside full scale.
inline int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// (x >> 12)(w >> 12) + (((x & 0xFFF)(w >> 12)) >> 12) + (((x >> 12)(w & 0xFFF)) >> 12)
inline int32_t splitProductQ24(int32_t x, int32_t w) {
    const int32_t xh = x >> 12;
    const int32_t wh = w >> 12;
    const int32_t hh = wrapMul(xh, wh);
    const int32_t lh = wrapMul(x & 0xFFF, wh) >> 12;
    const int32_t hl = wrapMul(xh, w & 0xFFF) >> 12;
    return wrapAdd(wrapAdd(hh, lh), hl);
}

}  // namespace typix
