// The queue's places on the writer's thread, over folders of many dictations:
// the same order and places as reading each record key by key, only changed
// records rewritten, the newest queue winning, no record written back beside
// audio that has just gone, and kept readings that follow every change.
#include "store/QueueStatusWriter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <functional>
#include <map>
#include <thread>

#include "app/AppTestFolder.h"
#include "store/DictationFiles.h"
#include "store/DictationRecord.h"
#include "store/QueueFolderMaker.h"
#include "store/QueueRecordCache.h"
#include "support/LFile.h"

namespace typix {
namespace {

using apptest::TestFolder;

constexpr int kLargeQueue = 10000;

// The queue as the window computed it before: every key read on its own.
std::vector<QueueEntry> keyByKeyQueue(const std::string& folder) {
    std::vector<QueueEntry> queue;
    for (FolderIterator it(folder + "*.wav"); it.valid(); it.next()) {
        const std::string base = it.name().substr(0, it.name().size() - 4);
        const DictationRecord record(folder, base);
        insertInQueueOrder(queue, {base, base + ": " + record.name(),
                                   queueSortKey(record.date(), record.priority())});
    }
    return queue;
}

ino_t inodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class QueueWriterTest : public ::testing::Test {
protected:
    void expectPlacesOf(const std::vector<QueueEntry>& queue) {
        const int count = static_cast<int>(queue.size());
        for (int place = 0; place < count; ++place)
            ASSERT_EQ(DictationRecord(current, queue[size_t(place)].base).status("(none)"),
                      listStatus(place + 1, count))
                << queue[size_t(place)].base;
    }
    std::map<std::string, ino_t> recordInodes() {
        std::map<std::string, ino_t> inodes;
        for (FolderIterator it(current + "*.dat"); it.valid(); it.next())
            inodes[it.name()] = inodeOf(it.path());
        return inodes;
    }

    TestFolder temp;
    std::string current = temp.subfolder("Current Files");
    std::atomic<int> written{0};
    QueueStatusWriter writer{[this] { ++written; }};
};

TEST_F(QueueWriterTest, LargeFolderListsAndPlacesAsKeyByKeyReadingDoes) {
    ASSERT_TRUE(test::makeQueueFolder(current, kLargeQueue));
    const std::vector<QueueEntry> expected = keyByKeyQueue(current);
    std::vector<QueueEntry> listed = listQueue(current);
    ASSERT_EQ(listed.size(), expected.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        ASSERT_EQ(listed[i].base, expected[i].base) << i;
        ASSERT_EQ(listed[i].text, expected[i].text) << i;
        ASSERT_EQ(listed[i].key, expected[i].key) << i;
    }
    const auto before = recordInodes();
    writer.submit(current, listed, StoredStatuses::Current);
    ASSERT_TRUE(writer.waitUntilIdle(60000));
    EXPECT_EQ(written.load(), 1);
    expectPlacesOf(expected);

    // A record already holding its place was left alone; the others were
    // replaced; a dictation without a record got one, as before.
    for (const QueueEntry& entry : listed) {
        const std::string name = entry.base + ".dat";
        const auto old = before.find(name);
        if (old == before.end()) {
            EXPECT_TRUE(fileExists(current + name)) << name;
            continue;
        }
        const bool unchanged = inodeOf(current + name) == old->second;
        EXPECT_EQ(unchanged, entry.storedStatus == DictationRecord(current, entry.base).status())
            << name;
    }
    // The record's own fields stay as they were.
    EXPECT_EQ(DictationRecord(current, test::queueDictationBase(4)).senderName(), "Sender 4");

    // Nothing changed: nothing rewritten.
    listed = listQueue(current);
    const auto settled = recordInodes();
    writer.submit(current, listed, StoredStatuses::MaybeStale);
    ASSERT_TRUE(writer.waitUntilIdle(60000));
    EXPECT_EQ(recordInodes(), settled);
}

TEST_F(QueueWriterTest, CachedListingsMatchFreshOnesAfterTheWrites) {
    ASSERT_TRUE(test::makeQueueFolder(current, 1000));
    QueueRecordCache cache;
    QueueStatusWriter cachedWriter({}, &cache);
    for (int round = 0; round < 3; ++round) {
        // A departure and an arrival between rounds move every place.
        if (round == 1) {
            ASSERT_TRUE(deleteDictation(current, test::queueDictationBase(500)));
        }
        if (round == 2) {
            ASSERT_TRUE(test::writeStub(current + "new.wav", "RIFF"));
        }
        const std::vector<QueueEntry> listed = listQueue(current, &cache);
        EXPECT_EQ(cache.size(), listed.size());  // the one that left is forgotten
        cachedWriter.submit(current, listed, StoredStatuses::Current);
        ASSERT_TRUE(cachedWriter.waitUntilIdle(60000));
        const std::vector<QueueEntry> cached = listQueue(current, &cache);
        const std::vector<QueueEntry> fresh = listQueue(current);
        ASSERT_EQ(cached.size(), fresh.size());
        for (size_t i = 0; i < fresh.size(); ++i) {
            ASSERT_EQ(cached[i].base, fresh[i].base) << round << " " << i;
            ASSERT_EQ(cached[i].text, fresh[i].text) << round << " " << i;
            ASSERT_EQ(cached[i].storedStatus, fresh[i].storedStatus) << round << " " << i;
            ASSERT_EQ(cached[i].storedStatus, listStatus(int(i) + 1, int(fresh.size())));
        }
    }
}

TEST_F(QueueWriterTest, CacheReadsARecordAgainWhenItsFileChanged) {
    const std::string record = current + "a.dat";
    ASSERT_TRUE(test::writeStub(current + "a.wav", "RIFF"));
    const auto listedName = [&](QueueRecordCache& cache) {
        const auto queue = listQueue(current, &cache);
        return queue.empty() ? std::string("-") : queue[0].text;
    };
    const auto setModified = [&](const timespec& when) {
        const timespec times[2] = {when, when};
        ASSERT_EQ(::utimensat(AT_FDCWD, record.c_str(), times, 0), 0);
    };
    struct stat info {};
    struct Case {
        const char* change;
        std::function<void()> make;
        const char* listed;
    };
    const Case cases[] = {
        {"created", [&] { test::writeStub(record, "[file]\nname=One\n"); }, "a: One"},
        // Same inode, size and time: taken as unchanged, so the kept reading stands.
        {"rewritten in place, same size and time",
         [&] {
             ::stat(record.c_str(), &info);
             test::writeStub(record, "[file]\nname=Two\n");
             setModified(info.st_mtim);
         },
         "a: One"},
        {"rewritten in place, longer", [&] { test::writeStub(record, "[file]\nname=Three\n"); },
         "a: Three"},
        {"replaced by a write",
         [&] { DictationRecord(current, "a").setName("Four"); }, "a: Four"},
        {"removed", [&] { std::remove(record.c_str()); }, "a: "},
    };
    QueueRecordCache cache;
    for (const Case& c : cases) {
        c.make();
        EXPECT_EQ(listedName(cache), c.listed) << c.change;
    }
}

TEST_F(QueueWriterTest, NewestQueueWinsOverOnesStillBeingWritten) {
    ASSERT_TRUE(test::makeQueueFolder(current, 1000));
    std::vector<QueueEntry> queue = listQueue(current);
    // Rebuilds in quick succession, each a different order, as arrivals
    // shifting every place would give.
    for (int round = 0; round < 5; ++round) {
        std::rotate(queue.begin(), queue.begin() + 1 + round * 7, queue.end());
        writer.submit(current, queue, StoredStatuses::MaybeStale);
    }
    ASSERT_TRUE(writer.waitUntilIdle(60000));
    expectPlacesOf(queue);
    EXPECT_GE(written.load(), 1);
    EXPECT_LE(written.load(), 5);
}

TEST_F(QueueWriterTest, DictationsFinishedDuringTheWritesLeaveNoRecordBehind) {
    ASSERT_TRUE(test::makeQueueFolder(current, 1000));
    const std::string done = temp.subfolder("Done Files");
    const std::vector<QueueEntry> queue = listQueue(current);
    // Every place differs from what the records hold, so each is written.
    std::vector<QueueEntry> shifted = queue;
    shifted.insert(shifted.begin(), QueueEntry{"first arrival", "first arrival: ", 0});
    writer.submit(current, shifted, StoredStatuses::MaybeStale);
    for (size_t i = 0; i < queue.size(); i += 10) {
        ASSERT_TRUE(finishDictation(current, done, queue[i].base, kStatusDone));
    }
    ASSERT_TRUE(writer.waitUntilIdle(60000));
    for (FolderIterator it(current + "*.dat"); it.valid(); it.next()) {
        const std::string base = it.name().substr(0, it.name().size() - 4);
        EXPECT_TRUE(fileExists(audioPath(current, base))) << base << " lost its audio";
    }
    for (size_t i = 0; i < queue.size(); i += 10)
        EXPECT_EQ(DictationRecord(done, queue[i].base).status(), kStatusDone) << queue[i].base;
    EXPECT_FALSE(fileExists(recordPath(current, "first arrival")));
}

TEST_F(QueueWriterTest, StopDropsWhatWaitsAndLaterSubmitsDoNothing) {
    ASSERT_TRUE(test::makeQueueFolder(current, 200));
    writer.stop();
    writer.submit(current, listQueue(current), StoredStatuses::MaybeStale);
    EXPECT_TRUE(writer.isIdle());
    EXPECT_EQ(DictationRecord(current, test::queueDictationBase(0)).status("(none)"), "(none)");
    EXPECT_EQ(written.load(), 0);
}

}  // namespace
}  // namespace typix
