#include "dsp/LSRCConvertRate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dsp/MemorySource.h"
#include "dsp/SyntheticSpeech.h"

namespace typix {
namespace {

using test::memorySource;
using test::randomSamples;
using test::readFrames;

LSRCConvertRate& asRate(const LSoundSource& s) { return *static_cast<LSRCConvertRate*>(s.get()); }

std::vector<int32_t> sine(int32_t rate, double hz, int32_t frames, double amplitude) {
    std::vector<int32_t> out(static_cast<size_t>(frames));
    for (int32_t i = 0; i < frames; ++i)
        out[i] = static_cast<int32_t>(amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate));
    return out;
}

double rms(const std::vector<int32_t>& v, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(v[i]) * v[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(RateFraction, ChoosesTheSmallestCloseFraction) {
    struct Case { int32_t in, out; uint16_t q; int32_t p; };
    const Case cases[] = {{44100, 22050, 1, 2},  {8000, 44100, 11, 2},  {44100, 8000, 39, 215},
                          {48000, 44100, 34, 37}, {11025, 44100, 4, 1}, {11025, 22050, 2, 1},
                          {22050, 44100, 2, 1}};
    for (const auto& c : cases) {
        const RateFraction f = chooseRateFraction(c.in, c.out);
        EXPECT_EQ(f.q, c.q) << c.in << " -> " << c.out;
        EXPECT_EQ(f.p, c.p) << c.in << " -> " << c.out;
    }
}

TEST(RateFilter, ShapeDependsOnTheDirection) {
    const RateFilterShape down = rateFilterShape(44100, 22050);
    EXPECT_DOUBLE_EQ(down.cutoff, 0.453125);
    EXPECT_DOUBLE_EQ(down.beta, 4.538);
    const RateFilterShape up = rateFilterShape(8000, 44100);
    EXPECT_DOUBLE_EQ(up.cutoff, 0.975);
    EXPECT_DOUBLE_EQ(up.beta, 2.12);
}

// Seven terms exactly: an eighth would add 0.0031 at 4.538.
TEST(RateFilter, BesselSeriesStopsAfterSevenTerms) {
    EXPECT_DOUBLE_EQ(besselI0Series(0.0), 1.0);
    EXPECT_NEAR(besselI0Series(2.12), 2.481517892000601, 1e-12);
    EXPECT_NEAR(besselI0Series(4.538), 18.072136678571777, 1e-11);
}

// Every phase samples the same low-pass: its taps add up to unity gain
// (32768) within the window's ripple, phase 0 has its exact centre tap, and
// phase i mirrors phase q - i.
TEST(RateFilter, TableIsAWindowedSincInQ15) {
    for (auto [in, out] : {std::pair{44100, 22050}, {8000, 44100}, {44100, 8000}, {48000, 44100}}) {
        const RateFraction f = chooseRateFraction(in, out);
        const RateFilterShape shape = rateFilterShape(in, out);
        const auto table = buildRateFilterTable(f.q, shape);
        ASSERT_EQ(table.size(), size_t{f.q} * 63);
        EXPECT_EQ(table[31], static_cast<int32_t>(shape.cutoff * 32768 + 0.5));
        for (int j = 0; j < 63; ++j) EXPECT_EQ(table[j], table[62 - j]) << "phase 0 is symmetric";
        for (int i = 0; i < f.q; ++i) {
            int64_t sum = 0;
            for (int j = 0; j < 63; ++j) sum += table[i * 63 + j];
            EXPECT_NEAR(static_cast<double>(sum), 32768.0, 330.0) << in << " -> " << out << " phase " << i;
            if (i == 0) continue;
            for (int j = 1; j < 63; ++j) ASSERT_EQ(table[i * 63 + j], table[(f.q - i) * 63 + 63 - j]);
        }
    }
}

TEST(LSRCConvertRate, FormatAndPeakLevel) {
    auto s = LSPConvertRate(22050).apply(memorySource(std::vector<int32_t>(1000), 44100, 2, 524272));
    EXPECT_EQ(s->sampleRate(), 22050);
    EXPECT_EQ(s->channels(), 2);
    EXPECT_EQ(s->peakLevel(), 1048544) << "doubled for filter overshoot";
    auto loud = LSPConvertRate(22050).apply(memorySource(std::vector<int32_t>(1000), 44100, 1));
    EXPECT_EQ(loud->peakLevel(), kDefaultPeakLevel) << "above 2^20: unchanged";
}

TEST(LSPConvertRate, ApplyBuildsOnlyWhereThereIsSomethingToDo) {
    auto same = memorySource(std::vector<int32_t>(100), 44100);
    EXPECT_EQ(LSPConvertRate(44100).apply(same).get(), same.get());
    EXPECT_FALSE(LSPConvertRate(8000).apply(LSoundSource()));
    auto failed = memorySource({}, 44100, 0);
    EXPECT_EQ(LSPConvertRate(8000).apply(failed).get(), failed.get());
    auto bad = LSPConvertRate(0).apply(same);
    ASSERT_NE(bad.get(), same.get());
    EXPECT_TRUE(bad->isError());
    EXPECT_EQ(bad->sampleRate(), 44100);
    std::vector<int32_t> buffer(16, 5);
    bad->read(buffer.data(), 16);
    EXPECT_EQ(buffer, std::vector<int32_t>(16, 5)) << "a failed converter writes nothing";
}

TEST(LSRCConvertRate, RatiosBeyondWhatTheFractionExpressesFail) {
    struct Case { int32_t in, out; bool error; };
    const Case cases[] = {{50, 44100, true},           // up more than 510 times
                          {2000000000, 3, true},       // step above 2^22
                          {2000000000, 1000, false}};  // step 2000000
    for (const auto& c : cases) {
        auto s = LSPConvertRate(c.out).apply(memorySource(std::vector<int32_t>(100), c.in));
        EXPECT_EQ(s->isError(), c.error) << c.in << " -> " << c.out;
        readFrames(s, 3);
        s->setPosition(5000);  // an inner position far beyond 2^31 is held at the largest
        readFrames(s, 3);
    }
}

// A lone peak sets the shift; rounding may lift a sample to +32768, which no
// longer fits the 16-bit loops (the converter then uses the 32-bit ones).
TEST(LSRCConvertRate, BlockShiftKeepsSamplesInSixteenBits) {
    struct Case { int32_t peak; int shift; bool fits16; };
    const Case cases[] = {{0x7FFF, 0, true},       {-0x7FFF, 0, true},   {-0x8000, 1, true},
                          {0xFFFF, 1, false},      {524272, 4, true},    {-524288, 5, true},
                          {0x7FFFFFFF, 16, false}};
    for (const auto& c : cases) {
        std::vector<int32_t> input(20000, 0);
        input[500] = c.peak;
        auto s = LSPConvertRate(22050).apply(memorySource(input, 44100));
        EXPECT_EQ(asRate(s).blockShift(), c.shift) << c.peak;
        EXPECT_EQ(asRate(s).outputShift(), 15 - c.shift) << c.peak;
        EXPECT_EQ(asRate(s).historyFits16(), c.fits16) << c.peak;
        const auto out = readFrames(s, 10000);  // crosses a refill without trouble
        EXPECT_NE(out[250], 0) << "the peak comes through";
    }
}

TEST(LSRCConvertRate, LengthAndPositionAreInOutputFrames) {
    struct Case { int32_t in, out, inFrames, outFrames; };
    const Case cases[] = {{8000, 44100, 8000, 44000}, {44100, 22050, 44101, 22050},
                          {44100, 8000, 44100, 7999}, {48000, 44100, 48000, 44108}};  // P/Q is approximate
    for (const auto& c : cases) {
        auto s = LSPConvertRate(c.out).apply(memorySource(std::vector<int32_t>(size_t(c.inFrames)), c.in));
        EXPECT_EQ(s->getLength(), c.outFrames) << c.in << " -> " << c.out;
        EXPECT_EQ(s->getPosition(), 0);
        const int32_t q = asRate(s).phaseCount();
        s->setPosition(q * 100);
        EXPECT_EQ(s->getPosition(), q * 100) << c.in << " -> " << c.out;
    }
}

// Position a converter anywhere and it delivers what a read from the start
// delivers at that frame (with the block shift at 0 the two agree exactly).
TEST(LSRCConvertRate, SetPositionMatchesReadingFromTheStart) {
    for (auto [in, out] : {std::pair{8000, 44100}, {44100, 8000}, {48000, 44100}, {11025, 22050}}) {
        auto input = randomSamples(60000, 0x7FFF, in);
        auto whole = readFrames(LSPConvertRate(out).apply(memorySource(input, in)), 40000);
        for (int32_t at : {0, 1, 77, 8200, 20011}) {
            if (at + 3000 > 40000) continue;
            auto s = LSPConvertRate(out).apply(memorySource(input, in));
            s->setPosition(at);
            auto part = readFrames(s, 3000);
            ASSERT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + at))
                << in << " -> " << out << " at " << at;
        }
    }
}

TEST(LSRCConvertRate, ReadsOfAnySizeGiveTheSameStream) {
    auto input = test::syntheticSpeech(8000, 30000);
    std::vector<int32_t> stereo;
    for (int32_t v : input) { stereo.push_back(v); stereo.push_back(-v / 3); }
    auto whole = readFrames(LSPConvertRate(44100).apply(memorySource(stereo, 8000, 2)), 100000);
    auto s = LSPConvertRate(44100).apply(memorySource(stereo, 8000, 2));
    // The scalar form read alongside: every loop leaves the same position.
    auto scalar = LSPConvertRate(44100).apply(memorySource(stereo, 8000, 2));
    asRate(scalar).useKernel(LSRCConvertRate::Kernel::Scalar);
    std::vector<int32_t> pieces;
    while (pieces.size() < whole.size()) {
        const int32_t n = std::min<int32_t>(1 + static_cast<int32_t>(pieces.size() % 9000),
                                            static_cast<int32_t>((whole.size() - pieces.size()) / 2));
        auto part = readFrames(s, n);
        readFrames(scalar, n);
        ASSERT_EQ(s->getPosition(), scalar->getPosition()) << "after " << pieces.size() / 2 << " + " << n;
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    EXPECT_EQ(pieces, whole);
}

// A tone in the pass band keeps its level and frequency; a tone above the
// new Nyquist frequency is removed.
TEST(LSRCConvertRate, PassesTheBandAndStopsAliases) {
    struct Case { int32_t in, out; double hz; double minGain, maxGain; };
    const Case cases[] = {
        {8000, 44100, 1000, 0.97, 1.03},
        {44100, 8000, 1000, 0.97, 1.03},
        {48000, 44100, 5000, 0.97, 1.03},
        {44100, 8000, 6000, 0.0, 0.03},
        {44100, 22050, 15000, 0.0, 0.03},
    };
    for (const auto& c : cases) {
        auto s = LSPConvertRate(c.out).apply(memorySource(sine(c.in, c.hz, c.in * 2, 400000), c.in));
        auto out = readFrames(s, c.out);
        const double gain = rms(out, 200, out.size() - 200) / (400000 / std::sqrt(2.0));
        EXPECT_GE(gain, c.minGain) << c.in << " -> " << c.out << " at " << c.hz;
        EXPECT_LE(gain, c.maxGain) << c.in << " -> " << c.out << " at " << c.hz;
    }
}

TEST(LSRCConvertRate, HugeRatiosStillDeliverEveryFrame) {
    auto input = sine(96000, 1, 96000 * 3, 300000);
    auto s = LSPConvertRate(5).apply(memorySource(input, 96000));
    auto out = readFrames(s, 12);
    EXPECT_EQ(out.size(), 12u);
    EXPECT_GT(s->getPosition(), 5);
}

}  // namespace
}  // namespace typix
