#include "dsp/LSRCClearVoice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dsp/LSRCSpeed.h"
#include "dsp/MemorySource.h"
#include "dsp/SyntheticSpeech.h"

namespace typix {
namespace {

using test::memorySource;
using test::readFrames;

constexpr double kFullScale = 524288.0;

struct Tone { double hz, dbfs; };

// Sum of sines, each at a peak level in dB against 16-bit full scale.
std::vector<int32_t> tones(int32_t rate, double seconds, std::initializer_list<Tone> parts,
                           int channels = 1) {
    const auto frames = static_cast<size_t>(rate * seconds);
    std::vector<int32_t> out(frames * static_cast<size_t>(channels));
    for (size_t f = 0; f < frames; ++f) {
        double v = 0;
        for (const Tone& t : parts)
            v += kFullScale * std::pow(10.0, t.dbfs / 20) * std::sin(2 * std::numbers::pi * t.hz * double(f) / rate);
        for (int c = 0; c < channels; ++c) out[f * static_cast<size_t>(channels) + static_cast<size_t>(c)] = int32_t(std::lround(v));
    }
    return out;
}

// Amplitude of one frequency in samples [from, to) of a mono signal (a
// single-bin Fourier sum; the windows used span whole periods).
double amplitudeAt(const std::vector<int32_t>& s, int32_t rate, double hz, size_t from, size_t to) {
    double re = 0, im = 0;
    for (size_t i = from; i < to; ++i) {
        const double w = 2 * std::numbers::pi * hz * double(i) / rate;
        re += s[i] * std::cos(w);
        im += s[i] * std::sin(w);
    }
    return 2 * std::hypot(re, im) / double(to - from);
}

double rmsDb(const std::vector<int32_t>& s, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
    return 10 * std::log10(sum / double(to - from) / (kFullScale * kFullScale) + 1e-30);
}

std::vector<int32_t> clearVoice(std::vector<int32_t> input, int32_t rate, int channels = 1) {
    const auto frames = static_cast<int32_t>(input.size() / static_cast<size_t>(channels));
    LSoundSource s = LSPClearVoice().apply(memorySource(std::move(input), rate, channels));
    return readFrames(s, frames);
}

TEST(LSRCClearVoice, HumUnderAVoiceLosesAtLeast20dBAgainstIt) {
    // The hum as loud as the voice; measured over the last second, once the
    // envelope has settled.  The ratio of hum to voice is what a listener hears.
    for (int32_t rate : {8000, 11025, 22050, 44100, 48000}) {
        const auto in = tones(rate, 3.0, {{1000, -12}, {50, -12}});
        const auto out = clearVoice(in, rate);
        const size_t from = size_t(2 * rate), to = size_t(3 * rate);
        const double before = 20 * std::log10(amplitudeAt(in, rate, 50, from, to) / amplitudeAt(in, rate, 1000, from, to));
        const double after = 20 * std::log10(amplitudeAt(out, rate, 50, from, to) / amplitudeAt(out, rate, 1000, from, to));
        EXPECT_LE(after, before - 20) << rate << " Hz";
        // The hum itself, not only its share, is at least 18 dB down (the voice
        // is lifted by only about 2 dB at this level).
        EXPECT_LE(amplitudeAt(out, rate, 50, from, to), amplitudeAt(in, rate, 50, from, to) / 7.9) << rate;
    }
}

TEST(LSRCClearVoice, SpeechBandPassesTheHighPass) {
    // At full loudness the compressor takes the same off every tone, so any
    // difference between them is the filter's.
    const int32_t rate = 44100;
    for (double hz : {300.0, 500.0, 1000.0, 3000.0}) {
        const auto out = clearVoice(tones(rate, 2.0, {{hz, -6}}), rate);
        const auto ref = clearVoice(tones(rate, 2.0, {{1000, -6}}), rate);
        const double level = rmsDb(out, size_t(rate), size_t(2 * rate));
        EXPECT_NEAR(level, rmsDb(ref, size_t(rate), size_t(2 * rate)), 0.6) << hz << " Hz";
    }
}

TEST(LSRCClearVoice, QuietPassageComesOutWithin8dBOfTheLoudOne) {
    struct Case { double loudDb; int32_t rate; };
    for (const Case c : {Case{-6, 44100}, Case{0, 44100}, Case{-14, 11025}, Case{-10, 8000}}) {
        auto signal = tones(c.rate, 2.0, {{440, c.loudDb}});
        const auto quiet = tones(c.rate, 2.0, {{440, c.loudDb - 20}});
        signal.insert(signal.end(), quiet.begin(), quiet.end());
        const auto out = clearVoice(signal, c.rate);
        // The last second of each passage.
        const double loud = rmsDb(out, size_t(c.rate), size_t(2 * c.rate));
        const double soft = rmsDb(out, size_t(3 * c.rate), size_t(4 * c.rate));
        EXPECT_LE(loud - soft, 8.0) << c.loudDb << " dB at " << c.rate;
        EXPECT_GT(loud - soft, 0.0) << "the order of loudness stays";
    }
}

TEST(LSRCClearVoice, FullScaleNeverClips) {
    const int32_t rate = 22050;
    const size_t n = size_t(rate) * 2;
    std::vector<std::pair<const char*, std::vector<int32_t>>> cases;
    std::vector<int32_t> square(n), step(n, 0), loudMix(n);
    for (size_t i = 0; i < n; ++i) square[i] = (i / 40) % 2 ? 524272 : -524288;
    for (size_t i = n / 2; i < n; ++i) step[i] = (i / 3) % 2 ? 524272 : -524288;  // silence, then a burst
    for (size_t i = 0; i < n; ++i) loudMix[i] = (i / 25) % 2 ? 4000000 : -4000000;  // a mix at +18 dB
    cases.emplace_back("square", square);
    cases.emplace_back("burst after silence", step);
    cases.emplace_back("beyond full scale", loudMix);
    cases.emplace_back("noise", test::randomSamples(n, 524272));
    cases.emplace_back("sine", tones(rate, 2.0, {{997, 0}}));
    cases.emplace_back("rumble and voice", tones(rate, 2.0, {{30, -3}, {700, -3}}));
    for (const auto& [name, input] : cases) {
        const auto out = clearVoice(input, rate);
        int32_t peak = 0;
        for (int32_t v : out) peak = std::max(peak, std::abs(v));
        EXPECT_LE(peak, 524272) << name;
        EXPECT_GT(peak, 100000) << name << " is still heard";
    }
}

TEST(LSRCClearVoice, GainFallsWithTheEnvelopeAndStaysOffNearSilence) {
    // Monotonic above the quiet floor, never above +18 dB, unity near silence.
    int32_t previous = LSRCClearVoice::gainFor(1 << 15);
    for (int32_t e = 1 << 15; e < (1 << 23); e += e / 37 + 1) {
        const int32_t g = LSRCClearVoice::gainFor(e);
        EXPECT_LE(g, previous) << e;
        EXPECT_LE(int64_t{g} * e, int64_t{524272} << 12) << e;
        previous = g;
    }
    EXPECT_LE(LSRCClearVoice::gainFor(5000), int32_t(4096 * 7.95));
    EXPECT_EQ(LSRCClearVoice::gainFor(0), LSRCClearVoice::gainFor(1));
    EXPECT_NEAR(LSRCClearVoice::gainFor(50), 4096, 40);  // -80 dB stays as it is
}

TEST(LSRCClearVoice, StereoChannelsShareOneGain) {
    const int32_t rate = 11025;
    std::vector<int32_t> in = tones(rate, 1.0, {{500, -6}}, 2);
    for (size_t i = 1; i < in.size(); i += 2) in[i] /= 10;  // right 20 dB lower
    const auto out = clearVoice(in, rate, 2);
    double left = 0, right = 0;
    for (size_t i = size_t(rate - rate % 2); i + 1 < out.size(); i += 2) {  // whole frames only
        left += std::abs(out[i]);
        right += std::abs(out[i + 1]);
    }
    EXPECT_NEAR(left / right, 10.0, 0.2);
}

TEST(LSRCClearVoice, SetPositionStartsAfreshAndPositionIsTheInnerOne) {
    const int32_t rate = 8000;
    auto speech = test::syntheticSpeech(rate, rate * 4);
    LSoundSource s = LSPClearVoice().apply(memorySource(speech, rate));
    const auto first = readFrames(s, 4010);
    // The position is what was delivered, though the inner source is read
    // ahead to the end of a gain block.
    EXPECT_EQ(s->getPosition(), 4010);
    EXPECT_EQ(static_cast<LSRCClearVoice*>(s.get())->inner()->getPosition(), 4032);
    readFrames(s, 9000);
    s->setPosition(0);
    EXPECT_EQ(s->getPosition(), 0);
    EXPECT_EQ(readFrames(s, 4010), first);
    EXPECT_EQ(s->getLength(), rate * 4);
}

TEST(LSRCClearVoice, ReadsInAnyPiecesGiveTheSameOutput) {
    const int32_t rate = 11025;
    const auto speech = test::syntheticSpeech(rate, 30000);
    const auto whole = clearVoice(speech, rate);
    LSoundSource s = LSPClearVoice().apply(memorySource(speech, rate));
    std::vector<int32_t> pieces;
    for (int32_t n : {1, 31, 32, 33, 2047, 2049, 8192, 7000, 10615}) {
        const auto part = readFrames(s, n);
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    EXPECT_EQ(pieces, whole);
}

TEST(LSRCClearVoice, PulledToTheEndAsThePlayerDoesTheLastWordComesOut) {
    // The player pulls until the position reaches the length.  A word in the
    // last 1000 frames, well inside the last 2048-frame piece, must be heard.
    const int32_t rate = 11025;
    const int32_t length = 5 * 2048 + 1500;
    std::vector<int32_t> in(size_t(length), 0);
    const auto word = tones(rate, 1000.0 / rate, {{1000, -12}});
    std::copy(word.begin(), word.end(), in.end() - 1000);
    for (int channels : {1, 2}) {
        std::vector<int32_t> interleaved;
        for (int32_t v : in) interleaved.insert(interleaved.end(), size_t(channels), v);
        LSoundSource s = LSPClearVoice().apply(memorySource(interleaved, rate, channels));
        std::vector<int32_t> out, piece(1102 * size_t(channels));
        while (s->getPosition() < s->getLength()) {
            s->read(piece.data(), 1102);
            out.insert(out.end(), piece.begin(), piece.end());
        }
        std::vector<int32_t> left;
        for (size_t i = 0; i < out.size(); i += size_t(channels)) left.push_back(out[i]);
        ASSERT_GE(left.size(), size_t(length));
        // Everything from 100 frames into the word (the filter's delay is 30)
        // to the end of the input.
        EXPECT_NEAR(rmsDb(left, size_t(length - 900), size_t(length)), rmsDb(word, 100, 1000), 3.0) << channels;
    }
}

TEST(LSRCClearVoice, AboveTheSpeedStageSlowPlaybackLastsTwiceAsLong) {
    // The speed stage moves its input position block by block; clear voice on
    // top of it sees one continuous stream and changes nothing of its timing.
    const int32_t rate = 11025;
    const auto speech = test::syntheticSpeech(rate, rate * 3);
    LSoundSource speed = LSPSpeed(0.5, 1.0, 0).apply(memorySource(speech, rate));
    LSoundSource s = LSPClearVoice().apply(speed);
    int32_t delivered = 0;
    std::vector<int32_t> piece(1102);
    while (s->getPosition() < s->getLength()) {
        s->read(piece.data(), 1102);
        delivered += 1102;
    }
    EXPECT_NEAR(delivered, 2 * rate * 3, 3 * 1102);
}

// A loud offset under a tone, made as it is read: as long as the test wants
// without holding it in memory.
class OffsetToneSource : public LSoundSourceBase {
public:
    OffsetToneSource(int32_t rate, int32_t frames, int32_t offset, int32_t amplitude, int32_t period)
        : LSoundSourceBase(rate, kDefaultPeakLevel, 1), frames_(frames), offset_(offset),
          amplitude_(amplitude), period_(period) {}
    void read(int32_t* buffer, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i, ++position_)
            buffer[i] = offset_ + static_cast<int32_t>(std::lround(
                                      amplitude_ * std::sin(2 * std::numbers::pi * (position_ % period_) / period_)));
    }
    void setPosition(int32_t frame) override { position_ = frame; }
    int32_t getPosition() override { return static_cast<int32_t>(position_); }
    int32_t getLength() override { return frames_; }

private:
    int32_t frames_, offset_, amplitude_, period_;
    int64_t position_ = 0;
};

TEST(LSRCClearVoice, AnOffsetHeldForHalfAnHourIsStillRemoved) {
    // The filter's sums of sums grow without bound under a steady offset and
    // pass 2^64 within half an hour; the low band they give must not
    // notice.  At 3000 Hz every frame is its own block, the fastest growth.
    const int32_t rate = 3000, frames = rate * 60 * 30;
    const int32_t offset = LSRCClearVoice::kInputLimit - (1 << 17), amplitude = 1 << 17;
    LSoundSource s = LSPClearVoice().apply(makeSource<OffsetToneSource>(rate, frames, offset, amplitude, 6));
    std::vector<int32_t> second(static_cast<size_t>(rate));
    double first = 0;
    for (int32_t at = 0; at < frames; at += rate) {
        s->read(second.data(), rate);
        if (at < 10 * rate) continue;  // the compressor settles
        const double level = amplitudeAt(second, rate, 500, 0, second.size());
        if (first == 0) first = level;
        double mean = 0;
        for (int32_t v : second) mean += v;
        mean /= rate;
        ASSERT_NEAR(20 * std::log10(level / first), 0.0, 0.5) << at / rate << " s";
        ASSERT_LT(std::abs(mean), level / 100) << at / rate << " s";
    }
}

TEST(LSRCClearVoice, LowerRateAndSpanFollowTheRate) {
    // The averages span about 1/350 s whatever the rate.
    struct Case { int32_t rate, decimation, span; };
    for (const Case c : {Case{44100, 16, 7}, Case{48000, 16, 9}, Case{8000, 4, 5}, Case{11025, 4, 7},
                         Case{22050, 8, 7}, Case{500, 1, 3}, Case{1000000, 32, 89}}) {
        EXPECT_EQ(LSRCClearVoice::decimationFor(c.rate), c.decimation) << c.rate;
        EXPECT_EQ(LSRCClearVoice::spanFor(c.rate), c.span) << c.rate;
    }
}

TEST(LSPClearVoice, HandsBackAMissingOrFailedSource) {
    EXPECT_FALSE(LSPClearVoice().apply(LSoundSource()));
    LSoundSource failed = memorySource({}, 0);
    ASSERT_TRUE(failed->isError());
    EXPECT_EQ(LSPClearVoice().apply(failed).get(), failed.get());
}

}  // namespace
}  // namespace typix
