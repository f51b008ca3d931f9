#include "ui/KeyboardFilter.h"

#include <QDateTime>
#include <QPlainTextEdit>

#include "ui/CommandIds.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {

constexpr KeyRule eat(KeyAction action, int command = 0) { return {action, command, true}; }
constexpr KeyRule pass() { return {}; }

bool isPadKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Home ||
           key == Qt::Key_End || key == Qt::Key_Left || key == Qt::Key_Right;
}

bool isHotKey(int key) { return key >= Qt::Key_F7 && key <= Qt::Key_F12; }

// The digit of a keypad digit key (Num Lock on); -1 for every other key.
int keypadDigit(int key, const KeyContext& c) {
    return c.keypad && key >= Qt::Key_0 && key <= Qt::Key_9 ? key - Qt::Key_0 : -1;
}

KeyRule controlRule(int key) {
    switch (key) {
        case Qt::Key_Delete: return eat(KeyAction::Command, cmd::kDelete);
        case Qt::Key_A: return eat(KeyAction::Command, cmd::kCopyAll);
        case Qt::Key_C: return eat(KeyAction::Command, cmd::kCopy);
        case Qt::Key_D: return eat(KeyAction::Command, cmd::kDispatch);
        case Qt::Key_N: return eat(KeyAction::Command, cmd::kDone);
        case Qt::Key_O: return eat(KeyAction::Command, cmd::kRecover);
        case Qt::Key_V: return eat(KeyAction::Command, cmd::kPaste);
        case Qt::Key_X: return eat(KeyAction::Command, cmd::kCut);
        case Qt::Key_L: return eat(KeyAction::Command, cmd::kDock);
        default: return pass();
    }
}

}  // namespace

KeyRule keyDownRule(int key, const KeyContext& c) {
    if (isPadKey(key) && !c.control && c.padFocused) return pass();
    if (c.hotKeys && isHotKey(key)) return pass();
    switch (keypadDigit(key, c)) {
        case 1: return eat(KeyAction::GoToEnd);
        case 4: return eat(KeyAction::RewindScan);
        case 5: return eat(KeyAction::Stop);
        case 6: return eat(KeyAction::ForwardScan);
        case 7: return eat(KeyAction::GoToStart);
        default: break;
    }
    switch (key) {
        case Qt::Key_Return: case Qt::Key_Enter: return eat(KeyAction::PlayIfStopped);
        case Qt::Key_Escape: case Qt::Key_F12: return eat(KeyAction::Stop);
        case Qt::Key_End: return eat(KeyAction::GoToEnd);
        case Qt::Key_Home: return eat(KeyAction::GoToStart);
        case Qt::Key_Left: case Qt::Key_F7: return eat(KeyAction::RewindScan);
        case Qt::Key_Right: case Qt::Key_F8: return eat(KeyAction::ForwardScan);
        case Qt::Key_F1: return eat(KeyAction::Command, cmd::kHelpContents);
        case Qt::Key_F3: return eat(KeyAction::Command, cmd::kLoadFile);
        case Qt::Key_F9: return eat(KeyAction::PlayNormal);
        case Qt::Key_F10: return eat(KeyAction::Command, cmd::kPlaySlow);
        case Qt::Key_F11: return eat(KeyAction::Command, cmd::kPlayFast);
        default: return c.control ? controlRule(key) : pass();
    }
}

KeyRule keyUpRule(int key, const KeyContext& c) {
    if (isPadKey(key) && !c.control && c.padFocused) return pass();
    if (c.hotKeys && isHotKey(key)) return pass();
    int digit = keypadDigit(key, c);
    if (digit == 4 || digit == 6) return eat(KeyAction::ScanEnd);
    if (digit >= 0) return pass();
    switch (key) {
        case Qt::Key_Return: case Qt::Key_Enter: return eat(KeyAction::StopIfHeld);
        case Qt::Key_Left: case Qt::Key_Right: return eat(KeyAction::ScanEnd);
        case Qt::Key_F7: return eat(KeyAction::ScanEndIfRewind);
        case Qt::Key_F8: return eat(KeyAction::ScanEndIfForward);
        default: return pass();
    }
}

KeyboardFilter::KeyboardFilter(MainDialog& dialog, std::function<bool()> hotKeysGrabbed)
    : QObject(&dialog), dialog_(dialog), hotKeysGrabbed_(std::move(hotKeysGrabbed)) {
    setObjectName(QStringLiteral("KeyboardFilter"));
}

bool KeyboardFilter::handle(int key, Qt::KeyboardModifiers mods, bool down, bool repeat) {
    KeyContext c;
    c.control = mods & Qt::ControlModifier;
    c.keypad = mods & Qt::KeypadModifier;
    c.padFocused = dialog_.typingPad() && dialog_.typingPad()->hasFocus();
    c.hotKeys = hotKeysGrabbed_ && hotKeysGrabbed_();
    KeyRule rule = down ? keyDownRule(key, c) : keyUpRule(key, c);
    // A held key repeats as release and press pairs; only the last release counts.
    if (!down && repeat) return rule.consumed;
    run(rule, repeat);
    return rule.consumed;
}

void KeyboardFilter::run(const KeyRule& rule, bool repeat) {
    MainDialog& d = dialog_;
    switch (rule.action) {
        case KeyAction::None: break;
        case KeyAction::PlayIfStopped:
            if (!repeat && !d.isPlaying()) {
                d.playAtSpeed(d.speed());
                pressTime_ = QDateTime::currentMSecsSinceEpoch();
            }
            break;
        case KeyAction::StopIfHeld:
            if (QDateTime::currentMSecsSinceEpoch() - pressTime_ > kHoldMs && d.isPlaying())
                d.stop();
            break;
        case KeyAction::Stop: d.stop(); break;
        case KeyAction::GoToEnd: d.goToEnd(); break;
        case KeyAction::GoToStart: d.goToStart(); break;
        case KeyAction::RewindScan: if (!d.rewindScanning()) d.rewindScanStart(); break;
        case KeyAction::ForwardScan: if (!d.forwardScanning()) d.forwardScanStart(); break;
        case KeyAction::ScanEnd: d.scanEnd(); break;
        case KeyAction::ScanEndIfRewind: if (d.rewindScanning()) d.scanEnd(); break;
        case KeyAction::ScanEndIfForward: if (d.forwardScanning()) d.scanEnd(); break;
        // Repeats of the play keys would restart playback at every repeat.
        case KeyAction::PlayNormal: if (!repeat) d.playAtSpeed(100); break;
        case KeyAction::Command:
            if (!repeat) d.command(rule.command);
            break;
    }
}

}  // namespace typix
