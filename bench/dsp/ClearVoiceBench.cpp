// The clear-voice stage against the speed stage over the same ten minutes of
// speech-like audio: each plays the whole input through, in 100 ms pieces as
// the player pulls them.  In the player the clear-voice stage comes before the
// speed stage, so both see every input frame once; the fair measure is the
// cost of getting through the same input, whatever each makes of it.  The
// rate is input frames per second.  The clear-voice stage runs in every play
// when it is on, the speed stage in every play away from 100 %, so the first
// must cost less.
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

constexpr int kMinutes = 10;

// Mono speech, or the same speech on two channels (what the channel mix
// hands on for a stereo file).
const std::vector<int32_t>& speech(int32_t rate, int channels) {
    static std::map<std::pair<int32_t, int>, std::vector<int32_t>> cache;
    auto& s = cache[{rate, channels}];
    if (s.empty()) {
        const auto mono = test::syntheticSpeech(rate, int64_t{rate} * 60 * kMinutes);
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
