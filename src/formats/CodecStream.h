#pragma once
// The decoder interface behind codec wave files: a conversion stream from one
// wave format (format tag, channels, rate, block align, extra bytes) to 16-bit
// interleaved PCM with the same channels and rate.  Its operations are those
// a block codec needs: open for a format pair, size query by destination,
// convert with start / block-align / end flags, close (the destructor).
//
// Implemented over libavcodec: the format tag picks the decoder through
// libavformat's RIFF tag table.  Whole blocks are fed as packets; MPEG audio
// and similar streams without fixed blocks go through the codec's parser.
// Decoded audio that does not fit the caller's buffer is kept and delivered
// first by the next conversion, so no sample is lost.
//
// Ownership: owns the decoder context.  One thread at a time.  Nothing throws;
// undecodable packets are skipped as the decoder library's own tools do.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace typix {

// How a conversion treats its input.
enum class CodecConvert {
    kBlockAlign,  // decode only whole blocks; a partial block stays for later
    kEnd,         // the data is exhausted: decode everything and drain the codec
};

// One packet found by scanning a parsed stream: its bytes and frames.
struct CodecPacket {
    int64_t bytes = 0;
    int64_t frames = 0;
};

struct CodecConvertResult {
    int64_t inputUsed = 0;      // bytes of the input the codec took
    int64_t outputSamples = 0;  // 16-bit samples written (frames * channels)
};

// What the wave format says, in host order.
struct CodecWaveFormat {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::vector<uint8_t> extra;  // the cbSize bytes after the 18-byte header

    // Parses the "fmt " chunk bytes; false when shorter than 14 bytes.  The
    // extra bytes are cut to what the chunk really holds.  An extensible
    // format (0xFFFE) reports the tag of its sub-format.
    bool parse(const std::vector<uint8_t>& chunk);
};

class CodecStream {
public:
    // Every input offered to convert() or scanPackets() must be followed by
    // this many readable bytes, best zero: the decoder library's parsers and
    // bit readers may look that far past the end of their input.
    static constexpr int64_t kInputPadding = 64;

    // Opens a decoder for `format` producing 16-bit PCM with its channels and
    // rate.  Null when the tag has no decoder here or the decoder refuses it.
    static std::unique_ptr<CodecStream> open(const CodecWaveFormat& format);
    // The decoder's short name for a tag, "" when none exists.
    static std::string decoderNameFor(uint16_t tag, uint16_t bitsPerSample);
    ~CodecStream();
    CodecStream(const CodecStream&) = delete;
    CodecStream& operator=(const CodecStream&) = delete;

    std::string name() const;
    // Compressed bytes that yield about `outputFrames` frames, a whole number
    // of blocks and never less than one block; 0 when nothing is known.
    int64_t inputSizeFor(int64_t outputFrames) const;
    // Frames in every whole block when the codec's blocks all decode to the
    // same count (ADPCM, GSM, A-law...); 0 for streams of varying frames.
    int64_t framesPerBlock() const { return framesPerBlock_; }
    // Frames that must be decoded and dropped before a seek target so that the
    // codec's running state matches a decoding from the start; 0 when every
    // block decodes on its own.
    int64_t seekRunInFrames() const { return runInFrames_; }
    bool usesParser() const;

    // Decodes from `input` into `output` (room for `outputSamples` samples).
    // Audio kept from the previous call comes first.  Input the codec could
    // not use yet (a partial block under kBlockAlign, or everything once the
    // output is full) is left unused for the caller to offer again.
    CodecConvertResult convert(const uint8_t* input, int64_t inputBytes, int16_t* output,
                               int64_t outputSamples, CodecConvert flag);
    // Forgets kept audio, partial packets and the codec's running state
    // (the "start" conversion).
    void reset();
    // For parsed streams: splits consecutive data into packets, with a parser
    // of its own that keeps its place between calls; `end` flushes the last
    // packet.  The packets' bytes add up to the data offered.
    void scanPackets(const uint8_t* data, int64_t bytes, bool end, std::vector<CodecPacket>& packets);

private:
    struct Impl;
    explicit CodecStream(std::unique_ptr<Impl> impl);
    void planPackets();
    bool nextPacket(const uint8_t* input, int64_t inputBytes, CodecConvert flag, int64_t& used);
    int sendParsedPacket(const uint8_t* input, int64_t inputBytes, bool end, int64_t& used);
    int sendBlockPacket(const uint8_t* input, int64_t inputBytes, bool end, int64_t& used);
    bool receiveInto(int16_t* output, int64_t outputSamples, int64_t& written);
    void keepFrame(int16_t* output, int64_t outputSamples, int64_t& written);

    std::unique_ptr<Impl> impl_;
    std::vector<int16_t> kept_;
    size_t keptTaken_ = 0;
    int64_t framesPerBlock_ = 0;
    int64_t runInFrames_ = 0;
};

// Interleaves one decoded frame into 16-bit samples, converting the decoder's
// sample format as the decoder library's resampler does (float: rounded and
// clipped; 32-bit: top 16 bits; 8-bit: unsigned to signed).  `format` is an
// AVSampleFormat value; false for a format it does not know.
bool codecInterleaveS16(int format, const uint8_t* const* planes, int channels, int frames,
                        int16_t* out);

}  // namespace typix
