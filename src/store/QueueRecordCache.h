#pragma once
// What the queue reads of each record (name, date, priority, status), kept
// between listings.  A kept reading is used while the record is still the
// same file: same inode, size and modification time.  Every write of a record
// replaces the file (a new inode), and any other change moves its time or
// size, so a changed record is always read again; an unchanged one costs one
// status call instead of a read, which keeps a listing of thousands of
// dictations short enough for the interface thread.
//
// Shared by the thread that lists (the interface thread) and the place
// writer, which refreshes the readings of the records it has just written;
// every field is guarded by the one mutex.
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

#include "store/DictationQueue.h"

namespace typix {

class QueueRecordCache {
public:
    // Fills `entry`'s text, key and storedStatus from the record of
    // entry.base in `folder`, reading the file only when it changed.
    void read(const std::string& folder, QueueEntry& entry);
    // Reads the record again (after a write), keeping what it holds now.
    void refresh(const std::string& folder, const QueueEntry& entry);
    // Forgets every record not read since the last call (dictations that
    // left the folder); a listing calls it at its end.
    void forgetUnread();
    size_t size() const;

private:
    struct Identity {
        uint64_t inode = 0;
        int64_t size = -1;  // -1: no record file
        int64_t modifiedNs = 0;
        bool operator==(const Identity&) const = default;
    };
    struct Reading {
        Identity identity;
        std::string name;
        uint32_t key = 0;
        std::optional<std::string> status;
        uint64_t generation = 0;
    };
    static Reading load(const std::string& path);
    static Identity identify(const std::string& path);

    mutable std::mutex mutex_;
    std::unordered_map<std::string, Reading> readings_;  // by record path; guarded by mutex_
    uint64_t generation_ = 1;                            // guarded by mutex_
};

}  // namespace typix
