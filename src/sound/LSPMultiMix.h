#pragma once
// Channel mixer: mixes the C channels of a source down to two output channels
// with one gain in whole decibels per input channel and side.
//
// LSPMultiMix holds the two gain lists; apply() wraps a source in a new
// LSRCMultiMix, or returns the input itself when it is empty or failed.  A list
// shorter than the input's channel count leaves the remaining channels silent
// on that side; entries beyond the channel count are kept but never used.
// Gains come from the decibel table (LDB), so -127 dB mutes and anything above
// +42 dB saturates.
#include <array>
#include <cstdint>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix {

struct LGainList {
    uint8_t count = 0;               // entries in use, 0 ... 255
    std::array<int8_t, 256> db{};    // one level per input channel

    LGainList() = default;
    // Takes at most 255 entries.
    explicit LGainList(const std::vector<int8_t>& levels);
};

class LSPMultiMix : public LSoundProcess {
public:
    LSPMultiMix(LGainList left, LGainList right) : left_(left), right_(right) {}
    LSoundSource apply(const LSoundSource& input) const override;

private:
    LGainList left_;
    LGainList right_;
};

// Two output channels; position and length are the inner source's.  Reads of
// any size work (the input is pulled in pieces of at most 16384 samples).
// In the error state a read writes nothing.
class LSRCMultiMix : public LSoundProcessBase {
public:
    static constexpr int kInputSamples = 16384;

    LSRCMultiMix(LSoundSource inner, const LGainList& left, const LGainList& right);
    void read(int32_t* buffer, int32_t frames) override;

    int32_t leftGain(int channel) const { return leftGain_[channel]; }
    int32_t rightGain(int channel) const { return rightGain_[channel]; }

private:
    void mixBlock(int32_t* out, int32_t frames);

    std::array<int32_t, 256> leftGain_{};   // Q24 per input channel
    std::array<int32_t, 256> rightGain_{};
    std::vector<int32_t> input_;            // kInputSamples, allocated once
};

}  // namespace typix
