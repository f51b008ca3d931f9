#pragma once
// An in-memory source over a vector of interleaved internal samples, with the
// graph's read contract: silence before the start and past the end, position
// always advancing by the frames read.
#include <algorithm>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix::test {

class VectorSource : public LSoundSourceBase {
public:
    VectorSource(std::vector<int32_t> samples, int channels, int32_t rate = 8000)
        : LSoundSourceBase(rate, 524272, channels), samples_(std::move(samples)) {}

    void read(int32_t* buffer, int32_t frames) override {
        const int c = channels();
        for (int32_t i = 0; i < frames; ++i, ++position_) {
            for (int j = 0; j < c; ++j) {
                const int64_t index = int64_t{position_} * c + j;
                const bool inside = position_ >= 0 && index < static_cast<int64_t>(samples_.size());
                buffer[i * c + j] = inside ? samples_[static_cast<size_t>(index)] : 0;
            }
        }
    }
    void setPosition(int32_t frame) override { position_ = frame; }
    int32_t getPosition() override { return position_; }
    int32_t getLength() override { return static_cast<int32_t>(samples_.size()) / channels(); }

private:
    std::vector<int32_t> samples_;
    int32_t position_ = 0;
};

}  // namespace typix::test
