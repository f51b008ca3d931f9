#pragma once
// PCM wave file sinks, one per on-disk sample type.
//
// The sink owns its file, opened for writing while others may read it.  The
// 46-byte header is written at creation, rewritten (and flushed to disk) every
// sample rate * 4 frames so that a reader of the growing file is never more
// than about four seconds behind, and written a last time by the destructor:
// the file is complete only once the last handle is gone.
//
// A bulk conversion (an import, a render) has no reader waiting on the growing
// file, and flushing every four seconds of audio would make it wait on the disk
// for most of its run: such sinks ask for HeaderSync::AtClose, which still
// rewrites the header every four seconds (readers in other processes see the
// page cache) but makes the file durable only once, when it is finished.  An
// output that can be made again from files that stay on disk (a render) asks
// for HeaderSync::Never and leaves the write-back to the system, as a file
// copy does.
//
// A sink whose file cannot be created is in the error state: its writes only
// count frames.  A write the system refuses (a full disk, a file size limit)
// marks the sink failed: later writes only count frames, and failed(),
// finish() and failureErrno() tell the caller, who must not report success.
// Used by one thread at a time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/LSoundSink.h"
#include "sound/SampleTypes.h"
#include "support/LFile.h"

namespace typix {

enum class HeaderSync {
    Periodic,  // every header rewrite is flushed to disk (live recording)
    AtClose,   // only the final header is flushed (bulk conversion)
    Never,     // nothing is flushed; the system writes the file back (derived output)
};

class LSNKPCMFileBase : public LSoundSinkBase {
public:
    static constexpr int32_t kBufferFrames = 8192;

    ~LSNKPCMFileBase() override;
    // Shortens the file to `frames` frames when it is open and frames <=
    // framesWritten(); later writes continue from there.
    void truncate(int32_t frames) override;

    int bytesPerSample() const { return bytesPerSample_; }
    void setHeaderSync(HeaderSync sync) { sync_ = sync; }

    // True once a write, a header or a flush of this file has failed.
    bool failed() const { return failed_; }
    // The system's error number of the first failure (0 when none).
    int failureErrno() const { return failureErrno_; }
    // Writes the final header, flushes it as the sync mode says and closes
    // the file; true when everything written reached the file.  The
    // destructor does the same for a sink that was not finished.  A sink in
    // the error state gives false.
    bool finish();

protected:
    using Convert = void (*)(const int32_t* in, uint8_t* out, size_t count);

    // Opens or creates `path` (keeping an existing file), keeps
    // max(framesToKeep, 0) frames of it and writes the header.
    LSNKPCMFileBase(const std::string& path, int32_t sampleRate, int channels, int32_t peakLevel,
                    int bytesPerSample, int32_t framesToKeep, HeaderSync sync);
    int32_t writeWith(const int32_t* buffer, int32_t frames, Convert convert);

private:
    int64_t frameBytes() const { return int64_t{channels()} * bytesPerSample_; }
    // At the current offset; resets the countdown.  Flushes when `sync` is set.
    void writeHeader(bool sync);
    void rewriteHeaderAndResize();  // header at 0, file cut after framesWritten()
    // Records the first failure (errno at the time of the call).
    void noteFailure();
    void put(const void* bytes, size_t count);

    int bytesPerSample_;
    LWriteFile file_;
    int64_t headerCountdown_ = 0;
    HeaderSync sync_ = HeaderSync::Periodic;
    bool failed_ = false;
    int failureErrno_ = 0;
    std::vector<uint8_t> buffer_;
};

template <class T>
class LSNKPCMFile : public LSNKPCMFileBase {
public:
    LSNKPCMFile(const std::string& path, int32_t sampleRate, int channels, int32_t framesToKeep = 0,
                HeaderSync sync = HeaderSync::Periodic)
        : LSNKPCMFileBase(path, sampleRate, channels, T::kPeakLevel, T::kBytes, framesToKeep, sync) {}

    int32_t write(const int32_t* buffer, int32_t frames) override {
        return writeWith(buffer, frames,
                         static_cast<void (*)(const int32_t*, uint8_t*, size_t)>(&T::fromInternal));
    }
};

}  // namespace typix
