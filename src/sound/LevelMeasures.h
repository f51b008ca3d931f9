#pragma once
// Level measures on a block of interleaved internal samples, shared by the
// player and the recorder.  Pure functions: any thread, no state.  A block of
// `frames` frames holds frames * channels samples; negative frame counts and
// channel counts below 1 give 0.
#include <cstdint>

namespace typix {

// Larger of the largest sample and the negated smallest (both start at 0).
int32_t peakLevel(const int32_t* samples, int32_t frames, int channels);
// The same over one channel's samples (stepping by the channel count).  With
// one channel it is the peak of the whole block; a channel index outside
// [0, channels) gives 0.
int32_t channelPeakLevel(int channel, const int32_t* samples, int32_t frames, int channels);

// Mean of (s >> 5)^2 over all samples: the squares are summed as a high part
// (t >> 13) and a low part (t & 0x1FFF); with A = high + (low >> 13) and m
// samples the result is (A / m) * 8192 + (A % m) * 8192 / m.  So the low parts
// count only in whole multiples of 8192: 8192 samples of 32 give 1, 100 give 0.
// An empty block gives 0.
int32_t meanSquare(const int32_t* samples, int32_t frames, int channels);
// The same over one channel's `frames` samples; with one channel it is the
// mean square of the whole block.
int32_t channelMeanSquare(int channel, const int32_t* samples, int32_t frames, int channels);

}  // namespace typix
