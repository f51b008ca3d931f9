#include "formats/LSRCPCMFile.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>

namespace typix {
namespace {

int32_t saturate32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

LSRCPCMFileBase::LSRCPCMFileBase(LReadFile file, int32_t sampleRate, int channels,
                                 uint32_t dataBytes, int bytesPerSample, int32_t peakLevel)
    : LSoundSourceBase(sampleRate, peakLevel, channels),
      file_(std::move(file)),
      bytesPerSample_(bytesPerSample) {
    dataStart_ = file_.isOpen() ? file_.tell() : 0;
    sizeFieldOffset_ = dataStart_ - 4;
    length_ = framesFor(dataBytes);
    buffer_.resize(static_cast<size_t>(frameBytes()) * kBufferFrames);
    if (file_.isOpen()) ::posix_fadvise(file_.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
}

int32_t LSRCPCMFileBase::framesFor(uint32_t dataBytes) const {
    return saturate32(static_cast<int64_t>(dataBytes / static_cast<uint64_t>(frameBytes())));
}

void LSRCPCMFileBase::refreshLength() {
    if (isError() || !file_.isOpen()) return;
    const int64_t offset = file_.tell();
    uint8_t field[4];
    file_.seek(sizeFieldOffset_, SEEK_SET);
    if (file_.read(field, 4) == 4) {
        const uint32_t bytes = uint32_t{field[0]} | (uint32_t{field[1]} << 8) |
                               (uint32_t{field[2]} << 16) | (uint32_t{field[3]} << 24);
        length_ = framesFor(bytes);
    }
    file_.seek(offset, SEEK_SET);
}

void LSRCPCMFileBase::readWith(int32_t* buffer, int32_t frames, Convert convert) {
    if (frames <= 0) return;
    const int c = channels();
    const int64_t start = position_;
    const int64_t end = start + frames;
    position_ = saturate32(end);
    const size_t total = static_cast<size_t>(frames) * static_cast<size_t>(c);
    size_t done = 0;
    if (!isError() && end > 0) {
        int64_t wanted = frames;
        if (start < 0) {
            done = static_cast<size_t>(-start) * static_cast<size_t>(c);
            std::memset(buffer, 0, done * sizeof(int32_t));
            wanted = end;
        }
        if (length_ < position_) refreshLength();
        if (length_ < position_) wanted = std::max<int64_t>(0, wanted - (position_ - length_));
        done += static_cast<size_t>(readFromFile(buffer + done, wanted, convert)) *
                static_cast<size_t>(c);
    }
    std::memset(buffer + done, 0, (total - done) * sizeof(int32_t));
}

// Reads up to `frames` whole frames at the current file offset and converts
// them; returns the frames delivered.  A partial frame at the end of what the
// file holds is not delivered and the offset steps back over it, so the
// channels stay in step if the file grows later.
int64_t LSRCPCMFileBase::readFromFile(int32_t* out, int64_t frames, Convert convert) {
    const int64_t fb = frameBytes();
    int64_t delivered = 0;
    while (delivered < frames) {
        const int64_t piece = std::min<int64_t>(frames - delivered, kBufferFrames);
        const ssize_t got = file_.read(buffer_.data(), static_cast<size_t>(piece * fb));
        if (got <= 0) break;
        const int64_t whole = got / fb;
        if (got % fb != 0) file_.seek(-(got % fb), SEEK_CUR);
        convert(buffer_.data(), out + delivered * channels(),
                static_cast<size_t>(whole * channels()));
        delivered += whole;
        if (whole < piece) break;
    }
    return delivered;
}

void LSRCPCMFileBase::setPosition(int32_t frame) {
    if (isError()) return;
    position_ = frame;
    int64_t target = 0;
    if (frame > 0) {
        if (frame > length_) refreshLength();
        target = std::min(frame, length_);
    }
    file_.seek(dataStart_ + target * frameBytes(), SEEK_SET);
}

int32_t LSRCPCMFileBase::getLength() {
    if (position_ >= length_) refreshLength();
    return length_;
}

}  // namespace typix
