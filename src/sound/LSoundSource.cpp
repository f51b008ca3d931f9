#include "sound/LSoundSource.h"

#include <cstring>

namespace typix {

LSoundSourceBase::LSoundSourceBase(int32_t sampleRate, int32_t peakLevel, int channels)
    : sampleRate_(sampleRate), peakLevel_(peakLevel), channels_(1) {
    setFormat(sampleRate, peakLevel, channels);
}

void LSoundSourceBase::setFormat(int32_t sampleRate, int32_t peakLevel, int channels) {
    sampleRate_ = sampleRate;
    peakLevel_ = peakLevel;
    if (sampleRate_ <= 0) {
        setError();
        sampleRate_ = 44100;
    }
    // The count is stored in 8 bits: 256 and above would wrap, so they fail
    // like 0 instead of silently becoming a small count.
    if (channels < 1 || channels > 255) {
        setError();
        channels_ = 1;
    } else {
        channels_ = static_cast<uint8_t>(channels);
    }
}

void LSoundSource::read(int32_t* buffer, int32_t frames) const {
    if (p_) {
        p_->read(buffer, frames);
    } else if (frames > 0) {
        std::memset(buffer, 0, sizeof(int32_t) * static_cast<size_t>(frames));
    }
}

LSoundProcessBase::LSoundProcessBase(LSoundSource inner)
    : LSoundSourceBase(inner ? inner->sampleRate() : 44100,
                       inner ? inner->peakLevel() : kDefaultPeakLevel,
                       inner ? inner->channels() : 1),
      inner_(std::move(inner)) {
    if (!inner_.usable()) setError();
}

void LSoundProcessBase::setPosition(int32_t frame) {
    if (inner_) inner_->setPosition(frame);
}

int32_t LSoundProcessBase::getPosition() { return inner_ ? inner_->getPosition() : 0; }

int32_t LSoundProcessBase::getLength() { return inner_ ? inner_->getLength() : 0; }

}  // namespace typix
