#pragma once
// LSoundRecorder: a voice-activated recorder from a sound input device into a
// sink (normally a 16-bit PCM wave file).
//
// It listens until the input rises above an activate level, records, goes back
// to listening after a pause of silence (cutting the silent tail off the
// sink, keeping 0.7 s), and stops by itself after a maximum time; on stop the
// sink ends 0.05 s after the last sound.
//
// Threading rule, written once:
//  1. The device's reader thread only fills 100 ms blocks (40 buffers) and
//     posts a bare message to the recorder's PostWindow.
//  2. Everything else runs on the interface thread (the thread that runs the
//     Poster's calls): start, stop, the setters, taking blocks in order,
//     levels, activation, writing the sink and every notify call.  No lock.
// Failure: start returns false and stays closed when there is no interface
// poster, the sink is empty or failed, or no input device opens.  A device
// that stops delivering simply stops the recording's progress.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/LSoundSink.h"
#include "sound/LevelRecord.h"
#include "sound/device/SoundDevice.h"
#include "support/Poster.h"

namespace typix {

// The owner's view of a recorder, in slot order.
class LSoundRecorderNotify {
public:
    virtual ~LSoundRecorderNotify() = default;
    // Sound rose above the upper level; recording begins.
    virtual void onActivated(int32_t /*cookie*/) {}
    // The recorder started, or went back to listening after a pause.
    virtual void onListening(int32_t /*cookie*/) {}
    virtual void onStopped(int32_t /*cookie*/) {}
    // time: the sink's recorded length in 1/10000 s.
    virtual void onPosition(int32_t /*time*/, int32_t /*cookie*/) {}
    // One peak level per channel of the last block.
    virtual void onLevels(const LevelRecord* /*levels*/, int32_t /*cookie*/) {}
};

class LSoundRecorder {
public:
    enum State : int32_t { Closed = 0, Listening = 1, Recording = 2 };
    static constexpr int kBufferCount = 40;
    static constexpr uint32_t kDataMessage = 0x3C0;  // "a filled block waits"

    // `poster`: where blocks are processed; null = the process-wide interface poster.
    explicit LSoundRecorder(Poster* poster = nullptr);
    ~LSoundRecorder();
    LSoundRecorder(const LSoundRecorder&) = delete;
    LSoundRecorder& operator=(const LSoundRecorder&) = delete;

    // Starts listening into `sink`.  maximumTime and pauseTime in 1/10000 s
    // (maximumTime <= 0: no limit); activateLevel in dB.
    bool start(const LSoundSink& sink, int32_t maximumTime, int activateLevel, int32_t pauseTime);
    // Stops, trims the sink to 0.05 s after the last sound, releases it and
    // notifies on stopped and on (empty) levels.  Safe when closed.
    void stop();

    // Set by the owner before start.  The record source and level are for
    // the owner's call to mixerSetRecordingInput.
    void setDevice(int device) { device_ = static_cast<int8_t>(device); }
    void setRecordSource(int source) { recordSource_ = static_cast<int8_t>(source); }
    void setRecordLevel(int level) { recordLevel_ = static_cast<int8_t>(level); }
    // The program's own capture level in dB (ProgramVolume.h), applied to
    // every block before its levels are measured; 0 dB (the default) leaves
    // the samples as the device gave them.  Any time, interface thread.
    void setCaptureLevel(int levelDb);
    void setNotify(LSoundRecorderNotify* notify, int32_t cookie) { notify_ = notify; cookie_ = cookie; }
    int device() const { return device_; }
    int recordSource() const { return recordSource_; }
    int recordLevel() const { return recordLevel_; }

    State state() const { return state_; }
    int upperLevel() const { return upperLevel_; }
    int lowerLevel() const { return lowerLevel_; }
    const LevelRecord& levels() const { return levels_; }

    // Name of input device `index`, or an empty text when there is none.
    static std::string inputDeviceName(int index);
    // Peak (internal scale) in decibels: 20 log10(p / 131072), -127 for 0.
    static int8_t peakDecibels(int32_t peak);

private:
    void onMessage();
    void processBlock();
    int measureLevels(int32_t frames);
    void listen();
    void record();
    int32_t sinkTime() const;
    void truncateSink(int32_t time);
    void notifyLevels(const LevelRecord& levels);

    std::unique_ptr<PostWindow> window_;
    Poster* poster_;
    int8_t device_ = 0;
    int8_t recordSource_ = -1;
    int8_t recordLevel_ = 0;
    LSoundRecorderNotify* notify_ = nullptr;
    int32_t cookie_ = 0;
    State state_ = Closed;
    LSoundSink sink_;
    LevelRecord levels_;
    std::vector<int16_t> raw_;
    std::vector<int32_t> conversion_;
    std::vector<int32_t> previous_;
    std::unique_ptr<InputStream> input_;
    int32_t blockFrames_ = 0;
    int channels_ = 1;
    int32_t maximumTime_ = 0;
    int8_t upperLevel_ = 0;
    int8_t lowerLevel_ = 0;
    int32_t lastSound_ = 0;
    int32_t pauseTime_ = 0;
    int blockLevel_ = -127;
    int32_t captureGainQ24_ = 1 << 24;
};

}  // namespace typix
