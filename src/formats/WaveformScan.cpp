#include "formats/WaveformScan.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "formats/OpenWaveFile.h"
#include "support/LLockObject.h"
#include "support/LThread.h"
#include "support/Poster.h"

namespace typix {

namespace {

// Frames read at a time: the readers' own piece size.
constexpr int32_t kReadFrames = 8192;
// A chunk goes out after this much work, so the first part of a long file is
// drawn at once and the interface thread is not flooded either.
constexpr auto kChunkInterval = std::chrono::milliseconds(40);

}  // namespace

// The worker: one scan of one file.  `pending_` and `window_` are shared with
// the interface thread and guarded by lock(); `path_` and `generation_` are set
// before the thread starts and only read by it.
class WaveformScan::Worker : public LThread {
public:
    Worker(std::function<void()> onPosted, Poster* poster)
        : window_([call = std::move(onPosted)](uint32_t, uintptr_t, intptr_t) { call(); }, poster) {}
    ~Worker() override { finish(); }

    void prepare(const std::string& path, uint32_t generation) {
        LLock guard(lock());
        path_ = path;
        generation_ = generation;
        pending_.clear();
    }

    std::vector<std::pair<uint32_t, WaveformChunk>> takePending() {
        LLock guard(lock());
        return std::exchange(pending_, {});
    }

protected:
    void run() override;

private:
    void send(WaveformChunk chunk);
    bool readUpTo(LSoundSource& source, WaveformBuckets& buckets, int32_t length);
    WaveformChunk chunkOf(WaveformBuckets& buckets, LSoundSource& source);

    PostWindow window_;
    std::string path_;
    uint32_t generation_ = 0;
    int32_t known_ = 0;  // frames read so far
    std::vector<int32_t> samples_;
    std::vector<std::pair<uint32_t, WaveformChunk>> pending_;
};

void WaveformScan::Worker::run() {
    std::string path;
    {
        LLock guard(lock());
        path = path_;
    }
    known_ = 0;
    LSoundSource source = openWaveFile(path);
    if (!source.usable()) {
        send(WaveformChunk{});
        return;
    }
    WaveformBuckets buckets(source->sampleRate());
    samples_.assign(static_cast<size_t>(kReadFrames) * source->channels(), 0);
    int32_t delivered = -1;
    for (;;) {
        const int32_t length = source->getLength();
        if (!readUpTo(source, buckets, length)) return;
        if (known_ != delivered) {
            WaveformChunk chunk = chunkOf(buckets, source);
            chunk.caughtUp = true;
            send(std::move(chunk));
            delivered = known_;
        }
        if (pause(WaveformScan::kFollowMilliseconds)) return;
    }
}

// Reads from the frames known so far to `length`, sending a chunk now and
// then.  False when a stop was asked for.
bool WaveformScan::Worker::readUpTo(LSoundSource& source, WaveformBuckets& buckets, int32_t length) {
    auto last = std::chrono::steady_clock::now();
    while (known_ < length) {
        if (stopRequested()) return false;
        const int32_t n = std::min(kReadFrames, length - known_);
        source->read(samples_.data(), n);
        buckets.add(samples_.data(), n, source->channels());
        known_ += n;
        const auto now = std::chrono::steady_clock::now();
        if (now - last >= kChunkInterval && known_ < length) {
            send(chunkOf(buckets, source));
            last = now;
        }
    }
    return true;
}

// The whole buckets not yet sent, then the bucket being filled; the next
// chunk starts at that partial bucket again.
WaveformChunk WaveformScan::Worker::chunkOf(WaveformBuckets& buckets, LSoundSource& source) {
    WaveformChunk chunk;
    chunk.sampleRate = source->sampleRate();
    chunk.bucketFrames = buckets.bucketFrames();
    // A codec source's length is an estimate until it has decoded its end,
    // so the length may shrink to the frames that are really there.
    chunk.totalFrames = std::min(known_, source->getLength());
    chunk.firstBucket = buckets.takeWhole(chunk.peaks);
    if (buckets.hasPartial()) chunk.peaks.push_back(buckets.partial());
    return chunk;
}

void WaveformScan::Worker::send(WaveformChunk chunk) {
    LLock guard(lock());
    pending_.emplace_back(generation_, std::move(chunk));
    window_.post(0);
}

WaveformScan::WaveformScan(Deliver deliver, Poster* poster)
    : deliver_(std::move(deliver)),
      worker_(std::make_unique<Worker>([this] { deliverPending(); }, poster)) {}

WaveformScan::~WaveformScan() { worker_.reset(); }

void WaveformScan::scan(const std::string& path) {
    worker_->finish();
    path_ = path;
    ++generation_;
    worker_->prepare(path, generation_);
    if (!path.empty()) worker_->start(ThreadPriority::Lowest);
}

void WaveformScan::deliverPending() {
    for (auto& [generation, chunk] : worker_->takePending())
        if (generation == generation_ && deliver_) deliver_(chunk);
}

}  // namespace typix
