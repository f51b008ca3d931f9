#pragma once
// The typist's controls of the main window: the foot pedal, the system-wide
// hot keys and the window's own keys, and the settings dialog that changes
// them.  Made by the window at set-up as its child; set-up registers the hot
// keys (when "hotkeys" is true) and sets the pedal up, clean-up stops the
// pedal and unregisters the keys, and the settings dialog runs with both
// stopped and sets them up again afterwards.  Interface thread only.
#include <QObject>

#include <functional>

#include "ui/PedalControl.h"

namespace typix {

class BGLoad;
class HotKeys;
class KeyboardFilter;
class MainDialog;
class Settings;
class SettingsDialog;

class TypistControls : public QObject {
    Q_OBJECT
public:
    TypistControls(MainDialog& dialog, Settings& settings, BGLoad* loader,
                   PedalControl::DriverFactory pedals = {}, PedalControl::Clock clock = {});

    // The controls of `dialog`, or null before its set-up.
    static TypistControls* of(const MainDialog& dialog);

    void setUp();
    void cleanUp();
    // Command 110.  `run` shows the dialog (modal by default) and returns
    // whether it ended with OK; tests answer it themselves.
    void runSettings();
    std::function<bool(SettingsDialog&)> showSettings;

    PedalControl& pedal() { return *pedal_; }
    HotKeys& hotKeys() { return *hotKeys_; }
    KeyboardFilter& keys() { return *keys_; }

private:
    void registerHotKeys();

    MainDialog& dialog_;
    Settings& settings_;
    BGLoad* loader_;
    PedalControl* pedal_;
    HotKeys* hotKeys_;
    KeyboardFilter* keys_;
};

}  // namespace typix
