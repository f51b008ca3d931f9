#include "formats/OpenWaveFile.h"

#include <gtest/gtest.h>

#include "formats/LSRCPCMFile.h"
#include "formats/WaveTestSupport.h"

namespace typix {
namespace {

using namespace test;

const std::string kData16 = samples16({1, 2, 3, 4});  // two stereo frames
const std::string kFmt16 = chunk("fmt ", formatBody(16, 1, 2, 8000, 16));

struct WalkCase {
    const char* what;
    std::string bytes;
    bool opens;
    int32_t length = 0;
};

std::vector<WalkCase> walkCases() {
    const std::string wave = pcmWave(2, 8000, 16, kData16);
    Bytes avi;
    avi.tag("RIFF").u32(4 + 6).tag("AVI ").zeros(6);
    Bytes oddForm;  // size 7 rounds to 8: the form and 4 more bytes
    oddForm.tag("RIFF").u32(7).tag("JUNK").zeros(4);
    Bytes tinyForm;
    tinyForm.tag("LIST").u32(3).tag("WAVE");
    return {
        {"plain 16-bit stereo", wave, true, 2},
        {"44100 data bytes of 16-bit stereo", pcmWave(2, 44100, 16, std::string(44100, '\0')), true, 11025},
        {"another RIFF form first", avi.data + wave, true, 2},
        {"odd-sized leading form", oddForm.data + wave, true, 2},
        {"leading form of size 3 rounds to 4", tinyForm.data + wave, false},
        {"fewer than 12 bytes", std::string("RIFF\0\0\0", 7), false},
        {"odd chunk of 3 skipped as 4",
         riffWave(chunk("LIST", "abc") + std::string(1, '\0') + kFmt16 + chunk("data", kData16)), true, 2},
        {"chunk of size 0 fails", riffWave(chunk("LIST", "") + kFmt16 + chunk("data", kData16)), false},
        {"chunk size beyond 2^31 fails",
         riffWave(chunk("LIST", "", 0x80000000u) + kFmt16 + chunk("data", kData16)), false},
        {"chunk between fmt and data", riffWave(kFmt16 + chunk("fact", "1234") + chunk("data", kData16)), true, 2},
        {"format of 13 bytes", riffWave(chunk("fmt ", formatBody(13, 1, 2, 8000, 16)) + chunk("data", kData16)), false},
        {"format of 14 bytes (bits from block align)",
         riffWave(chunk("fmt ", formatBody(14, 1, 2, 8000, 16)) + chunk("data", kData16)), true, 2},
        {"format of 8192 bytes", riffWave(chunk("fmt ", formatBody(8192, 1, 2, 8000, 16)) + chunk("data", kData16)), true, 2},
        {"format of 8193 bytes", riffWave(chunk("fmt ", formatBody(8193, 1, 2, 8000, 16)) + chunk("data", kData16)), false},
        {"format chunk cut short", riffWave(chunk("fmt ", "abcd", 16)), false},
        {"no data chunk", riffWave(kFmt16), false},
        {"no fmt chunk", riffWave(chunk("data", kData16)), false},
        {"channels 0", pcmWave(0, 8000, 16, kData16), false},
        {"channels 255", pcmWave(255, 8000, 8, std::string(510, '\0')), true, 2},
        {"channels 256", pcmWave(256, 8000, 8, kData16), false},
        {"rate 0", pcmWave(2, 0, 16, kData16), false},
        {"rate 1", pcmWave(2, 1, 16, kData16), true, 2},
        {"rate 192000", pcmWave(2, 192000, 16, kData16), true, 2},
        {"rate 192001", pcmWave(2, 192001, 16, kData16), false},
        {"not RIFF at all", std::string(64, 'x'), false},
    };
}

TEST(OpenWaveFile, RiffAndChunkWalk) {
    ScratchFolder dir;
    for (const auto& c : walkCases()) {
        const std::string path = dir.file("walk.wav");
        writeFile(path, c.bytes);
        WaveInfo info;
        LSoundSource src = openWaveFile(path, info);
        EXPECT_EQ(static_cast<bool>(src), c.opens) << c.what << ": " << info.error;
        EXPECT_EQ(info.error.empty(), c.opens) << c.what;
        if (src && c.opens) {
            EXPECT_TRUE(src.usable()) << c.what;
            EXPECT_EQ(src->getLength(), c.length) << c.what;
        }
    }
}

TEST(OpenWaveFile, FailuresSayWhatAndWhere) {
    ScratchFolder dir;
    WaveInfo info;
    EXPECT_FALSE(openWaveFile(dir.file("missing.wav"), info));
    EXPECT_NE(info.error.find("cannot open"), std::string::npos);

    writeFile(dir.file("fmt13.wav"), riffWave(chunk("fmt ", formatBody(13, 1, 2, 8000, 16))));
    EXPECT_FALSE(openWaveFile(dir.file("fmt13.wav"), info));
    EXPECT_NE(info.error.find("13 bytes"), std::string::npos) << info.error;
    EXPECT_EQ(info.errorOffset, 16);  // the format chunk's size field

    writeFile(dir.file("rate.wav"), pcmWave(1, 200000, 16, kData16));
    EXPECT_FALSE(openWaveFile(dir.file("rate.wav"), info));
    EXPECT_NE(info.error.find("200000"), std::string::npos) << info.error;
    EXPECT_EQ(info.errorOffset, 24);
}

TEST(OpenWaveFile, BitsChooseTheSampleReader) {
    ScratchFolder dir;
    const struct { uint16_t bits; int bytes; int32_t peak; } cases[] = {
        {4, 1, 260096}, {8, 1, 260096}, {12, 2, 524272}, {16, 2, 524272},
        {20, 3, 524272}, {24, 3, 524272}, {25, 4, 524272}, {32, 4, 524272},
    };
    for (const auto& c : cases) {
        writeFile(dir.file("b.wav"), pcmWave(1, 8000, c.bits, std::string(24, '\0')));
        WaveInfo info;
        LSoundSource src = openWaveFile(dir.file("b.wav"), info);
        ASSERT_TRUE(src.usable()) << c.bits;
        auto* pcm = dynamic_cast<LSRCPCMFileBase*>(src.get());
        ASSERT_NE(pcm, nullptr) << c.bits;
        EXPECT_EQ(pcm->bytesPerSample(), c.bytes) << c.bits;
        EXPECT_EQ(src->peakLevel(), c.peak) << c.bits;
        EXPECT_EQ(src->getLength(), 24 / c.bytes) << c.bits;
        EXPECT_EQ(info.bitsPerSample, c.bits);
        EXPECT_EQ(info.dataStart, 44);
    }
}

TEST(OpenWaveFile, ExtensibleFormatWithPcmSubFormatReadsAsPcm) {
    ScratchFolder dir;
    Bytes fmt;
    fmt.u16(0xFFFE).u16(1).u32(8000).u32(16000).u16(2).u16(16).u16(22).u16(16).u32(4);
    fmt.u16(1).raw(std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14));
    writeFile(dir.file("ext.wav"), riffWave(chunk("fmt ", fmt.data) + chunk("data", samples16({100, -100}))));
    WaveInfo info;
    LSoundSource src = openWaveFile(dir.file("ext.wav"), info);
    ASSERT_TRUE(src.usable()) << info.error;
    EXPECT_EQ(info.fileFormatTag, 0xFFFE);
    EXPECT_TRUE(info.isPcm());
    int32_t out[2];
    src.read(out, 2);
    EXPECT_EQ(out[0], 1600);
    EXPECT_EQ(out[1], -1600);
}

TEST(OpenWaveFile, OtherFormatTagsGoToTheCodecSource) {
    ScratchFolder dir;
    // A-law with a valid format: whatever the codec makes of it, it is not a PCM reader.
    writeFile(dir.file("alaw.wav"), riffWave(chunk("fmt ", formatBody(18, 6, 1, 8000, 8)) +
                                             chunk("data", std::string(800, '\xD5'))));
    WaveInfo info;
    LSoundSource src = openWaveFile(dir.file("alaw.wav"), info);
    ASSERT_TRUE(src) << info.error;
    EXPECT_EQ(dynamic_cast<LSRCPCMFileBase*>(src.get()), nullptr);
    EXPECT_EQ(info.formatTag, 6);
}

}  // namespace
}  // namespace typix
