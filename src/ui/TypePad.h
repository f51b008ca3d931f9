#pragma once
// The typing pad: a multi-line plain-text edit (Return starts a new line,
// vertical scroll bar) whose modified flag tells whether the typing must be
// saved.  Its right-click menu is the window's (MainDialog builds it from
// menuItems()).  Interface thread.
#include <QPlainTextEdit>

#include <span>

namespace typix {

struct CommandMenuItem {
    const char* text;  // null for a separator
    int id;
};

class TypePad : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TypePad(QWidget* parent = nullptr);

    // Cut, Copy, Paste, Copy All, separator, Dispatch.
    static std::span<const CommandMenuItem> menuItems();

    // Selects the whole text and copies it; the text stays selected.
    void copyAll();
};

}  // namespace typix
