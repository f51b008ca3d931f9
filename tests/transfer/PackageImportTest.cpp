#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "TransferTestSupport.h"
#include "formats/OpenWaveFile.h"
#include "support/LDatFile.h"
#include "transfer/PackageFormat.h"

namespace typix::test {
namespace {

struct WaveFacts {
    bool opened = false;
    int channels = 0;
    int32_t rate = 0;
    int bits = 0;
    int32_t length = 0;
};

WaveFacts waveFacts(const std::string& path) {
    WaveInfo info;
    LSoundSource source = openWaveFile(path, info);
    if (!source.usable()) return {};
    return {true, source->channels(), source->sampleRate(), info.bitsPerSample,
            source->getLength()};
}

std::string le32(uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(v >> (8 * i));
    return out;
}

// A version-1 delivery head written by hand, for inputs the generator refuses.
std::string handMadeHead(const std::string& afterDate) {
    std::string body = le32(0) + le32(12) + le32(345) + le32(1000) + afterDate;
    uint32_t size = static_cast<uint32_t>(6 + body.size());
    return std::string("\x01\x00", 2) + le32(size) + body;
}

class PackageImportTest : public ::testing::Test {
protected:
    std::string package(const std::string& options, const std::string& name = "p.dct") {
        std::string path = data.incoming() + name;
        makePackage(path, options);
        return path;
    }
    ImportResult import(const std::string& path) { return load.ImportPackage(path, 0.5f, 0.25f); }
    std::string current(const std::string& file) const { return data.current() + file; }
    std::string record(const std::string& base, const char* key) const {
        return LDatFile(current(base + ".dat")).readText("file", key, "<none>");
    }
    bool nothingWritten() const { return listNames(data.current()).empty(); }

    DataFolders data;
    BGLoad load{data.folders()};
};

TEST_F(PackageImportTest, VersionZeroGivesMono16BitWaveRecordAndTyping) {
    auto result = import(package("--version 0 --tone 11025:1:0.5 --text 'Dear Sir\\nthanks'"
                                 " --field name=Letter --field senderemail=a@b.example"));
    ASSERT_EQ(result.status, ImportStatus::Delivered) << result.reason;
    EXPECT_EQ(result.base, "dct00012-00345");
    WaveFacts wave = waveFacts(current("dct00012-00345.wav"));
    EXPECT_TRUE(wave.opened);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.rate, 11025);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_EQ(wave.length, 5512);
    EXPECT_EQ(readAll(current("dct00012-00345.txt")), "Dear Sir\r\nthanks");
    // The sender's details and the letter are readable by the typist only.
    for (const char* file : {"dct00012-00345.txt", "dct00012-00345.dat"})
        EXPECT_EQ(std::filesystem::status(current(file)).permissions(),
                  std::filesystem::perms(0600)) << file;
    EXPECT_TRUE(load.TakeNewDictation());
    EXPECT_FALSE(load.TakeNewDictation());
}

TEST_F(PackageImportTest, RecordKeysAreWrittenInOrderAndOldKeysStay) {
    writeAll(current("dct00012-00345.dat"), "[file]\nstatus=Done\ncustom=kept\n");
    ASSERT_TRUE(import(package("--version 0 --tone 8000:1:0.1 --date 1234567890 --priority 80"
                               " --field name=N --field sendername=S --field address4=A4"))
                    .taken());
    EXPECT_EQ(record("dct00012-00345", "custom"), "kept");
    EXPECT_EQ(record("dct00012-00345", "status"), "Received");
    EXPECT_EQ(record("dct00012-00345", "date"), "1234567890");
    EXPECT_EQ(record("dct00012-00345", "priority"), "High");
    EXPECT_EQ(record("dct00012-00345", "address4"), "A4");

    // A fresh record lists the keys in the order a sender's program expects.
    ASSERT_TRUE(import(package("--version 0 --tone 8000:1:0.1 --number 9")).taken());
    std::string text = readAll(current("dct00012-00009.dat"));
    size_t at = 0;
    for (const char* key : {"senderid=12", "number=9", "status=Received", "date=", "name=",
                            "sendername=", "senderemail=", "company=", "phone=", "cell=",
                            "fax=", "address1=", "address2=", "address3=", "address4=",
                            "priority=Normal"}) {
        size_t found = text.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in\n" << text;
        at = found;
    }
}

TEST_F(PackageImportTest, ValuesWithEndBlanksAndQuotesReadBackAsSent) {
    const std::string fields = " --field 'name= Letter with blanks ' --field 'company=\"Quoted Ltd\"'"
                               " --field 'address1=\"half' --field 'fax=\t7 '";
    // Into a fresh record (written whole) and over an existing one (key by key).
    for (bool existing : {false, true}) {
        if (existing) writeAll(current("dct00012-00345.dat"), "[file]\ncustom=kept\n");
        ASSERT_TRUE(import(package("--version 0 --tone 8000:1:0.1" + fields)).taken()) << existing;
        EXPECT_EQ(record("dct00012-00345", "name"), " Letter with blanks ") << existing;
        EXPECT_EQ(record("dct00012-00345", "company"), "\"Quoted Ltd\"") << existing;
        EXPECT_EQ(record("dct00012-00345", "address1"), "\"half") << existing;
        EXPECT_EQ(record("dct00012-00345", "fax"), "\t7 ") << existing;
        EXPECT_EQ(record("dct00012-00345", "status"), "Received") << existing;
        for (const char* extension : {".dat", ".wav", ".txt"})
            std::filesystem::remove(current(std::string("dct00012-00345") + extension));
    }
}

TEST_F(PackageImportTest, TwoSegmentsMergeAtTheLastRateFollowingChannelOne) {
    // Channel 1: one second of tone at 11025 Hz; channel 2: a short silence.
    auto result = import(package("--tone 11025:1:1.0:440 --tone 8000:1:0.25:0"));
    ASSERT_EQ(result.status, ImportStatus::Delivered) << result.reason;
    const std::string path = current("dct00012-00345.wav");
    WaveFacts wave = waveFacts(path);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.rate, 8000);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_NEAR(wave.length, 8000, 2);

    LSoundSource source = openWaveFile(path);
    std::vector<int32_t> frames(2 * 4000);
    source->read(frames.data(), 4000);
    int64_t left = 0, right = 0;
    for (int i = 0; i < 4000; ++i) {
        left += std::abs(frames[2 * i]);
        right += std::abs(frames[2 * i + 1]);
    }
    EXPECT_GT(left, 0) << "channel 1 carries the tone";
    EXPECT_EQ(right, 0) << "channel 2 carries the silence";
}

TEST_F(PackageImportTest, ChannelCountsZeroStereoAndAboveSixteen) {
    ASSERT_TRUE(import(package("--channels 0 --text typed")).taken());
    EXPECT_EQ(listNames(data.current()),
              (std::vector<std::string>{"dct00012-00345.dat", "dct00012-00345.txt"}));

    ASSERT_TRUE(import(package("--number 2 --tone 22050:2:0.2")).taken());
    WaveFacts stereo = waveFacts(current("dct00012-00002.wav"));
    EXPECT_EQ(stereo.channels, 1);
    EXPECT_EQ(stereo.rate, 22050);

    std::string tones;
    for (int i = 0; i < 17; ++i) tones += " --tone 8000:1:0.05";
    ASSERT_TRUE(import(package("--number 3" + tones)).taken());
    EXPECT_EQ(waveFacts(current("dct00012-00003.wav")).channels, 16);
}

TEST_F(PackageImportTest, NamesKeepEveryDigitAndPrioritiesFollowTheTable) {
    ASSERT_TRUE(import(package("--sender 1234567 --number 7654321 --channels 0")).taken());
    EXPECT_TRUE(exists(current("dct1234567-7654321.dat")));
    EXPECT_EQ(packageBaseName(12, 345), "dct00012-00345");
    EXPECT_EQ(packageBaseName(-3, 0), "dct-00003-00000");

    const std::pair<int, const char*> table[] = {
        {0, "Low"}, {33, "Low"}, {34, "Normal"}, {75, "Normal"}, {76, "High"}, {255, "High"}};
    for (const auto& [byte, name] : table) {
        ASSERT_TRUE(import(package("--channels 0 --number " + std::to_string(byte) +
                                   " --priority " + std::to_string(byte)))
                        .taken());
        EXPECT_EQ(record(packageBaseName(12, byte), "priority"), name) << byte;
    }
}

TEST_F(PackageImportTest, TypingStopsAtTheFirstZeroByte) {
    ASSERT_TRUE(import(package("--channels 0 --text 'ab\\0cd'")).taken());
    EXPECT_EQ(readAll(current("dct00012-00345.txt")), "ab");
}

TEST_F(PackageImportTest, DeliveryBesideTheOpenDictationIsReplacedNotOverwritten) {
    writeAll(current("dct00012-00345.wav"), "the open one");
    load.SetFileInUse(current("dct00012-00345.wav"));
    auto first = import(package("--channels 0 --text first"));
    EXPECT_EQ(first.base, "dct00012-00345 REPLACED");
    auto second = import(package("--tone 8000:1:0.1 --text second"));
    EXPECT_EQ(second.base, "dct00012-00345 REPLACED");
    EXPECT_EQ(readAll(current("dct00012-00345.wav")), "the open one");
    EXPECT_EQ(readAll(current("dct00012-00345 REPLACED.txt")), "second");
    EXPECT_TRUE(waveFacts(current("dct00012-00345 REPLACED.wav")).opened);
}

TEST_F(PackageImportTest, WithdrawRemovesAllButTheOpenDictation) {
    EXPECT_EQ(import(package("--kind withdraw --number 1")).status, ImportStatus::Withdrawn);
    EXPECT_TRUE(load.TakeNewDictation());

    for (const char* ext : {".wav", ".dat", ".txt"}) {
        writeAll(current(std::string("dct00012-00002") + ext), "x");
        writeAll(current(std::string("dct00012-00003") + ext), "x");
    }
    load.SetFileInUse(current("dct00012-00003.wav"));
    EXPECT_TRUE(import(package("--kind withdraw --number 2")).taken());
    EXPECT_TRUE(import(package("--kind withdraw --number 3")).taken());
    EXPECT_EQ(listNames(data.current()),
              (std::vector<std::string>{"dct00012-00003.dat", "dct00012-00003.txt",
                                        "dct00012-00003.wav"}));
}

TEST_F(PackageImportTest, MalformedPackagesLeaveNothing) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"version 2", std::string("\x02\x00", 2) + le32(6)},
        {"declared one byte more", handMadeHead("") + "x"},
        {"string runs past the end", handMadeHead(std::string(1, '\xC8') + "short")},
        {"text longer than the file",
         handMadeHead(std::string(11, '\0') + "\x32" + le32(0xFFFFFFF0u) + "abc")},
        {"channel byte missing", handMadeHead(std::string(11, '\0') + "\x32" + le32(0))},
        {"segment is not a wave",
         handMadeHead(std::string(11, '\0') + "\x32" + le32(0) + "\x01" + le32(20) +
                      std::string(20, 'R'))},
    };
    // A declared length one more than the size: the head says so, the file is shorter.
    cases[2].bytes = cases[2].bytes.substr(0, 2) + le32(static_cast<uint32_t>(cases[2].bytes.size() + 1)) +
                     cases[2].bytes.substr(6);
    for (const Case& c : cases) {
        writeAll(data.incoming() + "bad.dct", c.bytes);
        EXPECT_EQ(import(data.incoming() + "bad.dct").status, ImportStatus::Malformed) << c.what;
        EXPECT_TRUE(nothingWritten()) << c.what;
    }
    EXPECT_EQ(import(package("--channels 0 --length-delta 1")).status, ImportStatus::Malformed);
    EXPECT_TRUE(nothingWritten());
    EXPECT_FALSE(load.TakeNewDictation());
}

TEST_F(PackageImportTest, UndecodableAudioRemovesItsTemporaryFiles) {
    const std::string temp = data.root() + "tmp";
    fs::create_directories(temp);
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    setenv("TMPDIR", temp.c_str(), 1);
    writeAll(data.work() + "junk.wav", std::string(5000, 'j'));
    auto result = import(package("--segment '" + data.work() + "junk.wav' --tone 8000:1:0.1"));
    if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
    EXPECT_EQ(result.status, ImportStatus::Malformed);
    EXPECT_TRUE(nothingWritten());
    EXPECT_TRUE(listNames(temp).empty());
}

TEST_F(PackageImportTest, AWaveClaimingMoreDataThanItHoldsCannotFillTheDisk) {
    std::string fmt = std::string("\x01\x00\x01\x00", 4) + le32(8000) + le32(16000) +
                      std::string("\x02\x00\x10\x00", 4);
    std::string wave = "RIFF" + le32(0x7FFFFFF0u) + "WAVEfmt " + le32(16) + fmt + "data" +
                       le32(0x7FFFFF00u) + std::string(1000, '\x10');
    writeAll(data.work() + "liar.wav", wave);
    ASSERT_TRUE(import(package("--version 0 --segment '" + data.work() + "liar.wav'")).taken());
    EXPECT_LE(fs::file_size(current("dct00012-00345.wav")), 2u * (64 * 1100 + 2 * 8192) + 100);
}

TEST_F(PackageImportTest, AnUnwritableOutputIsAFailureOutsideThePackage) {
    TransferFolders folders = data.folders();
    folders.current = data.root() + "no such folder/";
    BGLoad elsewhere(folders);
    auto result = elsewhere.ImportPackage(package("--tone 8000:1:0.1"), 0.5f, 0.25f);
    EXPECT_EQ(result.status, ImportStatus::Failed);
    EXPECT_FALSE(result.removesPackage());
}

TEST_F(PackageImportTest, AStopRequestLeavesNoHalfDictation) {
    load.requestStop(true);
    auto result = import(package("--tone 8000:1:2.0 --text t"));
    EXPECT_EQ(result.status, ImportStatus::Stopped);
    EXPECT_FALSE(result.removesPackage());
    EXPECT_TRUE(nothingWritten());
}

}  // namespace
}  // namespace typix::test
