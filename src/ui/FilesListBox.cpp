#include "ui/FilesListBox.h"

#include <QMouseEvent>

#include "ui/CommandIds.h"

namespace typix {

FilesListBox::FilesListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

std::span<const CommandMenuItem> FilesListBox::menuItems() {
    static const CommandMenuItem items[] = {
        {"&Load Dictation File\tF3", cmd::kLoadFile},
        {"&Dispatch (Reply with Typing)\tCtrl+D", cmd::kDispatch},
        {"Do&ne (No reply)\tCtrl+N", cmd::kDone},
        {"&Delete\tCtrl+Del", cmd::kDelete},
        {"Recover &Old Files\tCtrl+O", cmd::kRecover},
    };
    return items;
}

void FilesListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The entry under the mouse is selected (and loaded) before the menu.
        if (QListWidgetItem* item = itemAt(event->position().toPoint())) setCurrentItem(item);
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

}  // namespace typix
