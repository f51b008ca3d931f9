#include "sound/LSoundPlayer.h"

#include <algorithm>
#include <cmath>

#include "sound/LevelMeasures.h"
#include "sound/ProgramVolume.h"
#include "sound/SampleTypes.h"
#include "sound/TimeUnits.h"

namespace typix {

LSoundPlayer::LSoundPlayer(Poster* poster) : poster_(poster) {
    window_ = std::make_unique<PostWindow>([this](uint32_t message, uintptr_t, intptr_t) {
        if (message == kNotifyMessage) dispatch();
    }, poster);
}

LSoundPlayer::~LSoundPlayer() {
    stop();
    window_.reset();
    finish();
}

int32_t LSoundPlayer::position() {
    LLock guard(playerLock_);
    return position_;
}

std::string LSoundPlayer::deviceName(int index) {
    const std::vector<std::string> names = soundDriver().deviceNames(StreamDirection::Output);
    if (index < 0) index = 0;
    return static_cast<size_t>(index) < names.size() ? names[static_cast<size_t>(index)] : std::string();
}

int8_t LSoundPlayer::meanSquareLevel(int32_t meanSquare) {
    if (meanSquare == 0) return -127;
    // 1.1920903375594525e-7 is 1 / 8388626, the mean square of a full-scale sine.
    const long level = std::lround(10.0 * std::log10(meanSquare * 1.1920903375594525e-7));
    return static_cast<int8_t>(std::clamp<long>(level, -127, 127));
}

void LSoundPlayer::setVolume(int levelDb) {
    LLock guard(playerLock_);
    gainQ24_ = programGainQ24(levelDb);
    if (output_) output_->setGain(gainQ24_);
}

int32_t LSoundPlayer::timeOf(int32_t frames) const { return framesToTime(frames, rate_); }

bool LSoundPlayer::play(const LSoundSource& source) {
    stop();
    if (!poster_ && !interfacePoster()) return false;
    if (!source.usable()) return false;
    if (!openDevice(source)) return false;
    state_.store(kOpen | kQueueFilling);
    pending_.store(0);
    feedingEnded_ = false;
    nextHeader_ = 0;
    idlePolls_ = 0;
    position_ = source_->getPosition();
    const int32_t startTime = timeOf(position_);
    start(ThreadPriority::Lowest);
    if (notify_) notify_->onStarted(cookie_);
    if (notify_) notify_->onPosition(startTime, cookie_);
    return true;
}

// Opens the device for the source's format and allocates the block buffers.
// On failure nothing stays open and no source is held.
bool LSoundPlayer::openDevice(const LSoundSource& source) {
    channels_ = static_cast<uint8_t>(source->channels());
    rate_ = source->sampleRate();
    output_ = soundDriver().openOutput(device_, PcmFormat{channels_, rate_}, nullptr);
    if (!output_) return false;
    {
        LLock guard(playerLock_);
        output_->setGain(gainQ24_);
    }
    source_ = source;
    blockFrames_ = std::clamp<int32_t>(rate_ / 10, 20, 8192);
    const size_t samples = static_cast<size_t>(blockFrames_) * channels_;
    conversion_.assign(samples, 0);
    for (Header& header : headers_) {
        header.block.samples.assign(samples, 0);
        header.block.done = true;
        header.user = kNoPosition;
        header.levels = LevelRecord{};
    }
    return true;
}

void LSoundPlayer::closeDevice() {
    if (output_) output_->reset();
    output_.reset();
    for (Header& header : headers_) {
        header.block.samples = {};
        header.block.done = true;
        header.user = kNoPosition;
    }
    conversion_ = {};
    source_.reset();
}

void LSoundPlayer::stop() {
    if (state_.load() == 0) return;
    // finish() rather than a bounded wait: the feeding body uses the buffers
    // freed below, so it must have ended before they go.
    finish();
    {
        LLock guard(playerLock_);
        closeDevice();
        state_.store(0);
        pending_.store(0);
        position_ = 0;
    }
    if (notify_) notify_->onStopped(cookie_);
    if (levelsWanted_ && notify_) {
        const LevelRecord empty;
        notify_->onLevels(&empty, cookie_);
    }
}

void LSoundPlayer::setPosition(int32_t frame) {
    if (state_.load() == 0) return;
    int32_t now = 0;
    bool restart = false;
    {
        LLock guard(playerLock_);
        output_->reset();
        for (Header& header : headers_) header.user = kNoPosition;
        source_->setPosition(frame);
        position_ = source_->getPosition();
        now = position_;
        nextHeader_ = 0;
        idlePolls_ = 0;
        setPriority(ThreadPriority::Lowest);
        state_.fetch_or(kQueueFilling);
        pending_.store(0);
        restart = feedingEnded_;
        feedingEnded_ = false;
    }
    // The feeding thread may have ended by itself at the end of play, and the
    // pending end of play was just cleared: feed again, or the player would
    // stay open and silent for ever.
    if (restart) {
        finish();
        start(ThreadPriority::Lowest);
    }
    if (notify_) notify_->onPosition(timeOf(now), cookie_);
}

void LSoundPlayer::postPending(uint16_t bits) {
    pending_.fetch_or(bits);
    window_->post(kNotifyMessage);
}

void LSoundPlayer::run() {
    bool ended = false;
    while (!ended && !stopRequested()) {
        bool idle = false;
        {
            LLock guard(playerLock_);
            ended = !feedStep(&idle);
        }
        if (idle) pause(kPollMilliseconds);
    }
    LLock guard(playerLock_);
    if (output_) output_->reset();
}

// One poll step under the player lock.  Returns false when play has ended
// (the source is exhausted and every block has played).
bool LSoundPlayer::feedStep(bool* idle) {
    output_->update();
    if (output_->failed()) {
        // The device is gone: nothing queued will play, so play ends here
        // with the position of the last block that was heard.
        postPending(kDeviceLost);
        feedingEnded_ = true;
        return false;
    }
    Header& header = headers_[nextHeader_];
    if (!header.block.done) {
        if (state_.load() & kQueueFilling) {
            setPriority(ThreadPriority::Highest);
            state_.fetch_and(static_cast<uint16_t>(~kQueueFilling));
        }
        if (++idlePolls_ > kIdlePollLimit) postPending(kEndOfPlay);
        *idle = true;
        return true;
    }
    if (header.user != kNoPosition) {
        position_ = header.user;
        uint16_t bits = kPositionChanged;
        if (levelsWanted_) {
            currentLevels_ = header.levels;
            bits |= kLevelsChanged;
        }
        postPending(bits);
    }
    if (source_->getPosition() < source_->getLength()) {
        fillHeader(header);
        if (source_->getPosition() >= source_->getLength()) output_->endOfStream();
    } else if (allHeadersDone()) {
        postPending(kEndOfPlay);
        feedingEnded_ = true;
        return false;
    }
    nextHeader_ = static_cast<uint8_t>((nextHeader_ + 1) % kHeaderCount);
    idlePolls_ = 0;
    return true;
}

// Reads one block into `header`, queues the frames that hold audio and
// measures its levels.
void LSoundPlayer::fillHeader(Header& header) {
    const size_t samples = static_cast<size_t>(blockFrames_) * channels_;
    source_.read(conversion_.data(), blockFrames_);
    LSF16::fromInternal(conversion_.data(), header.block.samples.data(), samples);
    const int32_t position = source_->getPosition();
    const int32_t length = source_->getLength();
    if (position < length) {
        output_->write(header.block, blockFrames_);
    } else {
        // The block reached the end: only its first t frames are real audio.
        const int32_t real = blockFrames_ + length - position;
        if (real > 0 && real <= blockFrames_) output_->write(header.block, real);
    }
    header.user = position;
    if (!levelsWanted_) return;
    header.levels.count = channels_;
    for (int c = 0; c < channels_; ++c) {
        header.levels.levels[static_cast<size_t>(c)] =
            meanSquareLevel(channelMeanSquare(c, conversion_.data(), blockFrames_, channels_));
    }
}

bool LSoundPlayer::allHeadersDone() const {
    return std::all_of(headers_.begin(), headers_.end(),
                       [](const Header& header) { return header.block.done; });
}

// Runs on the interface thread for every posted message.
void LSoundPlayer::dispatch() {
    if (state_.load() == 0) return;
    const uint16_t pending = pending_.load();
    if (pending & kDeviceLost) {
        stop();
        return;
    }
    if (pending & kEndOfPlay) {
        int32_t length = 0;
        {
            LLock guard(playerLock_);
            length = source_ ? source_->getLength() : 0;
        }
        if (notify_) notify_->onPosition(timeOf(length), cookie_);
        stop();
        return;
    }
    int32_t position = 0;
    LevelRecord levels;
    {
        LLock guard(playerLock_);
        position = position_;
        levels = currentLevels_;
    }
    if (pending_.fetch_and(static_cast<uint16_t>(~kPositionChanged)) & kPositionChanged) {
        if (notify_) notify_->onPosition(timeOf(position), cookie_);
    }
    if (pending_.fetch_and(static_cast<uint16_t>(~kLevelsChanged)) & kLevelsChanged) {
        if (levelsWanted_ && notify_) notify_->onLevels(&levels, cookie_);
    }
}

}  // namespace typix
