#pragma once
// The typing queue: the dictations of Current Files in the order the main
// window offers them.
//
// Each dictation gets an unsigned 32-bit sort key from its record: the "date"
// raised to at least 259200, minus 129600 (one and a half days) when the first
// character of "priority" is 'N' and minus 259200 (three days) when it is 'H',
// tested as written (so "high" gets nothing).  Dictations are inserted in the
// order the folder listing yields their audio files, each before the first
// listed one with a greater key: the list ascends by key and equal keys keep
// listing order.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace typix {

class QueueRecordCache;

inline constexpr uint32_t kEarliestSortKey = 259200;
inline constexpr uint32_t kNormalBonus = 129600;
inline constexpr uint32_t kHighBonus = 259200;

struct QueueEntry {
    std::string base;  // base name of the triple
    std::string text;  // "%s: %s": base name and record "name"
    uint32_t key = 0;  // sort key
    // The record's "status" as the listing read it (nothing: no such key).
    std::optional<std::string> storedStatus = std::nullopt;
};

// Whether the statuses a listing read are still those in the records.
enum class StoredStatuses {
    Current,     // nothing has written a place since the listing read them
    MaybeStale,  // a writer may have changed some since
};

uint32_t queueSortKey(int date, const std::string& priority);

// Inserts `entry` after every entry whose key is not greater than its own.
void insertInQueueOrder(std::vector<QueueEntry>& queue, QueueEntry entry);

// Reads the queue of `currentFolder` (ending with '/') without writing
// anything: one read of each record gives its name, date, priority and
// status.  With a cache, records unchanged since its last listing are not
// read again.
std::vector<QueueEntry> listQueue(const std::string& currentFolder,
                                  QueueRecordCache* cache = nullptr);

// Writes "status" = "List %d of %d" into the record of every entry with a
// base name, in list order, where the text changes: an entry whose stored
// status is already its place is skipped when the stored statuses are
// Current, and otherwise the write itself leaves an unchanged record alone.
// The places are derived data, so a write does not wait for the disk (the
// next rebuild writes them again).  A dictation whose audio has left the
// folder meanwhile is skipped (under currentFilesTurn()), so no record is
// left without audio.  `abandon`, tested before each record, ends the work
// early; returns false then.  A record written is read again into `cache`.
bool writeQueueStatuses(const std::string& currentFolder, const std::vector<QueueEntry>& queue,
                        StoredStatuses stored = StoredStatuses::Current,
                        const std::function<bool()>& abandon = {},
                        QueueRecordCache* cache = nullptr);

// The main window's list rebuild: listQueue, then writeQueueStatuses.
std::vector<QueueEntry> rebuildQueue(const std::string& currentFolder);

}  // namespace typix
