#include "ui/ChainParts.h"

#include "dsp/LSRCClearVoice.h"
#include "dsp/LSRCSpeed.h"
#include "formats/OpenWaveFile.h"
#include "sound/LSPMultiMix.h"

namespace typix {

ChainParts defaultChainParts() {
    ChainParts parts;
    parts.openAudio = [](const std::string& path) { return openWaveFile(path); };
    parts.mix = [](const LSoundSource& input, const std::vector<int8_t>& left,
                   const std::vector<int8_t>& right) {
        return LSPMultiMix(LGainList(left), LGainList(right)).apply(input);
    };
    parts.speed = [](const LSoundSource& input, double startRatio, double endRatio,
                     int32_t rampTime) {
        return LSPSpeed(startRatio, endRatio, rampTime).apply(input);
    };
    parts.clearVoice = [](const LSoundSource& input) { return LSPClearVoice().apply(input); };
    return parts;
}

}  // namespace typix
