#include "sound/LevelMeasures.h"

#include <algorithm>
#include <cstddef>

namespace typix {
namespace {

int32_t peakOf(const int32_t* samples, size_t count, size_t step) {
    int32_t largest = 0, smallest = 0;
    for (size_t i = 0; i < count; ++i) {
        largest = std::max(largest, samples[i * step]);
        smallest = std::min(smallest, samples[i * step]);
    }
    // -INT32_MIN does not fit: the magnitude saturates.
    const int32_t magnitude = smallest == INT32_MIN ? INT32_MAX : -smallest;
    return std::max(largest, magnitude);
}

// Squares are formed in 64 bits so that samples far beyond 16-bit full scale
// (gain, mixing) cannot overflow; within full scale every figure equals the
// 32-bit arithmetic exactly.
int32_t meanSquareOf(const int32_t* samples, size_t count, size_t step) {
    if (count == 0) return 0;
    uint64_t high = 0, low = 0;
    for (size_t i = 0; i < count; ++i) {
        const int64_t v = samples[i * step] >> 5;
        const uint64_t t = static_cast<uint64_t>(v * v);
        high += t >> 13;
        low += t & 0x1FFF;
    }
    const uint64_t a = high + (low >> 13);
    const uint64_t m = count;
    const uint64_t result = (a / m) * 8192 + (a % m) * 8192 / m;
    return static_cast<int32_t>(std::min<uint64_t>(result, INT32_MAX));
}

bool validBlock(int32_t frames, int channels) { return frames > 0 && channels >= 1; }

}  // namespace

int32_t peakLevel(const int32_t* samples, int32_t frames, int channels) {
    if (!validBlock(frames, channels)) return 0;
    return peakOf(samples, static_cast<size_t>(frames) * static_cast<size_t>(channels), 1);
}

int32_t channelPeakLevel(int channel, const int32_t* samples, int32_t frames, int channels) {
    if (!validBlock(frames, channels) || channel < 0 || channel >= channels) return 0;
    if (channels == 1) return peakLevel(samples, frames, 1);
    return peakOf(samples + channel, static_cast<size_t>(frames), static_cast<size_t>(channels));
}

int32_t meanSquare(const int32_t* samples, int32_t frames, int channels) {
    if (!validBlock(frames, channels)) return 0;
    return meanSquareOf(samples, static_cast<size_t>(frames) * static_cast<size_t>(channels), 1);
}

int32_t channelMeanSquare(int channel, const int32_t* samples, int32_t frames, int channels) {
    if (!validBlock(frames, channels) || channel < 0 || channel >= channels) return 0;
    if (channels == 1) return meanSquare(samples, frames, 1);
    return meanSquareOf(samples + channel, static_cast<size_t>(frames),
                        static_cast<size_t>(channels));
}

}  // namespace typix
