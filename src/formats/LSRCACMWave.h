#pragma once
// A wave file whose format tag is not PCM, decoded to 16-bit PCM with the
// file's own channels and rate through a codec of the system's decoder
// library (see CodecStream.h), and delivered as a sound source.
//
// Ownership: the source owns the file and the decoder and releases both in its
// destructor.  Threads: used by one thread at a time, like every source.
// Failure: when no decoder exists for the format tag, or it refuses the
// format, the source is still made but carries the error bit; it then writes
// nothing on read and reports the length estimated from the byte rate.
// Read errors end the decoding as the end of the data does.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/LSoundSource.h"
#include "support/LFile.h"

namespace typix {

class CodecStream;

// Byte/frame conversions from a format's rate R and average byte rate B, in
// this exact integer order: bytes = f / R * B + (f % R) * B / R (f when R is
// 0); frames = b / B * R + (b % B) * R / B (b when B is 0).  The products are
// formed in 64 bits so that high rates cannot overflow.
int64_t codecBytesForFrames(int64_t frames, int32_t rate, int32_t byteRate);
int64_t codecFramesForBytes(int64_t bytes, int32_t rate, int32_t byteRate);

class LSRCACMWave : public LSoundSourceBase {
public:
    // The largest 16-bit sample in the internal scale: 32767 << 4.
    static constexpr int32_t kPeakLevel = 524272;
    // Every conversion delivers at most this many frames.
    static constexpr int32_t kOutputFrames = 8192;

    // `file` is positioned at the first byte of the data chunk, `format` holds
    // the whole "fmt " chunk (the wave format header and its extra bytes) and
    // `dataBytes` is the size of the data chunk.
    LSRCACMWave(LReadFile file, std::vector<uint8_t> format, uint32_t dataBytes);
    ~LSRCACMWave() override;

    void read(int32_t* buffer, int32_t frames) override;
    // Exact to the frame: decoding restarts at the block holding `frame` and
    // the frames before it in that block are decoded and dropped.  Codecs
    // whose blocks depend on earlier ones start up to 8192 frames earlier so
    // that their state settles (speech settles exactly; a steady tone through
    // GSM may keep a small difference in level).
    void setPosition(int32_t frame) override;
    int32_t getPosition() override { return position_; }
    // An estimate until the end has been decoded, exact after: from whole
    // blocks when every block decodes to the same frame count (a file's byte
    // rate can be far off), else from the format's byte rate.
    int32_t getLength() override { return length_; }

    // The decoder's short name ("adpcm_ima_wav"), or "" when there is none.
    std::string codecName() const;
    uint16_t formatTag() const { return formatTag_; }
    bool atEnd() const { return atEnd_; }

private:
    void openStream(const std::vector<uint8_t>& format);
    void takeDecoded(int32_t*& out, int64_t& need);
    void decodeMore(int64_t need);
    int64_t fillInput();
    void resetDecoding();
    void seekToBlockFor(int32_t frame);
    void moveFileTo(int64_t dataOffset);
    // Frames in `bytes` of the data; by whole blocks when every block decodes
    // to the same number of frames, else from the format's byte rate.
    int64_t framesIn(int64_t bytes) const;
    // Parsed streams (MPEG audio) have no fixed blocks: their packet starts
    // are found by scanning the data once, as far as a seek needs.
    struct PacketStart {
        int64_t offset;
        int64_t frame;
    };
    PacketStart packetStartFor(int64_t frame);
    void scanPacketsTo(int64_t frame);

    LReadFile file_;
    int64_t dataBytes_ = 0;
    int64_t consumed_ = 0;
    int64_t dataStart_ = 0;
    std::unique_ptr<CodecStream> stream_;
    std::vector<uint8_t> input_;    // compressed bytes, inputWaiting_ of them valid
    std::vector<int16_t> output_;   // decoded samples, outputTaken_ .. outputUsed_ not yet delivered
    std::vector<int32_t> scratch_;  // frames decoded and dropped by a seek
    std::vector<PacketStart> packetStarts_;
    int64_t scannedBytes_ = 0;       // data read by the packet scan
    int64_t scannedPacketBytes_ = 0; // data handed out as packets by the scan
    int64_t scannedFrames_ = 0;
    bool scanDone_ = false;
    int64_t inputWaiting_ = 0;
    int64_t outputUsed_ = 0;
    int64_t outputTaken_ = 0;
    int64_t inputSize_ = 0;
    int64_t outputSize_ = 0;  // bytes: channels * 2 * kOutputFrames
    int64_t framesPerBlock_ = 0;
    int32_t formatRate_ = 0;
    int32_t formatByteRate_ = 0;
    uint16_t formatBlockAlign_ = 0;
    uint16_t formatTag_ = 0;
    uint16_t formatBits_ = 0;
    bool atEnd_ = false;
    bool lengthExact_ = false;
    int32_t position_ = 0;
    int32_t length_ = 0;
};

// The factory that open wave file calls for every format tag other than PCM.
// Always returns a source; test it with usable().
LSoundSource makeCodecWaveSource(LReadFile file, std::vector<uint8_t> format, uint32_t dataBytes);

}  // namespace typix
