#pragma once
// A USB transcription foot pedal with three pedals (left, middle, right),
// reported as buttons BTN_0 to BTN_2.  Found by its USB ids, else as the
// first input device with those three buttons.  The device is grabbed so that
// pedal presses never reach other programs; when the grab is refused (another
// program holds it) the pedal is still read.
#include <string>

#include "pedal/EvdevDevice.h"
#include "pedal/PedalDriver.h"

namespace typix {

class UsbPedal : public PedalDriver {
public:
    explicit UsbPedal(std::string inputFolder) : folder_(std::move(inputFolder)) {}
    bool open(PedalCaps& caps) override;
    bool read(PedalPosition& position) override;
    void close() override { device_.close(); }
    const EvdevInfo& info() const { return device_.info(); }
    bool grabbed() const { return grabbed_; }

private:
    std::string folder_;
    EvdevDevice device_;
    bool grabbed_ = false;
};

}  // namespace typix
