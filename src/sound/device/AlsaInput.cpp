// ALSA input stream: a reader thread fills a pool of blocks in order and
// announces each one; the owner takes them oldest first and so returns their
// buffers to the pool.  With every buffer waiting, the reader captures into a
// scratch block and drops it, as a device with no free buffer loses audio.
#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

#include "sound/device/AlsaDevice.h"
#include "sound/device/IdealClock.h"

namespace typix {

namespace {

class AlsaInput : public InputStream {
public:
    AlsaInput(snd_pcm_t* pcm, PcmFormat format, bool clockless, int32_t blockFrames,
              int blockCount, FilledCallback filled)
        : pcm_(pcm), format_(format), clockless_(clockless), blockFrames_(blockFrames),
          filledCallback_(std::move(filled)), clock_(format.rate, alsaClockFactor()) {
        const size_t samples = static_cast<size_t>(blockFrames) * static_cast<size_t>(format.channels);
        for (int i = 0; i < blockCount; ++i) free_.emplace_back(samples);
        reader_ = std::thread([this] { readLoop(); });
    }

    ~AlsaInput() override {
        stop_.store(true);
        reader_.join();
        snd_pcm_drop(pcm_);
        snd_pcm_close(pcm_);
    }

    bool take(std::vector<int16_t>& samples) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (filled_.empty()) return false;
        samples.assign(filled_.front().begin(), filled_.front().end());
        free_.push_back(std::move(filled_.front()));
        filled_.pop_front();
        return true;
    }

private:
    void readLoop() {
        std::vector<int16_t> scratch(static_cast<size_t>(blockFrames_) * static_cast<size_t>(format_.channels));
        snd_pcm_start(pcm_);
        clock_.restart(0);
        while (!stop_.load()) {
            std::vector<int16_t> block;
            {
                std::lock_guard<std::mutex> guard(mutex_);
                if (!free_.empty()) {
                    block = std::move(free_.back());
                    free_.pop_back();
                }
            }
            const bool pooled = !block.empty();
            if (!readBlock(pooled ? block : scratch)) break;
            if (!pooled) continue;
            {
                std::lock_guard<std::mutex> guard(mutex_);
                filled_.push_back(std::move(block));
            }
            if (filledCallback_) filledCallback_();
        }
    }

    // Sleeps until `seconds` have passed or stop is asked; false on stop.
    bool sleepFor(double seconds) {
        using namespace std::chrono;
        const auto until = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(seconds));
        while (!stop_.load()) {
            const auto now = steady_clock::now();
            if (now >= until) return true;
            std::this_thread::sleep_for(std::min<steady_clock::duration>(until - now, milliseconds(20)));
        }
        return false;
    }

    // Fills one block in order; false when stop was asked meanwhile.
    bool readBlock(std::vector<int16_t>& block) {
        if (clockless_ && !sleepFor(clock_.secondsUntil(captured_ + blockFrames_))) return false;
        int32_t got = 0;
        while (got < blockFrames_) {
            if (stop_.load()) return false;
            const snd_pcm_sframes_t n = snd_pcm_readi(
                pcm_, block.data() + static_cast<size_t>(got) * static_cast<size_t>(format_.channels),
                static_cast<snd_pcm_uframes_t>(blockFrames_ - got));
            if (n == -EAGAIN) {
                snd_pcm_wait(pcm_, 100);
            } else if (n < 0) {
                // Overrun or a device that went away: restart capture, and
                // give a device that stays broken a rest between attempts.
                if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0 && !sleepFor(0.1)) return false;
                snd_pcm_start(pcm_);
            } else {
                got += static_cast<int32_t>(n);
            }
        }
        captured_ += blockFrames_;
        return true;
    }

    snd_pcm_t* pcm_;
    PcmFormat format_;
    bool clockless_;
    int32_t blockFrames_;
    FilledCallback filledCallback_;
    IdealClock clock_;
    int64_t captured_ = 0;            // reader thread only
    std::mutex mutex_;                // guards free_ and filled_
    std::vector<std::vector<int16_t>> free_;
    std::deque<std::vector<int16_t>> filled_;
    std::atomic<bool> stop_{false};
    std::thread reader_;              // last: starts after every field is ready
};

}  // namespace

std::unique_ptr<InputStream> makeAlsaInput(snd_pcm_t* pcm, PcmFormat format, bool clockless,
                                           int32_t blockFrames, int blockCount,
                                           InputStream::FilledCallback filled) {
    return std::make_unique<AlsaInput>(pcm, format, clockless, blockFrames, blockCount,
                                       std::move(filled));
}

}  // namespace typix
