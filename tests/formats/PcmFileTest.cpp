#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "formats/OpenWaveFile.h"
#include "formats/WaveTestSupport.h"

namespace typix {
namespace {

using namespace test;

std::vector<int32_t> readFrames(LSoundSource& src, int32_t frames) {
    std::vector<int32_t> out(static_cast<size_t>(frames) * src->channels(), 12345);
    src.read(out.data(), frames);
    return out;
}

// A mono 16-bit file whose sample i is i + 1.
LSoundSource countingFile(const ScratchFolder& dir, int frames) {
    std::vector<int16_t> values(static_cast<size_t>(frames));
    std::iota(values.begin(), values.end(), int16_t{1});
    writeFile(dir.file("count.wav"), pcmWave(1, 8000, 16, samples16(values)));
    return openWaveFile(dir.file("count.wav"));
}

TEST(PcmSource, ReadBeforeTheStartGivesSilenceThenTheFile) {
    ScratchFolder dir;
    LSoundSource src = countingFile(dir, 200);
    src->setPosition(-30);
    const auto out = readFrames(src, 100);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(out[i], 0) << i;
    for (int i = 30; i < 100; ++i) EXPECT_EQ(out[i], (i - 29) * 16) << i;
    EXPECT_EQ(src->getPosition(), 70);
    EXPECT_EQ(readFrames(src, 1)[0], 71 * 16);  // continues where it stopped
}

TEST(PcmSource, ReadsWhollyBeforeTheStartOrPastTheEndAreSilent) {
    ScratchFolder dir;
    LSoundSource src = countingFile(dir, 50);
    src->setPosition(-200);
    EXPECT_EQ(readFrames(src, 100), std::vector<int32_t>(100, 0));
    EXPECT_EQ(src->getPosition(), -100);
    src->setPosition(40);
    const auto tail = readFrames(src, 30);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(tail[i], (41 + i) * 16);
    for (int i = 10; i < 30; ++i) EXPECT_EQ(tail[i], 0);
    EXPECT_EQ(src->getPosition(), 70);
    EXPECT_EQ(readFrames(src, 5), std::vector<int32_t>(5, 0));
    EXPECT_EQ(src->getPosition(), 75);
    EXPECT_EQ(src->getLength(), 50);
    src->setPosition(1000);  // beyond the end: still silent, position kept
    EXPECT_EQ(readFrames(src, 3), std::vector<int32_t>(3, 0));
    EXPECT_EQ(src->getPosition(), 1003);
}

TEST(PcmSource, ReadsLargerThanTheBufferComeInPieces) {
    ScratchFolder dir;
    LSoundSource src = countingFile(dir, 20000);
    const auto out = readFrames(src, 20000);
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(out[i], static_cast<int16_t>(i + 1) * 16) << i;
}

TEST(PcmSource, EachSampleTypeReadsAtTheInternalScale) {
    ScratchFolder dir;
    const struct { const char* what; uint16_t bits; std::string data; std::vector<int32_t> expected; } cases[] = {
        {"8-bit", 8, std::string("\xFF\x80\x00\x81", 4), {260096, 0, -262144, 2048}},
        {"16-bit", 16, samples16({32767, -32768, 1, -1}), {524272, -524288, 16, -16}},
        {"24-bit packed", 24, Bytes().s24(0x7FFFFF).s24(-0x800000).s24(0x100).s24(-0x100).data,
         {524288, -524288, 16, -16}},
        {"32-bit", 32, Bytes().u32(0x7FFF0000).u32(0x80000000).u32(65536).u32(0xFFFF0000).data,
         {524272, -524288, 16, -16}},
    };
    for (const auto& c : cases) {
        writeFile(dir.file("t.wav"), pcmWave(2, 8000, c.bits, c.data));
        LSoundSource src = openWaveFile(dir.file("t.wav"));
        ASSERT_TRUE(src.usable()) << c.what;
        EXPECT_EQ(src->getLength(), 2) << c.what;
        EXPECT_EQ(readFrames(src, 2), c.expected) << c.what;
    }
}

TEST(PcmSource, SizeFieldClaimingMoreThanTheFileHoldsIsHarmless) {
    ScratchFolder dir;
    // Claims 100 frames of stereo, holds two and a half.
    std::string bytes = riffWave(chunk("fmt ", formatBody(16, 1, 2, 8000, 16)) +
                                 chunk("data", samples16({1, 2, 3, 4, 5}), 400));
    writeFile(dir.file("short.wav"), bytes);
    LSoundSource src = openWaveFile(dir.file("short.wav"));
    ASSERT_TRUE(src.usable());
    EXPECT_EQ(src->getLength(), 100);
    const auto out = readFrames(src, 4);
    EXPECT_EQ(out, (std::vector<int32_t>{16, 32, 48, 64, 0, 0, 0, 0}));
}

TEST(PcmSource, SetPositionSeeksToTheFrame) {
    ScratchFolder dir;
    LSoundSource src = countingFile(dir, 100);
    for (int32_t p : {0, 1, 57, 99}) {
        src->setPosition(p);
        EXPECT_EQ(readFrames(src, 1)[0], (p + 1) * 16) << p;
    }
}

// Reads that step back, overlap, straddle the read-ahead window's edges or
// outgrow it: each one delivers exactly the frames at its position, whatever
// the window held before.  Sample i of the file is ((i % 30000) + 1) * 16.
TEST(PcmSource, OverlappingAndBackwardReadsDeliverTheFramesAtTheirPosition) {
    ScratchFolder dir;
    const int frames = 40000;
    std::vector<int16_t> values(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) values[static_cast<size_t>(i)] = static_cast<int16_t>(i % 30000 + 1);
    writeFile(dir.file("long.wav"), pcmWave(1, 44100, 16, samples16(values)));
    LSoundSource src = openWaveFile(dir.file("long.wav"));
    ASSERT_TRUE(src.usable());
    const struct { int32_t at, frames; } reads[] = {
        {0, 1102}, {1102, 551}, {551, 1102}, {1653, 551},  // a speed stage's steps
        {8000, 400},                                      // across the first window's end
        {7000, 100},                                      // back inside the earlier window
        {100, 8192},                                      // a whole window, not aligned
        {5000, 12000},                                    // larger than the window
        {39900, 300},                                     // over the end
        {-50, 120},                                       // before the start
        {20000, 1}, {19999, 3}, {0, 1},
    };
    for (const auto& r : reads) {
        src->setPosition(r.at);
        const auto out = readFrames(src, r.frames);
        for (int32_t k = 0; k < r.frames; ++k) {
            const int32_t i = r.at + k;
            const int32_t expected = i < 0 || i >= frames ? 0 : (i % 30000 + 1) * 16;
            if (out[static_cast<size_t>(k)] != expected) {
                ADD_FAILURE() << "read of " << r.frames << " at " << r.at << ": frame " << i << " is "
                              << out[static_cast<size_t>(k)] << ", not " << expected;
                break;
            }
        }
        EXPECT_EQ(src->getPosition(), r.at + r.frames);
    }
}

}  // namespace
}  // namespace typix
