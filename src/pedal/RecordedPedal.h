#pragma once
// A pedal driver that replays recorded input events against a clock: each
// read applies every event stamped at or before the clock's time.  Used to
// drive the pedal logic without a device.
#include <cstdint>
#include <functional>
#include <vector>

#include "pedal/PedalDriver.h"

namespace typix {

struct RecordedEvent {
    int64_t timeMs;
    uint16_t type;   // EV_ABS or EV_KEY
    uint16_t code;   // ABS_X, BTN_0, ...
    int32_t value;
};

class RecordedPedal : public PedalDriver {
public:
    // `events` in time order; `clock` gives the current time in milliseconds.
    RecordedPedal(PedalCaps caps, PedalPosition rest, std::vector<RecordedEvent> events,
                  std::function<int64_t()> clock);
    bool open(PedalCaps& caps) override;
    bool read(PedalPosition& position) override;
    void close() override { open_ = false; }
    // Unplugged at `fromMs`: reads fail from then on and opens fail until
    // `backMs`, when the device is plugged in again; a read succeeds again
    // only after an open from then on, as with a real device node.
    void unplug(int64_t fromMs, int64_t backMs) {
        failFrom_ = fromMs;
        backAt_ = backMs;
    }
    // Unplugged for good from this time on.
    void failFrom(int64_t timeMs) { unplug(timeMs, INT64_MAX); }
    // Calls of open(), those that failed included.
    int openAttempts() const { return openAttempts_; }

private:
    PedalCaps caps_;
    PedalPosition position_;
    std::vector<RecordedEvent> events_;
    std::function<int64_t()> clock_;
    size_t next_ = 0;
    bool open_ = false;
    int openAttempts_ = 0;
    int64_t failFrom_ = INT64_MAX;
    int64_t backAt_ = INT64_MAX;
};

}  // namespace typix
