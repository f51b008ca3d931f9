#include "formats/LSRCACMWave.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "formats/CodecStream.h"

namespace typix {

namespace {

int32_t clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

uint32_t formatField(const std::vector<uint8_t>& format, size_t offset, size_t size) {
    uint32_t v = 0;
    for (size_t i = 0; i < size && offset + i < format.size(); ++i) v |= static_cast<uint32_t>(format[offset + i]) << (8 * i);
    return v;
}

int32_t rateOf(const std::vector<uint8_t>& format) {
    return format.size() >= 8 ? clamp32(formatField(format, 4, 4)) : 0;
}

// More than 255 channels cannot be carried by a source: reported as none,
// which puts the source in the error state.
int channelsOf(const std::vector<uint8_t>& format) {
    const uint32_t channels = format.size() >= 4 ? formatField(format, 2, 2) : 0;
    return channels <= 255 ? static_cast<int>(channels) : 0;
}

}  // namespace

int64_t codecBytesForFrames(int64_t frames, int32_t rate, int32_t byteRate) {
    if (rate == 0) return frames;
    return frames / rate * byteRate + (frames % rate) * byteRate / rate;
}

int64_t codecFramesForBytes(int64_t bytes, int32_t rate, int32_t byteRate) {
    if (byteRate == 0) return bytes;
    return bytes / byteRate * rate + (bytes % byteRate) * rate / byteRate;
}

LSRCACMWave::LSRCACMWave(LReadFile file, std::vector<uint8_t> format, uint32_t dataBytes)
    : LSoundSourceBase(rateOf(format), kPeakLevel, channelsOf(format)),
      file_(std::move(file)),
      dataBytes_(dataBytes) {
    openStream(format);
    length_ = clamp32(framesIn(dataBytes_));
    const int64_t here = file_.isOpen() ? file_.tell() : -1;
    dataStart_ = std::max<int64_t>(here, 0);
    if (!stream_ || here < 0) setError();
}

LSRCACMWave::~LSRCACMWave() = default;

void LSRCACMWave::openStream(const std::vector<uint8_t>& format) {
    CodecWaveFormat f;
    if (!f.parse(format)) return;
    formatTag_ = f.tag;
    formatRate_ = clamp32(f.rate);
    formatByteRate_ = clamp32(f.byteRate);
    formatBlockAlign_ = f.blockAlign;
    formatBits_ = f.bitsPerSample;
    if (!file_.isOpen() || isError()) return;
    stream_ = CodecStream::open(f);
    if (!stream_) return;
    inputSize_ = stream_->inputSizeFor(kOutputFrames);
    if (inputSize_ <= 0) {
        stream_.reset();
        return;
    }
    framesPerBlock_ = stream_->framesPerBlock();
    outputSize_ = int64_t{channels()} * 2 * kOutputFrames;
    input_.resize(static_cast<size_t>(inputSize_ + CodecStream::kInputPadding));
    output_.resize(static_cast<size_t>(outputSize_ / 2));
}

std::string LSRCACMWave::codecName() const {
    return stream_ ? stream_->name() : CodecStream::decoderNameFor(formatTag_, formatBits_);
}

int64_t LSRCACMWave::framesIn(int64_t bytes) const {
    if (framesPerBlock_ > 0 && formatBlockAlign_ > 0) {
        const int64_t partial = bytes % formatBlockAlign_;
        return bytes / formatBlockAlign_ * framesPerBlock_ + partial * framesPerBlock_ / formatBlockAlign_;
    }
    return codecFramesForBytes(bytes, formatRate_, formatByteRate_);
}

void LSRCACMWave::read(int32_t* buffer, int32_t frames) {
    const int32_t old = position_;
    position_ = clamp32(int64_t{position_} + frames);
    if (isError() || frames <= 0) return;
    const int64_t samples = int64_t{frames} * channels();
    int64_t need = samples * 2;  // bytes of 16-bit audio still owed
    int32_t* out = buffer;
    if (old < 0) {
        if (position_ < 1) {
            std::fill_n(out, samples, 0);
            return;
        }
        const int64_t zeros = -int64_t{old} * channels();
        out = std::fill_n(out, zeros, 0);
        need -= zeros * 2;
    }
    for (;;) {
        takeDecoded(out, need);
        if (need <= 1) return;
        if (atEnd_) {
            std::fill_n(out, need / 2, 0);
            return;
        }
        decodeMore(need);
    }
}

// Decoded 16-bit samples to the internal scale (value << 4).
void LSRCACMWave::takeDecoded(int32_t*& out, int64_t& need) {
    const int64_t take = std::min(outputUsed_ - outputTaken_, need / 2);
    const int16_t* from = output_.data() + outputTaken_;
    for (int64_t i = 0; i < take; ++i) out[i] = int32_t{from[i]} * 16;
    out += take;
    need -= take * 2;
    outputTaken_ += take;
}

// Reads compressed bytes up to the input size, never past the data chunk.
// A read error or a file shorter than its data chunk ends the data there.
int64_t LSRCACMWave::fillInput() {
    const int64_t want = std::min(inputSize_ - inputWaiting_, dataBytes_ - consumed_);
    if (want <= 0) return 0;
    const ssize_t got = file_.read(input_.data() + inputWaiting_, static_cast<size_t>(want));
    const int64_t came = std::max<int64_t>(got, 0);
    consumed_ += came;
    if (came < want) dataBytes_ = consumed_;
    return came;
}

void LSRCACMWave::decodeMore(int64_t need) {
    inputWaiting_ += fillInput();
    std::memset(input_.data() + inputWaiting_, 0, CodecStream::kInputPadding);
    const int64_t frameBytes = int64_t{channels()} * 2;
    length_ = clamp32(position_ + framesIn(dataBytes_ + inputWaiting_ - consumed_) - need / frameBytes);
    const bool ending = inputWaiting_ < inputSize_;
    const CodecConvertResult r =
        stream_->convert(input_.data(), inputWaiting_, output_.data(), static_cast<int64_t>(output_.size()),
                         ending ? CodecConvert::kEnd : CodecConvert::kBlockAlign);
    outputUsed_ = r.outputSamples;
    outputTaken_ = 0;
    const int64_t decoded = r.outputSamples * 2;
    const bool stuck = r.outputSamples == 0 && r.inputUsed == 0;
    if ((ending && decoded < need && decoded < outputSize_) || stuck) {
        // The codec has given its last output, so the length is now exact.
        atEnd_ = true;
        lengthExact_ = true;
        length_ = clamp32(position_ - (need - decoded) / frameBytes);
    }
    inputWaiting_ -= r.inputUsed;
    if (inputWaiting_ > 0) std::memmove(input_.data(), input_.data() + r.inputUsed, static_cast<size_t>(inputWaiting_));
}

void LSRCACMWave::resetDecoding() {
    inputWaiting_ = 0;
    outputUsed_ = 0;
    outputTaken_ = 0;
    stream_->reset();
    consumed_ = 0;
    atEnd_ = false;
}

void LSRCACMWave::moveFileTo(int64_t dataOffset) {
    consumed_ = dataOffset;
    if (file_.seek(dataStart_ + dataOffset, SEEK_SET) < 0) dataBytes_ = consumed_;
}

void LSRCACMWave::setPosition(int32_t frame) {
    if (isError()) return;
    resetDecoding();
    if (frame <= 0) {
        moveFileTo(0);
    } else if (lengthExact_ && frame >= length_) {
        moveFileTo(std::min(dataBytes_, codecBytesForFrames(length_, formatRate_, formatByteRate_)));
        atEnd_ = true;
    } else {
        seekToBlockFor(frame);
    }
    position_ = frame;
}

// Starts decoding at the start of the block that holds `frame` (earlier by the
// codec's run-in when its blocks depend on the ones before) and decodes and
// drops the frames up to `frame`.
void LSRCACMWave::seekToBlockFor(int32_t frame) {
    const int64_t start = std::max<int64_t>(0, int64_t{frame} - stream_->seekRunInFrames());
    int64_t offset = 0;
    int64_t blockFrame = 0;
    if (framesPerBlock_ > 0) {
        const int64_t block = start / framesPerBlock_;
        offset = block * formatBlockAlign_;
        blockFrame = block * framesPerBlock_;
    } else if (stream_->usesParser()) {
        const PacketStart p = packetStartFor(start);
        offset = p.offset;
        blockFrame = p.frame;
    } else {
        offset = codecBytesForFrames(start, formatRate_, formatByteRate_);
        if (formatBlockAlign_ > 0) offset -= offset % formatBlockAlign_;
        blockFrame = codecFramesForBytes(offset, formatRate_, formatByteRate_);
    }
    if (offset >= dataBytes_) {
        moveFileTo(dataBytes_);
        atEnd_ = true;
        return;
    }
    moveFileTo(offset);
    position_ = clamp32(blockFrame);
    scratch_.resize(static_cast<size_t>(kOutputFrames) * channels());
    for (int64_t left = frame - blockFrame; left > 0 && !atEnd_;) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(left, kOutputFrames));
        read(scratch_.data(), n);
        left -= n;
    }
}

LSRCACMWave::PacketStart LSRCACMWave::packetStartFor(int64_t frame) {
    scanPacketsTo(frame);
    auto after = std::upper_bound(packetStarts_.begin(), packetStarts_.end(), frame,
                                  [](int64_t f, const PacketStart& p) { return f < p.frame; });
    if (after == packetStarts_.begin()) return {0, 0};
    const PacketStart p = *(after - 1);
    // Past the last packet that starts a frame: the end of the data.
    if (scanDone_ && frame >= scannedFrames_) return {dataBytes_, scannedFrames_};
    return p;
}

// Reads the data from where the scan stopped until a packet starting after
// `frame` is known or the data ends.  The decoding's own file offset is
// restored by the seek that follows.
void LSRCACMWave::scanPacketsTo(int64_t frame) {
    constexpr int64_t kChunk = 64 * 1024;
    std::vector<uint8_t> chunk(kChunk + CodecStream::kInputPadding);
    std::vector<CodecPacket> packets;
    while (!scanDone_ && scannedFrames_ <= frame) {
        const int64_t want = std::min<int64_t>(kChunk, dataBytes_ - scannedBytes_);
        ssize_t got = 0;
        if (want > 0 && file_.seek(dataStart_ + scannedBytes_, SEEK_SET) >= 0)
            got = file_.read(chunk.data(), static_cast<size_t>(want));
        got = std::max<ssize_t>(got, 0);
        std::fill(chunk.begin() + got, chunk.end(), 0);
        scannedBytes_ += got;
        const bool end = got < want || scannedBytes_ >= dataBytes_;
        packets.clear();
        stream_->scanPackets(chunk.data(), got, end, packets);
        for (const CodecPacket& p : packets) {
            if (p.frames > 0) packetStarts_.push_back({scannedPacketBytes_, scannedFrames_});
            scannedPacketBytes_ += p.bytes;
            scannedFrames_ += p.frames;
        }
        scanDone_ = end;
    }
}

LSoundSource makeCodecWaveSource(LReadFile file, std::vector<uint8_t> format, uint32_t dataBytes) {
    return makeSource<LSRCACMWave>(std::move(file), std::move(format), dataBytes);
}

}  // namespace typix
