#pragma once
// The texts that tell the typist how to scan: the status notice and the tool
// tips of the Play, Rewind and Fast Forward buttons.  They follow the keys in
// force, since F7 and F8 jump 2 seconds while the system-wide hot keys are
// grabbed and run the audible scan only as the window's own keys.
// Interface thread only.
#include <QString>

namespace typix {

class MainDialog;

enum class KeyMode { WindowKeys, HotKeys };

// HotKeys while the system-wide keys of `dialog` are grabbed.
KeyMode keyModeOf(const MainDialog& dialog);

QString scanNotice(KeyMode mode);
QString rewindTip(KeyMode mode);
QString forwardTip(KeyMode mode);
QString playTip();

// Gives the transport buttons of `dialog` the tool tips for `mode`.
void showKeyHints(MainDialog& dialog, KeyMode mode);

}  // namespace typix
