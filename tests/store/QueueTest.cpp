#include "store/DictationQueue.h"

#include <gtest/gtest.h>

#include <ctime>

#include "app/AppTestFolder.h"
#include "store/DictationRecord.h"
#include "support/LFile.h"

namespace typix {
namespace {

using apptest::TestFolder;
using apptest::writeBytes;

struct KeyCase {
    int date;
    const char* priority;
    uint32_t key;
};

class SortKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SortKeyTest, BonusesFollowTheFirstCharacterAsWritten) {
    EXPECT_EQ(queueSortKey(GetParam().date, GetParam().priority), GetParam().key)
        << GetParam().date << " " << GetParam().priority;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SortKeyTest,
    ::testing::Values(KeyCase{1000000, "Low", 1000000},
                      KeyCase{1000000, "Normal", 1000000 - 129600},
                      KeyCase{1000000, "High", 1000000 - 259200},
                      KeyCase{1000000, "high", 1000000},   // lower case: no bonus
                      KeyCase{1000000, "normal", 1000000},
                      KeyCase{1000000, "Urgent", 1000000},
                      KeyCase{1000000, "", 1000000},
                      KeyCase{1000000, "Hx", 1000000 - 259200},
                      KeyCase{0, "Normal", 259200 - 129600},  // raised before the bonus
                      KeyCase{0, "High", 0},
                      KeyCase{259199, "Low", 259200},
                      KeyCase{259201, "High", 1}));

TEST(QueueOrderTest, EqualKeysKeepInsertionOrderAndGreaterKeysGoAfter) {
    std::vector<QueueEntry> queue;
    const std::pair<const char*, uint32_t> arrivals[] = {
        {"a", 500}, {"b", 300}, {"c", 500}, {"d", 100}, {"e", 300}, {"f", 900}, {"g", 500}};
    for (const auto& [base, key] : arrivals) insertInQueueOrder(queue, {base, base, key});
    std::string order;
    for (const auto& entry : queue) order += entry.base;
    EXPECT_EQ(order, "dbeacgf");
}

TEST(QueueOrderTest, HighThreeDaysLaterTiesWithLow) {
    const int monday = 1700000000;
    EXPECT_EQ(queueSortKey(monday, "Low"), queueSortKey(monday + 3 * 86400, "High"));
    EXPECT_EQ(queueSortKey(monday, "Low"), queueSortKey(monday + 129600, "Normal"));
}

class QueueFolderTest : public ::testing::Test {
protected:
    void addDictation(const std::string& base, const std::string& recordText) {
        writeBytes(current + base + ".wav", "RIFF");
        if (!recordText.empty()) writeBytes(current + base + ".dat", recordText);
    }
    // The bases in the order the folder listing yields the audio files.
    std::vector<std::string> listingOrder() {
        std::vector<std::string> bases;
        for (FolderIterator it(current + "*.wav"); it.valid(); it.next())
            bases.push_back(it.name().substr(0, it.name().size() - 4));
        return bases;
    }
    std::string status(const std::string& base) {
        return DictationRecord(current, base).status("(none)");
    }

    TestFolder temp;
    std::string current = temp.subfolder("Current Files");
};

TEST_F(QueueFolderTest, RebuildOrdersByKeyAndWritesEachPlace) {
    addDictation("late", "[file]\r\nname=Late\r\ndate=1700500000\r\npriority=Low\r\n");
    addDictation("early", "[file]\nname=Early\ndate=1700000000\npriority=Low\n");
    addDictation("urgent", "[FILE]\nNAME=Urgent\nDATE=1700600000\nPRIORITY=High\n");
    const auto queue = rebuildQueue(current);
    ASSERT_EQ(queue.size(), 3u);
    EXPECT_EQ(queue[0].text, "early: Early");
    EXPECT_EQ(queue[1].text, "urgent: Urgent");  // 1700600000 - 259200 < 1700500000
    EXPECT_EQ(queue[2].text, "late: Late");
    EXPECT_EQ(status("early"), "List 1 of 3");
    EXPECT_EQ(status("urgent"), "List 2 of 3");
    EXPECT_EQ(status("late"), "List 3 of 3");
    // The other keys of a record survive the status write.
    EXPECT_EQ(DictationRecord(current, "urgent").priority(), "High");
}

TEST_F(QueueFolderTest, DictationWithoutRecordSortsAsNormalAtTimeZero) {
    addDictation("bare", "");
    addDictation("old", "[file]\nname=Old\ndate=100\npriority=Low\n");
    const auto queue = listQueue(current);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue[0].text, "bare: ");
    EXPECT_EQ(queue[0].key, 259200u - 129600u);
    EXPECT_EQ(queue[1].key, 259200u);
    const std::time_t before = std::time(nullptr);
    const std::time_t shown = DictationRecord(current, "bare").displayDate();
    EXPECT_GE(shown, before);
    EXPECT_LE(shown, std::time(nullptr));
}

TEST_F(QueueFolderTest, EqualKeysListInFolderListingOrder) {
    for (const char* base : {"m", "c", "x", "a", "q"})
        addDictation(base, "[file]\ndate=1700000000\npriority=Normal\n");
    std::vector<std::string> listed;
    for (const auto& entry : rebuildQueue(current)) listed.push_back(entry.base);
    EXPECT_EQ(listed, listingOrder());
    EXPECT_EQ(status(listed[4]), "List 5 of 5");
}

TEST_F(QueueFolderTest, OnlyAudioFilesNamedDotWavAreDictations) {
    addDictation("real", "");
    writeBytes(current + "notes.txt", "x");
    writeBytes(current + "upper.WAV", "x");
    temp.subfolder("Current Files/folder.wav");
    const auto queue = rebuildQueue(current);
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue[0].base, "real");
    EXPECT_EQ(status("real"), "List 1 of 1");
}

TEST_F(QueueFolderTest, EmptyOrMissingFolderGivesEmptyQueue) {
    EXPECT_TRUE(rebuildQueue(current).empty());
    EXPECT_TRUE(rebuildQueue(temp.file("absent/")).empty());
}

}  // namespace
}  // namespace typix
