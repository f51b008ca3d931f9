#pragma once
// The small interface every pedal driver offers: open the device and learn
// its axis limits, then read its position at each poll.  Drivers: the first
// game-control device (EvdevJoystick), a USB transcription pedal (UsbPedal)
// and a replay of recorded input events (RecordedPedal, for tests and demos).
#include <memory>

#include "pedal/PedalTypes.h"

namespace typix {

class PedalDriver {
public:
    virtual ~PedalDriver() = default;
    // Finds and opens the device; fills the axis limits.  False when there is
    // no device or it cannot be read (the pedal then stays off).
    virtual bool open(PedalCaps& caps) = 0;
    // The current position.  False when the read fails (that poll is skipped).
    virtual bool read(PedalPosition& position) = 0;
    virtual void close() = 0;
};

// The driver a pedal type reads: none for type 0 or an unknown type, the USB
// pedal for type 7, joystick 1 for the others.  `inputFolder` holds the input
// event devices ("/dev/input" on a running system).
std::unique_ptr<PedalDriver> makePedalDriver(int type, const char* inputFolder = "/dev/input");

}  // namespace typix
