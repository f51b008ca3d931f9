// The clear-voice stage against the speed stage over the same speech-like
// audio: each plays the whole input through, in 100 ms pieces as the player
// pulls them.  The rate is input frames per second: the cost of getting
// through the same input, whatever each stage makes of it.  The clear-voice
// stage runs in every play when it is on, the speed stage in every play away
// from 100 %.
// Every input is 128 MiB of samples, four times the largest cache of common
// machines: with a smaller one, whether it was still cached from the case
// before decided the figures more than the stages did.  The peer "read"
// reads the input and does nothing with it: the floor under every stage.
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>

#include "common/SpanSource.h"
#include "dsp/LSRCClearVoice.h"
#include "dsp/LSRCSpeed.h"
#include "dsp/SyntheticSpeech.h"

namespace typix::bench {
namespace {

constexpr int64_t kInputBytes = int64_t{128} << 20;

// Mono speech, or the same speech on two channels (what the channel mix
// hands on for a stereo file).
const std::vector<int32_t>& speech(int32_t rate, int channels) {
    static std::map<std::pair<int32_t, int>, std::vector<int32_t>> cache;
    auto& s = cache[{rate, channels}];
    if (s.empty()) {
        const int64_t frames = kInputBytes / int64_t{sizeof(int32_t)} / channels;
        const auto mono = test::syntheticSpeech(rate, frames);
        for (int32_t v : mono) s.insert(s.end(), static_cast<size_t>(channels), v);
    }
    return s;
}

void pull(benchmark::State& state, int32_t rate, int channels,
          const std::function<LSoundSource(const LSoundSource&)>& stage) {
    const auto& input = speech(rate, channels);
    const int32_t piece = rate / 10;
    const auto frames = static_cast<int64_t>(input.size() / static_cast<size_t>(channels));
    std::vector<int32_t> out(static_cast<size_t>(piece) * static_cast<size_t>(channels));
    for (auto _ : state) {
        LSoundSource inner = makeSource<SpanSource>(input, rate, channels);
        LSoundSource chain = stage(inner);
        while (inner->getPosition() < inner->getLength()) chain->read(out.data(), piece);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

int registerAll() {
    for (int32_t rate : {44100, 11025}) {
        for (int channels : {1, 2}) {
            const std::string group = "clearvoice_" + std::to_string(rate) + "Hz_" +
                                      (channels == 1 ? "mono" : "stereo");
            benchmark::RegisterBenchmark((group + "/ours").c_str(), pull, rate, channels,
                                         [](const LSoundSource& s) { return LSPClearVoice().apply(s); })
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((group + "/read").c_str(), pull, rate, channels,
                                         [](const LSoundSource& s) { return s; })
                ->Unit(benchmark::kMillisecond);
            for (double ratio : {0.5, 1.5}) {
                const std::string peer = group + (ratio < 1 ? "/speed_x0.5" : "/speed_x1.5");
                benchmark::RegisterBenchmark(peer.c_str(), pull, rate, channels,
                                             [ratio](const LSoundSource& s) {
                                                 return LSPSpeed(ratio, 1.0, 0).apply(s);
                                             })
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    return 0;
}

const int registered = registerAll();

}  // namespace
}  // namespace typix::bench
