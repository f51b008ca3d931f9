#include "store/DictationFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "app/AppTestFolder.h"
#include "store/DictationRecord.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::TestFolder;
using apptest::writeBytes;

constexpr int64_t kDay = 86400;

TEST(FileTimeTest, UnixEpochAndKnownFileTimes) {
    EXPECT_EQ(fileTimeFromUnix(0), 116444736000000000ULL);
    EXPECT_EQ(fileTimeFromUnix(1, 999), 116444736010000009ULL);
    const uint64_t now = currentFileTime();
    EXPECT_NEAR(static_cast<double>(now), static_cast<double>(fileTimeFromUnix(std::time(nullptr))), 2e7);
}

TEST(PurgeRuleTest, ComparesUpperHalvesAsUnsignedDifference) {
    const uint64_t unit = 1ULL << 32;  // 429.4967296 s
    const uint64_t file = 30000000ULL * unit + 12345;
    EXPECT_FALSE(isOldEnoughToPurge(file + 2000 * unit, file));
    EXPECT_TRUE(isOldEnoughToPurge(file + 2001 * unit, file));
    // Only the upper halves count: just short of 2001 units is still 2001 apart.
    EXPECT_TRUE(isOldEnoughToPurge((file & ~0xFFFFFFFFULL) + 2001 * unit, file | 0xFFFFFFFFULL));
    EXPECT_FALSE(isOldEnoughToPurge(file + 5000 * unit, 0xFFFFFFFFULL));  // zero upper half
    // Dated after now (the clock was put back): age 0, however far ahead.
    EXPECT_FALSE(isOldEnoughToPurge(file, file + unit));
    EXPECT_FALSE(isOldEnoughToPurge(file, file + 3000 * unit));
    EXPECT_FALSE(isOldEnoughToPurge(file, 0xFFFFFFFF00000000ULL));
}

class DictationFilesTest : public ::testing::Test {
protected:
    void makeTriple(const std::string& folder, const std::string& base, const std::string& tag,
                    bool withTyping = true) {
        writeBytes(folder + base + ".wav", "audio " + tag);
        writeBytes(folder + base + ".dat", "[file]\nname=" + tag + "\n");
        if (withTyping) writeBytes(folder + base + ".txt", "typing " + tag);
    }
    static void setAge(const std::string& path, int64_t seconds) {
        const std::time_t then = std::time(nullptr) - seconds;
        const timespec times[2] = {{then, 0}, {then, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    static int64_t age(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return std::time(nullptr) - info.st_mtime;
    }

    TestFolder temp;
    std::string current = temp.subfolder("Current Files");
    std::string done = temp.subfolder("Done Files");
};

TEST_F(DictationFilesTest, FinishWritesStatusAndMovesTheTripleStampedNow) {
    makeTriple(current, "d1", "one");
    setAge(current + "d1.wav", 30 * kDay);
    ASSERT_TRUE(finishDictation(current, done, "d1", kStatusDispatched));
    for (const char* ext : {".wav", ".dat", ".txt"}) {
        EXPECT_FALSE(exists(current + "d1" + ext)) << ext;
        EXPECT_TRUE(exists(done + "d1" + ext)) << ext;
        EXPECT_LT(age(done + "d1" + ext), 60) << ext;
    }
    EXPECT_EQ(DictationRecord(done, "d1").status(kStatusDefaultDone), "Dispatched");
    EXPECT_EQ(DictationRecord(done, "d1").name(), "one");
    EXPECT_EQ(readBytes(done + "d1.txt"), "typing one");
    // Moved in, the dictation survives the next purge although its audio was old.
    EXPECT_EQ(purgeDoneFiles(done), 0);
}

TEST_F(DictationFilesTest, FinishReplacesTheOlderTripleWhole) {
    makeTriple(done, "d1", "old");
    makeTriple(current, "d1", "new", /*withTyping=*/false);
    ASSERT_TRUE(finishDictation(current, done, "d1", kStatusDone));
    EXPECT_EQ(readBytes(done + "d1.wav"), "audio new");
    EXPECT_EQ(DictationRecord(done, "d1").name(), "new");
    EXPECT_EQ(DictationRecord(done, "d1").status(""), "Done");
    EXPECT_FALSE(exists(done + "d1.txt"));  // the old typing does not pair with the new audio
}

TEST_F(DictationFilesTest, FinishWithoutRecordCreatesOneWithTheStatus) {
    writeBytes(current + "bare.wav", "audio");
    ASSERT_TRUE(finishDictation(current, done, "bare", kStatusDone));
    EXPECT_EQ(DictationRecord(done, "bare").status(""), "Done");
}

TEST_F(DictationFilesTest, FinishOfMissingDictationDoesNothing) {
    EXPECT_FALSE(finishDictation(current, done, "ghost", kStatusDone));
    EXPECT_FALSE(exists(current + "ghost.dat"));
}

TEST_F(DictationFilesTest, PurgeKeepsNineDayOldFilesAndDeletesTenDayOldOnes) {
    makeTriple(done, "nine", "9");
    makeTriple(done, "ten", "10");
    writeBytes(done + "stray.sta", "x");
    for (const char* ext : {".wav", ".dat", ".txt"}) {
        setAge(done + "nine" + ext, 9 * kDay);
        setAge(done + "ten" + ext, 10 * kDay);
    }
    setAge(done + "stray.sta", 11 * kDay);
    makeTriple(done, "ahead", "future");
    for (const char* ext : {".wav", ".dat", ".txt"}) setAge(done + "ahead" + ext, -20 * kDay);
    EXPECT_EQ(purgeDoneFiles(done), 4);
    EXPECT_TRUE(exists(done + "ahead.wav"));
    EXPECT_TRUE(exists(done + "ahead.txt"));
    EXPECT_TRUE(exists(done + "nine.wav"));
    EXPECT_TRUE(exists(done + "nine.txt"));
    EXPECT_FALSE(exists(done + "ten.wav"));
    EXPECT_FALSE(exists(done + "ten.dat"));
    EXPECT_FALSE(exists(done + "stray.sta"));
}

TEST_F(DictationFilesTest, FinishPurgesBeforeMoving) {
    makeTriple(done, "stale", "s");
    for (const char* ext : {".wav", ".dat", ".txt"}) setAge(done + "stale" + ext, 12 * kDay);
    makeTriple(current, "d1", "one");
    ASSERT_TRUE(finishDictation(current, done, "d1", kStatusDone));
    EXPECT_FALSE(exists(done + "stale.wav"));
    EXPECT_TRUE(exists(done + "d1.wav"));
}

TEST_F(DictationFilesTest, DeleteRemovesAllThreeForGood) {
    makeTriple(current, "d1", "one");
    EXPECT_TRUE(deleteDictation(current, "d1"));
    for (const char* ext : {".wav", ".dat", ".txt"}) {
        EXPECT_FALSE(exists(current + "d1" + ext));
        EXPECT_FALSE(exists(done + "d1" + ext));
    }
    EXPECT_FALSE(deleteDictation(current, "d1"));
}

TEST_F(DictationFilesTest, RecoverMovesBackKeepingStatus) {
    makeTriple(done, "d1", "one");
    DictationRecord(done, "d1").setStatus(kStatusDispatched);
    ASSERT_TRUE(recoverDictation(done, current, "d1"));
    for (const char* ext : {".wav", ".dat", ".txt"}) {
        EXPECT_TRUE(exists(current + "d1" + ext));
        EXPECT_FALSE(exists(done + "d1" + ext));
    }
    EXPECT_EQ(DictationRecord(current, "d1").status(""), "Dispatched");
}

TEST_F(DictationFilesTest, RecoverNeverOverwritesCurrentFiles) {
    makeTriple(done, "d1", "old");
    writeBytes(current + "d1.txt", "typing in progress");
    EXPECT_TRUE(recoverDictation(done, current, "d1"));
    EXPECT_EQ(readBytes(current + "d1.txt"), "typing in progress");
    EXPECT_EQ(readBytes(done + "d1.txt"), "typing old");  // stays where it was
    EXPECT_EQ(readBytes(current + "d1.wav"), "audio old");

    makeTriple(done, "d2", "done copy");
    writeBytes(current + "d2.wav", "audio current");
    EXPECT_FALSE(recoverDictation(done, current, "d2"));
    EXPECT_EQ(readBytes(current + "d2.wav"), "audio current");
    EXPECT_TRUE(exists(done + "d2.wav"));
}

}  // namespace
}  // namespace typix
