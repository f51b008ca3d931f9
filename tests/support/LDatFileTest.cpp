#include "support/LDatFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempFolder.h"

namespace typix {
namespace {

using test::TempFolder;

struct LevelText {
    const char* text;
    int level;
};

TEST(LevelEncoding, ReadsEveryDigitWithSignRules) {
    const LevelText cases[] = {
        {"-6dB", -6},   {"12dB", 12},    {"0dB", 0},      {"--dB", -127}, {"300dB", 127},
        {"dB", 0},      {"", 0},         {"-300dB", -127}, {"-126dB", -126}, {"1-2dB", -12},
        {"- 4 0", -40}, {"--5dB", -127}, {"99999999999dB", 127}, {"-dB", 0},
    };
    for (const LevelText& c : cases) EXPECT_EQ(parseLevel(c.text), c.level) << c.text;
}

TEST(LevelEncoding, WritesOffBelowMinus126) {
    const LevelText cases[] = {
        {"--dB", -127}, {"--dB", -128}, {"--dB", -1000}, {"-126dB", -126},
        {"-6dB", -6},   {"0dB", 0},     {"12dB", 12},    {"127dB", 127}, {"127dB", 500},
    };
    for (const LevelText& c : cases) EXPECT_EQ(formatLevel(c.level), c.text) << c.level;
}

TEST(LevelEncoding, EveryLevelSurvivesWriteAndRead) {
    for (int level = -127; level <= 127; ++level)
        EXPECT_EQ(parseLevel(formatLevel(level)), level);
    EXPECT_EQ(parseLevel(formatLevel(-128)), -127);
}

TEST(IntegerEncoding, ReadsByAtoiRules) {
    const LevelText cases[] = {
        {"40%", 40},        {"", 0},           {"  -12", -12},     {"+7x", 7},
        {"abc", 0},         {"- 5", 0},        {"\t150", 150},     {"2147483647", 2147483647},
        {"99999999999", 2147483647}, {"-2147483648", -2147483647 - 1}, {"-99999999999", -2147483647 - 1},
    };
    for (const LevelText& c : cases) EXPECT_EQ(parseAtoi(c.text), c.level) << c.text;
}

class LDatFileTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::string path = temp.file("settings.ini");
};

TEST_F(LDatFileTest, MissingFileSectionOrKeyGivesDefaults) {
    const LDatFile none(path);
    EXPECT_EQ(none.readInt("settings", "slowspeed", 50), 50);
    EXPECT_TRUE(none.readFlag("settings", "hotkeys", true));
    EXPECT_FALSE(none.readFlag("settings", "emailcheck", false));
    EXPECT_EQ(none.readLevel("settings", "soundoutvolume", 0), 0);
    EXPECT_EQ(none.readLevel("settings", "dockactivate", -15), -15);
    EXPECT_EQ(none.readLevel("settings", "off", -128), -127);
    EXPECT_EQ(none.readText("settings", "ftpserver"), "");
    EXPECT_EQ(none.readInt("settings", "docksoundinchan", -2), -2);

    LDatFile other(path);
    ASSERT_TRUE(other.writeInt("settings", "number", 3));
    EXPECT_EQ(other.readInt("other", "number", 1), 1);
    EXPECT_EQ(other.readInt("settings", "numbers", 1), 1);
}

TEST_F(LDatFileTest, FlagIsTrueOnlyForTheWordTrue) {
    test::writeBytes(path,
                     "[settings]\nhotkeys=TRUE\nlancheck=yes\nftpcheck=\nemailcheck=True \n"
                     "ftpstatusupload=truer\n");
    const LDatFile file(path);
    EXPECT_TRUE(file.readFlag("settings", "hotkeys", false));
    EXPECT_FALSE(file.readFlag("settings", "lancheck", true));
    EXPECT_FALSE(file.readFlag("settings", "ftpcheck", true));
    EXPECT_TRUE(file.readFlag("settings", "emailcheck", false));  // blanks around values go
    EXPECT_FALSE(file.readFlag("settings", "ftpstatusupload", true));
}

TEST_F(LDatFileTest, ValuesWrittenReadBackInEveryEncoding) {
    LDatFile file(path);
    ASSERT_TRUE(file.writeInt("settings", "slowspeed", -40));
    ASSERT_TRUE(file.writeFlag("settings", "hotkeys", false));
    ASSERT_TRUE(file.writeLevel("settings", "soundoutvolume", -127));
    ASSERT_TRUE(file.writeLevel("settings", "dockactivate", -15));
    ASSERT_TRUE(file.writeText("settings", "ftpserver", "ftp.example.org"));
    EXPECT_EQ(file.readInt("settings", "SlowSpeed", 0), -40);
    EXPECT_FALSE(file.readFlag("SETTINGS", "hotkeys", true));
    EXPECT_EQ(file.readLevel("settings", "soundoutvolume", 0), -127);
    EXPECT_EQ(file.readLevel("settings", "dockactivate", 0), -15);
    EXPECT_EQ(file.readText("settings", "ftpserver"), "ftp.example.org");
    EXPECT_EQ(test::readBytes(path),
              "[settings]\nslowspeed=-40\nhotkeys=false\nsoundoutvolume=--dB\n"
              "dockactivate=-15dB\nftpserver=ftp.example.org\n");
}

TEST_F(LDatFileTest, TextIsCutAt259Characters) {
    LDatFile file(path);
    ASSERT_TRUE(file.writeText("file", "address", std::string(300, 'a')));
    EXPECT_EQ(file.readText("file", "address"), std::string(259, 'a'));
}

TEST_F(LDatFileTest, NewFileGetsTheModeGivenAndKeepsItsModeLater) {
    LDatFile secret(path, 0600);
    ASSERT_TRUE(secret.writeText("settings", "ftppassword", "pw"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    LDatFile later(path, 0600);
    ASSERT_TRUE(later.writeText("settings", "ftppassword", "pw2"));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(LDatFileTest, EmptyPathReadsDefaultsAndRefusesWrites) {
    LDatFile empty;
    EXPECT_EQ(empty.readInt("settings", "number", 1), 1);
    EXPECT_FALSE(empty.writeInt("settings", "number", 2));
}

TEST_F(LDatFileTest, WriteIntoMissingFolderFailsCleanly) {
    LDatFile file(temp.file("no/such/folder/record.dat"));
    EXPECT_FALSE(file.writeText("file", "status", "Received"));
    EXPECT_EQ(file.readText("file", "status", "x"), "x");
}

}  // namespace
}  // namespace typix
