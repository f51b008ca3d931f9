#include "support/IniFile.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "support/TempFolder.h"

namespace typix {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

// A file as another program on another system leaves it: CR LF line ends,
// comments, blanks around '=', mixed case, several sections, no final line end.
const std::string kForeign =
    "; written by another program\r\n"
    "[General]\r\n"
    "slowspeed=99\r\n"
    "\r\n"
    "[Settings]\r\n"
    "# pedal setup\r\n"
    "  SlowSpeed = 40%  \r\n"
    "FastSpeed=150\r\n"
    "lanfolder = /srv/drop\r\n"
    "\r\n"
    "[Other]\r\n"
    "key=value";

class IniFileTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::string path = temp.file("settings.ini");
};

TEST_F(IniFileTest, ReadsForeignFileAcrossCaseBlanksAndSections) {
    writeBytes(path, kForeign);
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"settings", "slowspeed", "40%"},  {"SETTINGS", "fastspeed", "150"},
        {"settings", "LanFolder", "/srv/drop"}, {"general", "slowspeed", "99"},
        {"other", "key", "value"},         {"settings", "key", std::nullopt},
        {"settings", "# pedal setup", std::nullopt}, {"missing", "slowspeed", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(iniRead(path, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST_F(IniFileTest, WriteChangesOneLineAndKeepsEveryOtherByte) {
    writeBytes(path, kForeign);
    ASSERT_TRUE(iniWrite(path, "settings", "fastspeed", "175"));
    std::string expected = kForeign;
    expected.replace(expected.find("FastSpeed=150"), 13, "FastSpeed=175");
    EXPECT_EQ(readBytes(path), expected);

    ASSERT_TRUE(iniWrite(path, "settings", "slowspeed", "45"));
    expected.replace(expected.find("  SlowSpeed = 40%  "), 19, "  SlowSpeed = 45");
    EXPECT_EQ(readBytes(path), expected);

    struct stat before {}, after {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_TRUE(iniWrite(path, "SETTINGS", "slowspeed", "45"));  // same value: no rewrite
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(IniFileTest, NewKeysGoToTheirSectionWithTheFileLineEnds) {
    writeBytes(path, kForeign);
    ASSERT_TRUE(iniWrite(path, "settings", "hotkeys", "false"));
    ASSERT_TRUE(iniWrite(path, "dock", "number", "2"));
    std::string expected = kForeign;
    expected.insert(expected.find("\r\n\r\n[Other]") + 2, "hotkeys=false\r\n");
    expected += "\r\n[dock]\r\nnumber=2\r\n";
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(iniRead(path, "Dock", "NUMBER"), "2");
}

TEST_F(IniFileTest, FirstWriteCreatesFileWithLfLines) {
    ASSERT_TRUE(iniWrite(path, "file", "status", "Received"));
    ASSERT_TRUE(iniWrite(path, "file", "name", "A. Sender"));
    EXPECT_EQ(readBytes(path), "[file]\nstatus=Received\nname=A. Sender\n");
}

TEST_F(IniFileTest, ReadingSeveralKeysAtOnceGivesWhatEachReadGives) {
    const std::string_view keys[] = {"slowspeed", "FASTSPEED", "lanfolder", "key", "absent"};
    for (const char* section : {"settings", "General", "other", "missing"}) {
        writeBytes(path, kForeign);
        const auto values = iniReadKeys(path, section, keys);
        ASSERT_EQ(values.size(), std::size(keys));
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(values[i], iniRead(path, section, std::string(keys[i])))
                << section << "/" << keys[i];
    }
    const auto none = iniReadKeys(temp.file("absent.ini"), "settings", keys);
    for (const auto& value : none) EXPECT_FALSE(value.has_value());
}

TEST_F(IniFileTest, ValueAsWrittenIsWhatAWritePutsInTheFile) {
    const struct {
        const char* value;
        const char* written;
    } cases[] = {
        {"plain", "plain"},       {" lead", "\" lead\""},   {"trail\t", "\"trail\t\""},
        {"\"q\"", "\"\"q\"\""}, {"a\r\nb\nc", "a b c"},  {"", ""},
        {"in \"side\" x", "in \"side\" x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(iniValueAsWritten(c.value), c.written) << c.value;
        ASSERT_TRUE(iniWrite(path, "file", "name", c.value));
        EXPECT_EQ(readBytes(path), std::string("[file]\nname=") + c.written + "\n") << c.value;
    }
}

TEST_F(IniFileTest, DerivedWritesReplaceTheFileAsDurableOnesDo) {
    writeBytes(path, kForeign);
    ASSERT_TRUE(iniWrite(path, "settings", "fastspeed", "160", 0644, IniDurability::Derived));
    EXPECT_EQ(iniRead(path, "settings", "fastspeed"), "160");
    EXPECT_EQ(iniRead(path, "settings", "slowspeed"), "40%");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.folder()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(IniFileTest, BlanksAtTheEndsOfAValueSurviveInQuotes) {
    for (const char* value : {" secret ", "\tlead", "trail ", "\"quoted\"", "in side", ""}) {
        ASSERT_TRUE(iniWrite(path, "settings", "ftppassword", value));
        EXPECT_EQ(iniRead(path, "settings", "ftppassword"), value) << value;
    }
    writeBytes(path, "[settings]\nftpserver=\"ftp.example.org\"\n");
    EXPECT_EQ(iniRead(path, "settings", "ftpserver"), "ftp.example.org");
}

TEST_F(IniFileTest, OnePairOfSurroundingQuotesIsNotPartOfTheValue) {
    writeBytes(path, "[settings]\r\n"
                     "ftpserver=\"ftp.example.org\"\r\n"
                     "ftpdir = \" /in box \" \r\n"
                     "twice=\"\"x\"\"\r\n"
                     "inner=a \"b\" c\r\n"
                     "lone=\"\r\n"
                     "empty=\"\"\r\n");
    EXPECT_EQ(iniRead(path, "settings", "ftpserver"), "ftp.example.org");
    EXPECT_EQ(iniRead(path, "settings", "ftpdir"), " /in box ");
    EXPECT_EQ(iniRead(path, "settings", "twice"), "\"x\"");
    EXPECT_EQ(iniRead(path, "settings", "inner"), "a \"b\" c");
    EXPECT_EQ(iniRead(path, "settings", "lone"), "\"");
    EXPECT_EQ(iniRead(path, "settings", "empty"), "");

    // What is written reads back as written, quotes included.
    for (const std::string value : {"\"quoted\"", "\"\"", "\"half", "plain"}) {
        ASSERT_TRUE(iniWrite(path, "file", "name", value));
        EXPECT_EQ(iniRead(path, "file", "name"), value);
    }
}

TEST_F(IniFileTest, LineBreaksInValuesCannotForgeKeys) {
    ASSERT_TRUE(iniWrite(path, "file", "address", "1 Road\r\nTown\n[settings]\nftpserver=evil"));
    EXPECT_EQ(iniRead(path, "file", "address"), "1 Road Town [settings] ftpserver=evil");
    EXPECT_EQ(iniRead(path, "settings", "ftpserver"), std::nullopt);
}

TEST_F(IniFileTest, RejectsNamesThatWouldBreakTheLayout) {
    EXPECT_FALSE(iniWrite(path, "set]tings", "key", "v"));
    EXPECT_FALSE(iniWrite(path, "settings", "a=b", "v"));
    EXPECT_FALSE(iniWrite(path, "settings", "", "v"));
    EXPECT_FALSE(iniWrite(path, "", "key", "v"));
    EXPECT_FALSE(iniWrite(path, "settings", "[key", "v"));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileTest, RemoveTakesOutOnlyThatKey) {
    writeBytes(path, kForeign);
    ASSERT_TRUE(iniRemove(path, "settings", "fastspeed"));
    std::string expected = kForeign;
    expected.erase(expected.find("FastSpeed=150\r\n"), 15);
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_TRUE(iniRemove(path, "settings", "fastspeed"));
    EXPECT_EQ(readBytes(path), expected);
}

TEST_F(IniFileTest, ByteOrderMarkIsKeptAndIgnored) {
    writeBytes(path, "\xEF\xBB\xBF[settings]\nnumber=4\n");
    EXPECT_EQ(iniRead(path, "settings", "number"), "4");
    ASSERT_TRUE(iniWrite(path, "settings", "number", "5"));
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF[settings]\nnumber=5\n");
}

TEST_F(IniFileTest, SymbolicLinkStaysAndItsTargetChanges) {
    const std::string target = temp.file("real.ini");
    writeBytes(target, "[settings]\nnumber=1\n");
    std::filesystem::create_symlink(target, path);
    ASSERT_TRUE(iniWrite(path, "settings", "number", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(readBytes(target), "[settings]\nnumber=2\n");
}

// A file that exists but cannot be read must not be replaced by one holding
// only the new key.  A folder in its place fails the read for every user.
TEST_F(IniFileTest, UnreadableFileIsNeverReplaced) {
    std::filesystem::create_directory(path);
    writeBytes(path + "/inside", "kept");
    EXPECT_FALSE(iniWrite(path, "settings", "other", "2"));
    EXPECT_EQ(iniRead(path, "settings", "other"), std::nullopt);
    EXPECT_EQ(readBytes(path + "/inside"), "kept");
}

TEST_F(IniFileTest, NoTemporaryFilesAreLeftBehind) {
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(iniWrite(path, "s", "k" + std::to_string(i), "v"));
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.folder())) {
        static_cast<void>(entry);
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

// Readers in other threads see either the old or the new file, never a torn
// one; writers of different keys in one process never lose each other's change.
TEST_F(IniFileTest, ConcurrentReadersAndWritersNeverSeeATornFile) {
    std::string body = "[settings]\n";
    for (int i = 0; i < 200; ++i) body += "filler" + std::to_string(i) + "=" + std::string(40, 'x') + "\n";
    writeBytes(path, body + "tail=end\n");
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    auto reader = [&] {
        while (!done) {
            const auto tail = iniRead(path, "settings", "tail");
            const auto counter = iniRead(path, "settings", "counter");
            if (tail != "end" || (counter && counter->empty())) ++torn;
        }
    };
    auto writer = [&](const std::string& key) {
        for (int i = 0; i < 60; ++i) ASSERT_TRUE(iniWrite(path, "settings", key, std::to_string(i)));
    };
    std::thread r1(reader), r2(reader);
    std::thread w1(writer, "counter"), w2(writer, "other");
    w1.join();
    w2.join();
    done = true;
    r1.join();
    r2.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(iniRead(path, "settings", "counter"), "59");
    EXPECT_EQ(iniRead(path, "settings", "other"), "59");
}

// Run as a second process by the test below (skipped in a normal run).
TEST(IniFileProcesses, ChildWriter) {
    const char* path = std::getenv("TYPIX_INI_CHILD_FILE");
    if (!path) GTEST_SKIP() << "only run as the second writer process";
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(iniWrite(path, "settings", "child" + std::to_string(i), "c"));
}

TEST_F(IniFileTest, WritersInTwoProcessesNeverLoseEachOthersKeys) {
    writeBytes(path, "[settings]\n");
    const std::string env = "TYPIX_INI_CHILD_FILE=" + path;
    std::vector<char*> childEnv;
    for (char** e = environ; *e; ++e) childEnv.push_back(*e);
    childEnv.push_back(const_cast<char*>(env.c_str()));
    childEnv.push_back(nullptr);
    std::string filter = "--gtest_filter=IniFileProcesses.ChildWriter";
    char* argv[] = {const_cast<char*>("typix_test_support"), filter.data(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(::posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, childEnv.data()), 0);
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(iniWrite(path, "settings", "parent" + std::to_string(i), "p"));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(iniRead(path, "settings", "parent" + std::to_string(i)), "p") << i;
        EXPECT_EQ(iniRead(path, "settings", "child" + std::to_string(i)), "c") << i;
    }
}

}  // namespace
}  // namespace typix
