// typixctl waveform: the envelope the window's waveform strip draws, computed
// by the same scan and printed one line a bucket (or a column).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "formats/WaveformScan.h"
#include "support/Poster.h"

namespace typix::cli {

namespace {

int runWaveform(int argc, char** argv) {
    int columns = 0;
    if (argc == 4 && std::string(argv[2]) == "--columns") {
        char* end = nullptr;
        errno = 0;
        const long n = std::strtol(argv[3], &end, 10);
        if (errno != 0 || *end != '\0' || n < 1 || n > 100000) {
            std::fprintf(stderr, "typixctl waveform: --columns takes 1 to 100000\n");
            return 2;
        }
        columns = static_cast<int>(n);
    } else if (argc != 2) {
        std::fprintf(stderr, "usage: typixctl waveform FILE [--columns N]\n");
        return 2;
    }
    QueuePoster poster;
    WaveformChunk last;
    std::vector<WaveformPeak> peaks;
    bool done = false;
    WaveformScan scan([&](const WaveformChunk& c) {
        last = c;
        peaks.resize(std::max(peaks.size(), static_cast<size_t>(c.firstBucket) + c.peaks.size()));
        std::copy(c.peaks.begin(), c.peaks.end(), peaks.begin() + c.firstBucket);
        done = c.caughtUp || c.sampleRate == 0;
    }, &poster);
    scan.scan(argv[1]);
    while (!done) poster.waitAndRun(1000);
    scan.scan("");
    if (last.sampleRate == 0) {
        std::fprintf(stderr, "typixctl waveform: %s: cannot be read as audio\n", argv[1]);
        return 1;
    }
    const int32_t bucketFrames = std::max(last.bucketFrames, 1);
    peaks.resize(static_cast<size_t>((int64_t{last.totalFrames} + bucketFrames - 1) / bucketFrames));
    if (columns > 0) {
        std::vector<WaveformPeak> drawn;
        for (int x = 0; x < columns; ++x)
            drawn.push_back(columnPeak(peaks, last.totalFrames, bucketFrames, x, columns));
        peaks = std::move(drawn);
    }
    std::printf("rate=%d\nframes=%d\nbucketframes=%d\n%s=%zu\n", last.sampleRate, last.totalFrames,
                bucketFrames, columns > 0 ? "columns" : "buckets", peaks.size());
    for (const WaveformPeak& p : peaks) std::printf("%d %d\n", p.low, p.high);
    return 0;
}

const CliRegistrar waveform({"waveform",
                             "  waveform FILE [--columns N]  the waveform strip's envelope: the lowest and\n"
                             "                           highest 16-bit sample of every 1/100 s (or of N\n"
                             "                           equal columns), one \"LOW HIGH\" line each",
                             runWaveform});

}  // namespace

}  // namespace typix::cli
