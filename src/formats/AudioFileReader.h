#pragma once
// Reads any audio file that the decoder library opens (MP3, M4A/AAC, Ogg
// Vorbis, Opus, FLAC, WMA, AMR, WebM/Matroska, ...) as interleaved 16-bit PCM
// at the file's own rate and channels, one block at a time, so memory stays
// flat however long the file is.
//
// The first audio stream the library ranks best is read.  Should the stream
// change its rate or channel layout part-way (chained Ogg), the later audio
// is converted to the format of the start, so every sample read has one
// format.  Packets the decoder rejects are skipped, as the library's own
// tools do; a read error other than the end of the file ends the stream and
// sets failed().
//
// Ownership: owns the open file and the decoder.  One thread at a time.
// Nothing throws.
#include <cstdint>
#include <memory>
#include <string>

namespace typix {

struct AudioFileInfo {
    int32_t sampleRate = 0;
    int channels = 0;
    std::string title;   // the title tag, "" when the file has none
    std::string artist;  // the artist (or author) tag, "" when none
    std::string codec;   // the decoder's short name
    double seconds = 0;  // the container's duration estimate, 0 when unknown
};

class AudioFileReader {
public:
    // Null when the file cannot be opened, holds no audio stream, or has no
    // decoder here; `why` then says which (when given).
    static std::unique_ptr<AudioFileReader> open(const std::string& path,
                                                 std::string* why = nullptr);
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    const AudioFileInfo& info() const { return info_; }

    // Writes up to `frames` frames into `out` (room for frames * channels
    // samples).  Returns the frames written: fewer only at the end of the
    // stream, 0 once it is over.
    int64_t read(int16_t* out, int64_t frames);
    // True when the stream ended on a read or conversion error rather than at
    // the end of the file.
    bool failed() const { return failed_; }

private:
    struct Impl;
    explicit AudioFileReader(std::unique_ptr<Impl> impl);
    bool refill();
    bool decodeNext();
    bool convertFrame();

    std::unique_ptr<Impl> impl_;
    AudioFileInfo info_;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace typix
