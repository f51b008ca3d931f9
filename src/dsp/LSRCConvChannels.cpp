#include "dsp/LSRCConvChannels.h"

#include <algorithm>
#include <new>

namespace typix {

LSRCConvChannels::LSRCConvChannels(LSoundSource inner, int targetChannels)
    : LSoundProcessBase(std::move(inner)), innerChannels_(channels()) {
    // The channel count is one byte; a wider target cannot be represented.
    const bool representable = targetChannels >= 0 && targetChannels <= 255;
    setFormat(sampleRate(), peakLevel(), representable ? targetChannels : 0);
    if (isError()) return;
    try {
        scratch_.assign(static_cast<size_t>(innerChannels_) * kBlockFrames, 0);
    } catch (const std::bad_alloc&) {
        setError();
    }
}

void LSRCConvChannels::read(int32_t* buffer, int32_t frames) {
    if (isError()) return;
    const size_t out = channels();
    for (int32_t done = 0; done < frames;) {
        const int32_t n = std::min(frames - done, kBlockFrames);
        inner_.read(scratch_.data(), n);
        convert(scratch_.data(), buffer + out * static_cast<size_t>(done), n);
        done += n;
    }
}

void LSRCConvStereoMono::convert(const int32_t* in, int32_t* out, int32_t frames) const {
    for (int32_t i = 0; i < frames; ++i) out[i] = in[2 * i];
}

void LSRCConvMonoStereo::convert(const int32_t* in, int32_t* out, int32_t frames) const {
    for (int32_t i = 0; i < frames; ++i) out[2 * i] = out[2 * i + 1] = in[i];
}

void LSRCConvChannelsN::convert(const int32_t* in, int32_t* out, int32_t frames) const {
    const int b = innerChannels();
    const int c = channels();
    for (int32_t i = 0; i < frames; ++i) {
        const int32_t* frame = in + static_cast<ptrdiff_t>(i) * b;
        for (int ch = 0; ch < c; ++ch) out[static_cast<ptrdiff_t>(i) * c + ch] = frame[ch % b];
    }
}

LSoundSource LSPConvChannels::apply(const LSoundSource& input) const {
    if (!input.usable() || input->channels() == 0 || targetChannels_ == 0 ||
        input->channels() == targetChannels_)
        return input;
    if (targetChannels_ == 1 && input->channels() == 2) return makeSource<LSRCConvStereoMono>(input);
    if (targetChannels_ == 2 && input->channels() == 1) return makeSource<LSRCConvMonoStereo>(input);
    return makeSource<LSRCConvChannelsN>(input, targetChannels_);
}

}  // namespace typix
