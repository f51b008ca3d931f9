#include "formats/LSNKPCMFile.h"

#include <algorithm>
#include <cerrno>

#include "formats/WaveFormat.h"

namespace typix {

LSNKPCMFileBase::LSNKPCMFileBase(const std::string& path, int32_t sampleRate, int channels,
                                 int32_t peakLevel, int bytesPerSample, int32_t framesToKeep,
                                 HeaderSync sync)
    : LSoundSinkBase(sampleRate, peakLevel, channels), bytesPerSample_(bytesPerSample), sync_(sync) {
    // A sink that already failed (no channels) leaves the file alone: its
    // writes are dropped, so a header would claim audio that is not there.
    if (isError()) return;
    if (!file_.openOrCreate(path)) {
        setError();
        return;
    }
    framesWritten_ = std::max(framesToKeep, 0);
    rewriteHeaderAndResize();
    buffer_.resize(static_cast<size_t>(frameBytes()) * kBufferFrames);
}

LSNKPCMFileBase::~LSNKPCMFileBase() { finish(); }

bool LSNKPCMFileBase::finish() {
    if (!file_.isOpen()) return !isError() && !failed_;
    if (file_.seek(0, SEEK_SET) < 0) noteFailure();
    writeHeader(sync_ != HeaderSync::Never);
    if (!file_.close()) noteFailure();
    return !failed_;
}

void LSNKPCMFileBase::noteFailure() {
    if (failed_) return;
    failed_ = true;
    failureErrno_ = errno != 0 ? errno : EIO;
}

void LSNKPCMFileBase::put(const void* bytes, size_t count) {
    if (file_.write(bytes, count) < 0) noteFailure();
}

void LSNKPCMFileBase::writeHeader(bool sync) {
    const auto header = makePcmWaveHeader(channels(), sampleRate(), bytesPerSample_, framesWritten_);
    put(header.data(), header.size());
    if (sync && !file_.flush()) noteFailure();
    headerCountdown_ = int64_t{std::max(sampleRate(), 0)} * 4;
}

// A fresh file is flushed at once only when a reader may be waiting on it;
// the other modes make it durable (or not) when it is finished.
void LSNKPCMFileBase::rewriteHeaderAndResize() {
    file_.seek(0, SEEK_SET);
    writeHeader(sync_ == HeaderSync::Periodic);
    file_.seek(int64_t{kPcmHeaderBytes} + int64_t{framesWritten_} * frameBytes(), SEEK_SET);
    file_.setEndHere();
}

int32_t LSNKPCMFileBase::writeWith(const int32_t* buffer, int32_t frames, Convert convert) {
    if (frames <= 0) return 0;
    // The count saturates rather than wrapping after 2^31 frames.
    framesWritten_ = static_cast<int32_t>(std::min<int64_t>(int64_t{framesWritten_} + frames, INT32_MAX));
    if (isError() || failed_) return frames;
    const int c = channels();
    for (int32_t done = 0; done < frames && !failed_;) {
        const int32_t piece = std::min(frames - done, kBufferFrames);
        const size_t samples = static_cast<size_t>(piece) * static_cast<size_t>(c);
        convert(buffer + static_cast<size_t>(done) * static_cast<size_t>(c), buffer_.data(), samples);
        put(buffer_.data(), samples * static_cast<size_t>(bytesPerSample_));
        done += piece;
    }
    headerCountdown_ -= frames;
    if (headerCountdown_ < 0 && !failed_) {
        const int64_t offset = file_.tell();
        file_.seek(0, SEEK_SET);
        writeHeader(sync_ == HeaderSync::Periodic);
        file_.seek(offset, SEEK_SET);
    }
    return frames;
}

void LSNKPCMFileBase::truncate(int32_t frames) {
    if (!file_.isOpen() || frames > framesWritten_) return;
    framesWritten_ = std::max(frames, 0);
    rewriteHeaderAndResize();
}

}  // namespace typix
