#pragma once
// The list of the typing queue.  A right click first acts as a left click at
// the same point, so the entry under the mouse becomes the selection (and the
// window loads it) before the right-click menu (menuItems()) is shown.
// Interface thread.
//
// Every entry carries its dictation's base name (the bytes of the file name,
// which need not be UTF-8) beside its text.  The text "base: name" is for the
// eye only: a base name may itself hold ':' ("Meeting 10:30"), so it is never
// parsed back out of the text.  RecoverDialog's list uses the same entries.
#include <QListWidget>

#include <span>
#include <string>

#include "ui/TypePad.h"

namespace typix {

class FilesListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FilesListBox(QWidget* parent = nullptr);

    // Load Dictation File, Dispatch, Done, Delete, Recover Old Files.
    static std::span<const CommandMenuItem> menuItems();

    // Appends an entry showing `text` ("base: name") that carries `base`.
    static QListWidgetItem* addEntry(QListWidget* list, const std::string& text,
                                     const std::string& base);
    // The base name an entry carries; "" for none.
    static std::string baseOf(const QListWidgetItem* item);
    // The row of the entry carrying exactly `base` (letter case counts), or -1.
    static int rowOf(const QListWidget* list, const std::string& base);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace typix
