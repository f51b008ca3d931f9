#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dsp/RateKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#if defined(__GNUC__) && !defined(__clang__)
// GCC 12's AVX-512 headers start some operations from an undefined register
// and then warn about it at every use; the values are fully defined.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#define TYPIX_RATE_X86 1
#endif

// Functions between BEGIN and END are compiled for the named instruction set
// (GCC and Clang spell this differently).
#if defined(__clang__)
#define TYPIX_TARGET_BEGIN(isa) _Pragma(TYPIX_STR(clang attribute push(__attribute__((target(isa))), apply_to = function)))
#define TYPIX_TARGET_END _Pragma("clang attribute pop")
#else
#define TYPIX_TARGET_BEGIN(isa) _Pragma("GCC push_options") _Pragma(TYPIX_STR(GCC target(isa)))
#define TYPIX_TARGET_END _Pragma("GCC pop_options")
#endif
#define TYPIX_STR(x) #x

namespace typix {

namespace {

#if TYPIX_RATE_X86

TYPIX_TARGET_BEGIN("avx2")
namespace avx2 {

inline int32_t dot64(const int16_t* taps, const int16_t* samples) {
    __m256i acc = _mm256_setzero_si256();
    for (int k = 0; k < 64; k += 16) {
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps + k));
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples + k));
        acc = _mm256_add_epi32(acc, _mm256_madd_epi16(t, x));
    }
    __m128i v = _mm_add_epi32(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0x4E));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0xB1));
    return _mm_cvtsi128_si32(v);
}

inline __m256i madd64(const int16_t* taps, const int16_t* samples) {
    __m256i acc = _mm256_setzero_si256();
    for (int k = 0; k < 64; k += 16) {
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps + k));
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples + k));
        acc = _mm256_add_epi32(acc, _mm256_madd_epi16(t, x));
    }
    return acc;
}

// Four sums reduced together: two rounds of pairwise horizontal adds, then
// the two 128-bit halves.
inline void dot64x4(const int16_t* const taps[4], const int16_t* const samples[4], int32_t sums[4]) {
    const __m256i a = _mm256_hadd_epi32(madd64(taps[0], samples[0]), madd64(taps[1], samples[1]));
    const __m256i b = _mm256_hadd_epi32(madd64(taps[2], samples[2]), madd64(taps[3], samples[3]));
    const __m256i ab = _mm256_hadd_epi32(a, b);
    const __m128i v = _mm_add_epi32(_mm256_castsi256_si128(ab), _mm256_extracti128_si256(ab, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), v);
}

struct Scale;
constexpr int kBlockLanes = 16;
inline void laneBlock(const int16_t* taps, const int32_t* words, const int32_t* offsets, int32_t stride,
                      const Scale& scale, int32_t out[kBlockLanes]);
inline void laneBlockPair(const int16_t* const taps[2], const int32_t* const words[2], int32_t stride,
                          const Scale& scale, int32_t out[2 * kBlockLanes]);

#include "dsp/RatePlanarLoop.inc"

inline const int32_t* pairWord(const int32_t* words, const int32_t* offsets, int32_t stride, int kp) {
    return stride != 0 ? words + offsets[0] + kp * stride : words + offsets[kp];
}

inline void laneBlock(const int16_t* taps, const int32_t* words, const int32_t* offsets, int32_t stride,
                      const Scale& scale, int32_t out[kBlockLanes]) {
    // Two accumulators per half, so that no chain of additions waits on the
    // previous one.
    __m256i lo0 = _mm256_setzero_si256(), hi0 = lo0, lo1 = lo0, hi1 = lo0;
    for (int kp = 0; kp < 32; kp += 2) {
        int32_t pairs[2];
        std::memcpy(pairs, taps + 2 * kp, sizeof pairs);
        const __m256i t0 = _mm256_set1_epi32(pairs[0]);
        const __m256i t1 = _mm256_set1_epi32(pairs[1]);
        const auto* w0 = reinterpret_cast<const __m256i*>(pairWord(words, offsets, stride, kp));
        const auto* w1 = reinterpret_cast<const __m256i*>(pairWord(words, offsets, stride, kp + 1));
        lo0 = _mm256_add_epi32(lo0, _mm256_madd_epi16(t0, _mm256_loadu_si256(w0)));
        hi0 = _mm256_add_epi32(hi0, _mm256_madd_epi16(t0, _mm256_loadu_si256(w0 + 1)));
        lo1 = _mm256_add_epi32(lo1, _mm256_madd_epi16(t1, _mm256_loadu_si256(w1)));
        hi1 = _mm256_add_epi32(hi1, _mm256_madd_epi16(t1, _mm256_loadu_si256(w1 + 1)));
    }
    __m256i lo = _mm256_add_epi32(lo0, lo1);
    __m256i hi = _mm256_add_epi32(hi0, hi1);
    const __m256i round = _mm256_set1_epi32(static_cast<int32_t>(scale.rounding));
    const __m128i rs = _mm_cvtsi32_si128(scale.rightShift);
    const __m128i ls = _mm_cvtsi32_si128(scale.leftShift);
    lo = _mm256_sll_epi32(_mm256_sra_epi32(_mm256_add_epi32(lo, round), rs), ls);
    hi = _mm256_sll_epi32(_mm256_sra_epi32(_mm256_add_epi32(hi, round), rs), ls);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), lo);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8), hi);
}

// Both residues of a period of two: eight independent chains of sixteen
// multiply-adds, then the two residues interleaved into consecutive frames.
inline void laneBlockPair(const int16_t* const taps[2], const int32_t* const words[2], int32_t stride,
                          const Scale& scale, int32_t out[2 * kBlockLanes]) {
    __m256i a0 = _mm256_setzero_si256(), a1 = a0, a2 = a0, a3 = a0;  // residue 0: lo, hi, lo, hi
    __m256i b0 = a0, b1 = a0, b2 = a0, b3 = a0;                       // residue 1
    const int32_t* wa = words[0];
    const int32_t* wb = words[1];
    for (int kp = 0; kp < 32; kp += 2) {
        int32_t pa[2], pb[2];
        std::memcpy(pa, taps[0] + 2 * kp, sizeof pa);
        std::memcpy(pb, taps[1] + 2 * kp, sizeof pb);
        const __m256i ta0 = _mm256_set1_epi32(pa[0]), ta1 = _mm256_set1_epi32(pa[1]);
        const __m256i tb0 = _mm256_set1_epi32(pb[0]), tb1 = _mm256_set1_epi32(pb[1]);
        const auto* xa0 = reinterpret_cast<const __m256i*>(wa + kp * stride);
        const auto* xa1 = reinterpret_cast<const __m256i*>(wa + (kp + 1) * stride);
        const auto* xb0 = reinterpret_cast<const __m256i*>(wb + kp * stride);
        const auto* xb1 = reinterpret_cast<const __m256i*>(wb + (kp + 1) * stride);
        a0 = _mm256_add_epi32(a0, _mm256_madd_epi16(ta0, _mm256_loadu_si256(xa0)));
        a1 = _mm256_add_epi32(a1, _mm256_madd_epi16(ta0, _mm256_loadu_si256(xa0 + 1)));
        a2 = _mm256_add_epi32(a2, _mm256_madd_epi16(ta1, _mm256_loadu_si256(xa1)));
        a3 = _mm256_add_epi32(a3, _mm256_madd_epi16(ta1, _mm256_loadu_si256(xa1 + 1)));
        b0 = _mm256_add_epi32(b0, _mm256_madd_epi16(tb0, _mm256_loadu_si256(xb0)));
        b1 = _mm256_add_epi32(b1, _mm256_madd_epi16(tb0, _mm256_loadu_si256(xb0 + 1)));
        b2 = _mm256_add_epi32(b2, _mm256_madd_epi16(tb1, _mm256_loadu_si256(xb1)));
        b3 = _mm256_add_epi32(b3, _mm256_madd_epi16(tb1, _mm256_loadu_si256(xb1 + 1)));
    }
    const __m256i round = _mm256_set1_epi32(static_cast<int32_t>(scale.rounding));
    const __m128i rs = _mm_cvtsi32_si128(scale.rightShift);
    const __m128i ls = _mm_cvtsi32_si128(scale.leftShift);
    const auto finish = [&](__m256i x, __m256i y) {
        return _mm256_sll_epi32(_mm256_sra_epi32(_mm256_add_epi32(_mm256_add_epi32(x, y), round), rs), ls);
    };
    const __m256i alo = finish(a0, a2), ahi = finish(a1, a3);
    const __m256i blo = finish(b0, b2), bhi = finish(b1, b3);
    // unpack works within 128-bit halves: lanes 0 1 | 4 5 and 2 3 | 6 7.
    const auto store = [&](__m256i x, __m256i y, int32_t* o) {
        const __m256i l = _mm256_unpacklo_epi32(x, y);
        const __m256i h = _mm256_unpackhi_epi32(x, y);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), _mm256_permute2x128_si256(l, h, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 8), _mm256_permute2x128_si256(l, h, 0x31));
    };
    store(alo, blo, out);
    store(ahi, bhi, out + 16);
}

}  // namespace avx2
TYPIX_TARGET_END


TYPIX_TARGET_BEGIN("avx2,avx512f,avx512bw,avx512vl,avx512vnni")
namespace avx512 {

// 32 pairs of products per instruction, accumulated in place.
inline __m512i madd64(const int16_t* taps, const int16_t* samples) {
    const __m512i t0 = _mm512_loadu_si512(taps);
    const __m512i t1 = _mm512_loadu_si512(taps + 32);
    const __m512i x0 = _mm512_loadu_si512(samples);
    const __m512i x1 = _mm512_loadu_si512(samples + 32);
    return _mm512_dpwssd_epi32(_mm512_madd_epi16(t0, x0), t1, x1);
}

inline __m256i fold(__m512i v) {
    return _mm256_add_epi32(_mm512_castsi512_si256(v), _mm512_extracti64x4_epi64(v, 1));
}

inline int32_t dot64(const int16_t* taps, const int16_t* samples) {
    const __m256i v8 = fold(madd64(taps, samples));
    __m128i v = _mm_add_epi32(_mm256_castsi256_si128(v8), _mm256_extracti128_si256(v8, 1));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0x4E));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, 0xB1));
    return _mm_cvtsi128_si32(v);
}

inline void dot64x4(const int16_t* const taps[4], const int16_t* const samples[4], int32_t sums[4]) {
    const __m256i a = _mm256_hadd_epi32(fold(madd64(taps[0], samples[0])), fold(madd64(taps[1], samples[1])));
    const __m256i b = _mm256_hadd_epi32(fold(madd64(taps[2], samples[2])), fold(madd64(taps[3], samples[3])));
    const __m256i ab = _mm256_hadd_epi32(a, b);
    const __m128i v = _mm_add_epi32(_mm256_castsi256_si128(ab), _mm256_extracti128_si256(ab, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), v);
}

struct Scale;
constexpr int kBlockLanes = 32;
inline void laneBlock(const int16_t* taps, const int32_t* words, const int32_t* offsets, int32_t stride,
                      const Scale& scale, int32_t out[kBlockLanes]);
inline void laneBlockPair(const int16_t* const taps[2], const int32_t* const words[2], int32_t stride,
                          const Scale& scale, int32_t out[2 * kBlockLanes]);

#include "dsp/RatePlanarLoop.inc"

inline const int32_t* pairWord(const int32_t* words, const int32_t* offsets, int32_t stride, int kp) {
    return stride != 0 ? words + offsets[0] + kp * stride : words + offsets[kp];
}

// Two independent chains per group of sixteen lanes: a single chain of 32
// dependent additions would wait on the latency of each.
inline void laneBlock(const int16_t* taps, const int32_t* words, const int32_t* offsets, int32_t stride,
                      const Scale& scale, int32_t out[kBlockLanes]) {
    __m512i lo0 = _mm512_setzero_si512(), hi0 = lo0, lo1 = lo0, hi1 = lo0;
    for (int kp = 0; kp < 32; kp += 2) {
        int32_t pairs[2];
        std::memcpy(pairs, taps + 2 * kp, sizeof pairs);
        const __m512i t0 = _mm512_set1_epi32(pairs[0]);
        const __m512i t1 = _mm512_set1_epi32(pairs[1]);
        const int32_t* w0 = pairWord(words, offsets, stride, kp);
        const int32_t* w1 = pairWord(words, offsets, stride, kp + 1);
        lo0 = _mm512_dpwssd_epi32(lo0, t0, _mm512_loadu_si512(w0));
        hi0 = _mm512_dpwssd_epi32(hi0, t0, _mm512_loadu_si512(w0 + 16));
        lo1 = _mm512_dpwssd_epi32(lo1, t1, _mm512_loadu_si512(w1));
        hi1 = _mm512_dpwssd_epi32(hi1, t1, _mm512_loadu_si512(w1 + 16));
    }
    const __m512i round = _mm512_set1_epi32(static_cast<int32_t>(scale.rounding));
    const __m128i rs = _mm_cvtsi32_si128(scale.rightShift);
    const __m128i ls = _mm_cvtsi32_si128(scale.leftShift);
    const __m512i lo = _mm512_sll_epi32(_mm512_sra_epi32(_mm512_add_epi32(_mm512_add_epi32(lo0, lo1), round), rs), ls);
    const __m512i hi = _mm512_sll_epi32(_mm512_sra_epi32(_mm512_add_epi32(_mm512_add_epi32(hi0, hi1), round), rs), ls);
    _mm512_storeu_si512(out, lo);
    _mm512_storeu_si512(out + 16, hi);
}

inline void laneBlockPair(const int16_t* const taps[2], const int32_t* const words[2], int32_t stride,
                          const Scale& scale, int32_t out[2 * kBlockLanes]) {
    __m512i a0 = _mm512_setzero_si512(), a1 = a0, a2 = a0, a3 = a0;  // residue 0: lo, hi, lo, hi
    __m512i b0 = a0, b1 = a0, b2 = a0, b3 = a0;                       // residue 1
    const int32_t* wa = words[0];
    const int32_t* wb = words[1];
    for (int kp = 0; kp < 32; kp += 2) {
        int32_t pa[2], pb[2];
        std::memcpy(pa, taps[0] + 2 * kp, sizeof pa);
        std::memcpy(pb, taps[1] + 2 * kp, sizeof pb);
        const __m512i ta0 = _mm512_set1_epi32(pa[0]), ta1 = _mm512_set1_epi32(pa[1]);
        const __m512i tb0 = _mm512_set1_epi32(pb[0]), tb1 = _mm512_set1_epi32(pb[1]);
        const int32_t* xa0 = wa + kp * stride;
        const int32_t* xa1 = wa + (kp + 1) * stride;
        const int32_t* xb0 = wb + kp * stride;
        const int32_t* xb1 = wb + (kp + 1) * stride;
        a0 = _mm512_dpwssd_epi32(a0, ta0, _mm512_loadu_si512(xa0));
        a1 = _mm512_dpwssd_epi32(a1, ta0, _mm512_loadu_si512(xa0 + 16));
        a2 = _mm512_dpwssd_epi32(a2, ta1, _mm512_loadu_si512(xa1));
        a3 = _mm512_dpwssd_epi32(a3, ta1, _mm512_loadu_si512(xa1 + 16));
        b0 = _mm512_dpwssd_epi32(b0, tb0, _mm512_loadu_si512(xb0));
        b1 = _mm512_dpwssd_epi32(b1, tb0, _mm512_loadu_si512(xb0 + 16));
        b2 = _mm512_dpwssd_epi32(b2, tb1, _mm512_loadu_si512(xb1));
        b3 = _mm512_dpwssd_epi32(b3, tb1, _mm512_loadu_si512(xb1 + 16));
    }
    const __m512i round = _mm512_set1_epi32(static_cast<int32_t>(scale.rounding));
    const __m128i rs = _mm_cvtsi32_si128(scale.rightShift);
    const __m128i ls = _mm_cvtsi32_si128(scale.leftShift);
    const auto finish = [&](__m512i x, __m512i y) {
        return _mm512_sll_epi32(_mm512_sra_epi32(_mm512_add_epi32(_mm512_add_epi32(x, y), round), rs), ls);
    };
    const __m512i alo = finish(a0, a2), ahi = finish(a1, a3);
    const __m512i blo = finish(b0, b2), bhi = finish(b1, b3);
    // Lanes 0-7 of x and y alternating, then lanes 8-15.
    const __m512i first = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const __m512i second = _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    _mm512_storeu_si512(out, _mm512_permutex2var_epi32(alo, first, blo));
    _mm512_storeu_si512(out + 16, _mm512_permutex2var_epi32(alo, second, blo));
    _mm512_storeu_si512(out + 32, _mm512_permutex2var_epi32(ahi, first, bhi));
    _mm512_storeu_si512(out + 48, _mm512_permutex2var_epi32(ahi, second, bhi));
}

}  // namespace avx512
TYPIX_TARGET_END

namespace sse2 {

inline int32_t dot64(const int16_t* taps, const int16_t* samples) {
    __m128i acc = _mm_setzero_si128();
    for (int k = 0; k < 64; k += 8) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps + k));
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + k));
        acc = _mm_add_epi32(acc, _mm_madd_epi16(t, x));
    }
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0x4E));
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0xB1));
    return _mm_cvtsi128_si32(acc);
}

inline __m128i madd64(const int16_t* taps, const int16_t* samples) {
    __m128i acc = _mm_setzero_si128();
    for (int k = 0; k < 64; k += 8) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps + k));
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + k));
        acc = _mm_add_epi32(acc, _mm_madd_epi16(t, x));
    }
    return acc;
}

// Four sums reduced together by a 4 x 4 transpose.
inline void dot64x4(const int16_t* const taps[4], const int16_t* const samples[4], int32_t sums[4]) {
    const __m128i a = madd64(taps[0], samples[0]);
    const __m128i b = madd64(taps[1], samples[1]);
    const __m128i c = madd64(taps[2], samples[2]);
    const __m128i d = madd64(taps[3], samples[3]);
    const __m128i ab = _mm_add_epi32(_mm_unpacklo_epi32(a, b), _mm_unpackhi_epi32(a, b));  // a0+a2 b0+b2 a1+a3 b1+b3
    const __m128i cd = _mm_add_epi32(_mm_unpacklo_epi32(c, d), _mm_unpackhi_epi32(c, d));
    const __m128i v = _mm_add_epi32(_mm_unpacklo_epi64(ab, cd), _mm_unpackhi_epi64(ab, cd));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), v);
}

struct Scale;
constexpr int kBlockLanes = 0;
inline void laneBlock(const int16_t*, const int32_t*, const int32_t*, int32_t, const Scale&, int32_t*) {}
inline void laneBlockPair(const int16_t* const*, const int32_t* const*, int32_t, const Scale&, int32_t*) {}

#include "dsp/RatePlanarLoop.inc"

}  // namespace sse2

#endif

namespace portable {

inline int32_t dot64(const int16_t* taps, const int16_t* samples) {
    uint32_t acc = 0;
    for (int k = 0; k < 64; ++k)
        acc += static_cast<uint32_t>(static_cast<int32_t>(taps[k]) * samples[k]);
    return static_cast<int32_t>(acc);
}

inline void dot64x4(const int16_t* const taps[4], const int16_t* const samples[4], int32_t sums[4]) {
    for (int j = 0; j < 4; ++j) sums[j] = dot64(taps[j], samples[j]);
}

struct Scale;
constexpr int kBlockLanes = 0;
inline void laneBlock(const int16_t*, const int32_t*, const int32_t*, int32_t, const Scale&, int32_t*) {}
inline void laneBlockPair(const int16_t* const*, const int32_t* const*, int32_t, const Scale&, int32_t*) {}

#include "dsp/RatePlanarLoop.inc"

}  // namespace portable

}  // namespace

bool rateKernelAvailable(RatePlanarKernel kernel) {
    switch (kernel) {
    case RatePlanarKernel::Portable: return true;
#if TYPIX_RATE_X86
    case RatePlanarKernel::Sse2: return true;
    case RatePlanarKernel::Avx2: return __builtin_cpu_supports("avx2");
    case RatePlanarKernel::Avx512:
        return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512vnni");
#else
    default: return false;
#endif
    }
    return false;
}

RatePlanarKernel bestRatePlanarKernel() {
    static const RatePlanarKernel best = rateKernelAvailable(RatePlanarKernel::Avx512) ? RatePlanarKernel::Avx512
                                         : rateKernelAvailable(RatePlanarKernel::Avx2) ? RatePlanarKernel::Avx2
                                         : rateKernelAvailable(RatePlanarKernel::Sse2) ? RatePlanarKernel::Sse2
                                                                                       : RatePlanarKernel::Portable;
    return best;
}

int32_t runRatePlanar(RatePlanarKernel kernel, RateRun& run, int32_t* out, int32_t frames) {
    switch (kernel) {
#if TYPIX_RATE_X86
    case RatePlanarKernel::Avx512: return avx512::planarLoop(run, out, frames);
    case RatePlanarKernel::Avx2: return avx2::planarLoop(run, out, frames);
    case RatePlanarKernel::Sse2: return sse2::planarLoop(run, out, frames);
#endif
    default: return portable::planarLoop(run, out, frames);
    }
}

}  // namespace typix
