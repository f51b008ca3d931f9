#include "pedal/RecordedPedal.h"

#include "pedal/EvdevDevice.h"

namespace typix {

RecordedPedal::RecordedPedal(PedalCaps caps, PedalPosition rest,
                             std::vector<RecordedEvent> events, std::function<int64_t()> clock)
    : caps_(caps), position_(rest), events_(std::move(events)), clock_(std::move(clock)) {}

bool RecordedPedal::open(PedalCaps& caps) {
    ++openAttempts_;
    int64_t now = clock_();
    if (now >= failFrom_) {
        if (now < backAt_) return false;
        failFrom_ = backAt_ = INT64_MAX;  // plugged in again: a fresh device
    }
    caps = caps_;
    open_ = true;
    return true;
}

bool RecordedPedal::read(PedalPosition& position) {
    int64_t now = clock_();
    if (!open_ || now >= failFrom_) return false;
    for (; next_ < events_.size() && events_[next_].timeMs <= now; ++next_) {
        const RecordedEvent& e = events_[next_];
        applyInputEvent(position_, e.type, e.code, e.value);
    }
    position = position_;
    return true;
}

}  // namespace typix
