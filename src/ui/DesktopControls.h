#pragma once
// Control of the window from the rest of the desktop: the media-player
// service on the session bus (MPRIS), the commands of `typix --command`, and
// the system-wide hot keys through the desktop's GlobalShortcuts portal where
// no X11 key grab is possible (Wayland).  Made once the window is up and
// destroyed before it.  Interface thread only.
#include <QObject>
#include <QString>

namespace typix {

class GlobalShortcutsPortal;
class MainDialog;
class MprisService;
class Settings;

class DesktopControls : public QObject {
    Q_OBJECT
public:
    // Over the program's process-wide settings().
    explicit DesktopControls(MainDialog& dialog);
    DesktopControls(MainDialog& dialog, const Settings& settings);
    ~DesktopControls() override;

    // A command sent by another process; false for a name that is none.
    bool runCommand(const QString& name);

    MprisService& mpris() { return *mpris_; }

private:
    MainDialog& dialog_;
    MprisService* mpris_;
    GlobalShortcutsPortal* portal_;
};

}  // namespace typix
