#include <gtest/gtest.h>

#include "TransferTestSupport.h"
#include "support/LDatFile.h"

namespace typix::test {
namespace {

// The FTP check against a real server on 127.0.0.1: packages come down into
// Incoming Files and are imported in the same pass; status files go up.
class BGLoadFtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(host());
        set("ftpcheck", "true");
        set("ftpinterval", "300");
        set("ftpusername", "typist");
        set("ftppassword", "s3cret");
        set("ftpdir", "in");
        set("ftpstatusupload", "false");
    }
    void set(const char* key, const std::string& value) {
        ASSERT_TRUE(LDatFile(data.settings()).writeText("settings", key, value));
    }
    std::string setting(const char* key) {
        return LDatFile(data.settings()).readText("settings", key, "");
    }
    std::string ftpRoot() const { return data.root() + "ftp/"; }
    std::string host() const { return ftpRoot() + "in/"; }
    PassReport checkNow(const FtpServer& server) {
        set("ftpserver", server.address());
        load.forceFtpCheck();
        return load.runPass();
    }

    DataFolders data;
    int64_t now = 2'000'000;
    BGLoad load{data.folders(), [this] { return now; }};
};

TEST_F(BGLoadFtpTest, ACompletePackageIsFetchedImportedAndDeletedFromTheHost) {
    makePackage(host() + "d1.dct", "--tone 8000:1:0.2 --text hello");
    FtpServer server(ftpRoot());
    PassReport report = checkNow(server);
    EXPECT_EQ(report.ftpError, "");
    EXPECT_EQ(report.fetched, std::vector<std::string>{"d1.dct"});
    EXPECT_TRUE(listNames(host()).empty());
    EXPECT_TRUE(listNames(data.incoming()).empty());
    EXPECT_EQ(readAll(data.current() + "dct00012-00345.txt"), "hello");
    EXPECT_TRUE(exists(data.current() + "dct00012-00345.wav"));
    EXPECT_TRUE(load.TakeNewDictation());
}

TEST_F(BGLoadFtpTest, AnIncompletePackageStaysOnTheHostUntilTheHourHasPassed) {
    makePackage(host() + "part.dct", "--tone 8000:1:0.2 --length-delta 100");
    FtpServer server(ftpRoot());
    EXPECT_TRUE(checkNow(server).fetched.empty());
    EXPECT_EQ(listNames(host()), std::vector<std::string>{"part.dct"});
    EXPECT_TRUE(listNames(data.incoming()).empty()) << "the downloaded copy is deleted";
    now += 3600;
    checkNow(server);
    EXPECT_EQ(listNames(host()), std::vector<std::string>{"part.dct"});
    now += 1;
    checkNow(server);
    EXPECT_TRUE(listNames(host()).empty());
    EXPECT_TRUE(listNames(data.current()).empty());
}

TEST_F(BGLoadFtpTest, StatusFilesOnTheHostAreReplacedByTheLocalOnes) {
    writeAll(host() + "s0000099.sta", "stale");
    writeAll(data.status() + "s0000005.sta", std::string(24, '\0'));
    writeAll(data.status() + "s0000006.sta", std::string(4, '\0'));
    set("ftpstatusupload", "true");
    FtpServer server(ftpRoot());
    PassReport report = checkNow(server);
    EXPECT_EQ(report.published.size(), 2u);
    EXPECT_EQ(listNames(host()), (std::vector<std::string>{"s0000005.sta", "s0000006.sta"}));
    EXPECT_EQ(readAll(host() + "s0000005.sta"), std::string(24, '\0'));
    EXPECT_EQ(setting("ftpstatusupload"), "false");

    writeAll(host() + "s0000099.sta", "left alone while nothing waits");
    checkNow(server);
    EXPECT_EQ(listNames(host()).size(), 3u);
}

TEST_F(BGLoadFtpTest, ADroppedConnectionLeavesThePackageOnTheHost) {
    makePackage(host() + "big.dct", "--tone 8000:1:5.0");
    FtpServer server(ftpRoot(), "--drop-after 20000");
    PassReport report = checkNow(server);
    EXPECT_TRUE(report.fetched.empty());
    EXPECT_EQ(listNames(host()), std::vector<std::string>{"big.dct"});
    EXPECT_TRUE(listNames(data.incoming()).empty());
    EXPECT_TRUE(listNames(data.current()).empty());
}

TEST_F(BGLoadFtpTest, ARemoteNameWithAPathIsNeverWrittenOutsideIncomingFiles) {
    makePackage(ftpRoot() + "escape.dct", "--channels 0");
    FtpServer server(ftpRoot(), "--extra-name ../escape.dct --extra-name sub/x.dct");
    PassReport report = checkNow(server);
    EXPECT_EQ(report.skipped, (std::vector<std::string>{"../escape.dct", "sub/x.dct"}));
    EXPECT_TRUE(report.fetched.empty());
    EXPECT_TRUE(exists(ftpRoot() + "escape.dct"));
    EXPECT_FALSE(exists(data.root() + "escape.dct"));
    EXPECT_TRUE(listNames(data.incoming()).empty());
    EXPECT_TRUE(listNames(data.current()).empty());
}

TEST_F(BGLoadFtpTest, AWrongPasswordEndsTheCheckQuietly) {
    makePackage(host() + "d1.dct", "--channels 0");
    set("ftppassword", "wrong");
    FtpServer server(ftpRoot());
    PassReport report = checkNow(server);
    EXPECT_TRUE(report.ftpChecked);
    EXPECT_NE(report.ftpError, "");
    EXPECT_EQ(listNames(host()), std::vector<std::string>{"d1.dct"});
}

}  // namespace
}  // namespace typix::test
