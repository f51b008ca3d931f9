#include "dsp/RateKernels.h"
#include "dsp/TargetClones.h"

#include <cstddef>
#include <cstring>

namespace typix {

namespace {

// Unsigned lanes: wrap-around is defined for them, and the bits are the same
// as those of the signed 32-bit arithmetic of the scalar form.
typedef uint32_t Lanes8 __attribute__((vector_size(32)));

// Vectors are only ever local variables here (never passed or returned), so
// the calling convention of the baseline clone does not matter.
#define TYPIX_LANES_MULADD(acc, taps, x) \
    do {                                 \
        Lanes8 t_, x_;                   \
        std::memcpy(&t_, (taps), 32);    \
        std::memcpy(&x_, (x), 32);       \
        (acc) += t_ * x_;                \
    } while (0)

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

TYPIX_TARGET_CLONES
int32_t runRateMonoVector(RateRun& r, int32_t* out, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
        if (!normalise(r)) return i;
        const int32_t* taps = r.table + static_cast<ptrdiff_t>(r.phase) * 64;
        const int32_t* x = r.history + r.index;
        Lanes8 acc = {0, 0, 0, 0, 0, 0, 0, 0};
        for (int k = 0; k < 64; k += 8) TYPIX_LANES_MULADD(acc, taps + k, x + k);
        out[i] = scaleOut(r, acc[0] + acc[1] + acc[2] + acc[3] + acc[4] + acc[5] + acc[6] + acc[7]);
        r.phase += r.p;
    }
    return frames;
}

TYPIX_TARGET_CLONES
int32_t runRateStereoVector(RateRun& r, int32_t* out, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
        if (!normalise(r)) return i;
        const int32_t* taps = r.table + static_cast<ptrdiff_t>(r.phase) * 128;
        const int32_t* x = r.history + static_cast<ptrdiff_t>(r.index) * 2;
        Lanes8 acc = {0, 0, 0, 0, 0, 0, 0, 0};
        for (int k = 0; k < 128; k += 8) TYPIX_LANES_MULADD(acc, taps + k, x + k);
        // Even lanes hold the left channel, odd lanes the right.
        out[2 * i] = scaleOut(r, acc[0] + acc[2] + acc[4] + acc[6]);
        out[2 * i + 1] = scaleOut(r, acc[1] + acc[3] + acc[5] + acc[7]);
        r.phase += r.p;
    }
    return frames;
}

}  // namespace typix
