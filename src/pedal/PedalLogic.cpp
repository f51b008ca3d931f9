#include "pedal/PedalLogic.h"

namespace typix {

void PedalLogic::reset() {
    rewindDown_ = false;
    playDown_ = false;
    forwardDown_ = false;
}

std::vector<PedalAction> PedalLogic::poll(const PedalsDown& down, const TransportState& t,
                                          int64_t now) {
    std::vector<PedalAction> out;
    if (type_ <= 0 || type_ >= kPedalTypeCount) return out;
    rewindPedal(down.rewind, out);
    if (type_ == kUsbPedalType) {
        forwardPedal(down.forward, out);
        usbPlayPedal(down.play, t, now, out);
    } else {
        playPedal(down.play, t, now, out);
    }
    return out;
}

void PedalLogic::rewindPedal(bool down, std::vector<PedalAction>& out) {
    if (down && !rewindDown_) {
        out.push_back(PedalAction::RewindScanStart);
        rewindDown_ = true;
    } else if (!down && rewindDown_) {
        out.push_back(PedalAction::ScanEnd);
        rewindDown_ = false;
    }
}

void PedalLogic::forwardPedal(bool down, std::vector<PedalAction>& out) {
    if (down && !forwardDown_) {
        out.push_back(PedalAction::ForwardScanStart);
        forwardDown_ = true;
    } else if (!down && forwardDown_) {
        out.push_back(PedalAction::ScanEnd);
        forwardDown_ = false;
    }
}

void PedalLogic::playPedal(bool down, const TransportState& t, int64_t now,
                           std::vector<PedalAction>& out) {
    if (down && !playDown_) {
        out.push_back(t.playing ? PedalAction::Stop : PedalAction::Play);
        pressTime_ = now;
        playDown_ = true;
    } else if (down) {
        // Held: the forward scan starts once and runs until the release.
        if (now - pressTime_ > kHoldMs && !t.forwardScanning)
            out.push_back(PedalAction::ForwardScanStart);
    } else if (playDown_) {
        if (now - pressTime_ > kHoldMs) out.push_back(PedalAction::ScanEnd);
        playDown_ = false;
    }
}

void PedalLogic::usbPlayPedal(bool down, const TransportState& t, int64_t now,
                              std::vector<PedalAction>& out) {
    if (down && !playDown_) {
        out.push_back(t.playing ? PedalAction::Stop : PedalAction::Play);
        pressTime_ = now;
        playDown_ = true;
    } else if (!down && playDown_) {
        if (now - pressTime_ > kHoldMs && t.playing) out.push_back(PedalAction::Stop);
        playDown_ = false;
    }
}

}  // namespace typix
