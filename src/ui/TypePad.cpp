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
        {QT_TRANSLATE_NOOP("typix::MainDialog", "Cu&t\tCtrl+X"), cmd::kCut},
        {QT_TRANSLATE_NOOP("typix::MainDialog", "&Copy\tCtrl+C"), cmd::kCopy},
        {QT_TRANSLATE_NOOP("typix::MainDialog", "&Paste\tCtrl+V"), cmd::kPaste},
        {QT_TRANSLATE_NOOP("typix::MainDialog", "Copy &All\tCtrl+A"), cmd::kCopyAll},
        {nullptr, 0},
        {QT_TRANSLATE_NOOP("typix::MainDialog", "&Dispatch\tCtrl+D"), cmd::kDispatch},
    };
    return items;
}

void TypePad::copyAll() {
    selectAll();
    copy();
}

}  // namespace typix
