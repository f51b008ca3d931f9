// The pedal poll fed with recorded input event streams, polled every 50 ms
// against a transport that behaves as the main window's does: a scan stops
// playback and its end resumes playback when the scan began while playing.
#include <gtest/gtest.h>

#include <linux/input.h>

#include <string>
#include <vector>

#include "pedal/PedalLogic.h"
#include "pedal/RecordedPedal.h"

using namespace typix;

namespace {

struct Transport {
    bool playing = false, forward = false, rewind = false, wasPlaying = false;
    int plays = 0;

    void apply(PedalAction a) {
        switch (a) {
            case PedalAction::Play: playing = true; ++plays; break;
            case PedalAction::Stop: playing = forward = rewind = false; break;
            case PedalAction::RewindScanStart:
            case PedalAction::ForwardScanStart:
                if (!forward && !rewind) wasPlaying = playing;
                forward = a == PedalAction::ForwardScanStart;
                rewind = !forward;
                playing = true;
                break;
            case PedalAction::ScanEnd:
                forward = rewind = false;
                playing = wasPlaying;
                if (wasPlaying) ++plays;
                wasPlaying = false;
                break;
        }
    }
    TransportState state() const { return {playing, forward, rewind}; }
};

// Replays `events` through the driver and the logic, one poll per 50 ms.
struct Rig {
    Rig(int type, std::vector<RecordedEvent> events, PedalPosition rest = {})
        : logic(type), pedal(caps(), rest, std::move(events), [this] { return now; }) {
        PedalCaps c;
        pedal.open(c);
        logic.reset();
    }
    static PedalCaps caps() {
        PedalCaps c;
        c.x = c.y = c.r = {0, 65535};
        return c;
    }
    // Polls until `untilMs` (inclusive); returns every action in order.
    std::vector<PedalAction> runTo(int64_t untilMs) {
        std::vector<PedalAction> all;
        for (; now <= untilMs; now += 50) {
            PedalPosition p;
            if (!pedal.read(p)) continue;
            for (PedalAction a : logic.poll(pedalsDown(logic.type(), caps(), p), t.state(), now)) {
                t.apply(a);
                all.push_back(a);
            }
        }
        return all;
    }
    int64_t now = 0;
    Transport t;
    PedalLogic logic;
    RecordedPedal pedal;
};

constexpr int32_t kRest = 32767, kDown = 65535;
using A = PedalAction;
using Actions = std::vector<PedalAction>;

RecordedEvent yAt(int64_t ms, int32_t value) { return {ms, EV_ABS, ABS_Y, value}; }
RecordedEvent keyAt(int64_t ms, uint16_t code, int32_t value) { return {ms, EV_KEY, code, value}; }

PedalPosition restingY() {
    PedalPosition p;
    p.y = kRest;
    return p;
}

TEST(PedalLogic, TypeTwoResting) {
    Rig rig(2, {yAt(100, kRest + 5000), yAt(300, kRest - 5000)}, restingY());
    EXPECT_TRUE(rig.runTo(2000).empty());
}

TEST(PedalLogic, TapWhilePlayingStopsAndTapAgainPlaysFromThere) {
    Rig rig(2, {yAt(100, kDown), yAt(250, kRest), yAt(1000, kDown), yAt(1200, kRest)},
            restingY());
    rig.t.playing = true;
    EXPECT_EQ(rig.runTo(600), (Actions{A::Stop}));
    EXPECT_FALSE(rig.t.playing);
    EXPECT_EQ(rig.runTo(2000), (Actions{A::Play}));
    EXPECT_TRUE(rig.t.playing);
}

TEST(PedalLogic, HoldWhileStoppedPlaysScansAfterHoldAndResumes) {
    Rig rig(2, {yAt(100, kDown), yAt(2000, kRest)}, restingY());
    EXPECT_EQ(rig.runTo(800), (Actions{A::Play})) << "plays at once; 0.7 s not yet over";
    EXPECT_EQ(rig.runTo(850), (Actions{A::ForwardScanStart})) << "more than 700 ms after 100";
    EXPECT_TRUE(rig.runTo(1950).empty()) << "the scan is started once";
    EXPECT_EQ(rig.runTo(2100), (Actions{A::ScanEnd}));
    EXPECT_TRUE(rig.t.playing) << "playback resumes after the scan";
}

TEST(PedalLogic, HoldWhilePlayingStopsScansAndStaysStopped) {
    Rig rig(2, {yAt(100, kDown), yAt(1500, kRest)}, restingY());
    rig.t.playing = true;
    EXPECT_EQ(rig.runTo(1600), (Actions{A::Stop, A::ForwardScanStart, A::ScanEnd}));
    EXPECT_FALSE(rig.t.playing);
}

TEST(PedalLogic, RewindPedalScansWhileHeld) {
    Rig rig(2, {yAt(100, 0), yAt(900, kRest)}, restingY());
    rig.t.playing = true;
    EXPECT_EQ(rig.runTo(1000), (Actions{A::RewindScanStart, A::ScanEnd}));
    EXPECT_TRUE(rig.t.playing);
}

TEST(PedalLogic, ReadFailureSkipsPollsAndKeepsTheFlags) {
    Rig rig(5, {keyAt(100, BTN_TRIGGER, 1), keyAt(400, BTN_TRIGGER, 0)});
    rig.pedal.failFrom(200);
    EXPECT_EQ(rig.runTo(1000), (Actions{A::RewindScanStart})) << "no release seen, no ScanEnd";
}

TEST(PedalLogic, NoneTypeDoesNothing) {
    Rig rig(0, {keyAt(100, BTN_0, 1)});
    EXPECT_TRUE(rig.runTo(500).empty());
}

// USB pedal: BTN_0 left, BTN_1 middle, BTN_2 right.
TEST(UsbPedalLogic, LeftAndRightScanWhileHeld) {
    Rig rig(7, {keyAt(100, BTN_0, 1), keyAt(600, BTN_0, 0), keyAt(1000, BTN_2, 1),
                keyAt(1800, BTN_2, 0)});
    rig.t.playing = true;
    EXPECT_EQ(rig.runTo(700), (Actions{A::RewindScanStart, A::ScanEnd}));
    EXPECT_TRUE(rig.t.playing);
    EXPECT_EQ(rig.runTo(1200), (Actions{A::ForwardScanStart}));
    EXPECT_TRUE(rig.t.forward);
    EXPECT_EQ(rig.runTo(1900), (Actions{A::ScanEnd}));
    EXPECT_TRUE(rig.t.playing);
}

TEST(UsbPedalLogic, MiddleHeldPlaysUntilRelease) {
    Rig rig(7, {keyAt(100, BTN_1, 1), keyAt(2000, BTN_1, 0)});
    EXPECT_EQ(rig.runTo(1950), (Actions{A::Play}));
    EXPECT_TRUE(rig.t.playing);
    EXPECT_EQ(rig.runTo(2100), (Actions{A::Stop}));
}

TEST(UsbPedalLogic, MiddleTapTogglesPlay) {
    Rig rig(7, {keyAt(100, BTN_1, 1), keyAt(200, BTN_1, 0), keyAt(1000, BTN_1, 1),
                keyAt(1100, BTN_1, 0)});
    EXPECT_EQ(rig.runTo(500), (Actions{A::Play}));
    EXPECT_TRUE(rig.t.playing) << "a tap leaves playback running";
    EXPECT_EQ(rig.runTo(1500), (Actions{A::Stop}));
}

}  // namespace
