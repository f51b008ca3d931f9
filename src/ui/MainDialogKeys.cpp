// The main window's keyboard: every key pressed anywhere in the frame passes
// here first and goes to the window's key tables (KeyboardFilter).  Transport
// keys work wherever the focus is, except that plain keys the typist needs
// while typing (Return, Home, End, the arrows) go to the typing pad when it
// has the focus and Control is up.  When the frame loses the keyboard, the
// keys held in it count as released, since their releases go elsewhere.
#include <QKeyEvent>

#include "ui/KeyboardFilter.h"
#include "ui/MainDialog.h"
#include "ui/TypistControls.h"

namespace typix {

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && watched == window()) {
        if (TypistControls* controls = TypistControls::of(*this)) controls->keys().releaseAll();
        return QWidget::eventFilter(watched, event);
    }
    bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!key || !watched->isWidgetType()) return QWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window() || !isEnabled()) return false;
    auto* k = static_cast<QKeyEvent*>(event);
    bool down = event->type() == QEvent::KeyPress;
    return handleKey(k->key(), k->modifiers(), down, k->isAutoRepeat());
}

bool MainDialog::handleKey(int key, Qt::KeyboardModifiers mods, bool down, bool repeat) {
    TypistControls* controls = TypistControls::of(*this);
    return controls && controls->keys().handle(key, mods, down, repeat);
}

}  // namespace typix
