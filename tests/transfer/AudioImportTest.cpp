// Any audio file in Incoming Files becomes a dictation in Current Files; a
// file that does not decode stays where it is and leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "TransferTestSupport.h"
#include "formats/AudioTestFiles.h"
#include "formats/OpenWaveFile.h"
#include "store/DictationRecord.h"
#include "support/LDatFile.h"
#include "transfer/DropFiles.h"

namespace typix::test {
namespace {

using audiotest::AudioFiles;

class AudioImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (AudioFiles::folder().empty()) GTEST_SKIP() << "ffmpeg or sox could not make the test files";
    }
    // Puts a made file into Incoming Files under `name`, dated `date`.
    void arrive(const std::string& made, const std::string& name, time_t date = 1700000000) {
        fs::copy_file(AudioFiles::path(made), data.incoming() + name);
        const utimbuf times{date, date};
        ::utime((data.incoming() + name).c_str(), &times);
    }
    void set(const char* key, const std::string& value) {
        ASSERT_TRUE(LDatFile(data.settings()).writeText("settings", key, value));
    }

    DataFolders data;
    int64_t now = std::time(nullptr);
    BGLoad load{data.folders(), [this] { return now; }};
};

TEST_F(AudioImportTest, TaggedFileBecomesAWaveAndARecordFromItsTags) {
    arrive("tone.m4a", "memo.m4a");
    const PassReport report = load.runImportPass();
    ASSERT_EQ(report.imports.size(), 1u);
    EXPECT_EQ(report.imports[0].status, ImportStatus::Delivered);
    EXPECT_EQ(report.imports[0].base, "memo");
    EXPECT_EQ(listNames(data.current()), (std::vector<std::string>{"memo.dat", "memo.wav"}));
    EXPECT_TRUE(listNames(data.incoming()).empty());

    WaveInfo info;
    LSoundSource wave = openWaveFile(data.current() + "memo.wav", info);
    ASSERT_TRUE(wave.usable());
    EXPECT_EQ(wave->sampleRate(), 48000);
    EXPECT_EQ(wave->channels(), 1);
    // Every decoded sample is in the wave, after its 46-byte header.
    EXPECT_EQ(audiotest::readSamples(data.current() + "memo.wav", 46),
              audiotest::readSamples(AudioFiles::path("tone.m4a.s16")));

    DictationRecord record(data.current(), "memo");
    EXPECT_EQ(record.name(), "Board minutes m4a");
    EXPECT_EQ(record.senderName(), "Dr Ann Hale");
    EXPECT_EQ(record.date(), 1700000000);
    EXPECT_EQ(record.priority(), "Normal");
}

TEST_F(AudioImportTest, UntaggedFileIsNamedAfterItselfAndHasNoSender) {
    arrive("tone.amr", "ward round.amr");
    load.runImportPass();
    DictationRecord record(data.current(), "ward round");
    EXPECT_EQ(record.name(), "ward round");
    EXPECT_EQ(record.text("sendername"), "");
    EXPECT_TRUE(exists(data.current() + "ward round.wav"));
}

TEST_F(AudioImportTest, NameOfAQueuedDictationIsNeverReplaced) {
    writeAll(data.current() + "memo.wav", "queued");
    writeAll(data.current() + "memo (2).txt", "typing of another");
    arrive("tone.ogg", "memo.ogg");
    EXPECT_EQ(load.runImportPass().imports.at(0).base, "memo (3)");
    EXPECT_EQ(readAll(data.current() + "memo.wav"), "queued");
    EXPECT_TRUE(exists(data.current() + "memo (3).wav"));
    EXPECT_TRUE(exists(data.current() + "memo (3).dat"));
}

TEST_F(AudioImportTest, UndecodableFileStaysInIncomingAndLeavesNothingInCurrent) {
    arrive("letter.mp3", "letter.mp3");
    PassReport report = load.runImportPass();
    ASSERT_EQ(report.imports.size(), 1u);
    EXPECT_EQ(report.imports[0].status, ImportStatus::Malformed);
    EXPECT_NE(report.imports[0].reason.find("kept in Incoming Files"), std::string::npos);
    EXPECT_EQ(listNames(data.incoming()), std::vector<std::string>{"letter.mp3"});
    EXPECT_TRUE(listNames(data.current()).empty()) << "no temporary or partial file";
    // Not tried again while unchanged; a changed file is.
    EXPECT_TRUE(load.runImportPass().imports.empty());
    fs::remove(data.incoming() + "letter.mp3");
    arrive("tone.mp3", "letter.mp3");
    EXPECT_EQ(load.runImportPass().imports.at(0).status, ImportStatus::Delivered);
}

TEST_F(AudioImportTest, OutputThatCannotBeWrittenKeepsTheFileForTheNextPass) {
    arrive("tone.flac", "dictation.flac");
    fs::permissions(data.current(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(data.current().c_str(), W_OK) == 0) {
        fs::permissions(data.current(), fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder modes";
    }
    EXPECT_EQ(load.runImportPass().imports.at(0).status, ImportStatus::Failed);
    fs::permissions(data.current(), fs::perms::owner_all);
    EXPECT_EQ(listNames(data.incoming()), std::vector<std::string>{"dictation.flac"});
    EXPECT_EQ(load.runImportPass().imports.at(0).status, ImportStatus::Delivered);
}

TEST_F(AudioImportTest, StopRequestLeavesNothingAndKeepsTheFile) {
    arrive("tone.wma", "stopped.wma");
    load.requestStop(true);
    load.runImportPass();
    load.requestStop(false);
    EXPECT_TRUE(listNames(data.current()).empty());
    EXPECT_EQ(listNames(data.incoming()), std::vector<std::string>{"stopped.wma"});
}

TEST_F(AudioImportTest, LanFolderAudioIsFetchedOnceSettledAndOtherFilesStay) {
    set("lancheck", "true");
    set("lanfolder", data.root() + "lan");
    const std::string lan = data.root() + "lan/";
    fs::copy_file(AudioFiles::path("tone.opus"), lan + "note.opus");
    fs::copy_file(AudioFiles::path("tone.opus"), lan + "notes.odt");
    // Still being written (just modified): left for a later pass.
    EXPECT_TRUE(load.runPass().fetched.empty());
    now += kDropAudioSettleSeconds + 8;
    const PassReport report = load.runPass();
    EXPECT_EQ(report.fetched, std::vector<std::string>{"note.opus"});
    EXPECT_EQ(listNames(lan), std::vector<std::string>{"notes.odt"});
    EXPECT_TRUE(exists(data.current() + "note.wav"));
}

}  // namespace
}  // namespace typix::test
