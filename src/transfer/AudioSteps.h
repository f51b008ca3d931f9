#pragma once
// The audio steps shared by the package import and the wave import: copying
// a source into a 16-bit PCM wave in 8192-frame blocks, bringing one segment
// to mono, and merging mono segments into the channels of one file.
//
// Every step runs on the calling thread, polls `stop` after each block and
// leaves no file open.  What a step reports tells undecodable input apart
// from a failure to write the output (a full disk, a folder that cannot be
// written), because the caller keeps the input in the second case only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace typix {

enum class AudioOutcome { Ok, Undecodable, OutputFailed, Stopped };

using StopTest = std::function<bool()>;
// Called after every full block with the number of blocks written so far.
using BlockReport = std::function<void(int blocks)>;

inline constexpr int32_t kCopyBlockFrames = 8192;

// Opens `input` as a wave file (PCM or codec) and writes it to `output` as
// 16-bit PCM, keeping rate and channels (`toMono`: one channel instead).  A
// partial output is deleted on any outcome but Ok.
AudioOutcome convertWave(const std::string& input, const std::string& output, bool toMono,
                         const StopTest& stop, const BlockReport& report = {});

// Merges mono waves into one 16-bit wave at `output`: every input is brought
// to one channel and to the common rate (the rate of the last input that
// opens; 22050 when none opens), channel k taken from inputs[k].  The output
// ends where the first input ends.  A partial output is deleted unless Ok.
AudioOutcome mergeChannels(const std::vector<std::string>& inputs, const std::string& output,
                           const StopTest& stop);

// A new empty file "tmpXXXXXX" in the system temporary folder; "" on failure.
std::string makeTempFile();

}  // namespace typix
