#include "sound/WaveformBuckets.h"

#include <algorithm>
#include <climits>

namespace typix {

namespace {

int16_t toPeak(int32_t internal) {
    return static_cast<int16_t>(std::clamp(internal >> 4, -32768, 32767));
}

}  // namespace

WaveformBuckets::WaveformBuckets(int32_t sampleRate)
    : bucketFrames_(std::max(1, sampleRate / kBucketsPerSecond)) {}

void WaveformBuckets::add(const int32_t* samples, int32_t frames, int channels) {
    if (frames <= 0 || channels <= 0) return;
    const auto c = static_cast<size_t>(channels);
    while (frames > 0) {
        const int32_t n = std::min(frames, bucketFrames_ - partialFrames_);
        addBucketPiece(samples, static_cast<size_t>(n) * c, n);
        samples += static_cast<size_t>(n) * c;
        frames -= n;
    }
}

// One stretch within a bucket: a plain min/max loop that the compiler turns
// into vector code.
void WaveformBuckets::addBucketPiece(const int32_t* samples, size_t count, int32_t frames) {
    int32_t low = partialFrames_ > 0 ? low_ : INT32_MAX;
    int32_t high = partialFrames_ > 0 ? high_ : INT32_MIN;
    for (size_t i = 0; i < count; ++i) {
        low = std::min(low, samples[i]);
        high = std::max(high, samples[i]);
    }
    low_ = low;
    high_ = high;
    partialFrames_ += frames;
    if (partialFrames_ == bucketFrames_) {
        whole_.push_back(WaveformPeak{toPeak(low_), toPeak(high_)});
        partialFrames_ = 0;
    }
}

WaveformPeak WaveformBuckets::partial() const {
    return hasPartial() ? WaveformPeak{toPeak(low_), toPeak(high_)} : WaveformPeak{};
}

int64_t WaveformBuckets::takeWhole(std::vector<WaveformPeak>& out) {
    const int64_t first = taken_;
    out.insert(out.end(), whole_.begin(), whole_.end());
    taken_ += static_cast<int64_t>(whole_.size());
    whole_.clear();
    return first;
}

WaveformPeak columnPeak(const std::vector<WaveformPeak>& peaks, int64_t frames, int32_t bucketFrames,
                        int x, int columns) {
    if (columns <= 0 || bucketFrames <= 0) return {};
    // Rounded outwards, so no bucket falls between two columns.
    const int64_t from = frames * x / columns / bucketFrames;
    const int64_t to = std::max(from + 1, (frames * (x + 1) / columns + bucketFrames - 1) / bucketFrames);
    const int64_t end = std::min<int64_t>(to, static_cast<int64_t>(peaks.size()));
    WaveformPeak peak;
    for (int64_t b = std::max<int64_t>(from, 0); b < end; ++b) {
        peak.low = std::min(peak.low, peaks[static_cast<size_t>(b)].low);
        peak.high = std::max(peak.high, peaks[static_cast<size_t>(b)].high);
    }
    return peak;
}

}  // namespace typix
