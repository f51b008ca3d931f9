// Sample rate conversion of ten minutes of speech-like mono audio: our
// polyphase converter against libsoxr (its default quality) and libsamplerate
// (SRC_SINC_FASTEST), each fed in blocks of 8192 frames as the package import
// reads.  The rate is input frames per second.
#include <benchmark/benchmark.h>
#include <samplerate.h>
#include <soxr.h>

#include <map>
#include <string>

#include "common/SpanSource.h"
#include "dsp/LSRCConvertRate.h"
#include "dsp/SyntheticSpeech.h"

namespace typix::bench {
namespace {

constexpr int kMinutes = 10;
constexpr size_t kBlock = 8192;

const std::vector<int32_t>& speech(int32_t rate) {
    static std::map<int32_t, std::vector<int32_t>> cache;
    auto& s = cache[rate];
    if (s.empty()) s = test::syntheticSpeech(rate, int64_t{rate} * 60 * kMinutes, 3);
    return s;
}

const std::vector<float>& speechFloat(int32_t rate) {
    static std::map<int32_t, std::vector<float>> cache;
    auto& s = cache[rate];
    if (s.empty()) s = toFloat(speech(rate));
    return s;
}

void ours(benchmark::State& state, int32_t from, int32_t to, RatePlanarKernel kernel) {
    const auto& input = speech(from);
    std::vector<int32_t> out(kBlock);
    for (auto _ : state) {
        LSoundSource s = LSPConvertRate(to).apply(makeSource<SpanSource>(input, from, 1));
        static_cast<LSRCConvertRate*>(s.get())->useKernel(LSRCConvertRate::Kernel::Best, kernel);
        const int32_t length = s->getLength();
        for (int32_t done = 0; done < length; done += static_cast<int32_t>(kBlock))
            s->read(out.data(), static_cast<int32_t>(kBlock));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(input.size()));
}

void soxr(benchmark::State& state, int32_t from, int32_t to) {
    const auto& in = speechFloat(from);
    std::vector<float> out(kBlock * 8);
    for (auto _ : state) {
        soxr_error_t err = nullptr;
        soxr_t s = soxr_create(from, to, 1, &err, nullptr, nullptr, nullptr);
        if (err) {
            state.SkipWithError(err);
            return;
        }
        for (size_t at = 0; at < in.size(); at += kBlock) {
            size_t done = 0;
            soxr_process(s, in.data() + at, std::min(kBlock, in.size() - at), nullptr, out.data(), out.size(), &done);
        }
        size_t done = 0;
        do soxr_process(s, nullptr, 0, nullptr, out.data(), out.size(), &done);
        while (done != 0);
        soxr_delete(s);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

void libsamplerate(benchmark::State& state, int32_t from, int32_t to) {
    const auto& in = speechFloat(from);
    std::vector<float> out(kBlock * 8);
    for (auto _ : state) {
        int err = 0;
        SRC_STATE* s = src_new(SRC_SINC_FASTEST, 1, &err);
        SRC_DATA d{};
        d.src_ratio = static_cast<double>(to) / from;
        size_t at = 0;
        while (at < in.size() || d.output_frames_gen != 0) {
            d.data_in = in.data() + at;
            d.input_frames = static_cast<long>(std::min(kBlock, in.size() - at));
            d.end_of_input = at + kBlock >= in.size();
            d.data_out = out.data();
            d.output_frames = static_cast<long>(out.size());
            if (src_process(s, &d) != 0) break;
            at += static_cast<size_t>(d.input_frames_used);
            if (d.input_frames_used == 0 && d.output_frames_gen == 0) break;
        }
        src_delete(s);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

void registerGroup(const std::string& group, int32_t from, int32_t to, RatePlanarKernel kernel, bool withSlowPeer) {
    benchmark::RegisterBenchmark((group + "/ours").c_str(), ours, from, to, kernel)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((group + "/soxr").c_str(), soxr, from, to)->Unit(benchmark::kMillisecond);
    if (withSlowPeer)
        benchmark::RegisterBenchmark((group + "/libsamplerate").c_str(), libsamplerate, from, to)
            ->Unit(benchmark::kMillisecond);
}

// The best loops of this machine; where that is AVX-512, the AVX2 loops too
// (against soxr once more), since many machines stop at AVX2.
int registerAll() {
    const std::pair<int32_t, int32_t> pairs[] = {{8000, 44100}, {44100, 8000}, {48000, 44100}, {11025, 22050}};
    const bool alsoAvx2 = bestRatePlanarKernel() == RatePlanarKernel::Avx512;
    for (auto [from, to] : pairs) {
        const std::string group = "rate_" + std::to_string(from) + "_to_" + std::to_string(to);
        registerGroup(group, from, to, bestRatePlanarKernel(), true);
        if (alsoAvx2) registerGroup(group + "_avx2", from, to, RatePlanarKernel::Avx2, false);
    }
    return 0;
}

const int registered = registerAll();

}  // namespace
}  // namespace typix::bench
