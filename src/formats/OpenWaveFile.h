#pragma once
// The two ends of every chain that touches a wave file.
#include <cstdint>
#include <string>

#include "formats/LSNKPCMFile.h"
#include "formats/WaveFormat.h"
#include "sound/LSoundSink.h"
#include "sound/LSoundSource.h"

namespace typix {

// Opens and recognises a RIFF/WAVE file.  Empty when the file cannot be opened
// or is not a usable wave file; otherwise a PCM source (8-bit, 16-bit, packed
// 24-bit or 32-bit samples by the bits per sample: up to 8, 9 ... 16, 17 ...
// 24, above 24) or, for any other format tag, the codec source, which may be
// in the error state.  The source owns the file; callers test usable().
LSoundSource openWaveFile(const std::string& path);
// The same, also reporting what was found, or why the open failed and where.
LSoundSource openWaveFile(const std::string& path, WaveInfo& info);

// Creates (or reopens, keeping max(framesToKeep, 0) frames) a PCM wave file:
// bits 1 ... 8 write unsigned 8-bit samples, 9 ... 16 signed 16-bit, above 16
// signed 32-bit.  Empty for bits below 1; a sink in the error state when the
// file cannot be created (callers test usable()).
LSoundSink createPCMWaveFile(const std::string& path, int32_t sampleRate, int channels,
                             int bitsPerSample, int32_t framesToKeep = 0,
                             HeaderSync sync = HeaderSync::Periodic);

}  // namespace typix
