#pragma once
// The sound device driver interface: 16-bit PCM output and input streams on a
// device chosen by index (or by name), and the lists of device names.
//
// Device indexes: -1 is the system's default device, 0 is the default device
// too (listed first), then one entry per sound card.  A driver may let an
// environment setting name a device that overrides every index (see
// AlsaDevice.h).
//
// Threading rule, written once:
//  1. An OutputStream is not locked.  Its owner serialises every call (the
//     player calls it from its feeding thread, or from the interface thread
//     while holding the player lock, or after the feeding thread has ended).
//  2. An InputStream runs a reader thread of its own that fills blocks in
//     order and calls the `filled` callback on that thread after each block.
//     take() and the destructor are called by one owner thread (the interface
//     thread); take() may run while the reader fills the next block.
//  3. Destroying a stream stops its device at once (queued output is dropped,
//     capture ends) and, for input, joins the reader thread: the callback is
//     never called after the destructor returns.
// Failures: open functions return null and say why in `error`; a device that
// fails while running stops completing blocks (output) or stops delivering
// them (input).  Nothing throws.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace typix {

// Format of a stream: always 16-bit signed host-order PCM.
struct PcmFormat {
    int channels = 1;
    int32_t rate = 44100;
};

// One queued output buffer, the counterpart of a device header: its owner
// keeps the samples alive while it is queued.  `done` is true while the block
// belongs to its owner (never queued, played, or returned by reset).
struct OutputBlock {
    std::vector<int16_t> samples;  // capacity: frames * channels
    int32_t queuedFrames = 0;      // frames handed to the device by write()
    bool done = true;
};

enum class StreamDirection { Output, Input };

class OutputStream {
public:
    virtual ~OutputStream() = default;
    // Queues the first `frames` frames of `block` behind the blocks already
    // queued and clears its done flag.  The block must stay alive and
    // unchanged until it is done again.
    virtual void write(OutputBlock& block, int32_t frames) = 0;
    // Hands queued audio to the device as far as it has room and marks every
    // block that the device has finished playing as done (oldest first).
    // "Finished" means heard: a block is done only once the device (or the
    // sound server behind it) has played its last frame, so an owner that
    // waits for every block to be done before it resets drops nothing.
    virtual void update() = 0;
    // Drops everything queued; every queued block comes back done at once.
    virtual void reset() = 0;
    // Frames handed to the device since open or the last reset.
    virtual int64_t framesHandedOver() const = 0;
    // No more audio follows until the next reset: the device is to play out
    // everything written, its last frames included.  Never blocks.
    virtual void endOfStream() {}
    // True once the device has gone for good (a sound server that died, a
    // card that was unplugged): no queued block will ever be done.
    virtual bool failed() const { return false; }
    // The program's own output volume: a Q24 gain (kUnityGainQ24 = as is)
    // applied to the samples as they are handed to the device, so a change
    // is heard after the device's own buffer rather than the whole queue.
    // Unity hands the samples over untouched.
    virtual void setGain(int32_t /*gainQ24*/) {}
};

class InputStream {
public:
    using FilledCallback = std::function<void()>;
    virtual ~InputStream() = default;
    // Copies the oldest filled block (blockFrames * channels samples) into
    // `samples` and returns its buffer to the device.  False when no filled
    // block waits.
    virtual bool take(std::vector<int16_t>& samples) = 0;
};

class SoundDriver {
public:
    virtual ~SoundDriver() = default;
    // Names of the devices by index (index 0 first).
    virtual std::vector<std::string> deviceNames(StreamDirection direction) = 0;
    // Stable ids of the same devices, index for index (for ALSA: the PCM
    // names), so a stored choice can be found again after the list changed.
    // Empty when the driver has none.
    virtual std::vector<std::string> deviceIds(StreamDirection /*direction*/) { return {}; }
    // Opens an output stream on device `index` (-1: the default device).
    virtual std::unique_ptr<OutputStream> openOutput(int index, PcmFormat format,
                                                     std::string* error) = 0;
    // Opens and starts capture on device `index`: `blockCount` buffers of
    // `blockFrames` frames; `filled` runs on the reader thread after each block.
    // When every buffer is waiting to be taken, captured audio is dropped.
    virtual std::unique_ptr<InputStream> openInput(int index, PcmFormat format,
                                                   int32_t blockFrames, int blockCount,
                                                   InputStream::FilledCallback filled,
                                                   std::string* error) = 0;
};

// The index of the device whose id is `id` in the current list, or `index`
// when `id` is empty or no longer listed.
int resolveDevice(int index, const std::string& id, StreamDirection direction);
// The id of device `index` (empty when there is none).
std::string deviceIdOf(int index, StreamDirection direction);

// The process-wide driver: ALSA on Linux, unless another was installed.
SoundDriver& soundDriver();
// Installs `driver` (null: back to ALSA) for every later open; returns the
// one installed before.  For benchmarks and diagnostics that wrap the driver;
// call it while no stream is being opened.
SoundDriver* installSoundDriver(SoundDriver* driver);

}  // namespace typix
