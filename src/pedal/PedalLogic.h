#pragma once
// The pedal poll as a state machine: each poll takes which pedals are down,
// whether the player plays or scans, and the time, and returns what the
// transport should do.  It keeps the two pedal flags and the press time.
//
// Game-control types (1 to 6):
//  - rewind pedal: pressed starts the audible rewind, released ends it;
//  - play pedal: pressed toggles play and stop; held for more than 700 ms it
//    starts the audible fast-forward, and its release then ends the scan
//    (the transport resumes playback if it played when the scan began).
// USB type (7): the left pedal rewinds and the right pedal fast-forwards
// while held; the middle pedal plays while held and stops on a release after
// more than 700 ms, so that a short tap toggles play and stop.
//
// Interface thread only; no device access.
#include <cstdint>
#include <vector>

#include "pedal/PedalTypes.h"

namespace typix {

enum class PedalAction { Play, Stop, RewindScanStart, ForwardScanStart, ScanEnd };

struct TransportState {
    bool playing = false;
    bool forwardScanning = false;
    bool rewindScanning = false;
};

class PedalLogic {
public:
    static constexpr int64_t kHoldMs = 700;

    explicit PedalLogic(int type = 0) : type_(type) {}

    // Clears both pedal flags (pedal set-up).
    void reset();
    int type() const { return type_; }
    // The press time of the play pedal, in the caller's clock (milliseconds).
    int64_t pressTime() const { return pressTime_; }

    std::vector<PedalAction> poll(const PedalsDown& down, const TransportState& transport,
                                  int64_t nowMs);

private:
    void rewindPedal(bool down, std::vector<PedalAction>& out);
    void forwardPedal(bool down, std::vector<PedalAction>& out);
    void playPedal(bool down, const TransportState& t, int64_t now, std::vector<PedalAction>& out);
    void usbPlayPedal(bool down, const TransportState& t, int64_t now,
                      std::vector<PedalAction>& out);

    int type_;
    bool rewindDown_ = false;
    bool playDown_ = false;
    bool forwardDown_ = false;
    int64_t pressTime_ = 0;
};

}  // namespace typix
