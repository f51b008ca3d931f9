// typixctl render: the bytes it writes for fixed inputs, and how it ends when
// the output cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CtlRun.h"

namespace typix {
namespace {

using namespace test;

// FNV-1a, 64 bits: enough to tell any changed byte of a rendered file.
uint64_t checksum(const std::string& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (char c : bytes) {
        h ^= static_cast<uint8_t>(c);
        h *= 1099511628211ull;
    }
    return h;
}

// Speech-like test material made from integers only, so that it is the same
// on every machine: a triangle whose period drifts, a slower triangle under
// it and a little noise from a linear congruential generator, with an
// envelope that falls silent now and then.  `peak` is the full-scale value
// of the sample type.
std::vector<int64_t> material(int frames, int channels, int64_t peak) {
    std::vector<int64_t> v;
    uint32_t noise = 12345;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const int64_t period = 90 + (i / 700) % 60 + 7 * c;
            const int64_t phase = i % period;
            const int64_t fast = (phase < period / 2 ? phase : period - phase) * 4000 / period - 1000;
            const int64_t slow = ((i + 311 * c) % 1000 < 500 ? (i % 500) : 500 - (i % 500)) - 250;
            noise = noise * 1664525u + 1013904223u;
            const int64_t hiss = static_cast<int64_t>(noise >> 24) - 128;
            const int64_t envelope = (i / 4410) % 5 == 4 ? 0 : 1 + (i / 4410) % 4;
            v.push_back((fast * 6 + slow * 8 + hiss * 4) * envelope * peak / 32768);
        }
    }
    return v;
}

std::string inputWave(uint16_t channels, uint32_t rate, uint16_t bits, int frames) {
    const int64_t peak = int64_t{1} << (bits - 1);
    Bytes data;
    for (int64_t s : material(frames, channels, peak)) {
        s = std::clamp<int64_t>(s, -peak, peak - 1);
        if (bits == 8) s += 128;
        data.put(static_cast<uint32_t>(s), bits / 8);
    }
    return pcmWave(channels, rate, bits, data.data);
}

TEST(RenderOutput, BytesOfFixedInputsStayTheSame) {
    ScratchFolder dir;
    writeFile(dir.file("mono16.wav"), inputWave(1, 44100, 16, 132300));
    writeFile(dir.file("stereo16.wav"), inputWave(2, 22050, 16, 44100));
    writeFile(dir.file("mono8.wav"), inputWave(1, 11025, 8, 22050));
    writeFile(dir.file("stereo24.wav"), inputWave(2, 32000, 24, 32000));
    writeFile(dir.file("mono32.wav"), inputWave(1, 16000, 32, 16000));
    const struct {
        const char* input;
        std::vector<std::string> options;
        uint64_t sum;
    } cases[] = {
        {"mono16", {}, 0x7267e6ba587aa722ull},
        {"mono16", {"--speed", "0.5", "--frames", "270000"}, 0x056c1933f0dd6c5bull},
        {"mono16", {"--speed", "1.5", "--frames", "88200"}, 0xd473f8ae6f029f01ull},
        {"mono16", {"--speed", "0.5", "--frames", "100000", "--bits", "32", "--block", "777"}, 0x4db89cf8476f2a86ull},
        {"mono16", {"--speed", "0.7,2.0,20000", "--frames", "100000"}, 0xe64e14be7fcad7b2ull},
        {"mono16", {"--speed", "-1.0", "--seek", "100000", "--frames", "50000"}, 0xf88d0f27e3bec8fdull},
        {"mono16", {"--seek", "131000", "--speed", "1.0", "--frames", "9000", "--block", "8192"}, 0x02dc7509249ed22full},
        {"stereo16", {"--rate", "44100", "--channels", "1"}, 0x0b017133a2bbd292ull},
        {"stereo16", {"--mix", "0:-6,-3:0", "--speed", "1.25", "--frames", "30000", "--block", "1000"}, 0xda10dd5f10601abbull},
        {"mono8", {"--rate", "8000", "--bits", "8"}, 0x8c585c5e95b51bffull},
        {"mono8", {"--speed", "0.6", "--frames", "40000"}, 0xc68a1e5d88382449ull},
        {"stereo24", {"--bits", "32", "--seek", "-500", "--block", "333"}, 0xa1e7d71d417bebb3ull},
        {"mono32", {"--channels", "2", "--rate", "22050", "--speed", "0.8", "--frames", "20000",
                    "--block", "8192"}, 0x840a9e0eca23f024ull},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"render", dir.file(std::string(c.input) + ".wav"), dir.file("out.wav")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string what = c.input;
        for (const auto& o : c.options) what += " " + o;
        const CommandResult r = typixctl(dir, args);
        ASSERT_EQ(r.status, 0) << what << ": " << r.err;
        char sum[32];
        std::snprintf(sum, sizeof sum, "0x%016llx", static_cast<unsigned long long>(checksum(readFile(dir.file("out.wav")))));
        char expected[32];
        std::snprintf(expected, sizeof expected, "0x%016llx", static_cast<unsigned long long>(c.sum));
        EXPECT_STREQ(sum, expected) << what;
    }
}

TEST(RenderOutput, AFailedWriteEndsWithStatusOne) {
    ScratchFolder dir;
    writeFile(dir.file("in.wav"), inputWave(1, 44100, 16, 132300));
    const std::string out = dir.file("out.wav");
    const struct {
        const char* what;
        std::string path;
        const char* prefix;  // shell text run before typixctl
    } cases[] = {
        // The header is the first write that fails here.
        {"a device that is always full", "/dev/full", ""},
        // The limit also holds for the file that catches the messages.
        {"a file size limit reached during the audio", out, "ulimit -f 64; trap '' XFSZ"},
    };
    for (const auto& c : cases) {
        const CommandResult r = typixctl(
            dir, {"render", dir.file("in.wav"), c.path, "--speed", "0.5", "--frames", "264600"}, c.prefix);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_NE(r.err.find("writing failed"), std::string::npos) << c.what << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.what << ": the incomplete output stays";
    }
}

TEST(RenderOutput, RefusesToWriteOverItsInput) {
    ScratchFolder dir;
    const std::string input = inputWave(1, 8000, 16, 4000);
    writeFile(dir.file("in.wav"), input);
    std::filesystem::create_symlink(dir.file("in.wav"), dir.file("link.wav"));
    for (const char* out : {"in.wav", "link.wav"}) {
        const CommandResult r = typixctl(dir, {"render", dir.file("in.wav"), dir.file(out)});
        EXPECT_EQ(r.status, 2) << out;
        EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
        EXPECT_EQ(readFile(dir.file("in.wav")), input) << out;
    }
}

// The codec libraries are loaded only by a run that decodes a codec: a PCM
// render starts without them, a mu-law file brings them in.
TEST(RenderOutput, LoadsTheCodecLibrariesOnlyForACodec) {
    ScratchFolder dir;
    writeFile(dir.file("pcm.wav"), inputWave(1, 8000, 16, 4000));
    writeFile(dir.file("mulaw.wav"),
              riffWave(chunk("fmt ", formatBody(18, 7, 1, 8000, 8)) + chunk("data", std::string(800, '\x55'))));
    const struct { const char* input; bool loads; } cases[] = {{"pcm.wav", false}, {"mulaw.wav", true}};
    for (const auto& c : cases) {
        const CommandResult r = typixctl(dir, {"render", dir.file(c.input), dir.file("out.wav")},
                                         "export LD_DEBUG=files");
        EXPECT_EQ(r.status, 0) << c.input;
        EXPECT_EQ(r.err.find("libavcodec") != std::string::npos, c.loads) << c.input;
    }
}

}  // namespace
}  // namespace typix
