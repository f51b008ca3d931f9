#pragma once
// The foot pedal of the main window: set-up reads "pedaltype" and opens the
// device, then timer 8 polls it (first after 1000 ms, then every 50 ms) and
// turns the pedal presses into play, stop and audible scans.  A type whose
// device is missing stays off until the next set-up.
//
// When a read fails the device is opened again at once; if that fails too
// (unplugged), the pedals count as released, so a scan they held ends, and
// the device is opened again at most once a second (kReopenMs) until it is
// back, grabbed as before: the pedal works again without a trip to the
// settings.  Interface thread only.
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

#include "pedal/PedalDriver.h"
#include "pedal/PedalLogic.h"

namespace typix {

class MainDialog;
class Settings;

class PedalControl : public QObject {
    Q_OBJECT
public:
    using DriverFactory = std::function<std::unique_ptr<PedalDriver>(int type)>;
    using Clock = std::function<int64_t()>;  // milliseconds

    static constexpr int kFirstPollMs = 1000;
    static constexpr int kPollMs = 50;
    static constexpr int64_t kReopenMs = 1000;

    PedalControl(MainDialog& dialog, Settings& settings, DriverFactory factory = {},
                 Clock clock = {});
    ~PedalControl() override;

    void setUp();
    void stop();
    // Replaces where devices come from and the clock (tests); takes effect at
    // the next set-up.
    void setDriverFactory(DriverFactory factory, Clock clock);
    // One poll (timer 8).
    void poll();

    // The pedal type in force: 0 when off or when its device was not found.
    int type() const { return type_; }
    bool polling() const { return timer_.isActive(); }
    // The device stopped answering and has not been opened again yet.
    bool deviceLost() const { return lost_; }

    // Whether the device of `type` can be opened now (type 0 needs none).
    static bool deviceFound(int type);

private:
    bool reopen(int64_t now);
    void loseDevice(int64_t now);
    void act(const PedalsDown& down, int64_t now);

    MainDialog& dialog_;
    Settings& settings_;
    DriverFactory factory_;
    Clock clock_;
    std::unique_ptr<PedalDriver> driver_;
    PedalCaps caps_;
    PedalLogic logic_;
    int type_ = 0;
    bool lost_ = false;
    int64_t lastOpenAttempt_ = 0;  // clock_ time of the last reopen while lost
    QTimer timer_;
};

}  // namespace typix
