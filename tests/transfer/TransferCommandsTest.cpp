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
    CliRun typixctl(const std::string& args) {
        std::string command = "TYPIX_FOLDERS=" + shellQuote(data.root() + "folders.ini") + " " +
                              shellQuote(std::string(TYPIX_BINARY_DIR) + "/typixctl") + " " + args;
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

}  // namespace
}  // namespace typix::test
