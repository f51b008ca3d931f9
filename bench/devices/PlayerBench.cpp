// The player on ALSA's null PCM against a plain ALSA writer (open the PCM,
// read the same chain in 100 ms blocks, convert to 16-bit, snd_pcm_writei)
// fed by the same samples in the same run:
//  - first_block: time from play to the first block handed to the device
//    (rate = 1 / latency, so the ratio is peer latency / our latency);
//  - minute_100 / minute_150: CPU time of the whole process per minute of
//    60 s of 44100 Hz stereo, played through the chain at 100 % and through a
//    speed change at 150 %.  The null PCM's clock runs 30 times faster than
//    real time so a minute takes two seconds; the CPU used per playback
//    minute is reported as the counter cpu_ms_per_playback_min.
#include <alsa/asoundlib.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "common/SpanSource.h"
#include "dsp/LSRCSpeed.h"
#include "sound/LSoundPlayer.h"
#include "sound/SampleTypes.h"

namespace typix::bench {
namespace {

constexpr int32_t kRate = 44100;
constexpr int kChannels = 2;
constexpr int32_t kMinute = kRate * 60;
constexpr int32_t kBlock = kRate / 10;

const std::vector<int32_t>& minuteOfSignal() {
    static const std::vector<int32_t> samples = [] {
        std::vector<int32_t> s(static_cast<size_t>(kMinute) * kChannels);
        uint32_t seed = 2024;
        for (int32_t& v : s) v = static_cast<int16_t>((seed = seed * 1664525 + 1013904223) >> 16) * 16;
        return s;
    }();
    return samples;
}

LSoundSource chain(double speed) {
    LSoundSource source = makeSource<SpanSource>(minuteOfSignal(), kRate, kChannels);
    return speed == 1.0 ? source : LSPSpeed(speed, speed, 0).apply(source);
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

using Clock = std::chrono::steady_clock;

// Wraps the installed driver and notes when frames first reach ALSA.
class FirstWriteDriver : public SoundDriver {
public:
    explicit FirstWriteDriver(SoundDriver& inner) : inner_(inner) {}
    std::vector<std::string> deviceNames(StreamDirection d) override { return inner_.deviceNames(d); }
    std::unique_ptr<InputStream> openInput(int index, PcmFormat format, int32_t frames, int count,
                                           InputStream::FilledCallback filled, std::string* error) override {
        return inner_.openInput(index, format, frames, count, std::move(filled), error);
    }
    std::unique_ptr<OutputStream> openOutput(int index, PcmFormat format, std::string* error) override {
        auto stream = inner_.openOutput(index, format, error);
        return stream ? std::make_unique<Stream>(std::move(stream), *this) : nullptr;
    }
    std::atomic<Clock::rep> firstWrite{0};

private:
    class Stream : public OutputStream {
    public:
        Stream(std::unique_ptr<OutputStream> inner, FirstWriteDriver& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        void write(OutputBlock& block, int32_t frames) override {
            inner_->write(block, frames);
            if (inner_->framesHandedOver() > 0 && owner_.firstWrite.load() == 0) {
                owner_.firstWrite.store(Clock::now().time_since_epoch().count());
            }
        }
        void update() override { inner_->update(); }
        void reset() override { inner_->reset(); }
        int64_t framesHandedOver() const override { return inner_->framesHandedOver(); }
        bool failed() const override { return inner_->failed(); }
        void setGain(int32_t gainQ24) override { inner_->setGain(gainQ24); }

    private:
        std::unique_ptr<OutputStream> inner_;
        FirstWriteDriver& owner_;
    };
    SoundDriver& inner_;
};

class EndWatch : public LSoundPlayerNotify {
public:
    void onStopped(int32_t) override { stopped = true; }
    bool stopped = false;
};

// The rate compared is 1 / mean latency (set by hand, since the shared main
// reads items_per_second and a manual-time suffix would change the case name).
void reportLatency(benchmark::State& state, double seconds) {
    const double mean = seconds / static_cast<double>(state.iterations());
    state.counters["latency_us"] = mean * 1e6;
    state.counters["items_per_second"] = 1.0 / mean;
}

// CPU per minute of playback, and source frames per CPU second as the rate.
void reportCpu(benchmark::State& state, double cpuSeconds, double speed) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["cpu_ms_per_playback_min"] = cpuSeconds * 1000 / iterations * speed;
    state.counters["items_per_second"] = iterations * kMinute / cpuSeconds;
}

void firstBlockOurs(benchmark::State& state) {
    setenv("TYPIX_OUTPUT_DEVICE", "null", 1);
    double total = 0;
    for (auto _ : state) {
        FirstWriteDriver driver(soundDriver());
        installSoundDriver(&driver);
        QueuePoster poster;
        LSoundPlayer player(&poster);
        LSoundSource source = chain(1.0);
        const Clock::time_point start = Clock::now();
        if (!player.play(source)) state.SkipWithError("the null PCM did not open");
        while (driver.firstWrite.load() == 0) std::this_thread::yield();
        const Clock::time_point first{Clock::duration(driver.firstWrite.load())};
        total += std::chrono::duration<double>(first - start).count();
        player.stop();
        installSoundDriver(nullptr);
    }
    reportLatency(state, total);
}

snd_pcm_t* openNull() {
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "null", SND_PCM_STREAM_PLAYBACK, 0) < 0) return nullptr;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, kChannels, kRate, 1,
                           500000) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return pcm;
}

// The peer: read, convert and write one block at a time.
bool writeBlock(snd_pcm_t* pcm, LSoundSource& source, std::vector<int32_t>& samples,
                std::vector<int16_t>& pcm16) {
    source.read(samples.data(), kBlock);
    LSF16::fromInternal(samples.data(), pcm16.data(), samples.size());
    return snd_pcm_writei(pcm, pcm16.data(), kBlock) == kBlock;
}

void firstBlockDirect(benchmark::State& state) {
    std::vector<int32_t> samples(static_cast<size_t>(kBlock) * kChannels);
    std::vector<int16_t> pcm16(samples.size());
    double total = 0;
    for (auto _ : state) {
        LSoundSource source = chain(1.0);
        const Clock::time_point start = Clock::now();
        snd_pcm_t* pcm = openNull();
        if (!pcm || !writeBlock(pcm, source, samples, pcm16)) state.SkipWithError("the null PCM did not open");
        total += std::chrono::duration<double>(Clock::now() - start).count();
        if (pcm) snd_pcm_close(pcm);
    }
    reportLatency(state, total);
}

void minuteOurs(benchmark::State& state, double speed) {
    setenv("TYPIX_OUTPUT_DEVICE", "null", 1);
    setenv("TYPIX_DEVICE_CLOCK", "30", 1);
    double cpu = 0;
    for (auto _ : state) {
        QueuePoster poster;
        EndWatch end;
        LSoundPlayer player(&poster);
        player.setNotify(&end, 0);
        const double before = processCpuSeconds();
        if (!player.play(chain(speed))) state.SkipWithError("the null PCM did not open");
        while (!end.stopped) poster.waitAndRun(50);
        cpu += processCpuSeconds() - before;
    }
    reportCpu(state, cpu, speed);  // one iteration plays 60 s / speed of output
}

void minuteDirect(benchmark::State& state, double speed) {
    std::vector<int32_t> samples(static_cast<size_t>(kBlock) * kChannels);
    std::vector<int16_t> pcm16(samples.size());
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        LSoundSource source = chain(speed);
        snd_pcm_t* pcm = openNull();
        if (!pcm) state.SkipWithError("the null PCM did not open");
        while (pcm && source->getPosition() < source->getLength()) writeBlock(pcm, source, samples, pcm16);
        if (pcm) snd_pcm_close(pcm);
        cpu += processCpuSeconds() - before;
    }
    reportCpu(state, cpu, speed);
}

BENCHMARK(firstBlockOurs)->Name("first_block/ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(firstBlockDirect)->Name("first_block/alsa_direct")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(minuteOurs, 100, 1.0)->Name("minute_100/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(minuteDirect, 100, 1.0)->Name("minute_100/alsa_direct")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(minuteOurs, 150, 1.5)->Name("minute_150/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(minuteDirect, 150, 1.5)->Name("minute_150/alsa_direct")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace typix::bench
