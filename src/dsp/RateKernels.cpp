#include "dsp/RateKernels.h"

#include <cstddef>
#include <cstring>

// The 32-byte lane helpers below are internal and always inlined, so the
// calling convention for vector values that this warning is about never
// applies.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace typix {

namespace {

// Unsigned lanes: wrap-around is defined for them, and the bits are the same
// as those of the signed 32-bit arithmetic of the scalar form.
typedef uint32_t Lanes8 __attribute__((vector_size(32)));

[[gnu::always_inline]] inline Lanes8 loadLanes(const int32_t* p) {
    Lanes8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline uint32_t sumLanes(Lanes8 v) {
    return v[0] + v[1] + v[2] + v[3] + v[4] + v[5] + v[6] + v[7];
}

inline bool normalise(RateRun& r) {
    if (r.phase >= r.q) {
        r.index += r.phase / r.q;
        r.phase %= r.q;
    }
    return r.index <= kRateLastIndex;
}

inline int32_t scaleOut(const RateRun& r, uint32_t acc) {
    const int32_t y = static_cast<int32_t>(acc + static_cast<uint32_t>(r.rounding)) >> r.rightShift;
    return static_cast<int32_t>(static_cast<uint32_t>(y) << r.leftShift);
}

}  // namespace

int32_t runRateScalar(RateRun& r, int32_t* out, int32_t frames) {
    const int c = r.channels;
    for (int32_t i = 0; i < frames; ++i) {
        if (!normalise(r)) return i;
        const int32_t* taps = r.table + static_cast<ptrdiff_t>(r.phase) * 63;
        const int32_t* x = r.history + static_cast<ptrdiff_t>(r.index) * c;
        for (int ch = 0; ch < c; ++ch) {
            uint32_t acc = 0;
            for (int k = 0; k < 63; ++k)
                acc += static_cast<uint32_t>(taps[k]) * static_cast<uint32_t>(x[k * c + ch]);
            out[static_cast<ptrdiff_t>(i) * c + ch] = scaleOut(r, acc);
        }
        r.phase += r.p;
    }
    return frames;
}

__attribute__((target_clones("avx2", "default")))
int32_t runRateMonoVector(RateRun& r, int32_t* out, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
        if (!normalise(r)) return i;
        const int32_t* taps = r.table + static_cast<ptrdiff_t>(r.phase) * 64;
        const int32_t* x = r.history + r.index;
        Lanes8 acc = loadLanes(taps) * loadLanes(x);
        for (int k = 8; k < 64; k += 8) acc += loadLanes(taps + k) * loadLanes(x + k);
        out[i] = scaleOut(r, sumLanes(acc));
        r.phase += r.p;
    }
    return frames;
}

__attribute__((target_clones("avx2", "default")))
int32_t runRateStereoVector(RateRun& r, int32_t* out, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
        if (!normalise(r)) return i;
        const int32_t* taps = r.table + static_cast<ptrdiff_t>(r.phase) * 128;
        const int32_t* x = r.history + static_cast<ptrdiff_t>(r.index) * 2;
        Lanes8 acc = loadLanes(taps) * loadLanes(x);
        for (int k = 8; k < 128; k += 8) acc += loadLanes(taps + k) * loadLanes(x + k);
        // Even lanes hold the left channel, odd lanes the right.
        out[2 * i] = scaleOut(r, acc[0] + acc[2] + acc[4] + acc[6]);
        out[2 * i + 1] = scaleOut(r, acc[1] + acc[3] + acc[5] + acc[7]);
        r.phase += r.p;
    }
    return frames;
}

}  // namespace typix
