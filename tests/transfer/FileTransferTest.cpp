#include "transfer/FileTransfer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "TransferTestSupport.h"

namespace typix::test {
namespace {

struct ServerForm {
    const char* text;
    bool ok;
    const char* baseUrl;
    FtpSecurity security;
};

TEST(FtpServerText, AcceptsHostPortAndUrlFormsEachWithItsSecurity) {
    constexpr auto Try = FtpSecurity::TlsIfOffered;
    const ServerForm forms[] = {
        {"ftp.example.com", true, "ftp://ftp.example.com:21/", Try},
        {"ftp.example.com:2121", true, "ftp://ftp.example.com:2121/", Try},
        {"ftp://ftp.example.com/incoming/", true, "ftp://ftp.example.com:21/", FtpSecurity::Plain},
        {"ftps://secure.example.com", true, "ftps://secure.example.com:990/",
         FtpSecurity::ImplicitTls},
        {"ftps://secure.example.com:2990", true, "ftps://secure.example.com:2990/",
         FtpSecurity::ImplicitTls},
        {"  host.example  ", true, "ftp://host.example:21/", Try},
        {"", false, "", Try},
        {"http://example.com", false, "", Try},
        {"host:port", false, "", Try},
        {"host:70000", false, "", Try},
        {"user@host", false, "", Try},
    };
    for (const ServerForm& form : forms) {
        std::string base;
        FtpSecurity security = FtpSecurity::Plain;
        EXPECT_EQ(parseFtpServer(form.text, base, security), form.ok) << form.text;
        if (!form.ok) continue;
        EXPECT_EQ(base, form.baseUrl) << form.text;
        EXPECT_EQ(security, form.security) << form.text;
    }
    EXPECT_EQ(normaliseFingerprint("AB:cd:01 9F"), "abcd019f");
}

class FileTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(ftpRoot() + "in");
        writeAll(ftpRoot() + "in/a.dct", std::string(100000, 'a'));
        writeAll(ftpRoot() + "in/b.DCT", "bb");
        writeAll(ftpRoot() + "in/c.sta", "cc");
    }
    std::string ftpRoot() const { return data.root() + "ftp/"; }
    bool connectTo(FileTransfer& ftp, const FtpServer& server) {
        return ftp.open() && ftp.connect(server.address(), "typist", "s3cret") &&
               ftp.setDirectory("in");
    }

    DataFolders data;
};

TEST_F(FileTransferTest, ListsDownloadsUploadsAndDeletes) {
    FtpServer server(ftpRoot());
    FileTransfer ftp;
    ASSERT_TRUE(connectTo(ftp, server)) << ftp.lastError();

    std::vector<std::string> names;
    FileTransfer::DirIterator it;
    for (it.first(ftp, "*.dct"); it.valid(); it.next()) names.push_back(it.name());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.dct", "b.DCT"}));

    ASSERT_TRUE(ftp.getFile("a.dct", data.work() + "a.dct"));
    EXPECT_EQ(readAll(data.work() + "a.dct"), std::string(100000, 'a'));
    EXPECT_EQ(listNames(data.work()), std::vector<std::string>{"a.dct"});

    writeAll(data.work() + "up.sta", "status");
    ASSERT_TRUE(ftp.putFile(data.work() + "up.sta", "s0000001.sta"));
    EXPECT_EQ(readAll(ftpRoot() + "in/s0000001.sta"), "status");

    ASSERT_TRUE(ftp.deleteFile("c.sta"));
    EXPECT_FALSE(exists(ftpRoot() + "in/c.sta"));
    EXPECT_FALSE(ftp.deleteFile("c.sta"));
}

TEST_F(FileTransferTest, FailuresLeaveNothingBehindAndTheObjectClosable) {
    FtpServer server(ftpRoot());
    FileTransfer ftp;
    EXPECT_FALSE(ftp.connect(server.address())) << "connect before open";
    ASSERT_TRUE(ftp.open());
    EXPECT_FALSE(ftp.connect(""));
    EXPECT_FALSE(ftp.connect(server.address(), "typist", "wrong"));
    EXPECT_FALSE(ftp.isConnected());
    EXPECT_FALSE(ftp.getFile("a.dct", data.work() + "a.dct"));

    ASSERT_TRUE(ftp.connect(server.address(), "typist", "s3cret"));
    EXPECT_FALSE(ftp.setDirectory("missing"));
    ASSERT_TRUE(ftp.setDirectory("/in"));
    EXPECT_FALSE(ftp.getFile("nothing.dct", data.work() + "nothing.dct"));
    EXPECT_FALSE(ftp.putFile(data.work() + "no-such-file", "x.sta"));
    FileTransfer::DirIterator none;
    EXPECT_FALSE(none.first(ftp, "*.wav"));
    EXPECT_EQ(none.name(), "");
    EXPECT_TRUE(listNames(data.work()).empty());
    ftp.close();
    ftp.close();
    EXPECT_FALSE(ftp.isOpen());
}

TEST_F(FileTransferTest, ADroppedDownloadLeavesNoPartialFile) {
    FtpServer server(ftpRoot(), "--drop-after 30000");
    FileTransfer ftp;
    ASSERT_TRUE(connectTo(ftp, server));
    writeAll(data.work() + "a.dct", "older copy");
    EXPECT_FALSE(ftp.getFile("a.dct", data.work() + "a.dct"));
    EXPECT_EQ(readAll(data.work() + "a.dct"), "older copy");
    EXPECT_EQ(listNames(data.work()), std::vector<std::string>{"a.dct"});
    EXPECT_TRUE(exists(ftpRoot() + "in/a.dct"));
}

TEST_F(FileTransferTest, StopRequestAndClosedPortEndPromptly) {
    FtpServer server(ftpRoot());
    FileTransfer ftp;
    ASSERT_TRUE(connectTo(ftp, server));
    ftp.setStopPredicate([] { return true; });
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(ftp.getFile("a.dct", data.work() + "a.dct"));
    EXPECT_TRUE(listNames(data.work()).empty());

    FileTransfer refused;
    ASSERT_TRUE(refused.open());
    EXPECT_FALSE(refused.connect("127.0.0.1:1"));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
}

}  // namespace
}  // namespace typix::test
