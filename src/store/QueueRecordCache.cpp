#include "store/QueueRecordCache.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string_view>

#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "support/IniFile.h"
#include "support/LDatFile.h"

namespace typix {

namespace {

// The keys the queue needs, read as DictationRecord reads them one by one:
// "name" and "priority" as UTF-8 text, "date" by atoi rules with 0 missing.
constexpr std::string_view kQueueKeys[] = {"name", "date", "priority", "status"};

}  // namespace

QueueRecordCache::Identity QueueRecordCache::identify(const std::string& path) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_INO | STATX_SIZE | STATX_MTIME, &info) != 0)
        return {};
    return {info.stx_ino, static_cast<int64_t>(info.stx_size),
            info.stx_mtime.tv_sec * 1000000000LL + info.stx_mtime.tv_nsec};
}

QueueRecordCache::Reading QueueRecordCache::load(const std::string& path) {
    Reading reading;
    // The file is identified before and after the read; a reading that a
    // replacement overtook is kept under no identity, so it is read again.
    reading.identity = identify(path);
    auto values = iniReadKeys(path, kRecordSection, kQueueKeys);
    if (!(identify(path) == reading.identity)) reading.identity = {0, -2, 0};
    reading.name = recordTextAsUtf8(values[0].value_or(""));
    reading.key = queueSortKey(parseAtoi(values[1].value_or("0")),
                               recordTextAsUtf8(values[2].value_or("Normal")));
    reading.status = std::move(values[3]);
    return reading;
}

void QueueRecordCache::read(const std::string& folder, QueueEntry& entry) {
    const std::string path = recordPath(folder, entry.base);
    const Identity now = identify(path);
    std::unique_lock<std::mutex> guard(mutex_);
    auto found = readings_.find(path);
    if (found == readings_.end() || !(found->second.identity == now)) {
        guard.unlock();
        Reading fresh = load(path);
        guard.lock();
        found = readings_.insert_or_assign(path, std::move(fresh)).first;
    }
    Reading& reading = found->second;
    reading.generation = generation_;
    entry.text = entry.base + ": " + reading.name;
    entry.key = reading.key;
    entry.storedStatus = reading.status;
}

void QueueRecordCache::refresh(const std::string& folder, const QueueEntry& entry) {
    const std::string path = recordPath(folder, entry.base);
    Reading fresh = load(path);
    const std::lock_guard<std::mutex> guard(mutex_);
    auto found = readings_.find(path);
    // Only a record the listing still knows is kept; one that left stays out.
    if (found == readings_.end()) return;
    fresh.generation = found->second.generation;
    found->second = std::move(fresh);
}

void QueueRecordCache::forgetUnread() {
    const std::lock_guard<std::mutex> guard(mutex_);
    std::erase_if(readings_, [this](const auto& item) { return item.second.generation != generation_; });
    ++generation_;
}

size_t QueueRecordCache::size() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    return readings_.size();
}

}  // namespace typix
