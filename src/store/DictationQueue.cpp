#include "store/DictationQueue.h"

#include <algorithm>

#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "support/LFile.h"

namespace typix {

namespace {

bool endsWithAudioExtension(const std::string& name) {
    const std::string extension = kAudioExtension;
    return name.size() > extension.size() &&
           name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

}  // namespace

uint32_t queueSortKey(int date, const std::string& priority) {
    // The stored date is taken as the unsigned key it is compared as.
    uint32_t key = static_cast<uint32_t>(date);
    if (key < kEarliestSortKey) key = kEarliestSortKey;
    if (!priority.empty() && priority[0] == 'N') key -= kNormalBonus;
    if (!priority.empty() && priority[0] == 'H') key -= kHighBonus;
    return key;
}

void insertInQueueOrder(std::vector<QueueEntry>& queue, QueueEntry entry) {
    auto place = std::upper_bound(queue.begin(), queue.end(), entry.key,
                                  [](uint32_t key, const QueueEntry& e) { return key < e.key; });
    queue.insert(place, std::move(entry));
}

std::vector<QueueEntry> listQueue(const std::string& currentFolder) {
    std::vector<QueueEntry> queue;
    for (FolderIterator it(currentFolder + "*" + kAudioExtension); it.valid(); it.next()) {
        // Only names ending in exactly ".wav" are dictations: every other
        // operation addresses the audio as base + ".wav", which on Linux
        // would not find "a.WAV".
        if (it.isDirectory() || !endsWithAudioExtension(it.name())) continue;
        QueueEntry entry;
        entry.base = it.name().substr(0, it.name().size() - std::string(kAudioExtension).size());
        const DictationRecord record(currentFolder, entry.base);
        entry.text = entry.base + ": " + record.name();
        entry.key = queueSortKey(record.date(), record.priority());
        insertInQueueOrder(queue, std::move(entry));
    }
    return queue;
}

void writeQueueStatuses(const std::string& currentFolder, const std::vector<QueueEntry>& queue) {
    const int count = static_cast<int>(queue.size());
    for (int place = 0; place < count; ++place) {
        const std::string& base = queue[place].base;
        if (base.empty()) continue;
        DictationRecord(currentFolder, base).setStatus(listStatus(place + 1, count));
    }
}

std::vector<QueueEntry> rebuildQueue(const std::string& currentFolder) {
    std::vector<QueueEntry> queue = listQueue(currentFolder);
    writeQueueStatuses(currentFolder, queue);
    return queue;
}

}  // namespace typix
