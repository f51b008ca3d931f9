#pragma once
// An ideal device clock for PCMs that have none (ALSA's null and file plugins
// consume or produce any amount at once).  It counts the frames a real device
// would have played or captured since it started, at `rate` times `factor`
// frames per second.  A stream that falls behind (underrun) restarts the clock
// from where the stream is, as a real device restarts after an underrun.
// Not locked: its one owner calls it.
#include <chrono>
#include <cstdint>

namespace typix {

class IdealClock {
public:
    IdealClock(int32_t rate, double factor) : framesPerSecond_(rate * factor) {}

    // Frames the device has processed by now; never beyond `limit`.  When the
    // clock has passed `limit`, it restarts from `limit` (the device starved).
    int64_t framesAt(int64_t limit) {
        if (!running_) return 0;
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        const int64_t frames = startFrames_ + static_cast<int64_t>(seconds * framesPerSecond_);
        if (frames < limit) return frames;
        restart(limit);
        return limit;
    }
    // Starts (or restarts) counting from `frames` now.
    void restart(int64_t frames) {
        running_ = true;
        start_ = Clock::now();
        startFrames_ = frames;
    }
    void stop() { running_ = false; }
    bool running() const { return running_; }
    // Seconds until the clock reaches `frames` (0 when it is there already).
    double secondsUntil(int64_t frames) {
        if (!running_) return 0;
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        const double due = static_cast<double>(frames - startFrames_) / framesPerSecond_;
        return due > seconds ? due - seconds : 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    double framesPerSecond_;
    bool running_ = false;
    Clock::time_point start_{};
    int64_t startFrames_ = 0;
};

}  // namespace typix
