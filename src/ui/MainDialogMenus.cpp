// The right-click menus of the file list and the typing pad.  Their items run
// the window's commands; an item is disabled where the command is.
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>

#include "ui/CommandIds.h"
#include "ui/FilesListBox.h"
#include "ui/MainDialog.h"
#include "ui/TypePad.h"

namespace typix {

void MainDialog::showCommandMenu(QWidget* over, QPoint at, bool forList) {
    QMenu menu(this);
    auto add = [&](const CommandMenuItem& item) {
        if (!item.text) {
            menu.addSeparator();
            return;
        }
        QAction* a = menu.addAction(tr(item.text));
        a->setEnabled(isCommandEnabled(item.id));
        connect(a, &QAction::triggered, this, [this, id = item.id] { command(id); });
    };
    for (const CommandMenuItem& item : forList ? FilesListBox::menuItems() : TypePad::menuItems())
        add(item);
    menu.exec(over->mapToGlobal(at));
}

// Whether a command can run now; the frame's menu follows the same rule.
bool MainDialog::isCommandEnabled(int id) const {
    switch (id) {
        // These open windows the program does not have yet.
        case cmd::kRewind: case cmd::kForward:
            return false;
        case cmd::kDispatch: case cmd::kDone: case cmd::kDelete: case cmd::kPlay: case cmd::kPlaySlow:
        case cmd::kPlayFast: case cmd::kStop: case cmd::kStart: case cmd::kEnd:
        case cmd::kCut: case cmd::kCopy: case cmd::kPaste: case cmd::kCopyAll:
        case cmd::kInsertTimeMark:
            return hasDictation();
        default:
            return true;
    }
}

void MainDialog::connectContextMenus() {
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        // The entry under the mouse becomes the selection (and is loaded) first.
        if (QListWidgetItem* item = list_->itemAt(at)) list_->setCurrentItem(item);
        showCommandMenu(list_->viewport(), at, true);
    });
    pad_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pad_, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { showCommandMenu(pad_->viewport(), at, false); });
}

}  // namespace typix
