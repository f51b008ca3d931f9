// Speed change of ten minutes of speech-like mono audio: our block-overlap
// source against SoundTouch's tempo change at the same ratio.  Both turn the
// same input into output in 100 ms pieces, as the player pulls it; the rate
// is input frames per second.
#include <benchmark/benchmark.h>
#include <soundtouch/SoundTouch.h>

#include <map>
#include <string>

#include "common/SpanSource.h"
#include "dsp/LSRCSpeed.h"
#include "dsp/SyntheticSpeech.h"

namespace typix::bench {
namespace {

constexpr int kMinutes = 10;

const std::vector<int32_t>& speech(int32_t rate) {
    static std::map<int32_t, std::vector<int32_t>> cache;
    auto& s = cache[rate];
    if (s.empty()) s = test::syntheticSpeech(rate, int64_t{rate} * 60 * kMinutes);
    return s;
}

void ours(benchmark::State& state, int32_t rate, double ratio) {
    const auto& input = speech(rate);
    const int32_t piece = rate / 10;
    std::vector<int32_t> out(static_cast<size_t>(piece));
    for (auto _ : state) {
        LSoundSource inner = makeSource<SpanSource>(input, rate, 1);
        LSoundSource speed = LSPSpeed(ratio, 1.0, 0).apply(inner);
        while (inner->getPosition() < inner->getLength()) speed->read(out.data(), piece);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(input.size()));
}

void soundTouch(benchmark::State& state, int32_t rate, double ratio) {
    const auto in = toFloat(speech(rate));
    const int32_t piece = rate / 10;
    std::vector<float> out(static_cast<size_t>(piece) * 4);
    for (auto _ : state) {
        soundtouch::SoundTouch st;
        st.setSampleRate(static_cast<unsigned>(rate));
        st.setChannels(1);
        st.setTempo(ratio);
        for (size_t at = 0; at < in.size(); at += static_cast<size_t>(piece)) {
            const auto n = static_cast<unsigned>(std::min<size_t>(static_cast<size_t>(piece), in.size() - at));
            st.putSamples(in.data() + at, n);
            while (st.receiveSamples(out.data(), static_cast<unsigned>(out.size())) != 0) {}
        }
        st.flush();
        while (st.receiveSamples(out.data(), static_cast<unsigned>(out.size())) != 0) {}
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

int registerAll() {
    for (int32_t rate : {44100, 11025}) {
        for (double ratio : {0.5, 1.5}) {
            const std::string group = "speed_" + std::to_string(rate) + "Hz_x" + (ratio < 1 ? "0.5" : "1.5");
            benchmark::RegisterBenchmark((group + "/ours").c_str(), ours, rate, ratio)->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((group + "/soundtouch").c_str(), soundTouch, rate, ratio)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return 0;
}

const int registered = registerAll();

}  // namespace
}  // namespace typix::bench
