#include "ui/PedalControl.h"

#include <QElapsedTimer>

#include "app/Settings.h"
#include "ui/MainDialog.h"

namespace typix {

PedalControl::PedalControl(MainDialog& dialog, Settings& settings, DriverFactory factory,
                           Clock clock)
    : QObject(&dialog),
      dialog_(dialog),
      settings_(settings),
      factory_(std::move(factory)),
      clock_(std::move(clock)) {
    setObjectName(QStringLiteral("PedalControl"));
    if (!factory_) factory_ = [](int type) { return makePedalDriver(type); };
    if (!clock_) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        clock_ = [started] { return int64_t(started->elapsed()); };
    }
    connect(&timer_, &QTimer::timeout, this, [this] {
        timer_.setInterval(kPollMs);
        poll();
    });
}

PedalControl::~PedalControl() = default;

void PedalControl::setDriverFactory(DriverFactory factory, Clock clock) {
    if (factory) factory_ = std::move(factory);
    if (clock) clock_ = std::move(clock);
}

void PedalControl::setUp() {
    timer_.stop();
    driver_.reset();
    type_ = settings_.pedalType();
    if (type_ == 0) return;
    driver_ = factory_(type_);
    caps_ = {};
    if (!driver_ || !driver_->open(caps_)) {
        driver_.reset();
        type_ = 0;
        return;
    }
    logic_ = PedalLogic(type_);
    logic_.reset();
    lost_ = false;
    timer_.start(kFirstPollMs);
}

void PedalControl::stop() {
    if (type_ == 0) return;
    timer_.stop();
    // The device is given back (a grabbed USB pedal works elsewhere again).
    if (driver_) driver_->close();
    driver_.reset();
}

void PedalControl::poll() {
    if (!driver_) return;
    int64_t now = clock_();
    if (lost_ && !reopen(now)) return;
    PedalPosition position;
    if (!driver_->read(position)) {
        loseDevice(now);
        return;
    }
    act(pedalsDown(type_, caps_, position), now);
}

void PedalControl::loseDevice(int64_t now) {
    driver_->close();
    lastOpenAttempt_ = now;
    if (driver_->open(caps_)) return;  // a passing failure: only this poll is skipped
    lost_ = true;
    // The device is gone, so nothing is held any more.
    act(PedalsDown{}, now);
}

bool PedalControl::reopen(int64_t now) {
    if (now - lastOpenAttempt_ < kReopenMs) return false;
    lastOpenAttempt_ = now;
    driver_->close();
    if (!driver_->open(caps_)) return false;
    lost_ = false;
    return true;
}

void PedalControl::act(const PedalsDown& down, int64_t now) {
    TransportState t{dialog_.isPlaying(), dialog_.forwardScanning(), dialog_.rewindScanning()};
    for (PedalAction action : logic_.poll(down, t, now)) {
        switch (action) {
            case PedalAction::Play: dialog_.playAtSpeed(dialog_.speed()); break;
            case PedalAction::Stop: dialog_.stop(); break;
            case PedalAction::RewindScanStart: dialog_.rewindScanStart(); break;
            case PedalAction::ForwardScanStart: dialog_.forwardScanStart(); break;
            case PedalAction::ScanEnd: dialog_.scanEnd(); break;
        }
    }
}

bool PedalControl::deviceFound(int type) {
    if (type == 0) return true;
    std::unique_ptr<PedalDriver> driver = makePedalDriver(type);
    PedalCaps caps;
    return driver && driver->open(caps);
}

}  // namespace typix
