#pragma once
// The envelope of a waveform display: interleaved samples go in, and out
// come the lowest and highest sample (over all channels) of every bucket of
// 1/100 s.  The steps the waveform scan runs on its worker, usable on any
// one thread.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace typix {

// On the 16-bit scale (internal samples shifted right by 4, held to 16 bits).
struct WaveformPeak {
    int16_t low = 0;
    int16_t high = 0;
    bool operator==(const WaveformPeak&) const = default;
};

class WaveformBuckets {
public:
    static constexpr int kBucketsPerSecond = 100;

    // Rates of 100 Hz and below give one frame per bucket.
    explicit WaveformBuckets(int32_t sampleRate);

    // Adds `frames` frames of interleaved internal samples.
    void add(const int32_t* samples, int32_t frames, int channels);
    // Appends the whole buckets made since the last take to `out` and returns
    // the index (from the first frame added) of the first of them.
    int64_t takeWhole(std::vector<WaveformPeak>& out);
    // The bucket being filled, when some frames are in it.
    bool hasPartial() const { return partialFrames_ > 0; }
    WaveformPeak partial() const;

    int32_t bucketFrames() const { return bucketFrames_; }

private:
    void addBucketPiece(const int32_t* samples, size_t count, int32_t frames);

    int32_t bucketFrames_;
    std::vector<WaveformPeak> whole_;
    int64_t taken_ = 0;  // buckets handed out by takeWhole
    int32_t partialFrames_ = 0;
    int32_t low_ = 0;
    int32_t high_ = 0;
};

// What a display draws in column x of `columns` spread over `frames` frames:
// the lowest and highest of the buckets that overlap that column (at least
// the one where it starts), or silence where no bucket has arrived yet.
WaveformPeak columnPeak(const std::vector<WaveformPeak>& peaks, int64_t frames, int32_t bucketFrames,
                        int x, int columns);

}  // namespace typix
