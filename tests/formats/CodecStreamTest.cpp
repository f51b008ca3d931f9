// The decoder interface on its own: format parsing, decoded sample formats to
// 16 bits, and conversions whose output does not fit the caller's buffer.
#include <gtest/gtest.h>

#include <vector>

#include "CodecTestFiles.h"
#include "formats/CodecStream.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace typix {
namespace {

TEST(CodecSamples, FloatsRoundToNearestEvenAndClip) {
    const float in[] = {0.0f, 1.0f, -1.0f, 2.0f, -3.0f, 0.5f / 32768, 1.5f / 32768, -0.5f / 32768, 0.25f};
    const int16_t want[] = {0, 32767, -32768, 32767, -32768, 0, 2, 0, 8192};
    const uint8_t* planes[] = {reinterpret_cast<const uint8_t*>(in)};
    std::vector<int16_t> out(std::size(in));
    ASSERT_TRUE(codecInterleaveS16(AV_SAMPLE_FMT_FLT, planes, 1, static_cast<int>(std::size(in)), out.data()));
    EXPECT_EQ(out, std::vector<int16_t>(std::begin(want), std::end(want)));
}

TEST(CodecSamples, PlanarChannelsAreInterleaved) {
    const int32_t left[] = {0x12345678, -0x10000, 0x7FFFFFFF};
    const int32_t right[] = {0x00010000, static_cast<int32_t>(0x80000000), 0xFFFF};
    const uint8_t* planes[] = {reinterpret_cast<const uint8_t*>(left), reinterpret_cast<const uint8_t*>(right)};
    std::vector<int16_t> out(6);
    ASSERT_TRUE(codecInterleaveS16(AV_SAMPLE_FMT_S32P, planes, 2, 3, out.data()));
    EXPECT_EQ(out, (std::vector<int16_t>{0x1234, 1, -1, -32768, 32767, 0}));

    const uint8_t bytes[] = {0x00, 0x80, 0xFF, 0x81};
    const uint8_t* packed[] = {bytes};
    ASSERT_TRUE(codecInterleaveS16(AV_SAMPLE_FMT_U8, packed, 2, 2, out.data()));
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 4), (std::vector<int16_t>{-32768, 0, 32512, 256}));
    EXPECT_FALSE(codecInterleaveS16(AV_SAMPLE_FMT_NONE, packed, 1, 1, out.data()));
}

TEST(CodecFormat, ParsesTheHeaderAndCutsExtraBytesToTheChunk) {
    struct Row {
        std::vector<uint8_t> chunk;
        bool ok;
        uint16_t tag;
        size_t extra;
    } const rows[] = {
        {{0x11, 0, 1, 0, 0x40, 0x1F, 0, 0, 0xD7, 0x0F, 0, 0, 0, 4, 4, 0, 2, 0, 0xF9, 0x07}, true, 0x11, 2},
        {{0x11, 0, 1, 0, 0x40, 0x1F, 0, 0, 0xD7, 0x0F, 0, 0, 0, 4, 4, 0, 0xFF, 0xFF, 1}, true, 0x11, 1},
        {{0x31, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x59, 0x06, 0, 0, 65, 0}, true, 0x31, 0},
        {{0x31, 0, 1, 0, 0x40}, false, 0, 0},
        // Extensible: valid bits, channel mask, then the sub-format's tag.
        {{0xFE, 0xFF, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, 22, 0,
          8, 0, 4, 0, 0, 0, 0x06, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71},
         true, 0x06, 22},
    };
    for (const Row& r : rows) {
        CodecWaveFormat f;
        EXPECT_EQ(f.parse(r.chunk), r.ok);
        if (!r.ok) continue;
        EXPECT_EQ(f.tag, r.tag);
        EXPECT_EQ(f.extra.size(), r.extra);
        EXPECT_EQ(f.rate, 8000u);
    }
}

// A conversion that decodes more than the caller's buffer holds keeps the
// rest for the next call: small buffers and one big buffer give the same audio.
TEST(CodecStreamConvert, AudioThatDoesNotFitIsDeliveredByTheNextCall) {
    const auto parts = codectest::walkRiff(codectest::CodecFiles::path("ima.wav"));
    const std::vector<uint8_t> file = codectest::readAll(codectest::CodecFiles::path("ima.wav"));
    const uint8_t* data = file.data() + parts.dataOffset;
    CodecWaveFormat f;
    ASSERT_TRUE(f.parse(parts.format));
    auto stream = CodecStream::open(f);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->framesPerBlock(), 2041);
    EXPECT_EQ(stream->inputSizeFor(8192), 4 * 1024);
    EXPECT_EQ(stream->seekRunInFrames(), 0);

    std::vector<int16_t> pieces;
    int64_t offset = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        int16_t small[300];
        const auto r = stream->convert(data + offset, parts.dataBytes - offset, small, 300, CodecConvert::kEnd);
        offset += r.inputUsed;
        pieces.insert(pieces.end(), small, small + r.outputSamples);
        if (r.outputSamples < 300) break;
    }
    EXPECT_EQ(offset, parts.dataBytes);
    EXPECT_EQ(pieces, codectest::referencePcm("ima"));

    stream->reset();
    std::vector<int16_t> whole(30000);
    const auto r = stream->convert(data, 1500, whole.data(), 30000, CodecConvert::kBlockAlign);
    EXPECT_EQ(r.inputUsed, 1024);  // the partial second block waits for more input
    EXPECT_EQ(r.outputSamples, 2041);
}

}  // namespace
}  // namespace typix
