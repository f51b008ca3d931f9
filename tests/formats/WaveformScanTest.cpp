// The waveform scan on its worker: PCM and codec files, a file that cannot be
// read, a file still being written, and a scan replaced by the next one.
#include "formats/WaveformScan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "CodecTestFiles.h"
#include "WaveTestSupport.h"
#include "formats/OpenWaveFile.h"
#include "support/Poster.h"

namespace typix {
namespace {

using namespace test;

// Collects what a scan delivers, as a display would: chunks overwrite from
// their first bucket on.
struct Receiver {
    std::vector<WaveformPeak> peaks;
    int32_t totalFrames = -1;
    int32_t rate = -1;
    int chunks = 0;
    bool caughtUp = false;
    void take(const WaveformChunk& c) {
        ++chunks;
        caughtUp = c.caughtUp;
        rate = c.sampleRate;
        totalFrames = c.totalFrames;
        peaks.resize(std::max(peaks.size(), size_t(c.firstBucket) + c.peaks.size()));
        std::copy(c.peaks.begin(), c.peaks.end(), peaks.begin() + c.firstBucket);
    }
};

// Runs the poster's queue until `done` holds or five seconds pass.
bool runUntil(QueuePoster& poster, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < end) poster.waitAndRun(50);
    return done();
}

// The envelope of the first `frames` frames, read on this thread through the
// same reader.
std::vector<WaveformPeak> envelopeOf(const std::string& path, int32_t frames) {
    LSoundSource s = openWaveFile(path);
    WaveformBuckets b(s->sampleRate());
    std::vector<int32_t> buffer(size_t(4096) * s->channels());
    for (int32_t at = 0; at < frames; at += 4096) {
        const int32_t n = std::min(4096, frames - at);
        s->read(buffer.data(), n);
        b.add(buffer.data(), n, s->channels());
    }
    std::vector<WaveformPeak> out;
    b.takeWhole(out);
    if (b.hasPartial()) out.push_back(b.partial());
    return out;
}

size_t bucketsFor(int32_t frames, int32_t rate) { return size_t((frames + rate / 100 - 1) / (rate / 100)); }

std::string toneWave(int channels, uint32_t rate, double seconds) {
    std::vector<int16_t> v;
    const int frames = int(rate * seconds);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            v.push_back(int16_t(12000 * std::sin(f * 0.05 * (c + 1)) * (f % 3000) / 3000.0));
    return pcmWave(uint16_t(channels), rate, 16, samples16(v));
}

struct WaveformScanTest : ::testing::Test {
    ScratchFolder dir;
    QueuePoster poster;
    Receiver got;
    WaveformScan scan{[this](const WaveformChunk& c) { got.take(c); }, &poster};
};

TEST_F(WaveformScanTest, PcmAndCodecFilesArriveWholeAndMatchTheirReader) {
    writeFile(dir.file("mono.wav"), toneWave(1, 11025, 7.3));
    writeFile(dir.file("stereo.wav"), toneWave(2, 8000, 2.0));
    struct Case { std::string path; int32_t rate, frames; };
    const Case cases[] = {
        {dir.file("mono.wav"), 11025, int32_t(11025 * 7.3)},
        {dir.file("stereo.wav"), 8000, 16000},
        {codectest::CodecFiles::path("ima.wav"), 8000, 0},
        {codectest::CodecFiles::path("msadpcm_stereo.wav"), 22050, 0},
    };
    for (const Case& c : cases) {
        got = Receiver{};
        scan.scan(c.path);
        ASSERT_TRUE(runUntil(poster, [&] { return got.caughtUp; })) << c.path;
        EXPECT_EQ(got.rate, c.rate) << c.path;
        if (c.frames) {
            EXPECT_EQ(got.totalFrames, c.frames) << c.path;
        }
        // A codec's length is known once decoded: within a block of its estimate.
        EXPECT_NEAR(got.totalFrames, openWaveFile(c.path)->getLength(), 8192) << c.path;
        const size_t n = bucketsFor(got.totalFrames, c.rate);
        ASSERT_GE(got.peaks.size(), n) << c.path;
        got.peaks.resize(n);
        EXPECT_EQ(got.peaks, envelopeOf(c.path, got.totalFrames)) << c.path;
    }
}

TEST_F(WaveformScanTest, AFileThatCannotBeReadDeliversOneEmptyChunk) {
    writeFile(dir.file("junk.wav"), "RIFF....WAVEnonsense");
    for (const std::string& path : {dir.file("junk.wav"), dir.file("missing.wav")}) {
        got = Receiver{};
        scan.scan(path);
        ASSERT_TRUE(runUntil(poster, [&] { return got.chunks > 0; })) << path;
        EXPECT_EQ(got.rate, 0);
        EXPECT_EQ(got.totalFrames, 0);
        EXPECT_TRUE(got.peaks.empty());
    }
}

TEST_F(WaveformScanTest, FollowsAFileThatIsStillBeingWritten) {
    // The recorder's sink rewrites the header every four seconds of audio, so
    // a reader sees the file grow in steps of about that much.
    const int32_t rate = 8000, step = rate * 4 + 80;
    const std::string path = dir.file("tape.wav");
    LSoundSink sink = createPCMWaveFile(path, rate, 1, 16);
    std::vector<int32_t> loud(size_t(step), 8000 << 4);
    sink->write(loud.data(), step);
    scan.scan(path);
    ASSERT_TRUE(runUntil(poster, [&] { return got.caughtUp && got.totalFrames > 0; }));
    const int32_t first = got.totalFrames;
    std::vector<int32_t> quiet(size_t(step), -(100 << 4));
    sink->write(quiet.data(), step);
    ASSERT_TRUE(runUntil(poster, [&] { return got.totalFrames > step; })) << "first " << first;
    EXPECT_EQ(got.peaks.front(), (WaveformPeak{8000, 8000}));
    EXPECT_EQ(got.peaks[size_t(got.totalFrames / 80) - 1], (WaveformPeak{-100, -100}));
    sink.reset();  // the finished file: every frame arrives
    ASSERT_TRUE(runUntil(poster, [&] { return got.totalFrames == 2 * step; }));
    EXPECT_EQ(got.peaks.size(), size_t(2 * step / 80));
}

TEST_F(WaveformScanTest, ANewScanDropsWhatTheOldOneLeftUndelivered) {
    writeFile(dir.file("a.wav"), toneWave(1, 8000, 3.0));
    writeFile(dir.file("b.wav"), toneWave(2, 11025, 1.0));
    scan.scan(dir.file("a.wav"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let a's chunks queue up
    scan.scan(dir.file("b.wav"));
    ASSERT_TRUE(runUntil(poster, [&] { return got.caughtUp; }));
    EXPECT_EQ(got.rate, 11025) << "nothing of a.wav";
    EXPECT_EQ(got.totalFrames, 11025);
    EXPECT_EQ(got.peaks, envelopeOf(dir.file("b.wav"), 11025));
    scan.scan("");
    EXPECT_EQ(scan.path(), "");
    poster.runPending();
    EXPECT_EQ(got.rate, 11025);
}

}  // namespace
}  // namespace typix
