#pragma once
// A source over samples that the benchmark owns, read without copying them
// first; silence outside the data.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix::bench {

class SpanSource : public LSoundSourceBase {
public:
    SpanSource(const std::vector<int32_t>& samples, int32_t rate, int channels)
        : LSoundSourceBase(rate, 524272, channels), samples_(samples) {}

    void read(int32_t* buffer, int32_t frames) override {
        const int64_t c = channels();
        const int64_t length = getLength();
        const int64_t from = std::clamp<int64_t>(position_, 0, length);
        const int64_t to = std::clamp<int64_t>(int64_t{position_} + frames, 0, length);
        const int64_t lead = std::clamp<int64_t>(from - position_, 0, frames);
        const int64_t copied = std::max<int64_t>(to - from, 0);
        std::memset(buffer, 0, sizeof(int32_t) * c * lead);
        std::memcpy(buffer + lead * c, samples_.data() + from * c, sizeof(int32_t) * c * copied);
        std::memset(buffer + (lead + copied) * c, 0, sizeof(int32_t) * c * (frames - lead - copied));
        position_ += frames;
    }
    void setPosition(int32_t frame) override { position_ = frame; }
    int32_t getPosition() override { return position_; }
    int32_t getLength() override { return static_cast<int32_t>(samples_.size() / channels()); }

private:
    const std::vector<int32_t>& samples_;
    int32_t position_ = 0;
};

inline std::vector<float> toFloat(const std::vector<int32_t>& samples) {
    std::vector<float> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) out[i] = static_cast<float>(samples[i]) / 524288.0f;
    return out;
}

}  // namespace typix::bench
