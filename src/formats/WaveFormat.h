#pragma once
// Recognising a RIFF/WAVE file: the outer walk over RIFF forms, the chunk walk
// to the "fmt " and "data" chunks, and the format checks.  Also the 46-byte
// PCM header that the wave sinks write.
//
// readWaveHeader() leaves the file positioned at the first data byte on
// success.  On failure it says what failed and at which byte offset, for
// messages to a person (typixctl info); the caller closes the file.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/LFile.h"

namespace typix {

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
inline constexpr uint32_t kMaxWaveRate = 192000;
inline constexpr uint32_t kMinFormatBytes = 14;
inline constexpr uint32_t kMaxFormatBytes = 8192;
inline constexpr size_t kPcmHeaderBytes = 46;

struct WaveInfo {
    // The format tag that decides the reader: an extensible format whose
    // sub-format is PCM counts as PCM (tag 1); every other tag goes to a codec.
    uint16_t formatTag = 0;
    uint16_t fileFormatTag = 0;   // the tag as stored in the file
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;   // from the block align when the chunk has no such field
    std::vector<uint8_t> format;  // the whole "fmt " chunk as stored
    uint32_t dataBytes = 0;       // as the data chunk's size field says
    int64_t dataStart = 0;        // file offset of the first data byte

    std::string error;            // empty on success
    int64_t errorOffset = -1;     // byte offset where the failure was found

    bool isPcm() const { return formatTag == kWaveFormatPcm; }
};

// Walks an open file from its start.  False (with info.error set) when the
// file is not a usable wave file.
bool readWaveHeader(LFile& file, WaveInfo& info);

// The PCM header for `frames` frames; sizes that would not fit 32 bits saturate.
std::array<uint8_t, kPcmHeaderBytes> makePcmWaveHeader(int channels, int32_t sampleRate,
                                                       int bytesPerSample, int32_t frames);

}  // namespace typix
