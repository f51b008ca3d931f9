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
#include <string>
#include <vector>

namespace typix {

inline constexpr uint32_t kEarliestSortKey = 259200;
inline constexpr uint32_t kNormalBonus = 129600;
inline constexpr uint32_t kHighBonus = 259200;

struct QueueEntry {
    std::string base;  // base name of the triple
    std::string text;  // "%s: %s": base name and record "name"
    uint32_t key = 0;  // sort key
};

uint32_t queueSortKey(int date, const std::string& priority);

// Inserts `entry` after every entry whose key is not greater than its own.
void insertInQueueOrder(std::vector<QueueEntry>& queue, QueueEntry entry);

// Reads the queue of `currentFolder` (ending with '/') without writing anything.
std::vector<QueueEntry> listQueue(const std::string& currentFolder);

// Writes "status" = "List %d of %d" into the record of every entry with a
// base name, in list order.
void writeQueueStatuses(const std::string& currentFolder, const std::vector<QueueEntry>& queue);

// The main window's list rebuild: listQueue, then writeQueueStatuses.
std::vector<QueueEntry> rebuildQueue(const std::string& currentFolder);

}  // namespace typix
