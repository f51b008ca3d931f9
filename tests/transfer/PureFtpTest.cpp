// The incoming engine against pure-ftpd on 127.0.0.1: arrivals with one
// name, hosts that refuse deletes, TLS with a certificate that cannot be
// verified, and names with dots.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "PureFtpServer.h"
#include "TransferTestSupport.h"
#include "support/LDatFile.h"
#include "transfer/FileTransfer.h"

namespace typix::test {
namespace {

class PureFtpTest : public ::testing::Test {
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
    std::string ftpRoot() const { return data.root() + "ftp/"; }
    std::string host() const { return ftpRoot() + "in/"; }
    std::string lan() const { return data.root() + "lan/"; }
    std::string mail() const { return data.root() + "mail/"; }
    // Starts the server, or skips the test when it cannot run here.
    bool serve(PureFtpServer::Options options = {}) {
        server_ = std::make_unique<PureFtpServer>(ftpRoot(), options);
        if (!server_->skipReason().empty()) return false;
        set("ftpserver", server_->address());
        return true;
    }
    PassReport checkNow() {
        load.forceFtpCheck();
        return load.runPass();
    }
    std::vector<std::string> currentWaves() const {
        std::vector<std::string> waves;
        for (const std::string& name : listNames(data.current()))
            if (name.size() > 4 && name.substr(name.size() - 4) == ".wav") waves.push_back(name);
        return waves;
    }

    DataFolders data;
    int64_t now = 3'000'000;
    BGLoad load{data.folders(), [this] { return now; }};
    std::unique_ptr<PureFtpServer> server_;
};

#define SERVE_OR_SKIP(...)                                               \
    do {                                                                 \
        if (!serve(__VA_ARGS__)) GTEST_SKIP() << server_->skipReason(); \
    } while (0)

TEST_F(PureFtpTest, ThreeArrivalsWithOneNameAreAllImported) {
    makePackage(host() + "dictation.dct", "--channels 0 --number 1 --text ftp");
    makePackage(lan() + "dictation.dct", "--channels 0 --number 2 --text lan");
    makePackage(mail() + "dictation.dct", "--channels 0 --number 3 --text mail");
    SERVE_OR_SKIP();
    set("lancheck", "true");
    set("lanfolder", lan());
    set("emailcheck", "true");
    set("emailattachfolder", mail());
    // The import runs after all three channels: the arrivals meet in
    // Incoming Files unless the FTP one was imported at once.
    PassReport report = checkNow();
    EXPECT_EQ(report.ftpError, "");
    EXPECT_EQ(report.fetched.size(), 3u);
    EXPECT_EQ(readAll(data.current() + "dct00012-00001.txt"), "ftp");
    EXPECT_EQ(readAll(data.current() + "dct00012-00002.txt"), "lan");
    EXPECT_EQ(readAll(data.current() + "dct00012-00003.txt"), "mail");
    EXPECT_TRUE(listNames(host()).empty());
    EXPECT_TRUE(listNames(lan()).empty());
    EXPECT_TRUE(listNames(mail()).empty());
    EXPECT_TRUE(listNames(data.incoming()).empty());
}

TEST_F(PureFtpTest, AWaitingPackageIsNeverReplacedByADownload) {
    makePackage(data.incoming() + "dictation.dct", "--channels 0 --number 4 --text waiting");
    makePackage(host() + "dictation.dct", "--channels 0 --number 5 --text arriving");
    SERVE_OR_SKIP();
    PassReport report = checkNow();
    EXPECT_EQ(report.renamed, std::vector<std::string>{"dictation.dct as dictation (2).dct"});
    EXPECT_EQ(readAll(data.current() + "dct00012-00004.txt"), "waiting");
    EXPECT_EQ(readAll(data.current() + "dct00012-00005.txt"), "arriving");
}

TEST_F(PureFtpTest, AHostThatRefusesDeletesGivesEachPackageOnce) {
    makePackage(host() + "d.dct", "--channels 0 --number 6");
    SERVE_OR_SKIP({.keepAllFiles = true});
    PassReport first = checkNow();
    EXPECT_EQ(first.fetched, std::vector<std::string>{"d.dct"});
    ASSERT_EQ(first.notices.size(), 1u);
    EXPECT_NE(first.notices[0].find("could not be deleted"), std::string::npos);
    EXPECT_NE(first.notices[0].find("550"), std::string::npos) << "the server's reason";
    EXPECT_EQ(load.TakeNotices(), first.notices);
    EXPECT_TRUE(load.TakeNotices().empty());

    // The typist finished it; the host still has it, unchanged.
    fs::remove(data.current() + "dct00012-00006.dat");
    fs::remove(data.current() + "dct00012-00006.txt");
    PassReport second = checkNow();
    EXPECT_EQ(second.ftpError, "");
    EXPECT_TRUE(second.fetched.empty());
    EXPECT_TRUE(second.imports.empty());
    EXPECT_TRUE(listNames(data.current()).empty());

    // A new package under the old name is a new arrival.
    fs::remove(host() + "d.dct");
    makePackage(host() + "d.dct", "--channels 0 --number 7 --text new");
    EXPECT_EQ(checkNow().fetched, std::vector<std::string>{"d.dct"});
    EXPECT_EQ(readAll(data.current() + "dct00012-00007.txt"), "new");
}

TEST_F(PureFtpTest, AReadOnlyLanShareGivesEachPackageOnce) {
    if (geteuid() == 0) GTEST_SKIP() << "root deletes from a read-only folder";
    makePackage(lan() + "d.dct", "--channels 0 --number 8");
    chmod(lan().c_str(), 0555);
    set("ftpcheck", "false");
    set("lancheck", "true");
    set("lanfolder", lan());
    PassReport first = load.runPass();
    EXPECT_EQ(first.fetched, std::vector<std::string>{"d.dct"});
    EXPECT_EQ(first.notices.size(), 1u);
    fs::remove(data.current() + "dct00012-00008.dat");
    now += 60;
    EXPECT_TRUE(load.runPass().fetched.empty());
    EXPECT_FALSE(exists(data.current() + "dct00012-00008.dat"));
    chmod(lan().c_str(), 0755);
}

TEST_F(PureFtpTest, OwnFoldersAreNeverScanned) {
    makePackage(data.incoming() + "waiting.dct", "--channels 0 --number 9");
    set("ftpcheck", "false");
    set("lancheck", "true");
    set("lanfolder", data.root() + "lan/../Incoming Files/ ");
    set("emailcheck", "true");
    set("emailattachfolder", data.status());
    writeAll(data.status() + "s0000012.sta", std::string(4, '\0'));
    PassReport report = load.runPass();
    EXPECT_TRUE(report.fetched.empty());
    ASSERT_EQ(report.notices.size(), 2u);
    EXPECT_NE(report.notices[0].find("Incoming Files"), std::string::npos);
    EXPECT_NE(report.notices[1].find("Status"), std::string::npos);
    EXPECT_TRUE(exists(data.current() + "dct00012-00009.dat")) << "imported, not lost";
    EXPECT_EQ(ownFolderNamed(data.folders(), data.root()), "data folder");
    EXPECT_EQ(ownFolderNamed(data.folders(), lan()), "");
}

TEST_F(PureFtpTest, DotsInsideANameAreFetched) {
    makePackage(host() + "memo..dct", "--channels 0 --number 10");
    SERVE_OR_SKIP();
    EXPECT_EQ(checkNow().fetched, std::vector<std::string>{"memo..dct"});
    EXPECT_TRUE(exists(data.current() + "dct00012-00010.dat"));
}

TEST_F(PureFtpTest, BlanksAroundThePasswordAreKept) {
    makePackage(host() + "d.dct", "--channels 0 --number 12");
    set("ftppassword", " pass word ");
    SERVE_OR_SKIP({.password = " pass word "});
    PassReport report = checkNow();
    EXPECT_EQ(report.ftpError, "");
    EXPECT_EQ(report.fetched, std::vector<std::string>{"d.dct"});
}

std::string opensslFingerprint(const std::string& certificate) {
    FILE* pipe = popen(("openssl x509 -noout -fingerprint -sha256 -in '" + certificate + "'").c_str(), "r");
    char line[256] = {};
    if (pipe && !std::fgets(line, sizeof line, pipe)) line[0] = 0;
    if (pipe) pclose(pipe);
    std::string text = line;
    size_t eq = text.find('=');
    return eq == std::string::npos ? "" : text.substr(eq + 1, 95);
}

TEST_F(PureFtpTest, AnUnverifiableCertificateEndsTheCheckUntilTrusted) {
    makePackage(host() + "d.dct", "--channels 0 --number 11");
    SERVE_OR_SKIP({.offerTls = true});
    const std::string fingerprint = opensslFingerprint(server_->certificate());
    ASSERT_EQ(fingerprint.size(), 95u);

    PassReport refused = checkNow();
    EXPECT_NE(refused.ftpError.find("self-signed"), std::string::npos) << refused.ftpError;
    EXPECT_NE(refused.ftpError.find(fingerprint), std::string::npos) << refused.ftpError;
    ASSERT_EQ(refused.notices.size(), 1u);
    EXPECT_EQ(listNames(host()), std::vector<std::string>{"d.dct"});

    set("ftpcertsha256", "00:11");  // another certificate: still refused
    EXPECT_NE(checkNow().ftpError, "");

    set("ftpcertsha256", fingerprint);
    PassReport trusted = checkNow();
    EXPECT_EQ(trusted.ftpError, "");
    EXPECT_EQ(trusted.fetched, std::vector<std::string>{"d.dct"});
}

TEST_F(PureFtpTest, TheServerFormChoosesTheSecurity) {
    SERVE_OR_SKIP({.offerTls = true});
    FileTransfer plain;
    ASSERT_TRUE(plain.open());
    EXPECT_TRUE(plain.connect("ftp://" + server_->address(), "typist", "s3cret")) << plain.lastError();
    EXPECT_FALSE(plain.isEncrypted());

    FileTransfer pinned;
    pinned.setTrustedFingerprint(opensslFingerprint(server_->certificate()));
    ASSERT_TRUE(pinned.open());
    EXPECT_TRUE(pinned.connect(server_->address(), "typist", "s3cret")) << pinned.lastError();
    EXPECT_TRUE(pinned.isEncrypted());
    EXPECT_TRUE(pinned.setDirectory("in"));
}

TEST_F(PureFtpTest, ADeniedLoginIsAFailureWithTheServersReply) {
    SERVE_OR_SKIP();
    set("ftppassword", "wrong");
    PassReport report = checkNow();
    EXPECT_TRUE(report.channelFailed());
    EXPECT_NE(report.ftpError.find("530"), std::string::npos) << report.ftpError;
}

}  // namespace
}  // namespace typix::test
