#include "sound/LSoundRecorder.h"

#include <algorithm>
#include <cmath>

#include "sound/LevelMeasures.h"
#include "sound/ProgramVolume.h"
#include "sound/SampleTypes.h"
#include "sound/TimeUnits.h"

namespace typix {

namespace {
constexpr int32_t kPauseTail = 7000;  // 0.7 s of silence kept after a pause
constexpr int32_t kStopTail = 500;    // 0.05 s kept after the last sound on stop
}  // namespace

LSoundRecorder::LSoundRecorder(Poster* poster) : poster_(poster) {
    window_ = std::make_unique<PostWindow>([this](uint32_t message, uintptr_t, intptr_t) {
        if (message == kDataMessage) onMessage();
    }, poster);
}

LSoundRecorder::~LSoundRecorder() {
    stop();
    window_.reset();
}

std::string LSoundRecorder::inputDeviceName(int index) {
    const std::vector<std::string> names = soundDriver().deviceNames(StreamDirection::Input);
    if (index < 0) index = 0;
    return static_cast<size_t>(index) < names.size() ? names[static_cast<size_t>(index)] : std::string();
}

int8_t LSoundRecorder::peakDecibels(int32_t peak) {
    if (peak == 0) return -127;
    const long level = std::lround(20.0 * std::log10(peak / 131072.0));
    return static_cast<int8_t>(std::clamp<long>(level, -127, 127));
}

int32_t LSoundRecorder::sinkTime() const {
    return framesToTime(sink_->framesWritten(), sink_->sampleRate());
}

// Cuts the sink back to `time`; a cut that would lengthen it is no cut.
void LSoundRecorder::truncateSink(int32_t time) {
    const int32_t frames = timeToFrames(time, sink_->sampleRate());
    if (frames < sink_->framesWritten()) sink_->truncate(frames);
}

bool LSoundRecorder::start(const LSoundSink& sink, int32_t maximumTime, int activateLevel,
                           int32_t pauseTime) {
    if (state_ != Closed) stop();
    if (!poster_ && !interfacePoster()) return false;
    if (!sink.usable()) return false;
    channels_ = sink->channels();
    blockFrames_ = std::clamp<int32_t>(sink->sampleRate() / 10, 20, 8192);
    PostWindow* window = window_.get();
    input_ = soundDriver().openInput(device_, PcmFormat{channels_, sink->sampleRate()}, blockFrames_,
                                     kBufferCount, [window] { window->post(kDataMessage); }, nullptr);
    if (!input_) return false;
    const size_t samples = static_cast<size_t>(blockFrames_) * static_cast<size_t>(channels_);
    conversion_.assign(samples, 0);
    previous_.assign(samples, 0);
    state_ = Listening;
    sink_ = sink;
    maximumTime_ = maximumTime;
    pauseTime_ = pauseTime;
    const int activate = std::clamp(activateLevel, -128, 127);
    upperLevel_ = static_cast<int8_t>(std::min(activate + 2, 127));
    lowerLevel_ = static_cast<int8_t>(activate < -124 ? -127 : activate - 3);
    lastSound_ = sinkTime();
    if (notify_) notify_->onListening(cookie_);
    if (notify_) notify_->onPosition(lastSound_, cookie_);
    notifyLevels(LevelRecord{});
    return true;
}

void LSoundRecorder::stop() {
    if (state_ == Closed) return;
    input_.reset();  // ends capture and joins the reader
    lastSound_ += kStopTail;
    if (lastSound_ < sinkTime()) truncateSink(lastSound_);
    conversion_ = {};
    previous_ = {};
    sink_.reset();
    state_ = Closed;
    levels_ = LevelRecord{};
    if (notify_) notify_->onStopped(cookie_);
    notifyLevels(LevelRecord{});
}

void LSoundRecorder::notifyLevels(const LevelRecord& levels) {
    if (notify_) notify_->onLevels(&levels, cookie_);
}

// Takes every filled block in order; a stop on the way ends the round.
void LSoundRecorder::onMessage() {
    while (state_ != Closed && input_ && input_->take(raw_)) processBlock();
}

// Peak levels of the first `frames` frames of the block into levels_;
// returns the block level (the louder of the first two channels).
int LSoundRecorder::measureLevels(int32_t frames) {
    levels_.count = static_cast<uint8_t>(channels_);
    for (int c = 0; c < channels_; ++c) {
        levels_.levels[static_cast<size_t>(c)] =
            peakDecibels(channelPeakLevel(c, conversion_.data(), frames, channels_));
    }
    if (channels_ == 1) return levels_.levels[0];
    return std::max(levels_.levels[0], levels_.levels[1]);
}

void LSoundRecorder::setCaptureLevel(int levelDb) { captureGainQ24_ = programGainQ24(levelDb); }

void LSoundRecorder::processBlock() {
    LSF16::toInternal(raw_.data(), conversion_.data(), conversion_.size());
    applyProgramGain(conversion_.data(), conversion_.size(), captureGainQ24_);
    blockLevel_ = measureLevels(blockFrames_);
    if (state_ == Listening) {
        listen();
    } else {
        record();
    }
    // The block just heard is the one before the next, whatever became of it,
    // so a later activation's pre-roll is the audio that really preceded it.
    if (state_ != Closed) previous_.swap(conversion_);
}

void LSoundRecorder::listen() {
    if (blockLevel_ <= upperLevel_) {
        notifyLevels(levels_);
        return;
    }
    const int32_t half = blockFrames_ >> 1;
    blockLevel_ = measureLevels(half);
    if (blockLevel_ > upperLevel_) {
        // Sound from the block's start: half a block of pre-roll from the block before.
        sink_->write(previous_.data() + static_cast<size_t>(half) * static_cast<size_t>(channels_),
                     blockFrames_ - half);
    }
    sink_->write(conversion_.data(), blockFrames_);
    state_ = Recording;
    // The activating block is sound: the pause and stop tails count from it.
    lastSound_ = sinkTime();
    if (notify_) notify_->onActivated(cookie_);
    if (notify_) notify_->onPosition(sinkTime(), cookie_);
    notifyLevels(levels_);
}

void LSoundRecorder::record() {
    sink_->write(conversion_.data(), blockFrames_);
    const int32_t now = sinkTime();
    if (blockLevel_ > lowerLevel_) {
        lastSound_ = now;
    } else if (now - lastSound_ > pauseTime_) {
        truncateSink(lastSound_ + kPauseTail);
        state_ = Listening;
        if (notify_) notify_->onListening(cookie_);
        if (notify_) notify_->onPosition(sinkTime(), cookie_);
        return;
    }
    if (notify_) notify_->onPosition(now, cookie_);
    notifyLevels(levels_);
    if (maximumTime_ > 0 && now > maximumTime_) stop();
}

}  // namespace typix
