// The envelope of a one-hour dictation (16-bit mono at 11025 Hz, a common
// dictation rate, and at 44100 Hz): the waveform scan from its start to the
// delivery of the last chunk on the interface side, against the floor of the
// job, a plain read() of the same file with the same min/max per bucket on the
// raw 16-bit samples.  Both read the same file from the page cache in the
// same run; the time per iteration is the time until the strip is complete
// (it must stay under a second), the rate is frames per second of wall time.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "formats/WaveFormat.h"
#include "formats/WaveformScan.h"
#include "support/Poster.h"

namespace typix::bench {
namespace {

constexpr int32_t kSeconds = 3600;

// Speech-like bursts of pseudo-random samples, written once per run.
const std::string& file(int32_t rate) {
    static std::map<int32_t, std::string> made;
    std::string& path = made[rate];
    if (!path.empty()) return path;
    path = (std::filesystem::temp_directory_path() / ("typix-waveform-bench-" + std::to_string(rate) + ".wav")).string();
    const int32_t frames = rate * kSeconds;
    const auto header = makePcmWaveHeader(1, rate, 2, frames);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    uint32_t seed = 12345;
    std::vector<int16_t> block(static_cast<size_t>(rate));
    for (int32_t second = 0; second < kSeconds; ++second) {
        const int level = (second % 7) * 4000;
        for (int16_t& v : block) v = static_cast<int16_t>(static_cast<int32_t>((seed = seed * 1664525 + 1013904223) >> 16) % (level + 1) - level / 2);
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 2));
    }
    return path;
}

void ours(benchmark::State& state, int32_t rate) {
    const std::string& path = file(rate);
    const int32_t frames = rate * kSeconds;
    QueuePoster poster;
    int32_t total = 0;
    size_t buckets = 0;
    WaveformScan scan([&](const WaveformChunk& c) {
        total = c.totalFrames;
        buckets = std::max(buckets, static_cast<size_t>(c.firstBucket) + c.peaks.size());
    }, &poster);
    for (auto _ : state) {
        total = 0;
        scan.scan(path);
        while (total < frames) poster.waitAndRun(1000);
        benchmark::DoNotOptimize(buckets);
        scan.scan("");
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

void rawRead(benchmark::State& state, int32_t rate) {
    const std::string& path = file(rate);
    const int32_t bucket = rate / 100;
    std::vector<int16_t> buffer(static_cast<size_t>(bucket) * 64);
    std::vector<std::pair<int16_t, int16_t>> peaks;
    for (auto _ : state) {
        peaks.clear();
        const int fd = ::open(path.c_str(), O_RDONLY);
        ::lseek(fd, 46, SEEK_SET);
        ssize_t got;
        while ((got = ::read(fd, buffer.data(), buffer.size() * 2)) > 0) {
            const size_t n = static_cast<size_t>(got) / 2;
            for (size_t at = 0; at < n; at += static_cast<size_t>(bucket)) {
                int16_t low = INT16_MAX, high = INT16_MIN;
                for (size_t i = at; i < std::min(n, at + static_cast<size_t>(bucket)); ++i) {
                    low = std::min(low, buffer[i]);
                    high = std::max(high, buffer[i]);
                }
                peaks.emplace_back(low, high);
            }
        }
        ::close(fd);
        benchmark::DoNotOptimize(peaks.data());
    }
    state.SetItemsProcessed(state.iterations() * rate * kSeconds);
}

int registerAll() {
    for (int32_t rate : {11025, 44100}) {
        const std::string group = "waveform_1h_" + std::to_string(rate) + "Hz";
        benchmark::RegisterBenchmark((group + "/ours").c_str(), ours, rate)
            ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
        benchmark::RegisterBenchmark((group + "/rawread").c_str(), rawRead, rate)
            ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
    }
    return 0;
}

const int registered = registerAll();

}  // namespace
}  // namespace typix::bench
