// One hour of dictation in a version-1 package with two segments (11025 Hz
// and 8000 Hz, 16-bit mono), imported by ours against the sox program doing
// the same conversions on the same segments in the same run.  The rate is
// output frames per second of wall time; both write to the same disk.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "transfer/PackageImporter.h"

namespace typix::bench {
namespace {

constexpr int kSeconds = 3600;
constexpr int64_t kOutputFrames = int64_t{8000} * kSeconds;

const std::string& folder() {
    static const std::string made = [] {
        static std::string templ =
            (std::filesystem::temp_directory_path() / "typix-import-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) return std::string("/tmp");
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(templ, ec);
        });
        std::filesystem::create_directories(templ + "/current");
        return templ + "/";
    }();
    return made;
}

// The two segments and the package holding them, made once per run.
bool prepare() {
    static const bool ok = [] {
        const std::string f = folder();
        const std::string make =
            "sox -n -r 11025 -b 16 -c 1 '" + f + "a.wav' synth " + std::to_string(kSeconds) +
            " sine 300-3000 && sox -n -r 8000 -b 16 -c 1 '" + f + "b.wav' synth " +
            std::to_string(kSeconds) + " pinknoise vol 0.3 && python3 '" TYPIX_SOURCE_DIR
            "/tests/data/make_package.py' '" + f + "p.dct' --segment '" + f +
            "a.wav' --segment '" + f + "b.wav'";
        return std::system(make.c_str()) == 0;
    }();
    return ok;
}

class NeverStops : public ImportHost {
public:
    bool importStopRequested() override { return false; }
    void importProgress(float) override {}
    void withFileInUse(const std::function<void(const std::string&)>& action) override {
        action("");
    }
};

void report(benchmark::State& state, std::chrono::steady_clock::time_point start) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double iterations = static_cast<double>(state.iterations());
    state.counters["items_per_second"] = static_cast<double>(kOutputFrames) * iterations / seconds;
    state.counters["wall_ms"] = seconds * 1000 / iterations;
}

void ours(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("could not make the package");
    NeverStops host;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        ImportResult result = importPackage(folder() + "p.dct", folder() + "current/", 0, 1, host);
        if (result.status != ImportStatus::Delivered) return state.SkipWithError("import failed");
    }
    report(state, start);
    // Memory stays flat whatever the length: blocks of 4096 bytes and 8192 frames.
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["max_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void sox(benchmark::State& state) {
    if (!prepare()) return state.SkipWithError("could not make the package");
    const std::string f = folder();
    const std::string convert = "sox '" + f + "a.wav' -c 1 -r 8000 '" + f + "a8.wav' && sox '" +
                                f + "b.wav' -c 1 '" + f + "b1.wav' && sox -M '" + f +
                                "a8.wav' '" + f + "b1.wav' -b 16 '" + f + "sox-out.wav'";
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (std::system(convert.c_str()) != 0) return state.SkipWithError("sox failed");
    }
    report(state, start);
}

const bool registered = [] {
    // One iteration of each is seconds long, so the library runs one.
    benchmark::RegisterBenchmark("import_one_hour/ours", ours)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("import_one_hour/sox", sox)->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
}  // namespace typix::bench
