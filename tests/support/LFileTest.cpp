#include "support/LFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>

#include "support/TempFolder.h"

namespace typix {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

TEST(LFile, UnopenedObjectsCloseNothingAndFailEveryCall) {
    LFile file;
    char byte = 0;
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.read(&byte, 1), -1);
    EXPECT_EQ(file.write(&byte, 1), -1);
    EXPECT_EQ(file.seek(0, SEEK_SET), -1);
    EXPECT_EQ(file.size(), -1);
    EXPECT_FALSE(file.flush());
    file.close();
    LReadFile missing;
    EXPECT_FALSE(missing.open("/nonexistent/typix/file"));
    EXPECT_FALSE(missing.isOpen());
}

TEST(LFile, CreateWriteSeekTruncateAndReadBack) {
    TempFolder temp;
    const std::string path = temp.file("a.raw");
    LWriteFile out;
    ASSERT_TRUE(out.create(path, 0600));
    EXPECT_EQ(out.write("0123456789", 10), 10);
    EXPECT_EQ(out.seek(4, SEEK_SET), 4);
    EXPECT_TRUE(out.setEndHere());
    EXPECT_EQ(out.size(), 4);
    EXPECT_TRUE(out.flush());
    out.close();

    LReadFile in;
    ASSERT_TRUE(in.open(path));
    char buffer[16] = {};
    EXPECT_EQ(in.read(buffer, sizeof buffer), 4);  // short at the end, not an error
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(in.read(buffer, sizeof buffer), 0);
    EXPECT_EQ(in.tell(), 4);
}

TEST(LFile, AppendNeedsAnExistingFileAndWritesAtItsEnd) {
    TempFolder temp;
    const std::string path = temp.file("s0000001.sta");
    LWriteFile file;
    EXPECT_FALSE(file.append(path));
    EXPECT_FALSE(std::filesystem::exists(path));
    writeBytes(path, std::string(4, '\0'));
    ASSERT_TRUE(file.append(path));
    EXPECT_EQ(file.write("abc", 3), 3);
    file.close();
    EXPECT_EQ(readBytes(path), std::string(4, '\0') + "abc");
}

TEST(LFile, OpenOrCreateKeepsContentAndStartsAtZero) {
    TempFolder temp;
    const std::string path = temp.file("grow.wav");
    writeBytes(path, "RIFFdata");
    LWriteFile file;
    ASSERT_TRUE(file.openOrCreate(path));
    EXPECT_EQ(file.tell(), 0);
    EXPECT_EQ(file.write("riff", 4), 4);
    file.close();
    EXPECT_EQ(readBytes(path), "riffdata");
}

TEST(LFile, DescriptorsAreClosedOnExecAndMovedOwnership) {
    TempFolder temp;
    const std::string path = temp.file("x");
    LWriteFile first;
    ASSERT_TRUE(first.create(path));
    EXPECT_TRUE(::fcntl(first.fd(), F_GETFD) & FD_CLOEXEC);
    const int fd = first.fd();
    LWriteFile second = std::move(first);
    EXPECT_FALSE(first.isOpen());
    EXPECT_EQ(second.fd(), fd);
}

TEST(Wildcard, MatchesWithoutRegardToCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.wav", "a.wav", true},          {"*.wav", "A.WAV", true},
        {"*.wav", "a.wav.part", false},    {"*.wav", "wav", false},
        {"dct?????" "-?????.dct", "dct00012-00345.dct", true},
        {"dct?????" "-?????.dct", "dct0012-00345.dct", false},
        {"s*.sta", "S0000012.STA", true},  {"*", "", true},
        {"*.*", "README", true},           {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},        {"*.dat", ".dat", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

std::set<std::string> listNames(const std::string& pattern) {
    std::set<std::string> names;
    for (LFile::FolderIterator it(pattern); it.valid(); it.next()) names.insert(it.name());
    return names;
}

TEST(FolderIterator, ListsMatchingEntriesIncludingFolders) {
    TempFolder temp;
    for (const char* name : {"b.wav", "C.WAV", "a.dat", "notes.txt"}) writeBytes(temp.file(name), "x");
    std::filesystem::create_directory(temp.file("dir.wav"));
    EXPECT_EQ(listNames(temp.folder() + "*.wav"), (std::set<std::string>{"b.wav", "C.WAV", "dir.wav"}));
    EXPECT_EQ(listNames(temp.folder() + "*.dat"), (std::set<std::string>{"a.dat"}));
    EXPECT_TRUE(listNames(temp.folder() + "*.sta").empty());
    EXPECT_TRUE(listNames(temp.file("missing/") + "*.wav").empty());
}

TEST(FolderIterator, ReportsPathTypeSizeAndTimes) {
    TempFolder temp;
    writeBytes(temp.file("one.wav"), "12345");
    std::filesystem::create_directory(temp.file("sub.wav"));
    const int64_t now = std::time(nullptr);
    for (LFile::FolderIterator it(temp.folder() + "*.wav"); it.valid(); it.next()) {
        const bool folder = it.name() == "sub.wav";
        EXPECT_EQ(it.path(), temp.folder() + it.name());
        EXPECT_EQ(it.isDirectory(), folder);
        if (!folder) {
            EXPECT_EQ(it.size(), 5);
        }
        EXPECT_LE(std::abs(it.creationTime() - now), 5);
        EXPECT_LE(std::abs(it.modificationTime() - now), 5);
    }
}

TEST(FolderIterator, CreationTimeStaysWhenTheFileChangesIfTheSystemKeepsIt) {
    TempFolder temp;
    const std::string path = temp.file("old.dat");
    writeBytes(path, "x");
    struct statx info {};
    ASSERT_EQ(::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &info), 0);
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    LFile::FolderIterator it(temp.folder() + "*.dat");
    ASSERT_TRUE(it.valid());
    if (info.stx_mask & STATX_BTIME)
        EXPECT_EQ(it.creationTime(), info.stx_btime.tv_sec);
    else
        EXPECT_EQ(it.creationTime(), 1000000000);
}

TEST(FolderIterator, DeletingTheCurrentEntryContinuesWithTheRest) {
    TempFolder temp;
    for (int i = 0; i < 20; ++i) writeBytes(temp.file("f" + std::to_string(i) + ".wav"), "x");
    std::set<std::string> seen;
    for (FolderIterator it(temp.folder() + "*.wav"); it.valid(); it.next()) {
        EXPECT_TRUE(seen.insert(it.name()).second);
        ASSERT_EQ(::unlink(it.path().c_str()), 0);
    }
    EXPECT_EQ(seen.size(), 20u);
}

TEST(FolderIterator, PatternWithoutFolderListsTheCurrentFolder) {
    TempFolder temp;
    writeBytes(temp.file("here.sta"), "x");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.folder());
    const std::set<std::string> names = listNames("*.sta");
    std::filesystem::current_path(previous);
    EXPECT_EQ(names, (std::set<std::string>{"here.sta"}));
}

}  // namespace
}  // namespace typix
