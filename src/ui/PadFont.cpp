#include "ui/PadFont.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>

#include "app/Settings.h"
#include "ui/MainDialog.h"

namespace typix {

PadFont::PadFont(MainDialog& dialog, Settings& settings)
    : QObject(&dialog), settings_(settings), pad_(dialog.typingPad()), own_(pad_->font()) {
    setObjectName(QStringLiteral("PadFont"));
    pad_->installEventFilter(this);
    apply();
}

PadFont* PadFont::of(const MainDialog& dialog) {
    return dialog.findChild<PadFont*>(QStringLiteral("PadFont"), Qt::FindDirectChildrenOnly);
}

int PadFont::size() const {
    const int stored = settings_.padFontSize();
    // A font given in pixels has no point size of its own; ask what it shows.
    if (stored <= 0) return QFontInfo(own_).pointSize();
    return std::clamp(stored, kSmallest, kLargest);
}

void PadFont::apply() {
    QFont font = own_;
    if (settings_.padFontSize() > 0) font.setPointSize(size());
    pad_->setFont(font);
}

void PadFont::store(int points) {
    settings_.setPadFontSize(points);
    apply();
}

void PadFont::step(int points) { store(std::clamp(size() + points, kSmallest, kLargest)); }

void PadFont::reset() { store(0); }

bool PadFont::eventFilter(QObject* watched, QEvent* event) {
    if (watched != pad_ || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Shift is part of Plus on many layouts, and the keypad has its own keys.
    const Qt::KeyboardModifiers mods =
        key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods != Qt::ControlModifier) return false;
    switch (key->key()) {
        case Qt::Key_Plus: case Qt::Key_Equal: step(1); return true;
        case Qt::Key_Minus: step(-1); return true;
        case Qt::Key_0: reset(); return true;
        default: return false;
    }
}

}  // namespace typix
