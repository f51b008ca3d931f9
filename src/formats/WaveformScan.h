#pragma once
// The envelope of a whole wave file, for a waveform to seek in: the lowest
// and highest sample of every bucket of 1/100 s over all channels, computed on
// a worker thread from the file's own reader (PCM or codec) and handed to the
// interface thread in chunks as it goes, so a display can draw while the rest
// is still being read.  Once the end is reached the worker looks again every
// 250 ms, so a file that is still being written (the dock's recording) keeps
// arriving.
//
// Threads: construct, scan() and destroy on the interface thread; `deliver`
// runs there too, through the post interface.  The worker and the interface
// thread share only the chunk queue, under the worker's lock.
// Failure: a file that cannot be opened or decoded delivers one empty chunk
// (rate 0, no frames); nothing is thrown.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sound/WaveformBuckets.h"

namespace typix {

class Poster;

struct WaveformChunk {
    int64_t firstBucket = 0;            // the index of peaks[0]
    std::vector<WaveformPeak> peaks;    // the last one may be a partial bucket, redone later
    int32_t sampleRate = 0;             // 0: the file could not be read
    int32_t bucketFrames = 0;
    int32_t totalFrames = 0;            // the file's length as far as it is known now
    bool caughtUp = false;              // the envelope reaches that length
};

class WaveformScan {
public:
    static constexpr int kBucketsPerSecond = 100;
    static constexpr int kFollowMilliseconds = 250;

    using Deliver = std::function<void(const WaveformChunk&)>;
    // `poster` null: the process-wide interfacePoster().
    explicit WaveformScan(Deliver deliver, Poster* poster = nullptr);
    ~WaveformScan();  // stops the worker; nothing is delivered afterwards
    WaveformScan(const WaveformScan&) = delete;
    WaveformScan& operator=(const WaveformScan&) = delete;

    // Starts over for `path` ("" only stops).  Chunks of an earlier scan are
    // never delivered once this returns.
    void scan(const std::string& path);
    const std::string& path() const { return path_; }

private:
    class Worker;
    void deliverPending();

    Deliver deliver_;
    std::string path_;
    uint32_t generation_ = 0;
    std::unique_ptr<Worker> worker_;
};

}  // namespace typix
