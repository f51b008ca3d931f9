#include "ui/PressButton.h"

#include <QMouseEvent>

namespace typix {

PressButton::PressButton(int controlId, QWidget* parent)
    : QPushButton(parent), controlId_(controlId) {
    setObjectName(QString::number(controlId));
}

void PressButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !held_) {
        held_ = true;
        emit pressReport(kPressed, controlId_);
    }
    QPushButton::mousePressEvent(event);
}

void PressButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) endHold();
    QPushButton::mouseReleaseEvent(event);
}

// A hold that loses the mouse some other way (a modal box, the window hidden)
// still ends once, so a scan never runs on without a button held.
void PressButton::focusOutEvent(QFocusEvent* event) {
    if (held_ && event->reason() == Qt::PopupFocusReason) endHold();
    QPushButton::focusOutEvent(event);
}

void PressButton::hideEvent(QHideEvent* event) {
    endHold();
    QPushButton::hideEvent(event);
}

void PressButton::endHold() {
    if (!held_) return;
    held_ = false;
    emit pressReport(kReleased, controlId_);
}

}  // namespace typix
