#pragma once
// The foot pedal types ("pedaltype"): their names and descriptions, and which
// pedal of each type is down for a given position of the device.
//
// Types 1 to 6 read a game-control device (joystick 1): an axis against
// thresholds at a third and two thirds of its range, or buttons 1 and 2.
// Type 7 reads a USB transcription pedal with three buttons.
#include <cstdint>
#include <string_view>

namespace typix {

inline constexpr int kPedalTypeCount = 8;
inline constexpr int kUsbPedalType = 7;

struct PedalTypeInfo {
    std::string_view name;
    std::string_view description;
};

// Name and description of `type`; an empty pair outside 0..kPedalTypeCount-1.
PedalTypeInfo pedalTypeInfo(int type);

// Limits of one absolute axis as the driver reports them.
struct AxisLimits {
    int32_t min = 0;
    int32_t max = 0;
};

// What set-up learns about the device: the limits of the X, Y and R axes.
struct PedalCaps {
    AxisLimits x, y, r;
};

// One reading of the device.  Button bit 0 is joystick button 1 (or the left
// USB pedal), bit 1 button 2 (middle pedal), bit 2 button 3 (right pedal).
struct PedalPosition {
    int32_t x = 0, y = 0, r = 0;
    uint32_t buttons = 0;
};

// min + trunc(range * factor), the range taken as the unsigned 32-bit
// difference max - min (so a device reporting max < min wraps as it always did).
int64_t axisThreshold(const AxisLimits& limits, double factor);

// Which pedals are down.  `forward` is only ever set by the USB type.
struct PedalsDown {
    bool rewind = false;
    bool play = false;
    bool forward = false;
    bool operator==(const PedalsDown&) const = default;
};

// The pedals down for `type` at `position`; none for type 0 or an unknown type.
PedalsDown pedalsDown(int type, const PedalCaps& caps, const PedalPosition& position);

}  // namespace typix
