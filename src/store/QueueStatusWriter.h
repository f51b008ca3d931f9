#pragma once
// Writes the queue's places ("List n of m") into the records on a thread of
// its own, so that a list rebuild never waits for thousands of record writes.
//
// Threading rule, written once:
//  1. submit() and stop() are called from one thread, the owner's (the
//     interface thread); isIdle() and waitUntilIdle() from any thread.  The writing runs on the
//     writer's own thread, which the object starts at construction.
//  2. Only the newest queue matters: submit() replaces a queue that is still
//     waiting, and the queue being written is abandoned between two records
//     when a newer one arrives.  One thread writes, so no record is ever
//     written by two rebuilds at the same time, and the places always end as
//     the newest order gives them.
//  3. `whenWritten` runs on the writer's thread each time a queue has been
//     written to its end (not for an abandoned one); it must not call back
//     into this object.
//  4. With a cache, the records written are read again into it, so the next
//     listing finds them unchanged; the cache must outlive the writer.
//  5. stop() (and the destructor) drops what is still waiting and returns once
//     the record being written is done.  Places left unwritten are derived
//     data that the next rebuild writes.
// All fields below the mutex are guarded by it.
#include <condition_variable>
#include <functional>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "store/DictationQueue.h"

namespace typix {

class QueueStatusWriter {
public:
    explicit QueueStatusWriter(std::function<void()> whenWritten = {},
                               QueueRecordCache* cache = nullptr);
    ~QueueStatusWriter();
    QueueStatusWriter(const QueueStatusWriter&) = delete;
    QueueStatusWriter& operator=(const QueueStatusWriter&) = delete;

    // Hands over the queue of `currentFolder` as a listing read it.
    void submit(std::string currentFolder, std::vector<QueueEntry> queue, StoredStatuses stored);
    // Lists `currentFolder` on the writer's thread (through the cache), hands
    // the queue to `listed` there, then writes its places.  The listing and
    // the writes count as one job: a newer submission replaces or abandons it.
    using Listed = std::function<void(const std::vector<QueueEntry>& queue)>;
    void submitListing(std::string currentFolder, Listed listed);
    // True when nothing is being written or waiting.  A listing made while
    // the writer is idle reads Current statuses: only the writer changes
    // places.  Any thread may ask, and may wait below.
    bool isIdle() const;
    // Waits up to `timeoutMs` for the writer to become idle; returns isIdle().
    bool waitUntilIdle(int timeoutMs) const;
    void stop();

private:
    struct Job {
        std::string folder;
        std::vector<QueueEntry> queue;
        StoredStatuses stored = StoredStatuses::Current;
        Listed listed;  // set: list here first
    };
    void loop();
    bool abandonRequested() const;

    std::function<void()> whenWritten_;
    QueueRecordCache* cache_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::optional<Job> waiting_;  // guarded by mutex_
    bool writing_ = false;        // guarded by mutex_
    bool stopping_ = false;       // guarded by mutex_
    std::thread thread_;
};

}  // namespace typix
