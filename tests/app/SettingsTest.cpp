#include "app/Settings.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <ctime>
#include <set>

#include "app/AppTestFolder.h"
#include "app/Startup.h"

namespace typix {
namespace {

using apptest::readBytes;
using apptest::TestFolder;
using apptest::writeBytes;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FolderPaths paths;
        paths.dataFolder = temp.folder();
        paths.settingsFile = temp.file("settings.ini");
        store.setPaths(paths);
    }
    void writeFile(const std::string& text) { writeBytes(store.settingsFile(), text); }
    std::string fileText() const { return readBytes(store.settingsFile()); }
    std::string valueOf(const char* key) const { return store.valueText(*findSettingKey(key)); }

    TestFolder temp;
    Settings store;
};

TEST_F(SettingsTest, MissingFileReadsEveryDefault) {
    EXPECT_EQ(store.soundOutDevice(), 0);
    EXPECT_EQ(store.soundOutVolume(), 0);
    EXPECT_EQ(store.slowSpeed(), 50);
    EXPECT_EQ(store.fastSpeed(), 150);
    EXPECT_TRUE(store.hotKeys());
    EXPECT_FALSE(store.emailCheck());
    EXPECT_FALSE(store.lanCheck());
    EXPECT_FALSE(store.ftpCheck());
    EXPECT_EQ(store.ftpInterval(), 0);
    EXPECT_TRUE(store.ftpStatusUpload());
    EXPECT_EQ(store.number(), 1);
    EXPECT_EQ(store.dockSoundInChan(), -2);
    EXPECT_EQ(store.dockRecordVolume(), 0);
    EXPECT_EQ(store.dockActivate(), -15);
    EXPECT_EQ(store.ftpServer(), "");
    EXPECT_EQ(store.smtpServer(), "");
    EXPECT_FALSE(apptest::exists(store.settingsFile()));  // reading creates nothing
}

struct ReadCase {
    const char* line;  // the line under [settings]
    const char* key;
    const char* decoded;
};

class SettingsReadTest : public SettingsTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsReadTest, DecodesWhatOtherProgramsWrote) {
    writeFile(std::string("[settings]\r\n") + GetParam().line + "\r\n");
    EXPECT_EQ(valueOf(GetParam().key), GetParam().decoded) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SettingsReadTest,
    ::testing::Values(ReadCase{"hotkeys=TRUE", "hotkeys", "true"},
                      ReadCase{"hotkeys=yes", "hotkeys", "false"},
                      ReadCase{"hotkeys=", "hotkeys", "false"},
                      ReadCase{"lancheck=True", "lancheck", "true"},
                      ReadCase{"slowspeed=40%", "slowspeed", "40"},
                      ReadCase{"slowspeed=", "slowspeed", "0"},
                      ReadCase{"slowspeed=  -7x", "slowspeed", "-7"},
                      ReadCase{"docksoundinchan=-1", "docksoundinchan", "-1"},
                      ReadCase{"soundoutvolume=-6dB", "soundoutvolume", "-6"},
                      ReadCase{"soundoutvolume=12dB", "soundoutvolume", "12"},
                      ReadCase{"soundoutvolume=--dB", "soundoutvolume", "-127"},
                      ReadCase{"soundoutvolume=300dB", "soundoutvolume", "127"},
                      ReadCase{"soundoutvolume=loud", "soundoutvolume", "0"},
                      ReadCase{"SoundOutVolume = -3dB", "soundoutvolume", "-3"},
                      ReadCase{"ftpserver=ftp.example.com", "FTPSERVER", "ftp.example.com"}));

struct WriteCase {
    const char* key;
    const char* value;    // as typixctl settings set takes it
    const char* written;  // the line that lands in the file
};

class SettingsWriteTest : public SettingsTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(SettingsWriteTest, WritesWithTheKeysEncoding) {
    std::string error;
    ASSERT_TRUE(store.setValueText(*findSettingKey(GetParam().key), GetParam().value, &error)) << error;
    EXPECT_NE(fileText().find(GetParam().written), std::string::npos) << fileText();
    EXPECT_EQ(valueOf(GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SettingsWriteTest,
    ::testing::Values(WriteCase{"slowspeed", "40", "slowspeed=40"},
                      WriteCase{"docksoundinchan", "-2", "docksoundinchan=-2"},
                      WriteCase{"hotkeys", "false", "hotkeys=false"},
                      WriteCase{"ftpcheck", "true", "ftpcheck=true"},
                      WriteCase{"soundoutvolume", "-6", "soundoutvolume=-6dB"},
                      WriteCase{"dockactivate", "-126", "dockactivate=-126dB"},
                      WriteCase{"dockactivate", "-127", "dockactivate=--dB"},
                      WriteCase{"dockrecordvolume", "12", "dockrecordvolume=12dB"},
                      WriteCase{"lanfolder", "/mnt/share/in box", "lanfolder=/mnt/share/in box"},
                      WriteCase{"smtpcafile", "/etc/ssl/own-ca.pem", "smtpcafile=/etc/ssl/own-ca.pem"}));

TEST(SettingKeys, EachKeyIsListedOnce) {
    std::set<std::string> seen;
    for (const SettingKey& key : settingKeys()) EXPECT_TRUE(seen.insert(key.name).second) << key.name;
}

TEST_F(SettingsTest, LevelMinus128IsWrittenAsOff) {
    store.setDockActivate(-128);
    EXPECT_NE(fileText().find("dockactivate=--dB"), std::string::npos);
    EXPECT_EQ(store.dockActivate(), -127);
}

TEST_F(SettingsTest, RejectsValuesThatDoNotFitTheEncoding) {
    const std::string tooLong(260, 'x');
    const std::pair<const char*, const char*> bad[] = {
        {"slowspeed", "fast"}, {"slowspeed", "40%"},     {"slowspeed", ""},
        {"slowspeed", "99999999999"}, {"hotkeys", "yes"}, {"soundoutvolume", "-6dB"},
        {"soundoutvolume", "128"}, {"lanfolder", "two\nlines"}, {"ftpdir", tooLong.c_str()},
    };
    for (const auto& [key, value] : bad) {
        std::string error;
        EXPECT_FALSE(store.setValueText(*findSettingKey(key), value, &error)) << key << "=" << value;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(apptest::exists(store.settingsFile()));
}

TEST_F(SettingsTest, WriteKeepsEveryOtherLineOfAForeignFile) {
    const std::string foreign =
        "; written by hand\r\n[other]\r\nslowspeed=99\r\n\r\n[Settings]\r\nFastSpeed = 175\r\n"
        "ftpserver=host\r\n[tail]\r\nx=1\r\n";
    writeFile(foreign);
    EXPECT_EQ(store.slowSpeed(), 50);  // the other section's key is not ours
    EXPECT_EQ(store.fastSpeed(), 175);
    store.setSlowSpeed(60);
    store.setFastSpeed(180);
    EXPECT_EQ(store.slowSpeed(), 60);
    EXPECT_EQ(store.fastSpeed(), 180);
    EXPECT_EQ(store.ftpServer(), "host");
    const std::string after = fileText();
    for (const char* kept : {"; written by hand", "[other]", "slowspeed=99", "[tail]", "x=1"})
        EXPECT_NE(after.find(kept), std::string::npos) << kept << " lost from\n" << after;
}

TEST_F(SettingsTest, FileIsCreatedReadableByItsOwnerOnly) {
    store.setFtpPassword("secret");
    struct stat info {};
    ASSERT_EQ(::stat(store.settingsFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    store.setFtpUserName("me");  // a rewrite keeps it private
    ASSERT_EQ(::stat(store.settingsFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(store.ftpPassword(), "secret");
}

TEST_F(SettingsTest, NothingIsCachedBetweenTwoObjects) {
    Settings other;
    other.setPaths(store.paths());
    store.setNumber(7);
    EXPECT_EQ(other.number(), 7);
    other.setNumber(other.number() + 1);
    EXPECT_EQ(store.number(), 8);
}

TEST(GmtTimeZoneTest, LocalTimeBecomesGmt) {
    ::setenv("TZ", "EST5EDT", 1);
    ::tzset();
    applyGmtTimeZone();
    const std::time_t midsummer = 1719835200;  // 2024-07-01 12:00:00 GMT
    std::tm fields {};
    ASSERT_NE(localtime_r(&midsummer, &fields), nullptr);
    EXPECT_EQ(fields.tm_hour, 12);
    EXPECT_EQ(fields.tm_isdst, 0);
}

}  // namespace
}  // namespace typix
