#pragma once
// The keys the main window takes before the focused control sees them.
//
// keyDownRule / keyUpRule are the two tables: for a key and the state at the
// time of the key (Control down, keypad, typing pad focused, hot keys
// grabbed) they give the action and whether the key is consumed.  The pad
// rule: with Control up and the focus in the typing pad, Return, Home, End
// and the arrows go to the pad.  While the system-wide hot keys are grabbed,
// F7 to F12 arrive as hot keys instead and the tables leave them alone.
//
// KeyboardFilter runs the actions on the main window, once per physical
// press and release: the repeats of a held key (KeyRepeat) act neither as
// presses nor as releases.  Without detectable auto-repeat a release acts
// only once KeyRepeat::kRepeatGapMs have passed without a press of the same
// key, timed by the filter's own clock.  Interface thread only.
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>

#include "ui/KeyRepeat.h"

namespace typix {

class MainDialog;

enum class KeyAction {
    None,
    PlayIfStopped,     // Return down: play at the current speed unless playing
    StopIfHeld,        // Return up: stop when playing and held more than 700 ms
    Stop,
    GoToEnd,
    GoToStart,
    RewindScan,        // unless a rewind scan runs
    ForwardScan,       // unless a forward scan runs
    ScanEnd,
    ScanEndIfRewind,
    ScanEndIfForward,
    PlayNormal,        // speed 100 %, play
    Command,           // run KeyRule::command
};

struct KeyRule {
    KeyAction action = KeyAction::None;
    int command = 0;
    bool consumed = false;
    bool operator==(const KeyRule&) const = default;
};

struct KeyContext {
    bool control = false;
    bool keypad = false;      // the key came from the numeric keypad
    bool padFocused = false;  // the typing pad has the focus
    bool hotKeys = false;     // F5..F12 are grabbed system-wide
};

// `key` is a Qt::Key value.
KeyRule keyDownRule(int key, const KeyContext& context);
KeyRule keyUpRule(int key, const KeyContext& context);

class KeyboardFilter : public QObject {
    Q_OBJECT
public:
    static constexpr int64_t kHoldMs = 700;
    using Clock = std::function<int64_t()>;  // steady milliseconds

    // `hotKeysGrabbed` tells whether the system-wide keys are in force now.
    // Releases are final as they come when the X connection has detectable
    // auto-repeat.
    KeyboardFilter(MainDialog& dialog, std::function<bool()> hotKeysGrabbed);

    // Returns whether the key was consumed; a repeat is consumed or passed on
    // as its key's first press was, and never acts.  `repeat` is the
    // platform's mark of an auto-repeated event.
    bool handle(int key, Qt::KeyboardModifiers mods, bool down, bool repeat);
    // The window lost the keyboard, so held keys' releases go elsewhere:
    // each held key is released now.
    void releaseAll();

    // Tests: another clock, and whether releases are final as they come.
    void setClock(Clock clock);
    void setReleasesAreFinal(bool on) { repeats_.setReleasesAreFinal(on); }

private:
    void run(const KeyRule& rule, int64_t timeMs);
    void runRelease(int keyId, int64_t timeMs);
    void finishReleases(int pressing = KeyRepeat::kNoKey);
    void scheduleExpiry();
    KeyContext contextFor(Qt::KeyboardModifiers mods) const;

    MainDialog& dialog_;
    std::function<bool()> hotKeysGrabbed_;
    Clock clock_;
    KeyRepeat repeats_;
    std::map<int, KeyContext> contexts_;  // each held or pending key's last context
    QTimer expiry_;                       // ends a pending release
    int64_t pressTime_ = 0;               // when play by Return began (clock_)
};

}  // namespace typix
