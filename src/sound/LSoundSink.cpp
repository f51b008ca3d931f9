#include "sound/LSoundSink.h"

namespace typix {

LSoundSinkBase::LSoundSinkBase(int32_t sampleRate, int32_t peakLevel, int channels)
    : sampleRate_(sampleRate), peakLevel_(peakLevel), channels_(1) {
    if (channels < 1 || channels > 255) {
        setError();
    } else {
        channels_ = static_cast<uint8_t>(channels);
    }
}

}  // namespace typix
