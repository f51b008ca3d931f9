#include "store/DictationQueue.h"

#include <algorithm>
#include <mutex>

#include "store/DictationFiles.h"
#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "store/QueueRecordCache.h"
#include "support/IniFile.h"
#include "support/LFile.h"

namespace typix {

namespace {

bool endsWithAudioExtension(const std::string& name) {
    const std::string extension = kAudioExtension;
    return name.size() > extension.size() &&
           name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

// Writes one place, unless the dictation's audio has gone meanwhile.
void writePlace(const std::string& folder, const QueueEntry& entry, const std::string& status,
                QueueRecordCache* cache) {
    {
        const std::lock_guard<std::mutex> turn(currentFilesTurn());
        if (!fileExists(audioPath(folder, entry.base))) return;
        iniWrite(recordPath(folder, entry.base), kRecordSection, "status", status,
                 kPrivateFileMode, IniDurability::Derived);
    }
    if (cache) cache->refresh(folder, entry);
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

std::vector<QueueEntry> listQueue(const std::string& currentFolder, QueueRecordCache* cache) {
    QueueRecordCache ownCache;
    QueueRecordCache& readings = cache ? *cache : ownCache;
    std::vector<QueueEntry> queue;
    for (FolderIterator it(currentFolder + "*" + kAudioExtension); it.valid(); it.next()) {
        // Only names ending in exactly ".wav" are dictations: every other
        // operation addresses the audio as base + ".wav", which on Linux
        // would not find "a.WAV".
        if (it.isDirectory() || !endsWithAudioExtension(it.name())) continue;
        QueueEntry entry;
        entry.base = it.name().substr(0, it.name().size() - std::string(kAudioExtension).size());
        readings.read(currentFolder, entry);
        queue.push_back(std::move(entry));
    }
    readings.forgetUnread();
    // The same order as inserting each after every entry with a key not
    // greater than its own, without moving thousands of entries per insert.
    std::stable_sort(queue.begin(), queue.end(),
                     [](const QueueEntry& a, const QueueEntry& b) { return a.key < b.key; });
    return queue;
}

bool writeQueueStatuses(const std::string& currentFolder, const std::vector<QueueEntry>& queue,
                        StoredStatuses stored, const std::function<bool()>& abandon,
                        QueueRecordCache* cache) {
    const int count = static_cast<int>(queue.size());
    for (int place = 0; place < count; ++place) {
        if (abandon && abandon()) return false;
        const QueueEntry& entry = queue[static_cast<size_t>(place)];
        if (entry.base.empty()) continue;
        const std::string status = listStatus(place + 1, count);
        if (stored == StoredStatuses::Current && entry.storedStatus == status) continue;
        writePlace(currentFolder, entry, status, cache);
    }
    return true;
}

std::vector<QueueEntry> rebuildQueue(const std::string& currentFolder) {
    std::vector<QueueEntry> queue = listQueue(currentFolder);
    writeQueueStatuses(currentFolder, queue);
    return queue;
}

}  // namespace typix
