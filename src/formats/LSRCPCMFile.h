#pragma once
// PCM wave file sources, one per on-disk sample type.
//
// The source owns its file, opened for reading while others may keep writing
// it: when a read or a seek reaches the end it knows, it re-reads the data
// size from the header (refresh length), so a file that a sink is still
// writing plays as far as the writer's last header.
//
// Reads follow the graph's contract: silence before the start and past the
// end, the position always advancing by the frames asked for.  Reads of any
// size work; the file is read in pieces of at most 8192 frames through a buffer
// allocated at construction.  Used by one thread at a time.
//
// Besides the file buffer there is a read-ahead window: the converted samples
// of up to 8192 frames below the known length, and a read that falls inside
// it is served without a system call or a second conversion.  A speed stage reads overlapping stretches (each
// block, then the half block after it, then a step back), so most of its reads
// land in the window.  Reads go to the file at the position's own offset; a
// seek costs nothing until the next read.  The window is dropped whenever the
// length is read again from the header, so a reader of a growing file sees
// each header's worth of new audio as before.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/LSoundSource.h"
#include "sound/SampleTypes.h"
#include "support/LFile.h"

namespace typix {

class LSRCPCMFileBase : public LSoundSourceBase {
public:
    static constexpr int32_t kBufferFrames = 8192;

    void setPosition(int32_t frame) override;
    int32_t getPosition() override { return position_; }
    int32_t getLength() override;

    int bytesPerSample() const { return bytesPerSample_; }

protected:
    using Convert = void (*)(const uint8_t* in, int32_t* out, size_t count);

    // `file` is positioned at the first data byte.  Rate <= 0 or no channels
    // set the error state (base rules).
    LSRCPCMFileBase(LReadFile file, int32_t sampleRate, int channels, uint32_t dataBytes,
                    int bytesPerSample, int32_t peakLevel);
    void readWith(int32_t* buffer, int32_t frames, Convert convert);

private:
    int64_t frameBytes() const { return int64_t{channels()} * bytesPerSample_; }
    int32_t framesFor(uint32_t dataBytes) const;
    void refreshLength();
    int64_t readFromFile(int32_t* out, int64_t from, int64_t frames, Convert convert);
    // Loads up to kBufferFrames frames from `from`, not beyond the known
    // length; false when the file holds no whole frame there.
    bool fillWindow(int64_t from, Convert convert);

    LReadFile file_;
    int64_t dataStart_ = 0;
    int64_t sizeFieldOffset_ = 0;
    int32_t position_ = 0;
    int32_t length_ = 0;
    int bytesPerSample_;
    std::vector<uint8_t> buffer_;   // bytes as read from the file
    std::vector<int32_t> window_;   // the same frames converted
    int64_t windowStart_ = 0;   // first frame held in window_
    int64_t windowFrames_ = 0;  // whole frames held; 0 = empty
};

template <class T>
class LSRCPCMFile : public LSRCPCMFileBase {
public:
    LSRCPCMFile(LReadFile file, int32_t sampleRate, int channels, uint32_t dataBytes)
        : LSRCPCMFileBase(std::move(file), sampleRate, channels, dataBytes, T::kBytes,
                          T::kPeakLevel) {}

    void read(int32_t* buffer, int32_t frames) override {
        readWith(buffer, frames,
                 static_cast<void (*)(const uint8_t*, int32_t*, size_t)>(&T::toInternal));
    }
};

}  // namespace typix
