// ALSA output stream: a queue of owner blocks in front of the PCM's ring
// buffer.  Blocks are handed to ALSA without blocking as far as the ring has
// room; a block is done once the device has played past its last frame.
//
// What "played" means is decided from the frames handed over, the device's
// state and its delay together, because sound servers do not report the end
// the way a card does:
//  - running with more to hand over: played = handed over - delay;
//  - underrun (XRUN) with more to hand over: the device ran dry, so all it
//    was given has played; it is restarted and refilled;
//  - underrun or running with nothing left to hand over (PulseAudio reports
//    the end of a stream as an underrun once the server has taken the last
//    frame, while its sink still holds a delay's worth that never counts
//    down): the delay must run out by the time it announced.  Restarting or
//    resetting the stream before then would make the server drop that tail.
//    Each poll gives a deadline (now + delay), the earliest one stands, and
//    once it has passed the tail counts as played, so a delay that sticks
//    or cycles (PipeWire) cannot hold play open;
//  - disconnected, or an error that recovery cannot mend (a server that
//    died): the stream has failed and completes nothing more.
// At the end of the stream the ring is closed with 100 ms of silence: a
// server that plays in fixed quanta (PipeWire's pulse server, 1024 frames)
// drops a last partial quantum when the stream runs dry, which a blocking
// drain would avoid at the cost of Stop no longer dropping at once.  The
// silence is no owner's block; the delay it adds is taken off before the
// real audio's end is judged.
#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <optional>
#include <vector>

#include "dsp/SplitProduct.h"
#include "sound/ProgramVolume.h"
#include "sound/device/AlsaDevice.h"
#include "sound/device/IdealClock.h"

namespace typix {

namespace {

using Clock = std::chrono::steady_clock;

// Slack after the announced end of the tail before it counts as played (and
// the stream may be reset): a server's own delay leaves out what its graph
// holds in flight (PipeWire's pulse server ends one quantum, about 23 ms,
// early), and its clock runs a little behind the wall clock.  Short enough
// that play still ends within about 0.2 s after the audio was heard.
constexpr std::chrono::milliseconds kTailSlack{120};

class AlsaOutput : public OutputStream {
public:
    AlsaOutput(snd_pcm_t* pcm, PcmFormat format, bool clockless, int64_t bufferFrames)
        : pcm_(pcm), format_(format), clockless_(clockless), bufferFrames_(bufferFrames),
          clock_(format.rate, alsaClockFactor()) {
        // A clockless PCM takes any amount: model a ring that lasts half a
        // second of wall time also when its clock runs faster than real time.
        if (clockless_) {
            bufferFrames_ = std::max<int64_t>(bufferFrames_,
                                              static_cast<int64_t>(format.rate * alsaClockFactor() / 2));
        }
    }

    ~AlsaOutput() override {
        snd_pcm_drop(pcm_);
        snd_pcm_close(pcm_);
        for (Entry& entry : queue_) entry.block->done = true;
    }

    void write(OutputBlock& block, int32_t frames) override {
        frames = std::clamp<int32_t>(frames, 0,
                                     static_cast<int32_t>(block.samples.size()) / format_.channels);
        block.done = false;
        block.queuedFrames = frames;
        queuedEnd_ += frames;
        queue_.push_back(Entry{&block, queuedEnd_, frames});
        pump();
    }

    void update() override {
        const int64_t played = playedFrames();
        while (!queue_.empty() && queue_.front().endFrame <= played) {
            queue_.front().block->done = true;
            queue_.pop_front();
        }
        pump();
    }

    void reset() override {
        snd_pcm_drop(pcm_);
        snd_pcm_prepare(pcm_);
        for (Entry& entry : queue_) entry.block->done = true;
        queue_.clear();
        queuedEnd_ = handed_ = played_ = 0;
        padding_ = paddingHanded_ = 0;
        tailDeadline_.reset();
        clock_.stop();
    }

    int64_t framesHandedOver() const override { return handed_; }
    void endOfStream() override {
        if (clockless_ || padding_ > 0) return;
        padding_ = format_.rate / 10;
        pump();
    }
    bool failed() const override { return failed_; }
    void setGain(int32_t gainQ24) override { gain_ = gainQ24; }

private:
    struct Entry {
        OutputBlock* block;
        int64_t endFrame;  // running frame count at the end of this block
        int32_t frames;
    };

    // Recovers from an underrun or a suspend; any other error, or one that
    // recovery cannot mend, means the device is gone.
    void recover(int err) {
        if (err == -EAGAIN) return;
        if ((err != -EPIPE && err != -ESTRPIPE && err != -EINTR) ||
            snd_pcm_recover(pcm_, err, 1) < 0) {
            failed_ = true;
        }
    }

    // Room in the device's ring buffer, in frames.
    int64_t room() {
        if (clockless_) return bufferFrames_ - (handed_ - clock_.framesAt(handed_));
        snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
        if (avail < 0) {
            recover(static_cast<int>(avail));
            avail = failed_ ? 0 : snd_pcm_avail_update(pcm_);
        }
        return avail < 0 ? 0 : avail;
    }

    // The frames of `entry` from `offset` on, through the program's gain.
    const int16_t* samplesOf(const Entry& entry, int64_t offset, int64_t count) {
        const int16_t* from = entry.block->samples.data() + offset * format_.channels;
        if (gain_ == kUnityGainQ24) return from;
        const size_t samples = static_cast<size_t>(count) * static_cast<size_t>(format_.channels);
        if (scaled_.size() < samples) scaled_.resize(samples);  // grows once, to one block
        applyProgramGain(from, scaled_.data(), samples, gain_);
        return scaled_.data();
    }

    // Hands queued frames to ALSA as far as there is room; never blocks.
    void pump() {
        if (failed_) return;
        for (const Entry& entry : queue_) {
            if (entry.endFrame <= handed_) continue;
            const int64_t space = room();
            if (space <= 0) break;
            const int64_t start = entry.endFrame - entry.frames;
            const int64_t offset = handed_ - start;
            const int64_t count = std::min(space, entry.endFrame - handed_);
            if (clockless_ && !clock_.running()) clock_.restart(handed_);
            const snd_pcm_sframes_t done = snd_pcm_writei(
                pcm_, samplesOf(entry, offset, count), static_cast<snd_pcm_uframes_t>(count));
            if (done < 0) {
                recover(static_cast<int>(done));
                break;
            }
            handed_ += done;
            if (done > 0) tailDeadline_.reset();
            if (handed_ < entry.endFrame) break;  // the ring is full
        }
        if (handed_ == queuedEnd_) pumpPadding();
        // Start only with audio in the ring: an empty start would underrun
        // at once and report a stale end.
        if (!clockless_ && !failed_ && handed_ + paddingHanded_ > played_ &&
            snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) {
            snd_pcm_start(pcm_);
        }
    }

    // Hands the closing silence to the device as far as there is room.
    void pumpPadding() {
        // A stream that already ran dry has played its end; recovering it
        // for the silence would drop what the server still holds.
        if (snd_pcm_state(pcm_) == SND_PCM_STATE_XRUN) return;
        while (!failed_ && paddingHanded_ < padding_) {
            const int64_t count = std::min(room(), padding_ - paddingHanded_);
            if (count <= 0) return;
            const size_t samples = static_cast<size_t>(count) * static_cast<size_t>(format_.channels);
            if (silence_.size() < samples) silence_.assign(samples, 0);
            const snd_pcm_sframes_t done =
                snd_pcm_writei(pcm_, silence_.data(), static_cast<snd_pcm_uframes_t>(count));
            if (done < 0) {
                recover(static_cast<int>(done));
                return;
            }
            paddingHanded_ += done;
        }
    }

    // Frames the device has finished playing since open or reset.
    int64_t playedFrames() {
        int64_t played = played_;
        if (clockless_) {
            played = clock_.framesAt(handed_);
        } else if (!failed_) {
            played = devicePlayed();
        }
        played_ = std::max(played_, std::min(played, handed_));
        return played_;
    }

    int64_t devicePlayed() {
        const snd_pcm_state_t state = snd_pcm_state(pcm_);
        switch (state) {
            case SND_PCM_STATE_XRUN:
                // With more to hand over, restart at once (what was handed
                // over has played); the next pump refills the ring.
                if (handed_ < queuedEnd_) {
                    recover(-EPIPE);
                    tailDeadline_.reset();
                    return handed_;
                }
                break;  // the end of the stream: the server may still be playing its last frames
            case SND_PCM_STATE_DISCONNECTED:
                failed_ = true;
                return played_;
            case SND_PCM_STATE_RUNNING:
            case SND_PCM_STATE_DRAINING:
                break;
            default:
                return played_;  // prepared: nothing has started yet
        }
        snd_pcm_sframes_t delay = 0;
        const int err = snd_pcm_delay(pcm_, &delay);
        if (err == -EPIPE) return handed_;
        if (err < 0) {
            recover(err);
            return played_;
        }
        // The closing silence sits behind the real audio in the delay.
        delay = std::clamp<snd_pcm_sframes_t>(delay - paddingHanded_, 0, handed_);
        if (handed_ < queuedEnd_) return handed_ - delay;
        return tailPlayed(delay);
    }

    // Nothing is left to hand over and the device still reports `delay`.
    int64_t tailPlayed(int64_t delay) {
        const Clock::time_point now = Clock::now();
        const Clock::time_point due =
            now + std::chrono::microseconds(delay * 1000000 / format_.rate) + kTailSlack;
        if (!tailDeadline_ || due < *tailDeadline_) tailDeadline_ = due;
        return now >= *tailDeadline_ ? handed_ : handed_ - delay;
    }

    snd_pcm_t* pcm_;
    PcmFormat format_;
    bool clockless_;
    int64_t bufferFrames_;
    IdealClock clock_;
    std::deque<Entry> queue_;
    std::vector<int16_t> scaled_;
    std::vector<int16_t> silence_;
    int64_t padding_ = 0;        // frames of closing silence asked for
    int64_t paddingHanded_ = 0;  // of which handed to the device
    int64_t queuedEnd_ = 0;
    int64_t handed_ = 0;
    int64_t played_ = 0;
    std::optional<Clock::time_point> tailDeadline_;
    int32_t gain_ = kUnityGainQ24;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<OutputStream> makeAlsaOutput(snd_pcm_t* pcm, PcmFormat format, bool clockless,
                                             int64_t bufferFrames) {
    return std::make_unique<AlsaOutput>(pcm, format, clockless, bufferFrames);
}

}  // namespace typix
