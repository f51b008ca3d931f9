#include "dsp/RateKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "dsp/LSRCConvertRate.h"
#include "dsp/MemorySource.h"
#include "dsp/SyntheticSpeech.h"

namespace typix {
namespace {

using test::memorySource;
using test::randomSamples;
using test::readFrames;

// Lays a q x 63 table out as the vector loops expect: 64 taps per phase, each
// repeated once per channel, the last tap zero.
std::vector<int32_t> vectorLayout(const std::vector<int32_t>& table, int q, int channels) {
    const int width = 64 * channels;
    std::vector<int32_t> out(static_cast<size_t>(q) * width, 0);
    for (int i = 0; i < q; ++i)
        for (int k = 0; k < 63; ++k)
            for (int c = 0; c < channels; ++c) out[i * width + k * channels + c] = table[i * 63 + k];
    return out;
}

struct KernelCase { int channels, q, p, shift; int32_t amplitude; };

// Random tables and histories far outside the converter's ranges: the
// products wrap, and the two forms must still agree bit for bit.
TEST(RateKernels, VectorLoopsMatchTheScalarFormOnRandomData) {
    const KernelCase cases[] = {
        {1, 11, 2, 0, 0x7FFF},          {2, 11, 2, 0, 0x7FFF},
        {1, 39, 215, 4, 0x8000},        {2, 34, 37, 7, 0x8000},
        {1, 1, 2, 0, 0x7FFFFFFF},       {2, 3, 1, 0, 0x7FFFFFFF},
        {1, 255, 256, 17, 0x7FFFFFFF},  {2, 4, 1, 16, 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        const auto table = randomSamples(static_cast<size_t>(c.q) * 63, 40000, c.q);
        const auto history = randomSamples((8192 + 1) * static_cast<size_t>(c.channels), c.amplitude, c.p);
        const auto wide = vectorLayout(table, c.q, c.channels);
        RateRun scalar;
        scalar.table = table.data();
        scalar.history = history.data();
        scalar.q = c.q;
        scalar.p = c.p;
        scalar.rightShift = c.shift <= 15 ? 15 - c.shift : 0;
        scalar.leftShift = c.shift <= 15 ? 0 : c.shift - 15;
        scalar.rounding = (1 << scalar.rightShift) >> 1;
        scalar.channels = c.channels;
        RateRun vector = scalar;
        vector.table = wide.data();
        std::vector<int32_t> a(30000 * c.channels, 1), b(30000 * c.channels, 2);
        const int32_t na = runRateScalar(scalar, a.data(), 30000);
        const int32_t nb = c.channels == 1 ? runRateMonoVector(vector, b.data(), 30000)
                                           : runRateStereoVector(vector, b.data(), 30000);
        ASSERT_EQ(na, nb) << "both stop where a refill is due";
        ASSERT_GT(na, 0);
        EXPECT_EQ(scalar.index, vector.index);
        EXPECT_EQ(scalar.phase, vector.phase);
        EXPECT_LE(scalar.index, kRateLastIndex + c.p / c.q + 1);
        a.resize(static_cast<size_t>(na) * c.channels);
        b.resize(a.size());
        EXPECT_EQ(a, b) << c.channels << " channels, q " << c.q << ", p " << c.p;
    }
}

std::vector<RatePlanarKernel> planarKernels() {
    std::vector<RatePlanarKernel> out;
    for (auto k : {RatePlanarKernel::Portable, RatePlanarKernel::Sse2, RatePlanarKernel::Avx2, RatePlanarKernel::Avx512})
        if (rateKernelAvailable(k)) out.push_back(k);
    return out;
}

// The 16-bit planar loops against the scalar form, on random samples over
// the whole 16-bit range and coefficients up to +-32767.
TEST(RateKernels, PlanarLoopsMatchTheScalarFormOnRandomData) {
    const KernelCase cases[] = {{1, 11, 2, 0, 0}, {2, 39, 215, 3, 0}, {3, 34, 37, 0, 0}, {2, 1, 2, 17, 0}};
    for (const auto& c : cases) {
        const auto table = randomSamples(static_cast<size_t>(c.q) * 63, 32767, c.q + 1);
        auto history = randomSamples(8193 * static_cast<size_t>(c.channels), 32767, c.p + 1);
        for (size_t i = 0; i < history.size(); i += 97) history[i] = -32768;
        std::fill(history.end() - c.channels, history.end(), 0);  // the padding frame
        const int32_t stride = 8200;
        std::vector<int16_t> table16(static_cast<size_t>(c.q) * 64, 0), planes(static_cast<size_t>(stride) * c.channels, 0);
        std::vector<int32_t> advance(c.q), next(c.q);
        for (int i = 0; i < c.q; ++i) {
            for (int k = 0; k < 63; ++k) table16[i * 64 + k] = static_cast<int16_t>(table[i * 63 + k]);
            advance[i] = (i + c.p) / c.q;
            next[i] = (i + c.p) % c.q;
        }
        for (int f = 0; f < 8193; ++f)
            for (int ch = 0; ch < c.channels; ++ch) planes[ch * stride + f] = static_cast<int16_t>(history[f * c.channels + ch]);
        RateRun scalar;
        scalar.table = table.data();
        scalar.history = history.data();
        scalar.q = c.q;
        scalar.p = c.p;
        scalar.rightShift = c.shift <= 15 ? 15 - c.shift : 0;
        scalar.leftShift = c.shift <= 15 ? 0 : c.shift - 15;
        scalar.rounding = (1 << scalar.rightShift) >> 1;
        scalar.channels = c.channels;
        scalar.phase = 5 % c.q + c.p;  // start un-normalised, as after a read
        scalar.table16 = table16.data();
        scalar.planes = planes.data();
        scalar.planeStride = stride;
        scalar.advance = advance.data();
        scalar.nextPhase = next.data();
        for (RatePlanarKernel kernel : planarKernels()) {
            RateRun a = scalar, b = scalar;
            for (int32_t chunk : {1, 333, 30000}) {
                std::vector<int32_t> outA(static_cast<size_t>(chunk) * c.channels), outB(outA.size());
                const int32_t na = runRateScalar(a, outA.data(), chunk);
                const int32_t nb = runRatePlanar(kernel, b, outB.data(), chunk);
                ASSERT_EQ(na, nb) << static_cast<int>(kernel);
                EXPECT_EQ(a.index, b.index);
                EXPECT_EQ(a.phase, b.phase) << "the same state between reads";
                EXPECT_EQ(outA, outB) << "kernel " << static_cast<int>(kernel) << ", q " << c.q << ", p " << c.p;
            }
        }
    }
}

std::vector<int32_t> speechAt(int32_t rate) {
    const char* env = std::getenv("TYPIX_TEST_TMP");
    const std::filesystem::path dir = std::filesystem::path(env ? env : "/tmp") / "dsp-speech";
    std::filesystem::create_directories(dir);
    const auto raw = dir / ("speech-" + std::to_string(rate) + ".raw");
    if (!std::filesystem::exists(raw)) {
        const std::string cmd = std::string(TYPIX_SOURCE_DIR) + "/tests/data/dsp/make-speech '" +
                                raw.string() + "' " + std::to_string(rate) + " >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) return {};
    }
    std::ifstream in(raw, std::ios::binary);
    std::vector<int32_t> out;
    unsigned char b[2];
    while (in.read(reinterpret_cast<char*>(b), 2)) out.push_back(static_cast<int16_t>(b[0] | (b[1] << 8)) << 4);
    return out;
}

std::vector<int32_t> convert(const std::vector<int32_t>& in, int32_t from, int32_t to, int channels,
                             LSRCConvertRate::Kernel kernel, RatePlanarKernel planar = bestRatePlanarKernel()) {
    auto s = LSPConvertRate(to).apply(memorySource(in, from, channels));
    static_cast<LSRCConvertRate*>(s.get())->useKernel(kernel, planar);
    return readFrames(s, s->getLength());
}

// Every loop on mono, stereo and three channels against the scalar form.
void expectFormsAgree(const std::vector<int32_t>& mono, int32_t from) {
    using K = LSRCConvertRate::Kernel;
    for (int channels : {1, 2, 3}) {
        std::vector<int32_t> in;
        for (size_t i = 0; i < mono.size(); ++i)
            for (int c = 0; c < channels; ++c) in.push_back(c == 1 ? mono[mono.size() - 1 - i] : mono[i] / (c + 1));
        for (int32_t to : {8000, 22050, 44100, 48000}) {
            if (to == from) continue;
            const auto reference = convert(in, from, to, channels, K::Scalar);
            EXPECT_EQ(convert(in, from, to, channels, K::Vector32), reference) << from << " -> " << to;
            for (RatePlanarKernel kernel : planarKernels())
                EXPECT_EQ(convert(in, from, to, channels, K::Planar, kernel), reference)
                    << from << " -> " << to << " kernel " << static_cast<int>(kernel) << ", " << channels << " channels";
        }
    }
}

TEST(RateKernels, LoopsMatchTheScalarFormOnSynthesisedSpeech) {
    for (int32_t rate : {8000, 22050, 44100}) {
        const auto speech = speechAt(rate);
        if (speech.empty()) GTEST_SKIP() << "espeak-ng or sox is not installed";
        ASSERT_GT(speech.size(), static_cast<size_t>(rate)) << "at least a second of speech";
        expectFormsAgree(speech, rate);
    }
}

TEST(RateKernels, LoopsMatchTheScalarFormOnSpeechLikeSignals) {
    for (int32_t rate : {11025, 48000}) {
        auto loud = test::syntheticSpeech(rate, rate * 2, 5);
        for (auto& s : loud) s *= 8;  // beyond 16-bit full scale, as after a gain
        expectFormsAgree(loud, rate);
    }
}

// Reads the whole stream in uneven pieces (single frames, around the 64-frame
// period of the widest block loop, and large), from `start` on.
std::vector<int32_t> convertInPieces(const std::vector<int32_t>& in, int32_t from, int32_t to, int channels,
                                     LSRCConvertRate::Kernel kernel, RatePlanarKernel planar, int32_t start) {
    auto s = LSPConvertRate(to).apply(memorySource(in, from, channels));
    auto* rate = static_cast<LSRCConvertRate*>(s.get());
    rate->useKernel(kernel, planar);
    if (start != 0) s->setPosition(start);
    const int32_t length = s->getLength() - start;
    std::vector<int32_t> out;
    const int32_t pieces[] = {1, 63, 64, 65, 127, 4000, 1, 20000};
    for (int32_t done = 0, n = 0; done < length; ++n) {
        const int32_t frames = std::min(pieces[n % 8], length - done);
        const auto part = readFrames(s, frames);
        out.insert(out.end(), part.begin(), part.end());
        done += frames;
    }
    return out;
}

// Doubling the rate (two phases, one input frame per period) has a loop of
// its own for mono; stereo keeps the general one.  Both against the scalar
// form, from an even and an odd output position, on random samples over the
// whole 16-bit range and on speech-like signals at an ordinary level.
TEST(RateKernels, DoublingMatchesTheScalarForm) {
    using K = LSRCConvertRate::Kernel;
    for (int channels : {1, 2}) {
        auto noise = randomSamples(static_cast<size_t>(11025) * 3 * channels, 32767, 77 + channels);
        for (size_t i = 0; i < noise.size(); i += 89) noise[i] = -32768;
        for (size_t i = 5; i < noise.size(); i += 101) noise[i] = 32767;
        std::vector<int32_t> speech;
        const auto mono = test::syntheticSpeech(11025, 11025 * 3, 9);
        for (size_t i = 0; i < mono.size(); ++i)
            for (int c = 0; c < channels; ++c) speech.push_back(c == 0 ? mono[i] : -mono[mono.size() - 1 - i]);
        for (const auto* in : {&noise, &speech}) {
            {
                auto probe = LSPConvertRate(22050).apply(memorySource(*in, 11025, channels));
                auto* rate = static_cast<LSRCConvertRate*>(probe.get());
                ASSERT_EQ(rate->phaseCount(), 2);
                ASSERT_EQ(rate->step(), 1);
                ASSERT_TRUE(rate->historyFits16()) << "the planar loops must be the ones under test";
            }
            for (int32_t start : {0, 1, 12345}) {
                const auto reference = convertInPieces(*in, 11025, 22050, channels, K::Scalar,
                                                       RatePlanarKernel::Portable, start);
                ASSERT_FALSE(reference.empty());
                for (RatePlanarKernel kernel : planarKernels())
                    EXPECT_EQ(convertInPieces(*in, 11025, 22050, channels, K::Planar, kernel, start), reference)
                        << "kernel " << static_cast<int>(kernel) << ", " << channels << " channels, from " << start
                        << (in == &noise ? ", noise" : ", speech");
            }
        }
    }
}

}  // namespace
}  // namespace typix
