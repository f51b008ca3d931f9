// The main window's keyboard: every key pressed anywhere in the frame passes
// here first.  Transport keys work wherever the focus is, except that plain
// keys the typist needs while typing (Return, Home, End, the arrows) go to the
// typing pad when it has the focus and Control is up.
#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "app/Settings.h"
#include "ui/CommandIds.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {
constexpr qint64 kHoldMs = 700;  // a Return held longer than this stops on release
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!key || !watched->isWidgetType()) return QWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window() || !isEnabled()) return false;
    auto* k = static_cast<QKeyEvent*>(event);
    bool down = event->type() == QEvent::KeyPress;
    return handleKey(k->key(), k->modifiers(), down, k->isAutoRepeat());
}

bool MainDialog::padTakesKey(Qt::KeyboardModifiers mods) const {
    return !(mods & Qt::ControlModifier) && pad_->hasFocus();
}

bool MainDialog::handleKey(int key, Qt::KeyboardModifiers mods, bool down, bool repeat) {
    bool keypad = mods & Qt::KeypadModifier;
    bool padKey = (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Home ||
                   key == Qt::Key_End || key == Qt::Key_Left || key == Qt::Key_Right) && !keypad;
    if (padKey && padTakesKey(mods)) return false;
    if (keypad) key = keypadAction(key);
    if (mods & Qt::ControlModifier) return down ? controlKey(key) : controlKeyKnown(key);
    if (down) return keyDown(key, repeat);
    return keyUp(key, repeat);
}

// The number keys of the keypad act without Num Lock: 1 end, 4 rewind,
// 5 stop, 6 forward, 7 start.
int MainDialog::keypadAction(int key) {
    switch (key) {
        case Qt::Key_1: case Qt::Key_End: return Qt::Key_End;
        case Qt::Key_4: case Qt::Key_Left: return Qt::Key_Left;
        case Qt::Key_5: case Qt::Key_Clear: return Qt::Key_Escape;
        case Qt::Key_6: case Qt::Key_Right: return Qt::Key_Right;
        case Qt::Key_7: case Qt::Key_Home: return Qt::Key_Home;
        default: return key;
    }
}

bool MainDialog::keyDown(int key, bool repeat) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!repeat && !isPlaying()) {
                playAtSpeed(speed_);
                pressTime_ = QDateTime::currentMSecsSinceEpoch();
            }
            return true;
        case Qt::Key_Escape: case Qt::Key_F12: stop(); return true;
        case Qt::Key_End: goToEnd(); return true;
        case Qt::Key_Home: goToStart(); return true;
        case Qt::Key_Left: case Qt::Key_F7: if (!rewindScan_) rewindScanStart(); return true;
        case Qt::Key_Right: case Qt::Key_F8: if (!forwardScan_) forwardScanStart(); return true;
        case Qt::Key_F1: command(cmd::kHelpContents); return true;
        case Qt::Key_F3: command(cmd::kLoadFile); return true;
        case Qt::Key_F9: if (!repeat) playAtSpeed(100); return true;
        case Qt::Key_F10: if (!repeat) command(cmd::kPlaySlow); return true;
        case Qt::Key_F11: if (!repeat) command(cmd::kPlayFast); return true;
        default: return false;
    }
}

bool MainDialog::keyUp(int key, bool repeat) {
    // A held key repeats as release and press pairs; only the last release counts.
    if (repeat) return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_F7 ||
                       key == Qt::Key_F8 || key == Qt::Key_Return || key == Qt::Key_Enter;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (QDateTime::currentMSecsSinceEpoch() - pressTime_ > kHoldMs && isPlaying()) stop();
            return true;
        case Qt::Key_Left: case Qt::Key_Right: scanEnd(); return true;
        case Qt::Key_F7: if (rewindScan_) scanEnd(); return true;
        case Qt::Key_F8: if (forwardScan_) scanEnd(); return true;
        default: return false;
    }
}

bool MainDialog::controlKey(int key) {
    switch (key) {
        case Qt::Key_Delete: command(cmd::kDelete); return true;
        case Qt::Key_A: command(cmd::kCopyAll); return true;
        case Qt::Key_C: command(cmd::kCopy); return true;
        case Qt::Key_D: command(cmd::kDispatch); return true;
        case Qt::Key_L: command(cmd::kDock); return true;
        case Qt::Key_N: command(cmd::kDone); return true;
        case Qt::Key_O: command(cmd::kRecover); return true;
        case Qt::Key_V: command(cmd::kPaste); return true;
        case Qt::Key_X: command(cmd::kCut); return true;
        case Qt::Key_Return: case Qt::Key_Enter: return keyDown(Qt::Key_Return, false);
        case Qt::Key_Home: goToStart(); return true;
        case Qt::Key_End: goToEnd(); return true;
        default: return keyDown(key, false);
    }
}

bool MainDialog::controlKeyKnown(int key) {
    switch (key) {
        case Qt::Key_Delete: case Qt::Key_A: case Qt::Key_C: case Qt::Key_D: case Qt::Key_L: case Qt::Key_N:
        case Qt::Key_O: case Qt::Key_V: case Qt::Key_X: case Qt::Key_Home: case Qt::Key_End:
            return true;
        default: return keyUp(key, false);
    }
}

}  // namespace typix
