#include "ui/DesktopControls.h"

#include "app/Settings.h"
#include "ui/GlobalShortcutsPortal.h"
#include "ui/HotKeys.h"
#include "ui/MainDialog.h"
#include "ui/MprisService.h"
#include "ui/RemoteCommands.h"
#include "ui/TypistControls.h"

namespace typix {

DesktopControls::DesktopControls(MainDialog& dialog) : DesktopControls(dialog, settings()) {}

DesktopControls::DesktopControls(MainDialog& dialog, const Settings& settings)
    : QObject(&dialog),
      dialog_(dialog),
      mpris_(new MprisService(dialog, settings, this)),
      portal_(new GlobalShortcutsPortal(this)) {
    // The portal stands in for the X11 key grab only where there is none.
    if (!HotKeys::hotKeysAvailable()) {
        connect(portal_, &GlobalShortcutsPortal::activated, this, [this, &settings](int id) {
            TypistControls* controls = TypistControls::of(dialog_);
            if (controls && settings.hotKeys()) controls->hotKeys().trigger(id);
        });
        portal_->start();
    }
}

DesktopControls::~DesktopControls() = default;

bool DesktopControls::runCommand(const QString& name) { return runRemoteCommand(dialog_, name); }

}  // namespace typix
