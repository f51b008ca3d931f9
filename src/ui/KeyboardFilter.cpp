#include "ui/KeyboardFilter.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <algorithm>
#include <memory>

#include "ui/CommandIds.h"
#include "ui/DetectableAutoRepeat.h"
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

// A keypad key is held apart from the same key of the main block.  Qt key
// codes stay below this bit.
constexpr int kKeypadBit = 1 << 30;
int keyId(int key, bool keypad) { return keypad ? key | kKeypadBit : key; }

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
    : QObject(&dialog),
      dialog_(dialog),
      hotKeysGrabbed_(std::move(hotKeysGrabbed)),
      repeats_(detectableAutoRepeat()) {
    setObjectName(QStringLiteral("KeyboardFilter"));
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    clock_ = [started] { return int64_t(started->elapsed()); };
    expiry_.setSingleShot(true);
    connect(&expiry_, &QTimer::timeout, this, [this] {
        finishReleases();
        scheduleExpiry();
    });
}

void KeyboardFilter::setClock(Clock clock) { clock_ = std::move(clock); }

KeyContext KeyboardFilter::contextFor(Qt::KeyboardModifiers mods) const {
    KeyContext c;
    c.control = mods & Qt::ControlModifier;
    c.keypad = mods & Qt::KeypadModifier;
    c.padFocused = dialog_.typingPad() && dialog_.typingPad()->hasFocus();
    c.hotKeys = hotKeysGrabbed_ && hotKeysGrabbed_();
    return c;
}

bool KeyboardFilter::handle(int key, Qt::KeyboardModifiers mods, bool down, bool repeat) {
    KeyContext c = contextFor(mods);
    int id = keyId(key, c.keypad);
    int64_t now = clock_();
    if (down) {
        // A repeat keeps the modifiers of its press; Ctrl+Return right after
        // Return is a press of its own.
        auto last = contexts_.find(id);
        bool modifiersChanged = last != contexts_.end() && last->second.control != c.control;
        finishReleases(modifiersChanged ? KeyRepeat::kFreshPress : id);
        bool repeated = repeats_.press(id, now) || repeat;
        contexts_[id] = c;
        KeyRule rule = keyDownRule(key, c);
        if (!repeated) run(rule, now);
        scheduleExpiry();
        return rule.consumed;
    }
    KeyRule rule = keyUpRule(key, c);
    switch (repeats_.release(id, now, repeat)) {
        case KeyRepeat::Release::Repeat: break;
        case KeyRepeat::Release::Final:
            contexts_.erase(id);
            run(rule, now);
            break;
        case KeyRepeat::Release::Pending:
            contexts_[id] = c;
            scheduleExpiry();
            break;
    }
    return rule.consumed;
}

void KeyboardFilter::releaseAll() {
    int64_t now = clock_();
    for (int id : repeats_.clear()) runRelease(id, now);
    contexts_.clear();
    expiry_.stop();
}

void KeyboardFilter::finishReleases(int pressing) {
    for (const KeyRepeat::FinalRelease& r : repeats_.expire(clock_(), pressing))
        runRelease(r.key, r.timeMs);
}

void KeyboardFilter::runRelease(int id, int64_t time) {
    auto it = contexts_.find(id);
    KeyContext c = it == contexts_.end() ? KeyContext{} : it->second;
    if (it != contexts_.end()) contexts_.erase(it);
    run(keyUpRule(id & ~kKeypadBit, c), time);
}

void KeyboardFilter::scheduleExpiry() {
    std::optional<int64_t> next = repeats_.nextExpiry();
    if (!next) {
        expiry_.stop();
        return;
    }
    expiry_.start(int(std::clamp<int64_t>(*next - clock_(), 1, KeyRepeat::kRepeatGapMs + 1)));
}

void KeyboardFilter::run(const KeyRule& rule, int64_t time) {
    MainDialog& d = dialog_;
    switch (rule.action) {
        case KeyAction::None: break;
        case KeyAction::PlayIfStopped:
            if (!d.isPlaying()) {
                d.playAtSpeed(d.speed());
                pressTime_ = time;
            }
            break;
        case KeyAction::StopIfHeld:
            if (time - pressTime_ > kHoldMs && d.isPlaying()) d.stop();
            break;
        case KeyAction::Stop: d.stop(); break;
        case KeyAction::GoToEnd: d.goToEnd(); break;
        case KeyAction::GoToStart: d.goToStart(); break;
        case KeyAction::RewindScan: if (!d.rewindScanning()) d.rewindScanStart(); break;
        case KeyAction::ForwardScan: if (!d.forwardScanning()) d.forwardScanStart(); break;
        case KeyAction::ScanEnd: d.scanEnd(); break;
        case KeyAction::ScanEndIfRewind: if (d.rewindScanning()) d.scanEnd(); break;
        case KeyAction::ScanEndIfForward: if (d.forwardScanning()) d.scanEnd(); break;
        case KeyAction::PlayNormal: d.playAtSpeed(100); break;
        case KeyAction::Command: d.command(rule.command); break;
    }
}

}  // namespace typix
