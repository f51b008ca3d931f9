#pragma once
// Joystick 1 over the input event interface: the first input device that
// reports joystick buttons or absolute X/Y/RZ axes.  Axis limits are read at
// open, positions and buttons at every read.
#include <string>

#include "pedal/EvdevDevice.h"
#include "pedal/PedalDriver.h"

namespace typix {

class EvdevJoystick : public PedalDriver {
public:
    explicit EvdevJoystick(std::string inputFolder) : folder_(std::move(inputFolder)) {}
    bool open(PedalCaps& caps) override;
    bool read(PedalPosition& position) override;
    void close() override { device_.close(); }
    const EvdevInfo& info() const { return device_.info(); }

private:
    std::string folder_;
    EvdevDevice device_;
};

// Buttons 1 to 3 of a key state as position bits (joystick, gamepad or
// BTN_0 numbering).
uint32_t pedalButtons(const std::bitset<kEvdevKeyCount>& keys);

}  // namespace typix
