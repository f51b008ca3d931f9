#pragma once
// The list of the typing queue.  A right click first acts as a left click at
// the same point, so the entry under the mouse becomes the selection (and the
// window loads it) before the right-click menu (menuItems()) is shown.
// Interface thread.
#include <QListWidget>

#include <span>

#include "ui/TypePad.h"

namespace typix {

class FilesListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FilesListBox(QWidget* parent = nullptr);

    // Load Dictation File, Dispatch, Done, Delete, Recover Old Files.
    static std::span<const CommandMenuItem> menuItems();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace typix
