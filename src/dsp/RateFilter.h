#pragma once
// Design of the 63-tap polyphase interpolation filter of the rate converter:
// the step between output and input as a fraction P/Q (Q at most 255), and a
// windowed sinc with a Kaiser window in Q15, Q phases of 63 taps each.
#include <cstdint>
#include <vector>

namespace typix {

inline constexpr int kRateTaps = 63;
inline constexpr int kRateMaxPhases = 255;
// The largest step P a converter takes (lowering the rate about 16000
// times); it keeps r x P below 2^31 for every phase r.
inline constexpr int32_t kRateMaxStep = 1 << 22;

struct RateFraction {
    uint16_t q = 1;  // phases per input frame, 1 ... 255
    int32_t p = 0;   // input advance per output frame, in 1/q frame
};

// Searches the smallest q whose fraction round(m q)/q comes closest to
// m = inRate / outRate (stopping at the first within 0.001), in extended
// precision so that the choice is the same on every machine.  p is 0 when
// the ratio cannot be expressed (below 1/510 or above kRateMaxStep).
RateFraction chooseRateFraction(int32_t inRate, int32_t outRate);

struct RateFilterShape {
    double cutoff;  // fc, as a fraction of the input band
    double beta;    // Kaiser window parameter
};

// Raising the rate keeps 0.975 of the band with a gentle window; lowering it
// cuts at the output band less 3/64 with a steeper one.
RateFilterShape rateFilterShape(int32_t inRate, int32_t outRate);

// Modified Bessel function of order zero, from the first seven terms of its
// power series (enough for the window parameters used here).
double besselI0Series(double y);

// q x 63 coefficients in Q15, phase-major; phase i is the sinc shifted by i/q
// of an input frame.  Rounded half away from zero.
std::vector<int32_t> buildRateFilterTable(int q, const RateFilterShape& shape);

}  // namespace typix
