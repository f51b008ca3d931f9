// The codec wave source against the ffmpeg program's own decoding of the same
// files: every sample, the exact length once the end is read, seeking into
// the middle of compressed blocks, and the data chunk as the hard limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "CodecTestFiles.h"
#include "formats/OpenWaveFile.h"

namespace typix {
namespace {

using codectest::CodecFiles;
using codectest::openCodecWave;
using codectest::readFrames;
using codectest::referencePcm;

struct CodecCase {
    const char* file;
    uint16_t tag;
    const char* decoder;
    int channels;
};

const CodecCase kCases[] = {
    {"ima", 0x11, "adpcm_ima_wav", 1},   {"ima_stereo", 0x11, "adpcm_ima_wav", 2},
    {"msadpcm", 0x2, "adpcm_ms", 1},     {"msadpcm_stereo", 0x2, "adpcm_ms", 2},
    {"gsm", 0x31, "gsm_ms", 1},          {"alaw", 0x6, "pcm_alaw", 1},
    {"mulaw", 0x7, "pcm_mulaw", 1},      {"g726", 0x45, "g726", 1},
    {"mp3", 0x55, "mp3float", 2},        {"float", 0x3, "pcm_f32le", 2},
};

void PrintTo(const CodecCase& c, std::ostream* os) { *os << c.file; }

class CodecDecode : public ::testing::TestWithParam<CodecCase> {};

// The whole file, read in pieces that straddle the codec's output buffers,
// gives the reference samples; past them only silence follows, and the
// length is then the reference's frame count.
TEST_P(CodecDecode, MatchesTheReferenceDecodingAndEndsExactly) {
    const CodecCase& c = GetParam();
    LSoundSource source = openCodecWave(CodecFiles::path(std::string(c.file) + ".wav"));
    ASSERT_TRUE(source.usable());
    auto* wave = static_cast<LSRCACMWave*>(source.get());
    EXPECT_EQ(wave->formatTag(), c.tag);
    EXPECT_EQ(wave->codecName(), c.decoder);
    EXPECT_EQ(source->channels(), c.channels);
    EXPECT_EQ(source->peakLevel(), 524272);

    const std::vector<int16_t> expected = referencePcm(c.file);
    const int64_t frames = static_cast<int64_t>(expected.size()) / c.channels;
    const std::vector<int16_t> got = readFrames(source, frames + 5000, 3001);
    ASSERT_EQ(got.size(), static_cast<size_t>(frames + 5000) * c.channels);
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), got.begin());
    EXPECT_EQ(mismatch.first, expected.end()) << "first difference at sample " << (mismatch.first - expected.begin());
    EXPECT_TRUE(std::all_of(got.begin() + static_cast<long>(expected.size()), got.end(), [](int16_t v) { return v == 0; }));
    EXPECT_TRUE(wave->atEnd());
    EXPECT_EQ(source->getLength(), frames);
    EXPECT_EQ(source->getPosition(), frames + 5000);
}

// A seek lands on the exact frame, whatever block it falls in: the samples
// that follow equal the reference from that frame on.  For codecs whose
// blocks depend on earlier ones (GSM, G.726, MP3) this holds because the
// decoding starts early enough for the codec's state to settle.
TEST_P(CodecDecode, SeekingIntoABlockGivesTheSamplesOfAReadFromTheStart) {
    const CodecCase& c = GetParam();
    LSoundSource source = openCodecWave(CodecFiles::path(std::string(c.file) + ".wav"));
    ASSERT_TRUE(source.usable());
    const std::vector<int16_t> expected = referencePcm(c.file);
    const int64_t frames = static_cast<int64_t>(expected.size()) / c.channels;
    for (int64_t target : {int64_t{1}, int64_t{333}, frames / 2 + 7, frames - 4321, frames / 3, int64_t{0}}) {
        source->setPosition(static_cast<int32_t>(target));
        EXPECT_EQ(source->getPosition(), target);
        const std::vector<int16_t> got = readFrames(source, 2000, 777);
        for (int64_t i = 0; i < 2000 * c.channels; ++i) {
            ASSERT_EQ(got[i], expected[target * c.channels + i]) << "seek to " << target << ", sample " << i;
        }
    }
}

// Damaged compressed data (every 61st byte inverted, and a burst of zeros)
// decodes to the end without crashing or hanging, and the end is found.
TEST_P(CodecDecode, DamagedDataStillDecodesToAnEnd) {
    const CodecCase& c = GetParam();
    const std::string original = CodecFiles::path(std::string(c.file) + ".wav");
    const auto parts = codectest::walkRiff(original);
    std::vector<uint8_t> bytes = codectest::readAll(original);
    for (uint32_t i = parts.dataOffset; i < parts.dataOffset + parts.dataBytes; i += 61) bytes[i] ^= 0xFF;
    std::fill_n(bytes.begin() + parts.dataOffset + parts.dataBytes / 2, std::min<uint32_t>(700, parts.dataBytes / 4), 0);
    const std::string damaged = CodecFiles::path(std::string("damaged-") + c.file + "-" +
                                                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".wav");
    std::ofstream(damaged, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    LSoundSource source = openCodecWave(damaged, parts);
    std::filesystem::remove(damaged);
    ASSERT_TRUE(source.usable());
    const int64_t reference = static_cast<int64_t>(referencePcm(c.file).size()) / c.channels;
    readFrames(source, reference * 2, 8192);
    EXPECT_TRUE(static_cast<LSRCACMWave*>(source.get())->atEnd());
    EXPECT_GT(source->getLength(), 0);
    EXPECT_LE(source->getLength(), reference * 2);
    source->setPosition(source->getLength() / 2);
    readFrames(source, 1000);
}

INSTANTIATE_TEST_SUITE_P(Codecs, CodecDecode, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.file); });

TEST(CodecWave, OpenWaveFileHandsNonPcmFormatsToTheCodecSource) {
    LSoundSource source = openWaveFile(CodecFiles::path("msadpcm_stereo.wav"));
    ASSERT_TRUE(source.usable());
    auto* wave = dynamic_cast<LSRCACMWave*>(source.get());
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->codecName(), "adpcm_ms");
    const std::vector<int16_t> expected = referencePcm("msadpcm_stereo");
    EXPECT_EQ(readFrames(source, static_cast<int64_t>(expected.size()) / 2), expected);
}

TEST(CodecWave, DecodingStopsAtTheDataChunkEndWhenTheFileContinues) {
    LSoundSource plain = openCodecWave(CodecFiles::path("ima.wav"));
    LSoundSource trailing = openCodecWave(CodecFiles::path("ima_trailing.wav"));
    ASSERT_TRUE(trailing.usable());
    const std::vector<int16_t> expected = readFrames(plain, 30000);
    EXPECT_EQ(readFrames(trailing, 30000), expected);
    EXPECT_EQ(trailing->getLength(), plain->getLength());
}

TEST(CodecWave, LengthIsEstimatedFromWholeBlocksBeforeTheEndIsRead) {
    // ffmpeg writes a byte rate of 16000 for 8 kHz IMA ADPCM, four times the
    // truth; counting whole blocks gives the real length before decoding.
    LSoundSource source = openCodecWave(CodecFiles::path("ima.wav"));
    const std::vector<int16_t> expected = referencePcm("ima");
    const int64_t exact = static_cast<int64_t>(expected.size());
    EXPECT_EQ(source->getLength(), exact);
    source->setPosition(static_cast<int32_t>(exact - 100));  // beyond what the byte rate promises
    EXPECT_EQ(readFrames(source, 100), std::vector<int16_t>(expected.end() - 100, expected.end()));
}

TEST(CodecWave, ByteRateLengthEstimateBecomesExactAtTheEnd) {
    LSoundSource source = openCodecWave(CodecFiles::path("mp3.wav"));
    const int64_t exact = static_cast<int64_t>(referencePcm("mp3").size()) / 2;
    const auto parts = codectest::walkRiff(CodecFiles::path("mp3.wav"));
    EXPECT_EQ(source->getLength(), codecFramesForBytes(parts.dataBytes, 22050, 8000));
    readFrames(source, exact + 1);
    EXPECT_EQ(source->getLength(), exact);
    // Seeking at or past the exact end gives silence at once.
    source->setPosition(static_cast<int32_t>(exact + 10));
    const std::vector<int16_t> after = readFrames(source, 50);
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](int16_t v) { return v == 0; }));
    EXPECT_EQ(source->getPosition(), exact + 60);
}

TEST(CodecWave, AZeroByteRateCountsBytesAsFramesUntilTheEnd) {
    auto parts = codectest::walkRiff(CodecFiles::path("mp3.wav"));
    std::fill_n(parts.format.begin() + 8, 4, 0);
    LSoundSource source = openCodecWave(CodecFiles::path("mp3.wav"), parts);
    ASSERT_TRUE(source.usable());
    EXPECT_EQ(source->getLength(), static_cast<int32_t>(parts.dataBytes));
    const std::vector<int16_t> expected = referencePcm("mp3");
    EXPECT_EQ(readFrames(source, static_cast<int64_t>(expected.size()) / 2), expected);
    readFrames(source, 1);
    EXPECT_EQ(source->getLength(), static_cast<int64_t>(expected.size()) / 2);
}

TEST(CodecWave, BeforeTheStartComesSilenceThenTheFirstFrames) {
    LSoundSource source = openCodecWave(CodecFiles::path("ima_stereo.wav"));
    const std::vector<int16_t> expected = referencePcm("ima_stereo");
    source->setPosition(-300);
    std::vector<int16_t> got = readFrames(source, 200);
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](int16_t v) { return v == 0; }));
    got = readFrames(source, 500);
    EXPECT_TRUE(std::all_of(got.begin(), got.begin() + 200, [](int16_t v) { return v == 0; }));
    EXPECT_TRUE(std::equal(got.begin() + 200, got.end(), expected.begin()));
    EXPECT_EQ(source->getPosition(), 400);
}

TEST(CodecWave, ADataChunkLongerThanTheFileEndsWhereTheFileEnds) {
    auto parts = codectest::walkRiff(CodecFiles::path("gsm.wav"));
    parts.dataBytes += 100000;
    LSoundSource source = openCodecWave(CodecFiles::path("gsm.wav"), parts);
    ASSERT_TRUE(source.usable());
    const std::vector<int16_t> expected = referencePcm("gsm");
    const std::vector<int16_t> got = readFrames(source, static_cast<int64_t>(expected.size()) + 100);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin()));
    EXPECT_EQ(source->getLength(), static_cast<int64_t>(expected.size()));
}

TEST(CodecWave, TruncatedCompressedDataIsDecodedAsFarAsItGoes) {
    // Half of the last IMA block is missing: the decoder gets the partial
    // block, and nothing crashes or hangs.
    auto parts = codectest::walkRiff(CodecFiles::path("ima.wav"));
    parts.dataBytes -= 300;
    LSoundSource source = openCodecWave(CodecFiles::path("ima.wav"), parts);
    const std::vector<int16_t> expected = referencePcm("ima");
    const std::vector<int16_t> got = readFrames(source, static_cast<int64_t>(expected.size()));
    const int64_t whole = (parts.dataBytes / 1024) * 2041;
    EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + whole, got.begin()));
    EXPECT_GE(source->getLength(), whole);
    EXPECT_LT(source->getLength(), static_cast<int64_t>(expected.size()));
}

// Formats that cannot be decoded still give a source: in the error state, it
// writes nothing and reports the length its byte rate promises.
TEST(CodecWave, UndecodableFormatsOpenInTheErrorState) {
    struct Broken {
        const char* why;
        uint16_t tag;
        uint16_t channels;
    } const cases[] = {
        {"a tag no decoder knows", 0x7A7A, 1},
        {"GSM with two channels, which its decoder refuses", 0x31, 2},
    };
    for (const Broken& b : cases) {
        auto parts = codectest::walkRiff(CodecFiles::path("gsm.wav"));
        parts.format[0] = static_cast<uint8_t>(b.tag);
        parts.format[1] = static_cast<uint8_t>(b.tag >> 8);
        parts.format[2] = static_cast<uint8_t>(b.channels);
        LSoundSource source = openCodecWave(CodecFiles::path("gsm.wav"), parts);
        ASSERT_TRUE(source) << b.why;
        EXPECT_TRUE(source->isError()) << b.why;
        EXPECT_EQ(static_cast<LSRCACMWave*>(source.get())->formatTag(), b.tag);
        EXPECT_EQ(source->getLength(), codecFramesForBytes(parts.dataBytes, 8000, 1625)) << b.why;
        std::vector<int32_t> buffer(100, 12345);
        source.read(buffer.data(), 50);
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](int32_t v) { return v == 12345; })) << b.why;
    }
}

TEST(CodecWave, AFileThatIsNotOpenGivesAnErrorSource) {
    const auto parts = codectest::walkRiff(CodecFiles::path("ima.wav"));
    LSoundSource source = makeCodecWaveSource(LReadFile{}, parts.format, parts.dataBytes);
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->isError());
    EXPECT_EQ(static_cast<LSRCACMWave*>(source.get())->codecName(), "adpcm_ima_wav");
}

// Worked numbers for the frame/byte conversions, including the zero-rate
// rules and rates whose products need more than 32 bits.
TEST(CodecWave, FrameByteConversionsFollowTheIntegerOrder) {
    struct Row {
        int64_t in;
        int32_t rate, byteRate;
        int64_t bytes, frames;  // bytes for `in` frames, frames for `in` bytes
    } const rows[] = {
        {8000, 8000, 4055, 4055, 15782},
        {12345, 8000, 4055, 6257, 24355},   // 1*4055 + 4345*4055/8000; 3*8000 + 180*8000/4055
        {0, 8000, 4055, 0, 0},
        {777, 0, 4055, 777, 0},            // R = 0: bytes are frames; frames for bytes: 0 * ...
        {777, 8000, 0, 0, 777},            // B = 0: frames for bytes are the bytes
        {191999, 192000, 1536000, 1535992, 23999},  // (f mod R) * B = 2.9e11 needs 64 bits
    };
    for (const Row& r : rows) {
        EXPECT_EQ(codecBytesForFrames(r.in, r.rate, r.byteRate), r.bytes) << r.in << " frames at " << r.rate;
        EXPECT_EQ(codecFramesForBytes(r.in, r.rate, r.byteRate), r.frames) << r.in << " bytes at " << r.byteRate;
    }
}

}  // namespace
}  // namespace typix
