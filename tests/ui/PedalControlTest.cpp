// The main window driven by a pedal that replays recorded input events, one
// poll per 50 ms of a test clock, against the real player.
#include <linux/input.h>

#include "MainWindowFixture.h"
#include "pedal/RecordedPedal.h"
#include "ui/PedalControl.h"
#include "ui/TypistControls.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct PedalControlTest : MainWindowFixture {
    PedalControl& pedalOf(int type, std::vector<RecordedEvent> events, PedalPosition rest = {},
                          bool found = true) {
        addDictation("a", 1, 20.0);
        settings.setPedalType(type);
        MainDialog& d = open();
        PedalControl& pedal = TypistControls::of(d)->pedal();
        pedal.setDriverFactory(
            [=, this](int) -> std::unique_ptr<PedalDriver> {
                if (!found) return nullptr;
                PedalCaps caps;
                caps.x = caps.y = caps.r = {0, 65535};
                return std::make_unique<RecordedPedal>(caps, rest, events,
                                                       [this] { return now; });
            },
            [this] { return now; });
        pedal.setUp();
        return pedal;
    }
    // Polls every 50 ms of test time up to `until`, letting the player run.
    void pollTo(PedalControl& pedal, int64_t until) {
        for (; now <= until; now += 50) {
            pedal.poll();
            QCoreApplication::processEvents();
        }
    }
    int64_t now = 0;
};

RecordedEvent yAt(int64_t ms, int32_t v) { return {ms, EV_ABS, ABS_Y, v}; }
RecordedEvent key(int64_t ms, uint16_t code, int32_t v) { return {ms, EV_KEY, code, v}; }

PedalPosition restingY() {
    PedalPosition p;
    p.y = 32767;
    return p;
}

TEST_F(PedalControlTest, SetUpStartsPollingAndAMissingDeviceKeepsThePedalOff) {
    PedalControl& pedal = pedalOf(2, {}, restingY());
    EXPECT_EQ(pedal.type(), 2);
    EXPECT_TRUE(pedal.polling());
    pedal.stop();
    EXPECT_FALSE(pedal.polling());

    dialog.reset();
    PedalControl& missing = pedalOf(2, {}, restingY(), false);
    EXPECT_EQ(missing.type(), 0);
    EXPECT_FALSE(missing.polling());
    EXPECT_EQ(settings.pedalType(), 2) << "the stored type is left alone";
}

TEST_F(PedalControlTest, HoldWhileStoppedPlaysScansAndResumesOnRelease) {
    PedalControl& pedal = pedalOf(2, {yAt(100, 65535), yAt(2000, 32767)}, restingY());
    pollTo(pedal, 100);
    ASSERT_TRUE(playing());
    EXPECT_FALSE(dialog->forwardScanning());
    pollTo(pedal, 900);
    EXPECT_TRUE(dialog->forwardScanning());
    pollTo(pedal, 2000);
    EXPECT_TRUE(waitFor([&] { return dialog->isPlaying() && !dialog->forwardScanning(); }));
}

TEST_F(PedalControlTest, HoldWhilePlayingStopsScansAndStaysStopped) {
    PedalControl& pedal = pedalOf(2, {yAt(500, 65535), yAt(2000, 32767)}, restingY());
    dialog->playAtSpeed(100);
    ASSERT_TRUE(playing());
    pollTo(pedal, 500);
    EXPECT_TRUE(waitFor([&] { return !dialog->isPlaying(); }));
    pollTo(pedal, 1300);
    EXPECT_TRUE(dialog->forwardScanning());
    pollTo(pedal, 2100);
    EXPECT_TRUE(waitFor([&] { return !dialog->isPlaying(); }));
}

TEST_F(PedalControlTest, UsbPedalsRewindPlayAndForwardWhileHeld) {
    PedalControl& pedal = pedalOf(7, {key(100, BTN_0, 1), key(500, BTN_0, 0),
                                      key(1000, BTN_1, 1), key(2000, BTN_1, 0),
                                      key(2500, BTN_2, 1), key(3000, BTN_2, 0)});
    pollTo(pedal, 100);
    EXPECT_TRUE(dialog->rewindScanning());
    pollTo(pedal, 500);
    EXPECT_TRUE(waitFor([&] { return !dialog->isPlaying(); })) << "was stopped before the scan";
    pollTo(pedal, 1000);
    EXPECT_TRUE(playing());
    pollTo(pedal, 2000);
    EXPECT_TRUE(waitFor([&] { return !dialog->isPlaying(); })) << "stops on release";
    pollTo(pedal, 2500);
    EXPECT_TRUE(dialog->forwardScanning());
    pollTo(pedal, 3000);
    EXPECT_TRUE(waitFor([&] { return !dialog->forwardScanning(); }));
}

TEST_F(PedalControlTest, AnUnpluggedPedalEndsItsScanAndWorksAgainWhenPluggedBack) {
    addDictation("a", 1, 20.0);
    settings.setPedalType(kUsbPedalType);
    MainDialog& d = open();
    PedalControl& pedal = TypistControls::of(d)->pedal();
    RecordedPedal* device = nullptr;
    pedal.setDriverFactory(
        [&](int) -> std::unique_ptr<PedalDriver> {
            // Left pedal held from 100 ms; the cable is pulled at 1000 and
            // plugged back at 2500, with the left pedal up and the middle one down.
            auto p = std::make_unique<RecordedPedal>(
                PedalCaps{}, PedalPosition{},
                std::vector<RecordedEvent>{key(100, BTN_0, 1), key(1500, BTN_0, 0),
                                           key(2600, BTN_1, 1)},
                [this] { return now; });
            p->unplug(1000, 2500);
            device = p.get();
            return p;
        },
        [this] { return now; });
    pedal.setUp();
    d.setPosition(100000);
    pollTo(pedal, 950);
    ASSERT_TRUE(d.rewindScanning());
    pollTo(pedal, 1000);
    EXPECT_TRUE(pedal.deviceLost());
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); })) << "a pedal that is gone is up";
    pollTo(pedal, 2550);
    EXPECT_FALSE(d.isPlaying());
    pollTo(pedal, 2600 + 1000);
    EXPECT_FALSE(pedal.deviceLost());
    EXPECT_TRUE(playing()) << "the middle pedal plays again within a second of the replug";
    // Set-up, at once on the failure, then at 2000 and 3000: once a second.
    EXPECT_EQ(device->openAttempts(), 4);
}

}  // namespace
