#include "sound/ProgramVolume.h"

#include <cmath>
#include <cstring>

#include "dsp/SplitProduct.h"
#include "sound/SampleTypes.h"

namespace typix {

int32_t programGainQ24(int levelDb) {
    if (levelDb < -126) return 0;
    if (levelDb == 0) return kUnityGainQ24;
    const double gain = std::round(16777216.0 * std::pow(10.0, levelDb / 20.0));
    return gain >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(gain);
}

void applyProgramGain(const int16_t* in, int16_t* out, size_t count, int32_t gainQ24) {
    if (gainQ24 == kUnityGainQ24) {
        if (in != out) std::memmove(out, in, count * sizeof(int16_t));
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        out[i] = LSF16::fromInternal(splitProductQ24(LSF16::toInternal(in[i]), gainQ24));
    }
}

void applyProgramGain(int32_t* samples, size_t count, int32_t gainQ24) {
    if (gainQ24 == kUnityGainQ24) return;
    for (size_t i = 0; i < count; ++i) samples[i] = splitProductQ24(samples[i], gainQ24);
}

}  // namespace typix
