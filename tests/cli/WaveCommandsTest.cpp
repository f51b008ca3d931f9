// typixctl info and render, run as the real program on generated wave files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CtlRun.h"

namespace typix {
namespace {

using namespace test;

// Samples of a 16-bit file written by render (46-byte header).
std::vector<int16_t> samplesOf(const std::string& bytes) {
    std::vector<int16_t> values;
    for (size_t i = 46; i + 1 < bytes.size(); i += 2)
        values.push_back(static_cast<int16_t>(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
    return values;
}

// A 16-bit stereo file: left counts 1, 2, 3 ..., right counts -1, -2, -3 ...
std::string stereoCount(int frames, uint32_t rate = 8000) {
    std::vector<int16_t> v;
    for (int i = 1; i <= frames; ++i) {
        v.push_back(static_cast<int16_t>(i));
        v.push_back(static_cast<int16_t>(-i));
    }
    return pcmWave(2, rate, 16, samples16(v));
}

TEST(InfoCommand, PrintsTheFormatOneFieldALine) {
    ScratchFolder dir;
    writeFile(dir.file("a.wav"), pcmWave(2, 44100, 16, std::string(44100, '\0')));
    const CommandResult r = typixctl(dir, {"info", dir.file("a.wav")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "format=pcm\ntag=1\nrate=44100\nchannels=2\nbits=16\nframes=11025\nduration=0.2500\n");
}

TEST(InfoCommand, SaysWhyAFileDoesNotOpen) {
    ScratchFolder dir;
    writeFile(dir.file("fmt13.wav"), riffWave(chunk("fmt ", formatBody(13, 1, 1, 8000, 16)) + chunk("data", "")));
    const struct { std::string path; const char* why; } cases[] = {
        {dir.file("missing.wav"), "cannot open"},
        {dir.file("fmt13.wav"), "13 bytes (14 ... 8192 allowed) (at byte 16)"},
    };
    for (const auto& c : cases) {
        const CommandResult r = typixctl(dir, {"info", c.path});
        EXPECT_EQ(r.status, 1) << c.path;
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(typixctl(dir, {"info"}).status, 2);
}

TEST(InfoCommand, ReadsAFileMadeBySox) {
    ScratchFolder dir;
    const std::string made = "sox -n -r 11025 -c 1 -b 16 " + quote(dir.file("sox.wav")) + " synth 0.4 sine 300";
    if (std::system(made.c_str()) != 0) GTEST_SKIP() << "sox is not available";
    const CommandResult r = typixctl(dir, {"info", dir.file("sox.wav")});
    EXPECT_EQ(r.out, "format=pcm\ntag=1\nrate=11025\nchannels=1\nbits=16\nframes=4410\nduration=0.4000\n");
}

TEST(RenderCommand, ChainsAndBlocks) {
    ScratchFolder dir;
    writeFile(dir.file("in.wav"), stereoCount(10000));
    const std::string out = dir.file("out.wav");
    const struct {
        const char* what;
        std::vector<std::string> options;
        size_t frames;
        std::vector<int16_t> head;  // first samples of the output
    } cases[] = {
        {"plain copy, last block cut at the end", {"--block", "4096"}, 10000, {1, -1, 2, -2}},
        {"mix swaps the channels", {"--mix", "-127:0,0:-127"}, 10000, {-1, 1, -2, 2}},
        {"stereo to mono keeps the left", {"--channels", "1"}, 10000, {1, 2, 3, 4}},
        {"seek then a fixed count", {"--seek", "100", "--frames", "5", "--block", "2"}, 5, {101, -101}},
        {"negative seek reads silence first", {"--seek", "-2", "--frames", "3"}, 3, {0, 0, 0, 0, 1, -1}},
        {"seek past the end gives nothing", {"--seek", "20000"}, 0, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"render", dir.file("in.wav"), out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CommandResult r = typixctl(dir, args);
        ASSERT_EQ(r.status, 0) << c.what << ": " << r.err;
        const std::string bytes = readFile(out);
        const auto values = samplesOf(bytes);
        const size_t channels = uint8_t(bytes[22]);
        EXPECT_EQ(values.size(), c.frames * channels) << c.what;
        EXPECT_EQ(le32(bytes, 42), values.size() * 2) << c.what;
        ASSERT_GE(values.size(), c.head.size()) << c.what;
        EXPECT_EQ(std::vector<int16_t>(values.begin(), values.begin() + c.head.size()), c.head) << c.what;
    }
}

TEST(RenderCommand, RateSpeedAndBitsReachTheOutput) {
    ScratchFolder dir;
    writeFile(dir.file("in.wav"), stereoCount(8000));
    const std::string out = dir.file("out.wav");
    CommandResult r = typixctl(dir, {"render", dir.file("in.wav"), out, "--rate", "16000", "--bits", "8"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string bytes = readFile(out);
    EXPECT_EQ(le32(bytes, 24), 16000u);
    EXPECT_EQ(uint8_t(bytes[34]), 8);
    EXPECT_NEAR(static_cast<double>(le32(bytes, 42)) / 2, 16000, 200);

    r = typixctl(dir, {"render", dir.file("in.wav"), out, "--speed", "-0.5,-7.0,80000", "--frames", "300"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(le32(readFile(out), 42), 300u * 4);
    EXPECT_NE(r.out.find("frames=300"), std::string::npos);
}

TEST(RenderCommand, ClearVoiceWithSlowSpeedStillPlaysTheWholeInputOverTwiceItsLength) {
    // Clear voice goes above the speed stage: below it, the speed stage's
    // block-by-block moves would skip through the input.
    ScratchFolder dir;
    std::vector<int16_t> tone(8000);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(8000 * std::sin(2 * 3.14159265 * 440 * double(i) / 8000));
    writeFile(dir.file("in.wav"), pcmWave(1, 8000, 16, samples16(tone)));
    const std::string out = dir.file("out.wav");
    CommandResult r = typixctl(dir, {"render", dir.file("in.wav"), out, "--speed", "0.5", "--frames", "16000",
                                     "--clear-voice"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto values = samplesOf(readFile(out));
    ASSERT_EQ(values.size(), 16000u);
    int peak = 0;
    for (size_t i = 14000; i < 15000; ++i) peak = std::max(peak, std::abs(int(values[i])));
    EXPECT_GT(peak, 4000) << "the tone still plays in the last eighth";
}

TEST(RenderCommand, ClearVoiceTakesNoValueAndRemovesAConstantOffset) {
    // A constant offset is the lowest rumble there is: the high-pass takes it
    // away entirely once the filter has filled, whatever the channel mix.
    ScratchFolder dir;
    writeFile(dir.file("in.wav"), pcmWave(1, 8000, 16, samples16(std::vector<int16_t>(8000, 3000))));
    const std::string out = dir.file("out.wav");
    CommandResult r = typixctl(dir, {"render", dir.file("in.wav"), out, "--clear-voice", "--mix", "0:0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto values = samplesOf(readFile(out));
    ASSERT_EQ(values.size(), 8000u * 2);
    for (size_t i = 200; i < values.size(); ++i) ASSERT_EQ(values[i], 0) << i;
    r = typixctl(dir, {"render", dir.file("in.wav"), out, "--mix", "0:0"});
    EXPECT_EQ(samplesOf(readFile(out)).back(), 3000) << "without it the offset stays";
}

TEST(WaveformCommand, PrintsBucketsOrColumnsAndFailsOnWhatIsNotAudio) {
    ScratchFolder dir;
    // 8000 Hz stereo counting up: 250 frames are four buckets, the last partial.
    writeFile(dir.file("in.wav"), stereoCount(250));
    CommandResult r = typixctl(dir, {"waveform", dir.file("in.wav")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "rate=8000\nframes=250\nbucketframes=80\nbuckets=4\n"
                     "-80 80\n-160 160\n-240 240\n-250 250\n");
    r = typixctl(dir, {"waveform", dir.file("in.wav"), "--columns", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "rate=8000\nframes=250\nbucketframes=80\ncolumns=2\n-160 160\n-250 250\n");
    writeFile(dir.file("text.wav"), "not a wave file at all");
    EXPECT_EQ(typixctl(dir, {"waveform", dir.file("text.wav")}).status, 1);
    EXPECT_EQ(typixctl(dir, {"waveform", dir.file("in.wav"), "--columns", "0"}).status, 2);
    EXPECT_EQ(typixctl(dir, {"waveform"}).status, 2);
}

TEST(RenderCommand, RejectsBadArguments) {
    ScratchFolder dir;
    writeFile(dir.file("in.wav"), stereoCount(10));
    const std::string in = dir.file("in.wav"), out = dir.file("out.wav");
    const struct { std::vector<std::string> args; int status; } cases[] = {
        {{"render"}, 2},
        {{"render", in}, 2},
        {{"render", in, out, "--block", "8193"}, 2},
        {{"render", in, out, "--block", "0"}, 2},
        {{"render", in, out, "--bits", "12"}, 2},
        {{"render", in, out, "--speed", "0.5"}, 2},
        {{"render", in, out, "--speed", "0.5,1.0"}, 2},
        {{"render", in, out, "--mix", "0:0:0"}, 2},
        {{"render", in, out, "--mix", "200:0"}, 2},
        {{"render", in, out, "--channels"}, 2},
        {{"render", in, out, "--loud", "1"}, 2},
        {{"render", in, out, "--frames", "12x"}, 2},
        {{"render", dir.file("missing.wav"), out}, 1},
        {{"render", in, dir.file("no/folder/out.wav")}, 1},
        {{"render", in, out, "--block", "8192", "--bits", "32"}, 0},
    };
    for (const auto& c : cases) {
        const CommandResult r = typixctl(dir, c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back() << ": " << r.err;
        if (c.status != 0) {
            EXPECT_FALSE(r.err.empty()) << c.args.back();
        }
    }
}

}  // namespace
}  // namespace typix
