// ALSA output stream: a queue of owner blocks in front of the PCM's ring
// buffer.  Blocks are handed to ALSA without blocking as far as the ring has
// room; a block is done once the device has played past its last frame
// (frames handed over minus the device's delay).
#include <alsa/asoundlib.h>

#include <algorithm>
#include <deque>

#include "sound/device/AlsaDevice.h"
#include "sound/device/IdealClock.h"

namespace typix {

namespace {

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
        pump();
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
        clock_.stop();
    }

    int64_t framesHandedOver() const override { return handed_; }

private:
    struct Entry {
        OutputBlock* block;
        int64_t endFrame;  // running frame count at the end of this block
        int32_t frames;
    };

    // Room in the device's ring buffer, in frames.
    int64_t room() {
        if (clockless_) return bufferFrames_ - (handed_ - clock_.framesAt(handed_));
        snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
        if (avail < 0) {
            snd_pcm_recover(pcm_, static_cast<int>(avail), 1);
            avail = snd_pcm_avail_update(pcm_);
        }
        return avail < 0 ? 0 : avail;
    }

    // Hands queued frames to ALSA as far as there is room; never blocks.
    void pump() {
        for (const Entry& entry : queue_) {
            if (entry.endFrame <= handed_) continue;
            const int64_t space = room();
            if (space <= 0) break;
            const int64_t start = entry.endFrame - entry.frames;
            const int64_t offset = handed_ - start;
            const int64_t count = std::min(space, entry.endFrame - handed_);
            if (clockless_ && !clock_.running()) clock_.restart(handed_);
            const snd_pcm_sframes_t done = snd_pcm_writei(
                pcm_, entry.block->samples.data() + offset * format_.channels,
                static_cast<snd_pcm_uframes_t>(count));
            if (done < 0) {
                if (done != -EAGAIN) snd_pcm_recover(pcm_, static_cast<int>(done), 1);
                break;
            }
            handed_ += done;
            if (handed_ < entry.endFrame) break;  // the ring is full
        }
        if (!clockless_ && handed_ > 0 && snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) {
            snd_pcm_start(pcm_);
        }
    }

    // Frames the device has finished playing since open or reset.
    int64_t playedFrames() {
        int64_t played = handed_;
        if (clockless_) {
            played = clock_.framesAt(handed_);
        } else {
            snd_pcm_sframes_t delay = 0;
            if (snd_pcm_delay(pcm_, &delay) == 0 && delay > 0) played = handed_ - delay;
        }
        played_ = std::max(played_, std::min(played, handed_));
        return played_;
    }

    snd_pcm_t* pcm_;
    PcmFormat format_;
    bool clockless_;
    int64_t bufferFrames_;
    IdealClock clock_;
    std::deque<Entry> queue_;
    int64_t queuedEnd_ = 0;
    int64_t handed_ = 0;
    int64_t played_ = 0;
};

}  // namespace

std::unique_ptr<OutputStream> makeAlsaOutput(snd_pcm_t* pcm, PcmFormat format, bool clockless,
                                             int64_t bufferFrames) {
    return std::make_unique<AlsaOutput>(pcm, format, clockless, bufferFrames);
}

}  // namespace typix
