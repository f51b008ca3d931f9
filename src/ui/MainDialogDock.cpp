// The main window's side of the dictaphone transfer: the Dock button and
// command open the dialog or raise it, and the dialog's notices keep the
// button's pressed state and the file list up to date.
#include <QPushButton>

#include "ui/DockDialog.h"
#include "ui/MainDialog.h"

namespace typix {

DockDialog* MainDialog::dockDialog() const { return dockDialog_.data(); }

void MainDialog::openDock() {
    if (dockDialog_ && dockDialog_->isVisible()) {
        dockDialog_->raise();
        dockDialog_->activateWindow();
        dock_->setChecked(true);
        return;
    }
    delete dockDialog_.data();
    dockDialog_ = new DockDialog(settings_, this);
    // Queued, as the dialog's messages were: the dialog may be closing when it tells.
    connect(dockDialog_, &DockDialog::dockNotify, this,
            [this](int notice, const QString&) { dockNotified(notice); }, Qt::QueuedConnection);
    dockDialog_->show();
    dock_->setChecked(true);
}

// The button shows pressed exactly while the dialog is on screen, so a tape
// filed with Done releases it as well as a cancel does.
void MainDialog::dockNotified(int notice) {
    dock_->setChecked(dockDialog_ && dockDialog_->isVisible());
    if (notice == DockDialog::kTapeFinished) rebuildList();
}

}  // namespace typix
