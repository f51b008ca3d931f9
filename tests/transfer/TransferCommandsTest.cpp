// typixctl import, pass and status, end to end through the built binary.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "TransferTestSupport.h"
#include "support/LDatFile.h"

namespace typix::test {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

class TransferCommandsTest : public ::testing::Test {
protected:
    TransferCommandsTest() {
        writeAll(data.root() + "folders.ini",
                 "[Folders]\nDataFiles=" + data.root() + "\nCurrent Files=" + data.current() +
                     "\nDone Files=" + data.done() + "\nIncoming Files=" + data.incoming() +
                     "\nStatus=" + data.status() + "\n");
    }
    // Standard output in `out`; standard error goes to errors().
    CliRun typixctl(const std::string& args) {
        std::string command = "TYPIX_FOLDERS=" + shellQuote(data.root() + "folders.ini") + " " +
                              shellQuote(std::string(TYPIX_BINARY_DIR) + "/typixctl") + " " + args +
                              " 2>" + shellQuote(data.work() + "stderr.txt");
        CliRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            run.out.append(buffer, got);
        }
        int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    std::string errors() const { return readAll(data.work() + "stderr.txt"); }
    void setFtp(const std::string& server, const std::string& password) {
        LDatFile settings(data.settings());
        for (const auto& [key, value] : std::initializer_list<std::pair<const char*, std::string>>{
                 {"ftpcheck", "true"}, {"ftpinterval", "0"}, {"ftpserver", server},
                 {"ftpusername", "typist"}, {"ftppassword", password}, {"ftpdir", ""},
                 {"ftpstatusupload", "false"}}) {
            settings.writeText("settings", key, value);
        }
    }

    DataFolders data;
};

TEST_F(TransferCommandsTest, ImportReportsEachFileAndFailsWhenOneIsRejected) {
    makePackage(data.work() + "good.dct", "--tone 8000:1:0.1 --number 7");
    makePackage(data.work() + "gone.dct", "--kind withdraw --number 8");
    CliRun ok = typixctl("import " + shellQuote(data.work() + "good.dct") + " " +
                  shellQuote(data.work() + "gone.dct"));
    EXPECT_EQ(ok.status, 0) << ok.out;
    EXPECT_NE(ok.out.find("imported dct00012-00007\n"), std::string::npos) << ok.out;
    EXPECT_NE(ok.out.find("withdrawn dct00012-00008\n"), std::string::npos) << ok.out;
    EXPECT_TRUE(exists(data.current() + "dct00012-00007.wav"));
    EXPECT_TRUE(exists(data.work() + "good.dct")) << "the original stays where it was";

    makePackage(data.work() + "short.dct", "--channels 0 --length-delta 1");
    CliRun bad = typixctl("import " + shellQuote(data.work() + "short.dct") + " " +
                          shellQuote(data.work() + "missing.dct"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("rejected short.dct: declared length differs"), std::string::npos)
        << bad.out;
    EXPECT_NE(bad.out.find("rejected " + data.work() + "missing.dct: "), std::string::npos);
    EXPECT_TRUE(listNames(data.incoming()).empty());
    EXPECT_EQ(typixctl("import").status, 2);
}

TEST_F(TransferCommandsTest, PassFetchesFromTheLanFolderAndStatusPublishes) {
    LDatFile settings(data.settings());
    settings.writeText("settings", "lancheck", "true");
    settings.writeText("settings", "lanfolder", data.root() + "lan");
    makePackage(data.root() + "lan/d.dct", "--channels 0 --sender 5 --number 10");
    CliRun pass = typixctl("pass");
    EXPECT_EQ(pass.status, 0);
    EXPECT_EQ(pass.out, "fetched d.dct\nimported dct00005-00010\n");

    CliRun status = typixctl("status");
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(status.out, "s0000005.sta\n");
    EXPECT_TRUE(exists(data.root() + "lan/s0000005.sta"));
    EXPECT_EQ(typixctl("pass --bogus").status, 2);
}

TEST_F(TransferCommandsTest, PassFailsWhenTheFtpCheckFails) {
    makePackage(data.root() + "ftp/big.dct", "--tone 8000:1:5.0");
    {
        FtpServer server(data.root() + "ftp/");
        setFtp(server.address(), "wrong");
        CliRun denied = typixctl("pass --ftp");
        EXPECT_EQ(denied.status, 1) << denied.out;
        EXPECT_EQ(denied.out.find("checked"), std::string::npos) << denied.out;
        EXPECT_NE(errors().find("ftp: check failed: "), std::string::npos) << errors();
        EXPECT_NE(errors().find("530"), std::string::npos) << errors();
    }
    // The server goes away in the middle of the download.
    FtpServer dropping(data.root() + "ftp/", "--drop-after 20000");
    setFtp(dropping.address(), "s3cret");
    CliRun died = typixctl("pass --ftp");
    EXPECT_EQ(died.status, 1) << died.out;
    EXPECT_EQ(died.out.find("checked"), std::string::npos) << died.out;
    EXPECT_NE(errors().find("connection lost while fetching big.dct"), std::string::npos)
        << errors();
    EXPECT_TRUE(exists(data.root() + "ftp/big.dct"));
}

}  // namespace
}  // namespace typix::test
