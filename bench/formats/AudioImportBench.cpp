// Importing a one-hour MP3 dictation (44.1 kHz mono, 64 kbit/s) into a
// 16-bit wave of Current Files with a record, against the ffmpeg program
// converting the same file with `ffmpeg -i in.mp3 out.wav` into the same
// folder.  The whole ffmpeg process is timed, start-up included.  Wall-clock
// time on both sides; the rate is decoded frames per second of wall-clock
// time (items_per_second, set by hand).  The import's peak memory growth is
// reported as peak_rss_growth_mb: it stays flat, whatever the length.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "transfer/AudioImport.h"

namespace typix::bench {
namespace {

constexpr int kSeconds = 3600;
constexpr int64_t kRate = 44100;

const std::string& folder() {
    static const std::string made = [] {
        static std::string templ = (std::filesystem::temp_directory_path() / "typix-import-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) return std::string("/tmp");
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(templ, ec);
        });
        std::filesystem::create_directories(templ + "/current");
        return templ;
    }();
    return made;
}

// Speech-like input: pink noise that comes and goes, made once per run.
const std::string& mp3() {
    static const std::string path = [] {
        const std::string out = folder() + "/in.mp3";
        const std::string cmd =
            "ffmpeg -nostdin -v error -y -f lavfi -i 'anoisesrc=c=pink:r=44100:a=0.3:d=" +
            std::to_string(kSeconds) + "' -af 'volume=0.5+0.5*sin(2*PI*0.3*t):eval=frame' -ac 1 "
            "-c:a libmp3lame -b:a 64k '" + out + "'";
        return std::system(cmd.c_str()) == 0 ? out : std::string("/nonexistent");
    }();
    return path;
}

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

struct WallClock {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    void report(benchmark::State& state) const {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double iterations = static_cast<double>(state.iterations());
        state.counters["items_per_second"] = double(kSeconds * kRate) * iterations / seconds;
        state.counters["wall_ms"] = seconds * 1000 / iterations;
    }
};

void ours(benchmark::State& state) {
    const std::string& in = mp3();
    const std::string current = folder() + "/current/";
    const double rssBefore = peakRssMb();
    WallClock clock;
    for (auto _ : state) {
        const AudioImportResult r = importAudioFile(in, current, [] { return false; });
        if (r.outcome != AudioOutcome::Ok) {
            state.SkipWithError(("import failed: " + r.reason).c_str());
            return;
        }
        state.PauseTiming();
        std::filesystem::remove(current + r.base + ".wav");
        std::filesystem::remove(current + r.base + ".dat");
        state.ResumeTiming();
    }
    clock.report(state);
    state.counters["peak_rss_growth_mb"] = peakRssMb() - rssBefore;
}

void ffmpeg(benchmark::State& state) {
    const std::string& in = mp3();
    const std::string out = folder() + "/current/out.wav";
    const std::string cmd = "ffmpeg -nostdin -v error -y -i '" + in + "' '" + out + "'";
    WallClock clock;
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("ffmpeg failed");
            return;
        }
        state.PauseTiming();
        std::filesystem::remove(out);
        state.ResumeTiming();
    }
    clock.report(state);
}

const bool registered = [] {
    // One iteration takes many seconds, so each case runs once; turns of
    // ffmpeg and ours alternate, so that a change of the machine's
    // load during the run falls on both sides alike.
    for (int round = 0; round < 2; ++round) {
        benchmark::RegisterBenchmark("import_mp3_hour/ffmpeg", ffmpeg)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("import_mp3_hour/ours", ours)->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
}  // namespace typix::bench
