// Decoding codec-compressed wave files (ten minutes of 8 kHz mono noise-like
// audio in IMA ADPCM and in GSM 6.10) through openWaveFile and the codec
// source, read in 8192-frame blocks as the player reads, against the ffmpeg
// program decoding the same file to 16-bit PCM (the whole process is timed,
// start-up included, nothing subtracted).  Wall-clock time on both sides;
// the rate is decoded frames per second of wall-clock time, set as the
// items_per_second counter by hand (the library's own would use the CPU time
// of this process, which leaves out the ffmpeg process).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "formats/OpenWaveFile.h"

namespace typix::bench {
namespace {

constexpr int kSeconds = 600;
constexpr int32_t kRate = 8000;
constexpr int32_t kBlock = 8192;

const std::string& folder() {
    static const std::string made = [] {
        static std::string templ = (std::filesystem::temp_directory_path() / "typix-codec-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) return std::string("/tmp");
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(templ, ec);
        });
        return templ;
    }();
    return made;
}

// The compressed file for an encoder, made once per run.
const std::string& file(const std::string& encoder) {
    static std::map<std::string, std::string> made;
    std::string& path = made[encoder];
    if (path.empty()) {
        path = folder() + "/" + encoder + ".wav";
        const std::string cmd = "ffmpeg -nostdin -v error -y -f lavfi -i 'anoisesrc=c=pink:r=" +
                                std::to_string(kRate) + ":a=0.3:d=" + std::to_string(kSeconds) +
                                "' -ac 1 -c:a " + encoder + " '" + path + "'";
        if (std::system(cmd.c_str()) != 0) path = "/nonexistent";
    }
    return path;
}

struct WallClock {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    void report(benchmark::State& state, int64_t frames) const {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double iterations = static_cast<double>(state.iterations());
        state.counters["items_per_second"] = static_cast<double>(frames) * iterations / seconds;
        state.counters["wall_ms"] = seconds * 1000 / iterations;
    }
};

void ours(benchmark::State& state, const std::string& encoder) {
    const std::string& path = file(encoder);
    std::vector<int32_t> out(kBlock);
    int64_t frames = 0;
    const WallClock clock;
    for (auto _ : state) {
        LSoundSource s = openWaveFile(path);
        if (!s.usable()) {
            state.SkipWithError("the codec source did not open");
            return;
        }
        frames = 0;
        for (; frames < int64_t{s->getLength()}; frames += kBlock) s->read(out.data(), kBlock);
        frames = s->getLength();
        benchmark::DoNotOptimize(out.data());
    }
    clock.report(state, frames);
}

void ffmpeg(benchmark::State& state, const std::string& encoder) {
    const std::string& path = file(encoder);
    const std::string cmd = "ffmpeg -nostdin -v error -y -i '" + path + "' -f s16le /dev/null";
    int64_t frames = 0;
    const WallClock clock;
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("ffmpeg failed");
            return;
        }
    }
    if (LSoundSource s = openWaveFile(path)) {
        std::vector<int32_t> out(kBlock);
        while (!s->isError() && s->getPosition() <= s->getLength()) s->read(out.data(), kBlock);
        frames = s->getLength();
    }
    clock.report(state, frames);
}

// Registered by hand so that the names are exactly "<group>/<side>".
const bool registered = [] {
    for (const auto& [group, encoder] : {std::pair{"codec_ima_adpcm", "adpcm_ima_wav"}, std::pair{"codec_gsm", "libgsm_ms"}}) {
        const std::string enc = encoder;
        benchmark::RegisterBenchmark((std::string(group) + "/ours").c_str(), [enc](benchmark::State& s) { ours(s, enc); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string(group) + "/ffmpeg").c_str(), [enc](benchmark::State& s) { ffmpeg(s, enc); })
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
}  // namespace typix::bench
