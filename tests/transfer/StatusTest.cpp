#include "transfer/Status.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TransferTestSupport.h"
#include "support/LDatFile.h"

namespace typix::test {
namespace {

std::string entry(int32_t number, const std::string& status) {
    std::string out(20, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(static_cast<uint32_t>(number) >> (8 * i));
    out.replace(4, std::min<size_t>(status.size(), 16), status.substr(0, 16));
    return out;
}

class StatusTest : public ::testing::Test {
protected:
    void record(const std::string& folder, const std::string& base, int sender, int number,
                const char* status) {
        LDatFile dat(folder + base + ".dat");
        ASSERT_TRUE(dat.writeInt("file", "senderid", sender));
        ASSERT_TRUE(dat.writeInt("file", "number", number));
        if (status) {
            ASSERT_TRUE(dat.writeText("file", "status", status));
        }
    }
    void set(const char* key, const std::string& value) {
        ASSERT_TRUE(LDatFile(data.settings()).writeText("settings", key, value));
    }

    DataFolders data;
    Status status{data.folders()};
};

TEST_F(StatusTest, OneFilePerSenderCurrentFilesFirst) {
    record(data.done(), "dct00005-00011", 5, 11, "Done");
    record(data.current(), "dct00005-00010", 5, 10, "List 1 of 2");
    record(data.current(), "dct00012-00001", 12, 1, nullptr);
    writeAll(data.status() + "s0000077.sta", "from a sender who has gone");
    status.rebuild();
    EXPECT_EQ(listNames(data.status()), (std::vector<std::string>{"s0000005.sta", "s0000012.sta"}));
    EXPECT_EQ(readAll(data.status() + "s0000005.sta"),
              std::string(4, '\0') + entry(10, "List 1 of 2") + entry(11, "Done"));
    EXPECT_EQ(readAll(data.status() + "s0000012.sta"), std::string(4, '\0') + entry(1, "List"));
    EXPECT_EQ(LDatFile(data.settings()).readText("settings", "ftpstatusupload", ""), "true");
}

TEST_F(StatusTest, StatusTextIsPaddedOrCutToSixteenBytes) {
    ASSERT_TRUE(appendStatusEntry(data.status(), 0, -2, "Sixteen chars!!!"));
    ASSERT_TRUE(appendStatusEntry(data.status(), 0, 3, "Seventeen chars!!"));
    ASSERT_TRUE(appendStatusEntry(data.status(), 0, 4, ""));
    std::string file = readAll(data.status() + "s0000000.sta");
    ASSERT_EQ(file.size(), 4u + 3 * 20);
    EXPECT_EQ(file.substr(4, 4), std::string("\xFE\xFF\xFF\xFF", 4));
    EXPECT_EQ(file.substr(8, 16), "Sixteen chars!!!");
    EXPECT_EQ(file.substr(28, 16), "Seventeen chars!");
    EXPECT_EQ(file.substr(48, 16), std::string(16, '\0'));
    EXPECT_EQ(statusFileName("/s/", 1234567), "/s/s1234567.sta");
    EXPECT_EQ(statusFileName("/s/", 123456789), "/s/s123456789.sta");
    EXPECT_FALSE(appendStatusEntry(data.root() + "missing/", 1, 1, "x"));
}

TEST_F(StatusTest, LanCopyReplacesTheWholeSetAndStaysWhenTurnedOff) {
    const std::string lan = data.root() + "lan/";
    writeAll(lan + "s0000099.sta", "old");
    writeAll(lan + "keep.txt", "other");
    record(data.current(), "dct00005-00010", 5, 10, "Received");
    set("lancheck", "true");
    set("lanfolder", lan + " ");
    status.rebuild();
    EXPECT_EQ(listNames(lan), (std::vector<std::string>{"keep.txt", "s0000005.sta"}));
    EXPECT_EQ(readAll(lan + "s0000005.sta"), readAll(data.status() + "s0000005.sta"));

    set("lancheck", "false");
    record(data.current(), "dct00006-00010", 6, 10, "Received");
    status.rebuild();
    EXPECT_EQ(listNames(lan), (std::vector<std::string>{"keep.txt", "s0000005.sta"}));
}

TEST_F(StatusTest, TheThreadRebuildsOnceAndAStartWhileRunningDoesNothing) {
    for (int i = 0; i < 300; ++i) {
        writeAll(data.current() + "d" + std::to_string(i) + ".dat",
                 "[file]\nsenderid=5\nnumber=" + std::to_string(i) + "\n");
    }
    status.start(ThreadPriority::Idle);
    status.start(ThreadPriority::Idle);
    for (int i = 0; i < 500 && status.isRunning(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    status.stop();
    EXPECT_EQ(readAll(data.status() + "s0000005.sta").size(), 4u + 300 * 20);
}

}  // namespace
}  // namespace typix::test
