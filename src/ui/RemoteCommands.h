#pragma once
// Commands another process sends to the running window (`typix --command
// NAME`), so that a desktop whose shortcuts cannot reach a global key grab
// (Wayland) can still drive playback: the user binds the desktop's own
// shortcuts to these command lines.  The same actions serve the desktop's
// media controls.  Interface thread only.
#include <QString>
#include <QStringList>

namespace typix {

class MainDialog;

// play, stop, toggle, slow, fast, back, ahead, start, end, done, next.
const QStringList& remoteCommandNames();
// One line per command with what it does, for --help and the help text.
QString remoteCommandHelp();

// How to bind the desktop's shortcuts to the commands, for GNOME and KDE.
QString desktopShortcutHowTo();

// Runs command `name` in `dialog`; false (and nothing done) for a name that
// is not a command.
bool runRemoteCommand(MainDialog& dialog, const QString& name);

}  // namespace typix
