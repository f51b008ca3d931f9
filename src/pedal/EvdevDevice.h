#pragma once
// Access to Linux input event devices (evdev): which devices there are, what
// each reports, and its current state through the EVIOCG* queries.  The
// choice of device is made by plain predicates over EvdevInfo so that it can
// be checked without hardware.
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "pedal/PedalTypes.h"

namespace typix {

// Key and axis code spaces of the event interface (KEY_CNT, ABS_CNT).
inline constexpr size_t kEvdevKeyCount = 0x300;
inline constexpr size_t kEvdevAbsCount = 0x40;

struct EvdevInfo {
    std::string path;
    uint16_t vendor = 0, product = 0;
    std::bitset<kEvdevKeyCount> keys;
    std::bitset<kEvdevAbsCount> axes;
    bool accelerometer = false;  // a motion sensor reporting X/Y/Z, not a joystick
};

// The event devices in `folder` ("event0", "event1", ...), in number order.
std::vector<std::string> inputEventPaths(const std::string& folder);

// Reads the identity and capabilities of an open event device.
bool readEvdevInfo(int fd, EvdevInfo& info);

// A game-control device: joystick or gamepad buttons, or absolute X/Y/RZ
// axes on something that is neither a touch surface, a pen nor a sensor.
bool isJoystick(const EvdevInfo& info);
// A USB transcription pedal known by its vendor and product ids.
bool isKnownUsbPedal(uint16_t vendor, uint16_t product);
// Three buttons from BTN_0, as transcription pedals report them.
bool hasThreePedalButtons(const EvdevInfo& info);

// Applies one input event to a position: EV_ABS X, Y, RZ set the axes;
// EV_KEY of the first three joystick, gamepad or BTN_0 buttons set bits 0-2.
void applyInputEvent(PedalPosition& position, uint16_t type, uint16_t code, int32_t value);

// An open event device, closed by the destructor.
class EvdevDevice {
public:
    EvdevDevice() = default;
    ~EvdevDevice();
    EvdevDevice(const EvdevDevice&) = delete;
    EvdevDevice& operator=(const EvdevDevice&) = delete;

    // Opens the first device in `folder` that `accept` takes.
    template <class Accept>
    bool openFirst(const std::string& folder, Accept accept) {
        for (const std::string& path : inputEventPaths(folder)) {
            if (!openPath(path)) continue;
            if (accept(info_)) return true;
            close();
        }
        return false;
    }
    bool openPath(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const EvdevInfo& info() const { return info_; }

    // Exclusive use: events stop reaching every other reader.
    bool grab(bool on);
    // Limits of axis `code`; zeros when the device has no such axis.
    bool axisLimits(uint16_t code, AxisLimits& limits) const;
    bool axisValue(uint16_t code, int32_t& value) const;
    // The state of every key and button.
    bool keyState(std::bitset<kEvdevKeyCount>& keys) const;
    // Reads and drops queued events so that the kernel queue never fills.
    bool drain();

private:
    int fd_ = -1;
    bool grabbed_ = false;
    EvdevInfo info_;
};

}  // namespace typix
