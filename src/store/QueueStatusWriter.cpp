#include "store/QueueStatusWriter.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>

namespace typix {

namespace {
constexpr int kWriterNice = 10;
}  // namespace

QueueStatusWriter::QueueStatusWriter(std::function<void()> whenWritten, QueueRecordCache* cache)
    : whenWritten_(std::move(whenWritten)), cache_(cache), thread_([this] { loop(); }) {}

QueueStatusWriter::~QueueStatusWriter() { stop(); }

void QueueStatusWriter::submit(std::string currentFolder, std::vector<QueueEntry> queue,
                               StoredStatuses stored) {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        if (stopping_) return;
        waiting_ = Job{std::move(currentFolder), std::move(queue), stored, {}};
    }
    changed_.notify_all();
}

void QueueStatusWriter::submitListing(std::string currentFolder, Listed listed) {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        if (stopping_) return;
        waiting_ = Job{std::move(currentFolder), {}, StoredStatuses::Current, std::move(listed)};
    }
    changed_.notify_all();
}

bool QueueStatusWriter::isIdle() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    return !writing_ && !waiting_;
}

bool QueueStatusWriter::waitUntilIdle(int timeoutMs) const {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [this] { return !writing_ && !waiting_; });
}

void QueueStatusWriter::stop() {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool QueueStatusWriter::abandonRequested() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    return stopping_ || waiting_.has_value();
}

void QueueStatusWriter::loop() {
    // Well below the interface thread, which must keep answering while this
    // writes (nice 10 leaves it about a tenth of a shared core); not idle,
    // which a busy machine could starve for minutes.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWriterNice);
    std::unique_lock<std::mutex> guard(mutex_);
    for (;;) {
        changed_.wait(guard, [this] { return stopping_ || waiting_.has_value(); });
        if (stopping_) break;
        Job job = std::move(*waiting_);
        waiting_.reset();
        writing_ = true;
        guard.unlock();
        if (job.listed) {
            // Only this thread writes places, so the listing reads them as
            // they stand.
            job.queue = listQueue(job.folder, cache_);
            if (!abandonRequested()) job.listed(job.queue);
        }
        const bool complete = writeQueueStatuses(job.folder, job.queue, job.stored,
                                                 [this] { return abandonRequested(); }, cache_);
        if (complete && whenWritten_) whenWritten_();
        guard.lock();
        writing_ = false;
        changed_.notify_all();
    }
    writing_ = false;
    changed_.notify_all();
}

}  // namespace typix
