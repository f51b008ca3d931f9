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
    window_.resize(static_cast<size_t>(this->channels()) * kBufferFrames);
    if (file_.isOpen()) ::posix_fadvise(file_.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
}

int32_t LSRCPCMFileBase::framesFor(uint32_t dataBytes) const {
    return saturate32(static_cast<int64_t>(dataBytes / static_cast<uint64_t>(frameBytes())));
}

// The window is dropped with every new reading of the length: a writer may
// have cut the file and written it again since the window was filled.
void LSRCPCMFileBase::refreshLength() {
    if (isError() || !file_.isOpen()) return;
    windowFrames_ = 0;
    uint8_t field[4];
    if (file_.readAt(field, 4, sizeFieldOffset_) == 4) {
        const uint32_t bytes = uint32_t{field[0]} | (uint32_t{field[1]} << 8) |
                               (uint32_t{field[2]} << 16) | (uint32_t{field[3]} << 24);
        length_ = framesFor(bytes);
    }
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
        int64_t from = start;
        int64_t wanted = frames;
        if (start < 0) {
            done = static_cast<size_t>(-start) * static_cast<size_t>(c);
            std::memset(buffer, 0, done * sizeof(int32_t));
            from = 0;
            wanted = end;
        }
        if (length_ < position_) refreshLength();
        if (length_ < position_) wanted = std::max<int64_t>(0, wanted - (position_ - length_));
        done += static_cast<size_t>(readFromFile(buffer + done, from, wanted, convert)) *
                static_cast<size_t>(c);
    }
    std::memset(buffer + done, 0, (total - done) * sizeof(int32_t));
}

// Copies up to `frames` whole frames from frame `from` on out of the window;
// returns the frames delivered.  A request that the window does not hold
// whole loads the window again from the request's first frame; when that
// frame was already held (the request ran over the window's end), the new
// window also keeps a quarter window before it, because a speed stage steps
// back by up to a block after each read.  It stops early only where the file
// holds less than its header says.
int64_t LSRCPCMFileBase::readFromFile(int32_t* out, int64_t from, int64_t frames, Convert convert) {
    constexpr int64_t kKeepBehind = kBufferFrames / 4;
    const size_t c = static_cast<size_t>(channels());
    int64_t delivered = 0;
    while (delivered < frames) {
        const int64_t at = from + delivered;
        const int64_t windowEnd = windowStart_ + windowFrames_;
        const bool held = at >= windowStart_ && at < windowEnd;
        if (!held || (from + frames > windowEnd && frames - delivered <= kBufferFrames - kKeepBehind)) {
            const int64_t start = held ? std::max(windowStart_, at - kKeepBehind) : at;
            if (!fillWindow(start, convert) || at >= windowStart_ + windowFrames_) break;
        }
        const int64_t take = std::min(frames - delivered, windowStart_ + windowFrames_ - at);
        std::memcpy(out + static_cast<size_t>(delivered) * c,
                    window_.data() + static_cast<size_t>(at - windowStart_) * c,
                    static_cast<size_t>(take) * c * sizeof(int32_t));
        delivered += take;
    }
    return delivered;
}

// A partial frame at the end of what the file holds is left out, so the
// channels stay in step if the file grows later.
bool LSRCPCMFileBase::fillWindow(int64_t from, Convert convert) {
    windowFrames_ = 0;
    const int64_t frames = std::min<int64_t>(kBufferFrames, int64_t{length_} - from);
    if (frames <= 0) return false;
    const int64_t fb = frameBytes();
    const ssize_t got = file_.readAt(buffer_.data(), static_cast<size_t>(frames * fb), dataStart_ + from * fb);
    if (got <= 0) return false;
    windowStart_ = from;
    windowFrames_ = got / fb;
    convert(buffer_.data(), window_.data(), static_cast<size_t>(windowFrames_ * channels()));
    return windowFrames_ > 0;
}

void LSRCPCMFileBase::setPosition(int32_t frame) {
    if (isError()) return;
    position_ = frame;
    if (frame > length_) refreshLength();
}

int32_t LSRCPCMFileBase::getLength() {
    if (position_ >= length_) refreshLength();
    return length_;
}

}  // namespace typix
