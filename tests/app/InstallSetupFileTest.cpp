// The setup file: trailer layout, checksum, copying with progress and cancel,
// and what a corrupt or unreadable setup file leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppTestFolder.h"
#include "app/InstallSetupFile.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::TestFolder;
using apptest::writeBytes;

std::string patternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xFF);
    return bytes;
}

class SetupFileTest : public ::testing::Test {
protected:
    // A program of 10000 bytes (two full chunks and a part) and a help of 5000.
    void SetUp() override {
        program_ = patternBytes(10000, 1);
        help_ = patternBytes(5000, 2);
        writeBytes(tmp_.file("program"), program_);
        writeBytes(tmp_.file("help"), help_);
        ASSERT_TRUE(makeSetupFile(tmp_.file("program"), tmp_.file("help"), setup()));
        out_ = tmp_.subfolder("out");
    }
    std::string setup() const { return tmp_.file("typix-setup"); }
    std::array<std::string, kSetupFileCount> targets() const {
        return {out_ + "typix", out_ + "typix-help.html"};
    }
    SetupCopyResult copy(const SetupCopyProgress& progress = {}) {
        return copySetupFiles(setup(), targets(), progress);
    }
    void expectNoTargets() {
        for (const std::string& target : targets()) {
            EXPECT_FALSE(exists(target)) << target;
            EXPECT_FALSE(exists(target + ".part")) << target;
        }
    }

    TestFolder tmp_;
    std::string program_, help_, out_;
};

TEST(SetupTrailer, IsLittleEndianSizesThenChecksum) {
    SetupTrailer trailer;
    trailer.sizes = {0x01020304u, 5u};
    trailer.checksum = 0xAABBCCDDu;
    const std::string bytes = encodeSetupTrailer(trailer);
    EXPECT_EQ(bytes, std::string("\x04\x03\x02\x01\x05\x00\x00\x00\xDD\xCC\xBB\xAA", 12));
    const SetupTrailer back = decodeSetupTrailer(reinterpret_cast<const unsigned char*>(bytes.data()));
    EXPECT_EQ(back.sizes, trailer.sizes);
    EXPECT_EQ(back.checksum, trailer.checksum);
}

TEST(SetupTrailer, ByteSumTakesBytesUnsignedAndWraps) {
    EXPECT_EQ(addByteSum(0, "\xFF\xFF\x01", 3), 511u);
    EXPECT_EQ(addByteSum(0xFFFFFFFFu, "\x02", 1), 1u);
}

TEST_F(SetupFileTest, SetupFileIsProgramHelpAndTrailer) {
    const std::string setupBytes = readBytes(setup());
    ASSERT_EQ(setupBytes.size(), program_.size() + help_.size() + kSetupTrailerSize);
    EXPECT_EQ(setupBytes.substr(0, program_.size()), program_);
    EXPECT_EQ(setupBytes.substr(program_.size(), help_.size()), help_);
    const SetupTrailer trailer = decodeSetupTrailer(
        reinterpret_cast<const unsigned char*>(setupBytes.data()) + setupBytes.size() - 12);
    EXPECT_EQ(trailer.sizes[0], 10000u);
    EXPECT_EQ(trailer.sizes[1], 5000u);
    EXPECT_EQ(trailer.checksum, addByteSum(addByteSum(0, program_.data(), program_.size()),
                                           help_.data(), help_.size()));
}

TEST_F(SetupFileTest, CopiesFirstSizeOneBytesThenSizeTwoBytes) {
    ASSERT_EQ(copy(), SetupCopyResult::Copied);
    EXPECT_EQ(readBytes(targets()[0]), program_);
    EXPECT_EQ(readBytes(targets()[1]), help_);
    EXPECT_FALSE(exists(targets()[0] + ".part"));
}

TEST_F(SetupFileTest, ReportsEveryChunkAndEachFileStart) {
    std::vector<size_t> started;
    std::vector<int> percents;
    SetupCopyProgress progress;
    progress.fileStarted = [&](size_t index) { started.push_back(index); };
    progress.chunkCopied = [&](int percent) { percents.push_back(percent); return true; };
    ASSERT_EQ(copy(progress), SetupCopyResult::Copied);
    EXPECT_EQ(started, (std::vector<size_t>{0, 1}));
    // 10000 bytes: 4096, 8192, 10000; then 5000 bytes: 4096, 5000; of 15000 in all.
    EXPECT_EQ(percents, (std::vector<int>{27, 54, 66, 93, 100}));
}

TEST_F(SetupFileTest, CancelStopsAfterTheCurrentChunkAndReplacesNothing) {
    writeBytes(targets()[0], "working program");
    int chunks = 0;
    SetupCopyProgress progress;
    progress.chunkCopied = [&](int) { return ++chunks < 2; };
    EXPECT_EQ(copy(progress), SetupCopyResult::Cancelled);
    EXPECT_EQ(chunks, 2);
    EXPECT_EQ(readBytes(targets()[0]), "working program");
    EXPECT_FALSE(exists(targets()[1]));
    EXPECT_FALSE(exists(targets()[0] + ".part"));
}

// Every byte of the trailer matters: sizes that no longer add up, or a
// checksum that no longer matches, is the checksum error.
TEST_F(SetupFileTest, AnyAlteredTrailerByteIsAChecksumError) {
    const std::string good = readBytes(setup());
    for (size_t i = 0; i < kSetupTrailerSize; ++i) {
        std::string bad = good;
        bad[bad.size() - kSetupTrailerSize + i] ^= 0x01;
        writeBytes(setup(), bad);
        EXPECT_EQ(copy(), SetupCopyResult::ChecksumError) << "trailer byte " << i;
        expectNoTargets();
    }
}

// A changed byte anywhere in either file, chunk edges included.
TEST_F(SetupFileTest, AlteredPayloadIsAChecksumErrorAndKeepsTheOldInstallation) {
    writeBytes(targets()[0], "working program");
    for (size_t offset : {size_t(0), size_t(4095), size_t(9999), size_t(12345), size_t(14999)}) {
        std::string bad = program_ + help_ + readBytes(setup()).substr(15000);
        bad[offset] = static_cast<char>(bad[offset] + 1);
        writeBytes(setup(), bad);
        EXPECT_EQ(copy(), SetupCopyResult::ChecksumError) << "offset " << offset;
        EXPECT_EQ(readBytes(targets()[0]), "working program");
        EXPECT_FALSE(exists(targets()[1]));
    }
}

TEST_F(SetupFileTest, ShortMissingOrUnwritableFilesGiveClearResults) {
    writeBytes(setup(), "short");
    EXPECT_EQ(copy(), SetupCopyResult::ChecksumError);
    EXPECT_EQ(copySetupFiles(tmp_.file("no-such-setup"), targets(), {}),
              SetupCopyResult::CannotOpen);
    ASSERT_TRUE(makeSetupFile(tmp_.file("program"), tmp_.file("help"), setup()));
    EXPECT_EQ(copySetupFiles(setup(), {tmp_.file("missing/typix"), tmp_.file("missing/help")}, {}),
              SetupCopyResult::CannotWrite);
    EXPECT_FALSE(makeSetupFile(tmp_.file("no-program"), tmp_.file("help"), tmp_.file("x-setup")));
    EXPECT_FALSE(exists(tmp_.file("x-setup")));
}

}  // namespace
}  // namespace typix
