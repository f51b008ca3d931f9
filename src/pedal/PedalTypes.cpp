#include "pedal/PedalTypes.h"

#include <array>

namespace typix {

namespace {

constexpr std::array<PedalTypeInfo, kPedalTypeCount> kTypes{{
    {"None", "No pedal controls connected."},
    {"Control wired X - Axis Game Port",
     "Suitable for joystick controls and pedals that work like joysticks."},
    {"Control wired Y - Axis Game Port", "Suitable for pedals connected as the joystick Y axis."},
    {"Control wired R - Axis Game Port", "Suitable for \"rudder\" contol pedals."},
    {"Control wired Y + R Game Port",
     "Suitable for MS SideWinder and similar pedals in Separate mode."},
    {"Control wired buttons Game Port",
     "Suitable for Radio Shack (Tandy) pedals wired as Joystick Button 1 and 2 using "
     "Brennick's adapter."},
    {"Control wired Reverse Y - Axis",
     "Suitable to MS Sidewinder Pedals and similar in Combined mode."},
    {"USB transcription foot pedal",
     "Suitable for USB foot pedals with three pedals (left rewind, middle play, right fast "
     "forward)."},
}};

constexpr double kLow = 0.33;
constexpr double kHigh = 0.66;

bool below(int32_t value, const AxisLimits& limits, double factor) {
    return int64_t(value) < axisThreshold(limits, factor);
}

bool above(int32_t value, const AxisLimits& limits, double factor) {
    return int64_t(value) > axisThreshold(limits, factor);
}

}  // namespace

PedalTypeInfo pedalTypeInfo(int type) {
    if (type < 0 || type >= kPedalTypeCount) return {};
    return kTypes[size_t(type)];
}

int64_t axisThreshold(const AxisLimits& limits, double factor) {
    uint32_t range = uint32_t(limits.max) - uint32_t(limits.min);
    return int64_t(limits.min) + int64_t(uint32_t(double(range) * factor));
}

PedalsDown pedalsDown(int type, const PedalCaps& caps, const PedalPosition& p) {
    PedalsDown d;
    switch (type) {
        case 1: d.rewind = below(p.x, caps.x, kLow); d.play = above(p.x, caps.x, kHigh); break;
        case 2: d.rewind = below(p.y, caps.y, kLow); d.play = above(p.y, caps.y, kHigh); break;
        case 3: d.rewind = below(p.r, caps.r, kLow); d.play = above(p.r, caps.r, kHigh); break;
        case 4: d.rewind = below(p.r, caps.r, kHigh); d.play = below(p.y, caps.y, kHigh); break;
        case 5: d.rewind = (p.buttons & 1) != 0; d.play = (p.buttons & 2) != 0; break;
        case 6: d.rewind = above(p.y, caps.y, kHigh); d.play = below(p.y, caps.y, kLow); break;
        case kUsbPedalType:
            d.rewind = (p.buttons & 1) != 0;
            d.play = (p.buttons & 2) != 0;
            d.forward = (p.buttons & 4) != 0;
            break;
        default: break;
    }
    return d;
}

}  // namespace typix
