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
// KeyboardFilter runs the actions on the main window.  Interface thread only.
#include <QObject>

#include <cstdint>
#include <functional>

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

    // `hotKeysGrabbed` tells whether the system-wide keys are in force now.
    KeyboardFilter(MainDialog& dialog, std::function<bool()> hotKeysGrabbed);

    // Returns whether the key was consumed.  An auto-repeated press acts as a
    // held key does; an auto-repeated release is consumed without acting.
    bool handle(int key, Qt::KeyboardModifiers mods, bool down, bool repeat);

private:
    void run(const KeyRule& rule, bool repeat);

    MainDialog& dialog_;
    std::function<bool()> hotKeysGrabbed_;
    int64_t pressTime_ = 0;  // when play by Return began (ms since 1970)
};

}  // namespace typix
