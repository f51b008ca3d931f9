#include "sound/LSPMultiMix.h"

#include <algorithm>

#include "sound/LDB.h"

namespace typix {

LGainList::LGainList(const std::vector<int8_t>& levels) {
    count = static_cast<uint8_t>(std::min<size_t>(levels.size(), 255));
    std::copy_n(levels.begin(), count, db.begin());
}

LSoundSource LSPMultiMix::apply(const LSoundSource& input) const {
    if (!input.usable()) return input;
    return makeSource<LSRCMultiMix>(input, left_, right_);
}

namespace {

void fillGains(std::array<int32_t, 256>& gains, const LGainList& list, int channels) {
    for (int i = 0; i < list.count; ++i) gains[i] = LDB::amplitude(list.db[i]);
    for (int i = list.count; i < channels; ++i) gains[i] = 0;
}

}  // namespace

LSRCMultiMix::LSRCMultiMix(LSoundSource inner, const LGainList& left, const LGainList& right)
    : LSoundProcessBase(std::move(inner)), input_(kInputSamples) {
    const int inputChannels = channels();
    setFormat(sampleRate(), peakLevel(), 2);
    fillGains(leftGain_, left, inputChannels);
    fillGains(rightGain_, right, inputChannels);
}

void LSRCMultiMix::read(int32_t* buffer, int32_t frames) {
    if (isError() || frames <= 0) return;
    const int inputChannels = inner_->channels();
    const int32_t perBlock = kInputSamples / inputChannels;
    while (frames > 0) {
        const int32_t n = std::min(frames, perBlock);
        mixBlock(buffer, n);
        buffer += 2 * static_cast<size_t>(n);
        frames -= n;
    }
}

void LSRCMultiMix::mixBlock(int32_t* out, int32_t frames) {
    const int c = inner_->channels();
    inner_.read(input_.data(), frames);
    const int32_t* in = input_.data();
    for (int32_t i = 0; i < frames; ++i, in += c) {
        int32_t left = LDB::mul(leftGain_[0], in[0]);
        int32_t right = LDB::mul(rightGain_[0], in[0]);
        for (int j = 1; j < c; ++j) {
            // Wrapping sum, as 32-bit arithmetic: loud mixes wrap, never trap.
            left = static_cast<int32_t>(static_cast<uint32_t>(left) +
                                        static_cast<uint32_t>(LDB::mul(leftGain_[j], in[j])));
            right = static_cast<int32_t>(static_cast<uint32_t>(right) +
                                         static_cast<uint32_t>(LDB::mul(rightGain_[j], in[j])));
        }
        out[2 * i] = left;
        out[2 * i + 1] = right;
    }
}

}  // namespace typix
