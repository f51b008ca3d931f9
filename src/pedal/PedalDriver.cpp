#include "pedal/PedalDriver.h"

#include "pedal/EvdevJoystick.h"
#include "pedal/UsbPedal.h"

namespace typix {

std::unique_ptr<PedalDriver> makePedalDriver(int type, const char* inputFolder) {
    if (type <= 0 || type >= kPedalTypeCount) return nullptr;
    if (type == kUsbPedalType) return std::make_unique<UsbPedal>(inputFolder);
    return std::make_unique<EvdevJoystick>(inputFolder);
}

}  // namespace typix
