#include "pedal/UsbPedal.h"

#include "pedal/EvdevJoystick.h"

namespace typix {

bool UsbPedal::open(PedalCaps& caps) {
    caps = {};
    bool found = device_.openFirst(folder_, [](const EvdevInfo& info) {
        return isKnownUsbPedal(info.vendor, info.product);
    });
    if (!found) found = device_.openFirst(folder_, hasThreePedalButtons);
    if (!found) return false;
    grabbed_ = device_.grab(true);
    return true;
}

bool UsbPedal::read(PedalPosition& p) {
    std::bitset<kEvdevKeyCount> keys;
    if (!device_.drain() || !device_.keyState(keys)) return false;
    p = {};
    p.buttons = pedalButtons(keys);
    return true;
}

}  // namespace typix
