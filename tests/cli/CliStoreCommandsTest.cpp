// typixctl's shell and store commands, end to end through the built binary.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "app/AppTestFolder.h"

namespace {

using typix::apptest::exists;
using typix::apptest::readBytes;
using typix::apptest::ScopedEnv;
using typix::apptest::TestFolder;
using typix::apptest::writeBytes;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& word) {
    std::string text = "'";
    for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

class CliTest : public ::testing::Test {
protected:
    CliTest() {
        writeBytes(temp.file("folders.ini"),
                   "[Folders]\r\nDataFiles=" + data + "\r\nCurrent Files=" + current +
                       "\r\nDone Files=" + done + "\r\nIncoming Files=" + data + "in\r\nStatus=" + data +
                       "status\r\n");
    }

    CliRun typixctl(const std::vector<std::string>& args) {
        std::string command = quoted(std::string(TYPIX_BINARY_DIR) + "/typixctl");
        for (const auto& arg : args) command += " " + quoted(arg);
        command += " 2>" + quoted(temp.file("stderr"));
        CliRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, got);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = readBytes(temp.file("stderr"));
        return run;
    }

    void addDictation(const std::string& base, const std::string& record) {
        writeBytes(current + base + ".wav", "RIFF");
        if (!record.empty()) writeBytes(current + base + ".dat", record);
    }

    TestFolder temp;
    std::string data = temp.folder() + "data/";
    std::string current = data + "queue/";
    std::string done = data + "done/";
    ScopedEnv folders{"TYPIX_FOLDERS", temp.file("folders.ini")};
};

TEST_F(CliTest, FoldersPrintsSixLinesAndCreatesTheFolders) {
    const CliRun run = typixctl({"folders"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string expected = "ProgramFiles=" + std::string(TYPIX_BINARY_DIR) + "/\nDataFiles=" + data +
                                 "\nCurrent Files=" + current + "\nDone Files=" + done +
                                 "\nIncoming Files=" + data + "in/\nStatus=" + data + "status/\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_TRUE(exists(data + "in"));
    EXPECT_TRUE(exists(current));
}

TEST_F(CliTest, QueuePrintsEntriesInOrderAndWritesPlaces) {
    typixctl({"folders"});
    addDictation("dct00012-00345",
                  "[file]\nname=Letter\nsenderid=12\nnumber=345\ndate=1700400000\npriority=Low\n");
    addDictation("Tape 3", "[file]\nname=Tape 3\ndate=1700400000\npriority=High\n");
    addDictation("loose", "");
    const CliRun run = typixctl({"queue"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "loose: \nTape 3: Tape 3\ndct00012-00345: Letter\n");
    EXPECT_NE(readBytes(current + "Tape 3.dat").find("status=List 2 of 3"), std::string::npos);
    EXPECT_NE(readBytes(current + "loose.dat").find("status=List 1 of 3"), std::string::npos);
    // The sender's status file follows: header, then number 345 and its place.
    const std::string senderFile = readBytes(data + "status/s0000012.sta");
    ASSERT_EQ(senderFile.size(), 4u + 20u);
    EXPECT_EQ(senderFile.substr(4, 4), std::string("\x59\x01\0\0", 4));
    EXPECT_EQ(senderFile.substr(8, 11), "List 3 of 3");
}

TEST_F(CliTest, SettingsGetSetEveryEncoding) {
    EXPECT_EQ(typixctl({"settings", "get", "slowspeed"}).out, "50\n");
    EXPECT_EQ(typixctl({"settings", "get", "HotKeys"}).out, "true\n");
    EXPECT_EQ(typixctl({"settings", "get", "dockactivate"}).out, "-15\n");
    EXPECT_EQ(typixctl({"settings", "get", "ftpserver"}).out, "\n");
    for (const auto& [key, value] : {std::pair{"slowspeed", "35"}, {"hotkeys", "false"},
                                     {"dockactivate", "-127"}, {"ftpserver", "ftp.example.com"}}) {
        const CliRun set = typixctl({"settings", "set", key, value});
        EXPECT_EQ(set.status, 0) << key << ": " << set.err;
        EXPECT_EQ(typixctl({"settings", "get", key}).out, std::string(value) + "\n");
    }
    const std::string file = readBytes(data + "settings.ini");
    EXPECT_NE(file.find("dockactivate=--dB"), std::string::npos) << file;
    EXPECT_NE(typixctl({"settings", "list"}).out.find("slowspeed=35\n"), std::string::npos);
}

TEST_F(CliTest, BadArgumentsExitTwoWithAMessage) {
    const std::vector<std::vector<std::string>> bad = {
        {"settings"},
        {"settings", "get"},
        {"settings", "get", "nosuchkey"},
        {"settings", "set", "slowspeed", "fast"},
        {"settings", "set", "hotkeys", "yes"},
        {"settings", "frob", "x"},
        {"folders", "extra"},
        {"queue", "extra"},
        {"done"},
        {"delete", "a", "b"},
        {"recover", "../escape"},
        {"nosuchcommand"},
    };
    for (const auto& args : bad) {
        const CliRun run = typixctl(args);
        EXPECT_EQ(run.status, 2) << args[0] << (args.size() > 1 ? " " + args[1] : "");
        EXPECT_FALSE(run.err.empty()) << args[0];
    }
}

TEST_F(CliTest, DoneDeleteRecoverOnTheFiles) {
    typixctl({"folders"});
    addDictation("a", "[file]\nname=A\n");
    writeBytes(current + "a.txt", "typed");
    addDictation("b", "");
    ASSERT_EQ(typixctl({"done", "a"}).status, 0);
    EXPECT_TRUE(exists(done + "a.wav"));
    EXPECT_TRUE(exists(done + "a.txt"));
    EXPECT_NE(readBytes(done + "a.dat").find("status=Done"), std::string::npos);
    EXPECT_EQ(typixctl({"queue"}).out, "b: \n");

    ASSERT_EQ(typixctl({"recover", "a"}).status, 0);
    EXPECT_EQ(readBytes(current + "a.txt"), "typed");
    EXPECT_FALSE(exists(done + "a.wav"));

    ASSERT_EQ(typixctl({"delete", "b"}).status, 0);
    EXPECT_FALSE(exists(current + "b.wav"));
    EXPECT_FALSE(exists(done + "b.wav"));
    EXPECT_EQ(typixctl({"queue"}).out, "a: A\n");
}

TEST_F(CliTest, MissingDictationExitsOne) {
    typixctl({"folders"});
    for (const char* command : {"done", "delete", "recover"}) {
        const CliRun run = typixctl({command, "ghost"});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_NE(run.err.find("ghost"), std::string::npos) << command;
    }
    // Recover refuses to overwrite a dictation of the same name in the queue.
    addDictation("twin", "");
    writeBytes(done + "twin.wav", "older");
    const CliRun run = typixctl({"recover", "twin"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readBytes(done + "twin.wav"), "older");
}

}  // namespace

namespace {

TEST(DemoDataTest, SeedsAQueueAndNeverOverwritesTyping) {
    TestFolder temp;
    const std::string script = std::string(TYPIX_SOURCE_DIR) + "/scripts/make-demo-data";
    const std::string demo = temp.folder() + "demo";
    const std::string seed = quoted(script) + " " + quoted(demo) + " >/dev/null";
    ASSERT_EQ(std::system(seed.c_str()), 0);
    const std::string typing = demo + "/data/Current Files/dct00012-00345.txt";
    writeBytes(typing, "my own typing");
    ASSERT_EQ(std::system(seed.c_str()), 0);
    EXPECT_EQ(readBytes(typing), "my own typing");

    ScopedEnv folders("TYPIX_FOLDERS", demo + "/folders.ini");
    FILE* pipe = ::popen((quoted(std::string(TYPIX_BINARY_DIR) + "/typixctl") + " queue").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int lines = 0;
    for (int c; (c = std::fgetc(pipe)) != EOF;) lines += c == '\n';
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(lines, 4);
}

}  // namespace
