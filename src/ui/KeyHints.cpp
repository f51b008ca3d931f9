#include "ui/KeyHints.h"

#include <QCoreApplication>
#include <QWidget>

#include "ui/CommandIds.h"
#include "ui/HotKeys.h"
#include "ui/MainDialog.h"
#include "ui/TypistControls.h"

namespace typix {

KeyMode keyModeOf(const MainDialog& dialog) {
    TypistControls* controls = TypistControls::of(dialog);
    return controls && controls->hotKeys().registered() ? KeyMode::HotKeys : KeyMode::WindowKeys;
}

QString scanNotice(KeyMode mode) {
    if (mode == KeyMode::HotKeys)
        return QCoreApplication::translate(
            "typix::KeyHints", "F7 and F8 jump 2 seconds; hold Ctrl+Left or Ctrl+Right (or the "
                               "pedal) to hear the dictation rewind or fast-forward");
    return QCoreApplication::translate(
        "typix::KeyHints", "Hold F7 or F8 to hear the dictation rewind or fast-forward");
}

QString rewindTip(KeyMode mode) {
    return mode == KeyMode::HotKeys
               ? QCoreApplication::translate("typix::KeyHints",
                                             "Rewind (hold Ctrl+Left; F7 jumps 2 s back)")
               : QCoreApplication::translate("typix::KeyHints", "Rewind (hold F7)");
}

QString forwardTip(KeyMode mode) {
    return mode == KeyMode::HotKeys
               ? QCoreApplication::translate("typix::KeyHints",
                                             "Fast Forward (hold Ctrl+Right; F8 jumps 2 s ahead)")
               : QCoreApplication::translate("typix::KeyHints", "Fast Forward (hold F8)");
}

QString playTip() {
    return QCoreApplication::translate("typix::KeyHints", "Play (F9 plays at normal speed)");
}

void showKeyHints(MainDialog& dialog, KeyMode mode) {
    if (QWidget* play = dialog.control(cmd::kPlay)) play->setToolTip(playTip());
    if (QWidget* rewind = dialog.control(cmd::kRewind)) rewind->setToolTip(rewindTip(mode));
    if (QWidget* forward = dialog.control(cmd::kForward)) forward->setToolTip(forwardTip(mode));
}

}  // namespace typix
