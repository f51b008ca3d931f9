#pragma once
// The inner loop of the rate converter: for each output frame, normalise the
// phase into the input index, then one 63-tap integer dot product per channel
// over the history buffer.  A scalar form for any channel count, 32-bit
// vector forms for mono and stereo, and 16-bit planar forms (SSE2, AVX2,
// AVX-512 VNNI, chosen at run time) that all produce the very same numbers:
// every product and sum is 32-bit wrap-around arithmetic, so the order of
// summation does not matter.
#include <cstdint>

namespace typix {

// The last history index from which 63 taps can still be read; a higher
// index asks for a refill.
inline constexpr int32_t kRateLastIndex = 8128;

struct RateRun {
    const int32_t* table = nullptr;    // coefficient layout of the chosen kernel
    const int32_t* history = nullptr;  // interleaved frames
    int32_t index = 0;                 // first history frame of the taps
    int32_t phase = 0;                 // may exceed q until normalised
    int32_t q = 1;
    int32_t p = 0;
    int32_t rounding = 0;    // added before the right shift
    int32_t rightShift = 15;  // 15 - s for s <= 15
    int32_t leftShift = 0;    // s - 15 for s > 15 (samples beyond +-2^30)
    int channels = 1;
    // 16-bit planar form: used when every coefficient and every history
    // sample fits 16 bits, so that pairs of products can be formed at once.
    const int16_t* table16 = nullptr;   // q x 64, the 64th tap zero
    const int16_t* planes = nullptr;    // one plane per channel
    int32_t planeStride = 0;            // samples from one plane to the next
    const int32_t* advance = nullptr;   // per normalised phase: (phase + p) / q
    const int32_t* nextPhase = nullptr; // per normalised phase: (phase + p) % q
    // Pair planes for raising the rate (null when not built): output frames
    // j and j + q share their phase and lie p input frames apart, so 16 or
    // 32 of them (by instruction set) are computed side by side.  Word i of the history holds the
    // samples i and i + 1 (low and high half); plane r holds words r, r + p,
    // r + 2p, ...  pairOffsets[rho * 32 + kp] locates word rho + 2 kp.
    const int32_t* pairPlanes = nullptr;
    int32_t pairChannelStride = 0;      // words from one channel's planes to the next
    const int32_t* pairOffsets = nullptr;
    int32_t pairStride = 0;             // words between kp and kp + 1 when uniform (p 1 or 2), else 0
};

// Each kernel writes output frames until `frames` are done or the normalised
// index passes kRateLastIndex, and returns the number of frames written; the
// run is left normalised so that the caller can refill and call again.

// Table layout: q x 63 (phase-major), any channel count.
int32_t runRateScalar(RateRun& run, int32_t* out, int32_t frames);
// Table layout: q x 64, the 64th tap zero; history readable one frame past
// its end.
int32_t runRateMonoVector(RateRun& run, int32_t* out, int32_t frames);
// Table layout: q x 128, each tap twice (left, right), the last pair zero.
int32_t runRateStereoVector(RateRun& run, int32_t* out, int32_t frames);

// The 16-bit planar loops: any channel count, each plane readable one frame
// past the history.  Every pair of 16-bit products is summed in 32 bits, which
// is exact here since no coefficient is -32768.
enum class RatePlanarKernel { Portable, Sse2, Avx2, Avx512 };
bool rateKernelAvailable(RatePlanarKernel kernel);
RatePlanarKernel bestRatePlanarKernel();
int32_t runRatePlanar(RatePlanarKernel kernel, RateRun& run, int32_t* out, int32_t frames);

}  // namespace typix
