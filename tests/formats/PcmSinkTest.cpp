#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "formats/LSNKPCMFile.h"
#include "formats/OpenWaveFile.h"
#include "formats/WaveTestSupport.h"

namespace typix {
namespace {

using namespace test;

TEST(PcmSink, HeaderAfterNoFrames) {
    ScratchFolder dir;
    { LSoundSink sink = createPCMWaveFile(dir.file("empty.wav"), 11025, 1, 16); }
    const std::string bytes = readFile(dir.file("empty.wav"));
    ASSERT_EQ(bytes.size(), 46u);
    Bytes expected;
    expected.tag("RIFF").u32(38).tag("WAVE").tag("fmt ").u32(18).u16(1).u16(1).u32(11025)
        .u32(22050).u16(2).u16(16).u16(0).tag("data").u32(0);
    EXPECT_EQ(bytes, expected.data);
    LSoundSource src = openWaveFile(dir.file("empty.wav"));
    ASSERT_TRUE(src.usable());
    EXPECT_EQ(src->getLength(), 0);
}

TEST(PcmSink, BitsChooseTheTypeAndValuesRoundTripWithSaturation) {
    ScratchFolder dir;
    const std::vector<int32_t> in = {524272, -524288, 600000, -600000, 16, 0};
    const struct { int bits; int bytes; std::vector<int32_t> back; } cases[] = {
        {8, 1, {260096, -262144, 260096, -262144, 0, 0}},
        {16, 2, {524272, -524288, 524272, -524288, 16, 0}},
        {24, 4, {524272, -524288, 524288, -524288, 16, 0}},  // above 16: 32-bit samples
        {32, 4, {524272, -524288, 524288, -524288, 16, 0}},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file("rt.wav");
        {
            LSoundSink sink = createPCMWaveFile(path, 8000, 2, c.bits);
            ASSERT_TRUE(sink.usable()) << c.bits;
            EXPECT_EQ(sink->write(in.data(), 3), 3);
        }
        const std::string bytes = readFile(path);
        EXPECT_EQ(bytes.size(), 46u + 6u * c.bytes) << c.bits;
        EXPECT_EQ(le32(bytes, 42), 6u * c.bytes) << c.bits;
        EXPECT_EQ(le32(bytes, 4), 6u * c.bytes + 38) << c.bits;
        LSoundSource src = openWaveFile(path);
        ASSERT_TRUE(src.usable()) << c.bits;
        std::vector<int32_t> out(6);
        src.read(out.data(), 3);
        EXPECT_EQ(out, c.back) << c.bits;
    }
    EXPECT_FALSE(createPCMWaveFile(dir.file("x.wav"), 8000, 1, 0));
}

TEST(PcmSink, TruncateCutsTheFileAndWritingContinuesThere) {
    ScratchFolder dir;
    const std::string path = dir.file("cut.wav");
    const std::vector<int32_t> ones(100, 16), twos(100, 32);
    {
        LSoundSink sink = createPCMWaveFile(path, 8000, 1, 16);
        sink->write(ones.data(), 100);
        sink->truncate(200);  // more than written: ignored
        EXPECT_EQ(sink->framesWritten(), 100);
        sink->truncate(40);
        EXPECT_EQ(sink->framesWritten(), 40);
        EXPECT_EQ(readFile(path).size(), 46u + 80u);
        sink->write(twos.data(), 10);
    }
    LSoundSource src = openWaveFile(path);
    ASSERT_TRUE(src.usable());
    EXPECT_EQ(src->getLength(), 50);
    std::vector<int32_t> out(50);
    src.read(out.data(), 50);
    EXPECT_EQ(out[39], 16);
    EXPECT_EQ(out[40], 32);
    EXPECT_EQ(out[49], 32);
}

TEST(PcmSink, FramesToKeepReopensAnExistingFile) {
    ScratchFolder dir;
    const std::string path = dir.file("keep.wav");
    const std::vector<int32_t> a(30, 160), b(5, -160);
    { createPCMWaveFile(path, 8000, 1, 16)->write(a.data(), 30); }
    { createPCMWaveFile(path, 8000, 1, 16, 20)->write(b.data(), 5); }
    LSoundSource src = openWaveFile(path);
    EXPECT_EQ(src->getLength(), 25);
    std::vector<int32_t> out(25);
    src.read(out.data(), 25);
    EXPECT_EQ(out[19], 160);
    EXPECT_EQ(out[20], -160);
}

TEST(PcmSink, FailedSinkCountsFramesAndWritesNothing) {
    ScratchFolder dir;
    LSoundSink sink = createPCMWaveFile(dir.file("no/such/folder.wav"), 8000, 1, 16);
    ASSERT_TRUE(sink);
    EXPECT_TRUE(sink->isError());
    const std::vector<int32_t> block(10);
    sink->write(block.data(), 10);
    EXPECT_EQ(sink->framesWritten(), 10);

    LSoundSink noChannels = createPCMWaveFile(dir.file("zero.wav"), 8000, 0, 16);
    EXPECT_TRUE(noChannels->isError());
    noChannels->write(block.data(), 10);
    noChannels.reset();
    EXPECT_FALSE(std::filesystem::exists(dir.file("zero.wav")));
}

// A write the system refuses marks the sink failed; the caller learns it
// from failed() and finish() and never takes the file for complete.
TEST(PcmSink, RefusedWritesAreReported) {
    ScratchFolder dir;
    const std::vector<int32_t> block(1000, 160);
    const struct { const char* what; std::string path; bool ok; int error; } cases[] = {
        {"a device that is always full", "/dev/full", false, ENOSPC},
        {"a plain file", dir.file("good.wav"), true, 0},
    };
    for (const auto& c : cases) {
        LSNKPCMFile<LSF16> sink(c.path, 8000, 1, 0, HeaderSync::Never);
        sink.write(block.data(), 1000);
        EXPECT_EQ(sink.framesWritten(), 1000) << c.what;
        EXPECT_EQ(sink.failed(), !c.ok) << c.what;
        EXPECT_EQ(sink.finish(), c.ok) << c.what;
        EXPECT_EQ(sink.failureErrno(), c.error) << c.what;
        EXPECT_EQ(sink.finish(), c.ok) << c.what << ": a second finish";
    }
    // Finished, the file is complete while the sink still exists.
    const std::string bytes = readFile(dir.file("good.wav"));
    EXPECT_EQ(bytes.size(), 46u + 2000u);
    EXPECT_EQ(le32(bytes, 42), 2000u);
}

// The writer rewrites its header every rate * 4 frames; a reader of the same
// file sees the length grow as the header catches up, and plays the new audio.
TEST(PcmSink, ReaderOfAGrowingFileFollowsTheWritersHeader) {
    ScratchFolder dir;
    const std::string path = dir.file("grow.wav");
    const int32_t rate = 1000;  // header every 4000 frames
    std::vector<int32_t> block(1000);
    LSoundSink sink = createPCMWaveFile(path, rate, 1, 16);
    LSoundSource src = openWaveFile(path);
    ASSERT_TRUE(src.usable());
    EXPECT_EQ(src->getLength(), 0);
    for (int i = 0; i < 4; ++i) {
        std::fill(block.begin(), block.end(), (i + 1) * 16);
        sink->write(block.data(), 1000);
    }
    EXPECT_EQ(src->getLength(), 0);  // 4000 frames: countdown reached 0, not below
    sink->write(block.data(), 1);
    EXPECT_EQ(src->getLength(), 4001);
    std::vector<int32_t> out(3000);
    src->setPosition(2500);
    src.read(out.data(), 3000);
    EXPECT_EQ(out[0], 48);
    EXPECT_EQ(out[1500], 64);
    EXPECT_EQ(out[1501], 0);  // past what the header covers: silence for now
    sink.reset();             // the final header covers everything
    EXPECT_EQ(src->getLength(), 4001);
}

TEST(PcmSink, SlowReaderCatchesUpAfterReadingPastTheKnownEnd) {
    ScratchFolder dir;
    const std::string path = dir.file("live.wav");
    std::vector<int32_t> block(500, 80);
    LSoundSink sink = createPCMWaveFile(path, 100, 1, 16);  // header every 400 frames
    sink->write(block.data(), 500);
    LSoundSource src = openWaveFile(path);
    EXPECT_EQ(src->getLength(), 500);
    std::vector<int32_t> out(500);
    src.read(out.data(), 500);
    std::fill(block.begin(), block.end(), 160);
    sink->write(block.data(), 500);  // crosses the countdown: header rewritten
    src.read(out.data(), 100);
    EXPECT_EQ(out[0], 160);
    EXPECT_EQ(src->getLength(), 1000);
}

}  // namespace
}  // namespace typix
