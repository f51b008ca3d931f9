#pragma once
// System-wide hot keys F5 to F12: key grabs on the X11 root window, so that
// the keys reach this program while another one (the word processor) has the
// focus.  Ids 0 to 5 are F7 to F12, id 6 F5, id 7 F6.  A key that another
// client has grabbed already is simply not available.  Without an X11
// display (a Wayland session, offscreen) nothing is grabbed and the main
// window's own keys stay in force.  A held hot key acts once: its repeats
// (see KeyRepeat) are swallowed.  Interface thread only.
#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QObject>

#include <vector>

#include "ui/KeyRepeat.h"

namespace typix {

class MainDialog;

class HotKeys : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    enum Id { SeekBack = 0, SeekAhead, PlayNormal, PlaySlow, PlayFast, Stop, Restore, Minimize };
    static constexpr int kCount = 8;

    explicit HotKeys(MainDialog& dialog);
    ~HotKeys() override;

    // Whether this session can grab keys system-wide (an X11 display).
    static bool hotKeysAvailable();

    // Grabs F5..F12 on the root window.  Returns whether the keys are in
    // force (false without X11); keys held by another client are skipped.
    bool registerKeys();
    void unregisterKeys();
    bool registered() const { return registered_; }

    // The action of hot key `id` (what a grabbed key press runs).
    void trigger(int id);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        int id;
        unsigned keycode;
    };
    int idOfKeycode(unsigned keycode) const;

    MainDialog& dialog_;
    bool registered_ = false;
    std::vector<Grab> grabs_;
    KeyRepeat repeats_;  // by key code
    QElapsedTimer clock_;
};

}  // namespace typix
