// The right-click menus of the file list and the typing pad.  Their items run
// the window's commands; an item is disabled where the command is.
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>

#include "ui/CommandIds.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {
struct Item { const char* text; int id; };
}  // namespace

void MainDialog::showCommandMenu(QWidget* over, QPoint at, bool forList) {
    static const Item listItems[] = {
        {"&Load Dictation File\tF3", cmd::kLoadFile},
        {"&Dispatch (Reply with Typing)\tCtrl+D", cmd::kDispatch},
        {"Do&ne (No reply)\tCtrl+N", cmd::kDone},
        {"&Delete\tCtrl+Del", cmd::kDelete},
        {"Recover &Old Files\tCtrl+O", cmd::kRecover},
    };
    static const Item padItems[] = {
        {"Cu&t\tCtrl+X", cmd::kCut},   {"&Copy\tCtrl+C", cmd::kCopy},
        {"&Paste\tCtrl+V", cmd::kPaste}, {"Copy &All\tCtrl+A", cmd::kCopyAll},
        {nullptr, 0},                   {"&Dispatch\tCtrl+D", cmd::kDispatch},
    };
    QMenu menu(this);
    auto add = [&](const Item& item) {
        if (!item.text) {
            menu.addSeparator();
            return;
        }
        QAction* a = menu.addAction(QString::fromLatin1(item.text));
        a->setEnabled(isCommandEnabled(item.id));
        connect(a, &QAction::triggered, this, [this, id = item.id] { command(id); });
    };
    if (forList)
        for (const Item& i : listItems) add(i);
    else
        for (const Item& i : padItems) add(i);
    menu.exec(over->mapToGlobal(at));
}

// Whether a command can run now; the frame's menu follows the same rule.
bool MainDialog::isCommandEnabled(int id) const {
    switch (id) {
        // These open windows the program does not have yet.
        case cmd::kDispatch: case cmd::kRecover: case cmd::kSettings: case cmd::kDock:
        case cmd::kRewind: case cmd::kForward:
            return false;
        case cmd::kDone: case cmd::kDelete: case cmd::kPlay: case cmd::kPlaySlow:
        case cmd::kPlayFast: case cmd::kStop: case cmd::kStart: case cmd::kEnd:
        case cmd::kCut: case cmd::kCopy: case cmd::kPaste: case cmd::kCopyAll:
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
