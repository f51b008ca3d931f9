#pragma once
// LSoundPlayer plays one source chain on a sound output device.
//
// A feeding thread pulls 100 ms blocks from the source, converts them to
// 16-bit PCM and queues them on the device, keeping up to 70 blocks (about
// seven seconds) queued so that interface and disk delays never starve the
// device.  Finished blocks are found by polling every 90 ms.  Progress reaches
// the owner through a PostWindow: the feeding thread sets pending bits and
// posts a bare message; the handler runs on the interface thread and calls the
// owner's LSoundPlayerNotify there.
//
// Threading rule, written once:
//  1. play, stop, setPosition, the setters and the destructor belong to the
//     interface thread (the thread that runs the Poster's calls), and so does
//     every notify call.
//  2. The player lock guards the source chain, the device, the headers, the
//     position and the current levels between the feeding thread and the
//     interface thread.  The feeding thread holds it for each whole poll step
//     (one block read and converted); setPosition holds it while it resets.
//  3. The feeding thread never calls the notify.  Pending bits are atomic;
//     the handler takes them and copies the position and levels under the
//     lock, then calls the notify without it (a notify may call stop).
// Failure: play returns false and leaves the player closed (no source held)
// when there is no interface poster, the source is unusable or no device
// opens.  A device that fails while playing (a sound server that died) ends
// play at once, keeping the position where the sound stopped; one that only
// stops completing blocks ends play after 280 idle polls.
//
// Volume: setVolume gives the program's own output level (ProgramVolume.h),
// applied to the samples as the device takes them; the owner leaves it at
// 0 dB when it sets a card's mixer instead.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/LSoundSource.h"
#include "sound/LevelRecord.h"
#include "sound/device/SoundDevice.h"
#include "support/LThread.h"
#include "support/Poster.h"

namespace typix {

// The owner's view of a player.  Slot order matters to nobody but is kept:
// started, stopped, two slots the player never calls, position, levels.
class LSoundPlayerNotify {
public:
    virtual ~LSoundPlayerNotify() = default;
    virtual void onStarted(int32_t /*cookie*/) {}
    virtual void onStopped(int32_t /*cookie*/) {}
    virtual void onUnused1(int32_t /*cookie*/) {}
    virtual void onUnused2(int32_t /*cookie*/) {}
    // time: the played position in 1/10000 s of the source.
    virtual void onPosition(int32_t /*time*/, int32_t /*cookie*/) {}
    virtual void onLevels(const LevelRecord* /*levels*/, int32_t /*cookie*/) {}
};

class LSoundPlayer : public LThread {
public:
    static constexpr int kHeaderCount = 70;
    static constexpr int kPollMilliseconds = 90;
    static constexpr int kIdlePollLimit = 280;
    static constexpr uint32_t kNotifyMessage = 0x400;  // the bare "something is pending" message

    // `poster`: where the notify calls run; null = the process-wide interface poster.
    explicit LSoundPlayer(Poster* poster = nullptr);
    ~LSoundPlayer() override;

    // Stops whatever plays, then plays `source` from its current position.
    bool play(const LSoundSource& source);
    // Stops and notifies on stopped; does nothing (no notify) when closed.
    void stop();
    // Moves playback to source frame `frame` while open and refills the queue.
    void setPosition(int32_t frame);

    // Set before play by the owner.
    void setDevice(int device) { device_ = static_cast<int8_t>(device); }
    void setNotify(LSoundPlayerNotify* notify, int32_t cookie) { notify_ = notify; cookie_ = cookie; }
    void setLevelsWanted(bool wanted) { levelsWanted_ = wanted; }
    // The program's own output level in dB (-127 = off); takes effect on
    // the sound being played and on every later play.
    void setVolume(int levelDb);
    int device() const { return device_; }

    bool isOpen() const { return state_.load() != 0; }
    // Position in source frames at the end of the last finished block.
    int32_t position();

    // Name of output device `index`, or an empty text when there is none.
    static std::string deviceName(int index);

    // Level in decibels of a mean square (reference 8388626 = 0 dB).
    static int8_t meanSquareLevel(int32_t meanSquare);

protected:
    void run() override;

private:
    static constexpr int32_t kNoPosition = INT32_MIN;  // 0x80000000
    static constexpr uint16_t kOpen = 0x01;
    static constexpr uint16_t kQueueFilling = 0x10;
    static constexpr uint16_t kPositionChanged = 0x01;
    static constexpr uint16_t kLevelsChanged = 0x02;
    static constexpr uint16_t kEndOfPlay = 0x04;
    static constexpr uint16_t kDeviceLost = 0x08;

    struct Header {
        OutputBlock block;
        int32_t user = kNoPosition;  // source position at the block's end
        LevelRecord levels;
    };

    bool openDevice(const LSoundSource& source);
    void closeDevice();
    bool feedStep(bool* idle);
    void fillHeader(Header& header);
    bool allHeadersDone() const;
    void postPending(uint16_t bits);
    void dispatch();
    int32_t timeOf(int32_t frames) const;

    LLockObject playerLock_;
    Poster* poster_;
    std::unique_ptr<PostWindow> window_;
    int8_t device_ = 0;
    LSoundPlayerNotify* notify_ = nullptr;
    int32_t cookie_ = 0;
    bool levelsWanted_ = false;
    int32_t position_ = 0;
    std::atomic<uint16_t> state_{0};
    std::atomic<uint16_t> pending_{0};
    LSoundSource source_;
    LevelRecord currentLevels_;
    std::vector<int32_t> conversion_;
    std::unique_ptr<OutputStream> output_;
    int32_t blockFrames_ = 0;
    uint8_t channels_ = 0;
    int32_t rate_ = 0;
    std::array<Header, kHeaderCount> headers_;
    uint8_t nextHeader_ = 0;
    int idlePolls_ = 0;
    int32_t gainQ24_ = 1 << 24;  // under the player lock
    bool feedingEnded_ = false;  // the feeding thread ended at the end of play
};

}  // namespace typix
