#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TransferTestSupport.h"
#include "formats/OpenWaveFile.h"
#include "support/LDatFile.h"
#include "transfer/DropFiles.h"

namespace typix::test {
namespace {

class BGLoadTest : public ::testing::Test {
protected:
    void set(const char* key, const std::string& value) {
        ASSERT_TRUE(LDatFile(data.settings()).writeText("settings", key, value));
    }
    std::string lan() const { return data.root() + "lan/"; }

    DataFolders data;
    int64_t now = 1'000'000;
    BGLoad load{data.folders(), [this] { return now; }};
};

TEST(DropFolderSetting, TrailingSeparatorsAndBlanksAreStripped) {
    const std::pair<const char*, const char*> table[] = {
        {"/srv/x/ ", "/srv/x"}, {"/srv/x\\ ", "/srv/x"}, {"/srv/x", "/srv/x"},
        {"", ""},               {" / ", ""},             {"a b", "a b"}};
    for (const auto& [setting, folder] : table) EXPECT_EQ(stripFolderSetting(setting), folder);
}

TEST_F(BGLoadTest, FtpWithIntervalZeroIsCheckedOnlyAfterCheckNow) {
    set("ftpcheck", "false");
    set("ftpserver", "127.0.0.1:1");  // refused at once
    load.forceFtpCheck();
    EXPECT_FALSE(load.runPass().ftpChecked) << "ftpcheck off: Check Now waits";
    set("ftpcheck", "true");
    set("ftpinterval", "0");
    EXPECT_TRUE(load.runPass().ftpChecked) << "the pending Check Now runs once ftpcheck is on";
    EXPECT_FALSE(load.runPass().ftpChecked);
    now += 100000;
    EXPECT_FALSE(load.runPass().ftpChecked) << "interval 0 means never by itself";
    load.forceFtpCheck();
    PassReport report = load.runPass();
    EXPECT_TRUE(report.ftpChecked);
    EXPECT_FALSE(report.ftpError.empty());
    EXPECT_FALSE(load.runPass().ftpChecked);
}

TEST_F(BGLoadTest, FtpIntervalAndAClockSetBack) {
    set("ftpcheck", "true");
    set("ftpserver", "127.0.0.1:1");
    set("ftpinterval", "300");
    EXPECT_TRUE(load.runPass().ftpChecked) << "first pass after start-up";
    now += 300;
    EXPECT_FALSE(load.runPass().ftpChecked);
    now += 1;
    EXPECT_TRUE(load.runPass().ftpChecked);
    now -= 5000;
    EXPECT_TRUE(load.runPass().ftpChecked) << "clock set back";
    EXPECT_FALSE(load.runPass().ftpChecked);
}

TEST_F(BGLoadTest, LanFolderWithTrailingSlashAndBlankIsScannedEverySevenSeconds) {
    set("lancheck", "true");
    set("lanfolder", lan() + " ");
    makePackage(lan() + "a.dct", "--channels 0 --number 1");
    PassReport report = load.runPass();
    EXPECT_EQ(report.fetched, std::vector<std::string>{"a.dct"});
    EXPECT_TRUE(listNames(lan()).empty());
    EXPECT_TRUE(exists(data.current() + "dct00012-00001.dat"));
    EXPECT_TRUE(listNames(data.incoming()).empty());

    makePackage(lan() + "b.dct", "--channels 0 --number 2");
    now += 7;
    EXPECT_TRUE(load.runPass().fetched.empty());
    now += 1;
    EXPECT_EQ(load.runPass().fetched, std::vector<std::string>{"b.dct"});
}

TEST_F(BGLoadTest, EmailFolderIsScannedEveryTwentySeconds) {
    set("emailcheck", "true");
    set("emailattachfolder", data.root() + "mail");
    EXPECT_TRUE(load.runPass().fetched.empty());
    makePackage(data.root() + "mail/m.dct", "--channels 0");
    now += 20;
    EXPECT_TRUE(load.runPass().fetched.empty());
    now += 1;
    EXPECT_EQ(load.runPass().fetched, std::vector<std::string>{"m.dct"});
}

TEST_F(BGLoadTest, IncompleteLanPackageStaysUntilAnHourHasPassed) {
    set("lancheck", "true");
    set("lanfolder", lan());
    makePackage(lan() + "late.dct", "--channels 0 --length-delta 10");
    load.runPass();
    now += 3590;
    load.runPass();
    EXPECT_EQ(listNames(lan()), std::vector<std::string>{"late.dct"});
    EXPECT_TRUE(listNames(data.incoming()).empty()) << "never copied in";
    now += 11;
    load.runPass();
    EXPECT_TRUE(listNames(lan()).empty());
    EXPECT_TRUE(listNames(data.current()).empty());
}

TEST_F(BGLoadTest, OnlyOneIncompleteFileIsTrackedAtATime) {
    struct Step {
        int64_t at;
        const char* name;
        bool drop;
    } steps[] = {
        {0, "first", false},    {0, "second", false},    {3000, "first", false},
        {3000, "second", false}, {3601, "first", true},  {3601, "second", false},
        {7000, "second", false}, {7202, "second", true}, {7202, "first", false},
    };
    for (const Step& step : steps) {
        now = 1'000'000 + step.at;
        EXPECT_EQ(load.ShouldDropBadFile(step.name), step.drop) << step.name << " at " << step.at;
    }
}

TEST_F(BGLoadTest, CompletenessReadsVersionAndDeclaredLength) {
    makePackage(data.work() + "ok.dct", "--channels 0");
    makePackage(data.work() + "short.dct", "--channels 0 --length-delta 1");
    makePackage(data.work() + "v2.dct", "--channels 0 --version 2");
    writeAll(data.work() + "tiny.dct", "\x01");
    EXPECT_TRUE(load.IsCompletePackage(data.work() + "ok.dct"));
    EXPECT_FALSE(load.IsCompletePackage(data.work() + "short.dct"));
    EXPECT_FALSE(load.IsCompletePackage(data.work() + "v2.dct"));
    EXPECT_FALSE(load.IsCompletePackage(data.work() + "tiny.dct"));
    EXPECT_FALSE(load.IsCompletePackage(data.work() + "missing.dct"));
}

TEST_F(BGLoadTest, AWaveInIncomingBecomesA16BitWaveInCurrentFiles) {
    std::string command = "sox -n -r 8000 -b 8 -c 2 " + shellQuote(data.incoming() + "Tape 7.wav") +
                          " synth 0.5 sine 440";
    ASSERT_EQ(std::system(command.c_str()), 0);
    PassReport report = load.runPass();
    ASSERT_EQ(report.imports.size(), 1u);
    EXPECT_EQ(report.imports[0].status, ImportStatus::Delivered);
    EXPECT_TRUE(listNames(data.incoming()).empty());
    WaveInfo info;
    LSoundSource wave = openWaveFile(data.current() + "Tape 7.wav", info);
    ASSERT_TRUE(wave.usable());
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(wave->channels(), 2);
    EXPECT_EQ(wave->sampleRate(), 8000);
    EXPECT_EQ(wave->getLength(), 4000);
    EXPECT_TRUE(load.TakeNewDictation());
    EXPECT_EQ(load.progress(), 0.0f);
}

TEST_F(BGLoadTest, AWaveNamedLikeAQueuedDictationArrivesUnderAFreeName) {
    // "Tape 7" is queued with its typing and "Tape 7 (2)" has a record only.
    const std::string queued = data.current() + "Tape 7.wav";
    ASSERT_EQ(std::system(("sox -n -r 8000 -b 16 -c 1 " + shellQuote(queued) + " synth 0.2 sine 300").c_str()), 0);
    writeAll(data.current() + "Tape 7.txt", "typed so far");
    writeAll(data.current() + "Tape 7 (2).dat", "[file]\nname=Someone else\n");
    const std::string before = readAll(queued);
    ASSERT_EQ(std::system(("sox -n -r 8000 -b 16 -c 1 " + shellQuote(data.incoming() + "Tape 7.wav") +
                           " synth 0.5 sine 440").c_str()), 0);
    PassReport report = load.runPass();
    ASSERT_EQ(report.imports.size(), 1u);
    EXPECT_EQ(report.imports[0].status, ImportStatus::Delivered);
    EXPECT_EQ(report.imports[0].base, "Tape 7 (3)");
    EXPECT_EQ(readAll(queued), before);
    EXPECT_EQ(readAll(data.current() + "Tape 7.txt"), "typed so far");
    LSoundSource arrival = openWaveFile(data.current() + "Tape 7 (3).wav");
    ASSERT_TRUE(arrival.usable());
    EXPECT_EQ(arrival->getLength(), 4000);
    EXPECT_TRUE(listNames(data.incoming()).empty());
}

TEST_F(BGLoadTest, BadPackagesGoButOnesThatFailedForOutsideReasonsStay) {
    TransferFolders folders = data.folders();
    folders.current = data.root() + "gone/";
    BGLoad broken(folders, [this] { return now; });
    makePackage(data.incoming() + "good.dct", "--tone 8000:1:0.1");
    makePackage(data.incoming() + "bad.dct", "--channels 0 --version 3");
    writeAll(data.incoming() + "noise.wav", "not a wave at all");
    broken.runPass();
    EXPECT_EQ(listNames(data.incoming()), std::vector<std::string>{"good.dct"});
    EXPECT_FALSE(broken.TakeNewDictation());

    load.runPass();
    EXPECT_TRUE(listNames(data.incoming()).empty());
    EXPECT_TRUE(exists(data.current() + "dct00012-00345.wav"));
}

TEST_F(BGLoadTest, NamesThatAreNotPlainAreLeftWhereTheyAre) {
    set("lancheck", "true");
    set("lanfolder", lan());
    makePackage(lan() + "tab\t.dct", "--channels 0");
    PassReport report = load.runPass();
    EXPECT_EQ(report.skipped, std::vector<std::string>{"tab\t.dct"});
    EXPECT_EQ(listNames(lan()).size(), 1u);
}

TEST_F(BGLoadTest, AWholeSweepPostsAtMostAboutTwentyFiveMessages) {
    QueuePoster poster;
    int received = 0;
    PostWindow window([&](uint32_t, uintptr_t, intptr_t) { ++received; }, &poster);
    load.setNotifyTarget(&window, 0x411);
    for (int i = 0; i <= 1000; ++i) load.SetProgress(i / 1000.0f);
    load.SetProgress(0.0f);
    poster.runPending();
    EXPECT_GE(received, 20);
    EXPECT_LE(received, 26);
    EXPECT_EQ(received, load.notifyCount());

    for (int i = 0; i < 6; ++i) {
        makePackage(data.incoming() + "p" + std::to_string(i) + ".dct",
                    "--tone 8000:1:0.2 --number " + std::to_string(i));
    }
    received = 0;
    load.runPass();
    poster.runPending();
    EXPECT_GT(received, 0);
    EXPECT_LE(received, 26);
    EXPECT_EQ(load.progress(), 0.0f);
    load.setNotifyTarget(nullptr, 0);
}

TEST_F(BGLoadTest, TheThreadAnswersAStopPromptly) {
    std::string command = "sox -n -r 44100 -b 16 -c 1 " + shellQuote(data.incoming() + "long.wav") +
                          " synth 120 sine 440";
    ASSERT_EQ(std::system(command.c_str()), 0);
    load.start(ThreadPriority::Idle);
    auto begin = std::chrono::steady_clock::now();
    while (load.progress() == 0.0f && std::chrono::steady_clock::now() - begin < std::chrono::seconds(10)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    auto asked = std::chrono::steady_clock::now();
    load.stop();
    // The body must end by itself, well before the 5 s after which stop gives
    // up and leaves it running.  The bound leaves room for an idle-priority
    // thread that waits for the processor on a loaded (or sanitized) run.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(4));
    EXPECT_FALSE(load.isRunning());
    bool imported = exists(data.current() + "long.wav") && !exists(data.incoming() + "long.wav");
    bool untouched = !exists(data.current() + "long.wav") && exists(data.incoming() + "long.wav");
    EXPECT_TRUE(imported || untouched) << "a stopped import leaves no partial wave";
}

}  // namespace
}  // namespace typix::test
