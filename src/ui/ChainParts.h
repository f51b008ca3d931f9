#pragma once
// The stages from which the transport builds its playback chain: the audio
// file source, the channel mix and the speed change.  The program uses the
// real stages (defaultChainParts()); a test may wrap them to see which stages
// a chain got.  Interface thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sound/LSoundSource.h"

namespace typix {

struct ChainParts {
    // Opens an audio file as a source (empty or failed when it can't be read).
    std::function<LSoundSource(const std::string& path)> openAudio;
    // Mixes the source's channels to two with one gain (dB) per channel and side.
    std::function<LSoundSource(const LSoundSource&, const std::vector<int8_t>& left,
                               const std::vector<int8_t>& right)> mix;
    // Changes speed from `startRatio` to `endRatio` over `rampTime` (1/10000 s).
    std::function<LSoundSource(const LSoundSource&, double startRatio, double endRatio,
                               int32_t rampTime)> speed;
    // Removes rumble and evens out loud and quiet passages (clear voice).
    std::function<LSoundSource(const LSoundSource&)> clearVoice;
};

ChainParts defaultChainParts();

}  // namespace typix
