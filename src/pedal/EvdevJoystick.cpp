#include "pedal/EvdevJoystick.h"

#include <linux/input.h>

namespace typix {

uint32_t pedalButtons(const std::bitset<kEvdevKeyCount>& keys) {
    PedalPosition p;
    for (uint16_t code = 0; code < kEvdevKeyCount; ++code)
        if (keys.test(code)) applyInputEvent(p, EV_KEY, code, 1);
    return p.buttons;
}

bool EvdevJoystick::open(PedalCaps& caps) {
    if (!device_.openFirst(folder_, isJoystick)) return false;
    if (device_.axisLimits(ABS_X, caps.x) && device_.axisLimits(ABS_Y, caps.y) &&
        device_.axisLimits(ABS_RZ, caps.r))
        return true;
    device_.close();
    return false;
}

bool EvdevJoystick::read(PedalPosition& p) {
    std::bitset<kEvdevKeyCount> keys;
    if (!device_.drain()) return false;
    if (!device_.axisValue(ABS_X, p.x) || !device_.axisValue(ABS_Y, p.y) ||
        !device_.axisValue(ABS_RZ, p.r) || !device_.keyState(keys))
        return false;
    p.buttons = pedalButtons(keys);
    return true;
}

}  // namespace typix
