#include "ui/TypePad.h"

#include "ui/CommandIds.h"

namespace typix {

TypePad::TypePad(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(false);
}

std::span<const CommandMenuItem> TypePad::menuItems() {
    static const CommandMenuItem items[] = {
        {"Cu&t\tCtrl+X", cmd::kCut},       {"&Copy\tCtrl+C", cmd::kCopy},
        {"&Paste\tCtrl+V", cmd::kPaste},   {"Copy &All\tCtrl+A", cmd::kCopyAll},
        {nullptr, 0},                      {"&Dispatch\tCtrl+D", cmd::kDispatch},
    };
    return items;
}

void TypePad::copyAll() {
    selectAll();
    copy();
}

}  // namespace typix
