#pragma once
// An in-memory source of internal samples for the dsp tests: silence before
// frame 0 and past the end, any position accepted (negative ones too), and
// a record of the lowest position it was ever set to.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix::test {

class MemorySource : public LSoundSourceBase {
public:
    MemorySource(std::vector<int32_t> samples, int32_t rate, int channels,
                 int32_t peak = kDefaultPeakLevel)
        : LSoundSourceBase(rate, peak, channels), samples_(std::move(samples)) {}

    void read(int32_t* buffer, int32_t frames) override {
        const int64_t c = channels();
        const int64_t length = getLength();
        for (int64_t i = 0; i < frames; ++i) {
            const int64_t f = position_ + i;
            if (f >= 0 && f < length)
                std::memcpy(buffer + i * c, samples_.data() + f * c, sizeof(int32_t) * c);
            else
                std::memset(buffer + i * c, 0, sizeof(int32_t) * c);
        }
        position_ += frames;
    }
    void setPosition(int32_t frame) override {
        position_ = frame;
        lowestSet_ = std::min(lowestSet_, frame);
    }
    int32_t getPosition() override {
        return static_cast<int32_t>(std::clamp<int64_t>(position_, INT32_MIN, INT32_MAX));
    }
    int32_t getLength() override { return static_cast<int32_t>(samples_.size() / channels()); }

    int32_t lowestPositionSet() const { return lowestSet_; }
    const std::vector<int32_t>& samples() const { return samples_; }

private:
    std::vector<int32_t> samples_;
    int64_t position_ = 0;  // wide, so that reads far past the end cannot overflow
    int32_t lowestSet_ = std::numeric_limits<int32_t>::max();
};

inline LSoundSource memorySource(std::vector<int32_t> samples, int32_t rate, int channels = 1,
                                 int32_t peak = kDefaultPeakLevel) {
    return makeSource<MemorySource>(std::move(samples), rate, channels, peak);
}

// Reads `frames` frames from a source into a fresh vector.
inline std::vector<int32_t> readFrames(const LSoundSource& s, int32_t frames) {
    std::vector<int32_t> out(static_cast<size_t>(frames) * s->channels());
    s->read(out.data(), frames);
    return out;
}

}  // namespace typix::test
