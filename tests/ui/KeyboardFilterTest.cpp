// The window's key tables, and the keys that reach the typing pad.
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "MainWindowFixture.h"
#include "ui/CommandIds.h"
#include "ui/KeyboardFilter.h"

using namespace typix;
using namespace typix::uitest;

namespace {

using A = KeyAction;

KeyContext ctx(bool control, bool pad, bool hotKeys = false, bool keypad = false) {
    KeyContext c;
    c.control = control;
    c.padFocused = pad;
    c.hotKeys = hotKeys;
    c.keypad = keypad;
    return c;
}

TEST(KeyTables, PadRuleLeavesTypingKeysToThePadUnlessControlIsDown) {
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Home, Qt::Key_End, Qt::Key_Left,
                    Qt::Key_Right}) {
        EXPECT_FALSE(keyDownRule(key, ctx(false, true)).consumed) << key;
        EXPECT_FALSE(keyUpRule(key, ctx(false, true)).consumed) << key;
        EXPECT_TRUE(keyDownRule(key, ctx(true, true)).consumed) << key;
        EXPECT_TRUE(keyDownRule(key, ctx(false, false)).consumed) << key;
    }
    // Keys without the pad rule act in the pad too.
    EXPECT_EQ(keyDownRule(Qt::Key_Escape, ctx(false, true)).action, A::Stop);
    EXPECT_EQ(keyDownRule(Qt::Key_F7, ctx(false, true)).action, A::RewindScan);
}

TEST(KeyTables, KeyDownActions) {
    struct Row { int key; KeyContext c; KeyRule expected; };
    const Row rows[] = {
        {Qt::Key_Return, ctx(false, false), {A::PlayIfStopped, 0, true}},
        {Qt::Key_F12, ctx(false, false), {A::Stop, 0, true}},
        {Qt::Key_End, ctx(true, true), {A::GoToEnd, 0, true}},
        {Qt::Key_Home, ctx(false, false), {A::GoToStart, 0, true}},
        {Qt::Key_Right, ctx(false, false), {A::ForwardScan, 0, true}},
        {Qt::Key_F1, ctx(false, true), {A::Command, cmd::kHelpContents, true}},
        {Qt::Key_F3, ctx(false, true), {A::Command, cmd::kLoadFile, true}},
        {Qt::Key_F8, ctx(false, false), {A::ForwardScan, 0, true}},
        {Qt::Key_F9, ctx(false, false), {A::PlayNormal, 0, true}},
        {Qt::Key_F10, ctx(false, false), {A::Command, cmd::kPlaySlow, true}},
        {Qt::Key_F11, ctx(false, false), {A::Command, cmd::kPlayFast, true}},
        {Qt::Key_Delete, ctx(true, true), {A::Command, cmd::kDelete, true}},
        {Qt::Key_Delete, ctx(false, true), {}},
        {Qt::Key_D, ctx(true, false), {A::Command, cmd::kDispatch, true}},
        {Qt::Key_N, ctx(true, false), {A::Command, cmd::kDone, true}},
        {Qt::Key_O, ctx(true, false), {A::Command, cmd::kRecover, true}},
        {Qt::Key_A, ctx(true, true), {A::Command, cmd::kCopyAll, true}},
        {Qt::Key_X, ctx(true, true), {A::Command, cmd::kCut, true}},
        {Qt::Key_L, ctx(true, true), {A::Command, cmd::kDock, true}},
        {Qt::Key_L, ctx(false, true), {}},
        {Qt::Key_B, ctx(true, true), {}},
        {Qt::Key_F5, ctx(false, false), {}},
    };
    for (const Row& r : rows) EXPECT_EQ(keyDownRule(r.key, r.c), r.expected) << r.key;
}

TEST(KeyTables, KeypadDigitsActEvenInThePad) {
    struct Row { int key; A action; };
    for (Row r : {Row{Qt::Key_1, A::GoToEnd}, Row{Qt::Key_4, A::RewindScan}, Row{Qt::Key_5, A::Stop},
                  Row{Qt::Key_6, A::ForwardScan}, Row{Qt::Key_7, A::GoToStart}}) {
        EXPECT_EQ(keyDownRule(r.key, ctx(false, true, false, true)).action, r.action) << r.key;
        EXPECT_FALSE(keyDownRule(r.key, ctx(false, true)).consumed) << "top-row digit " << r.key;
    }
    EXPECT_FALSE(keyDownRule(Qt::Key_2, ctx(false, true, false, true)).consumed);
    EXPECT_EQ(keyUpRule(Qt::Key_4, ctx(false, true, false, true)).action, A::ScanEnd);
    EXPECT_EQ(keyUpRule(Qt::Key_6, ctx(false, true, false, true)).action, A::ScanEnd);
    EXPECT_FALSE(keyUpRule(Qt::Key_5, ctx(false, true, false, true)).consumed);
}

TEST(KeyTables, KeyUpActions) {
    EXPECT_EQ(keyUpRule(Qt::Key_Return, ctx(false, false)).action, A::StopIfHeld);
    EXPECT_EQ(keyUpRule(Qt::Key_Left, ctx(false, false)).action, A::ScanEnd);
    EXPECT_EQ(keyUpRule(Qt::Key_F7, ctx(false, false)).action, A::ScanEndIfRewind);
    EXPECT_EQ(keyUpRule(Qt::Key_F8, ctx(false, false)).action, A::ScanEndIfForward);
    EXPECT_FALSE(keyUpRule(Qt::Key_F9, ctx(false, false)).consumed);
    EXPECT_FALSE(keyUpRule(Qt::Key_Escape, ctx(false, false)).consumed);
}

TEST(KeyTables, GrabbedHotKeysLeaveF7ToF12ToTheHotKeyHandler) {
    for (int key = Qt::Key_F7; key <= Qt::Key_F12; ++key) {
        EXPECT_TRUE(keyDownRule(key, ctx(false, false)).consumed) << key;
        EXPECT_FALSE(keyDownRule(key, ctx(false, false, true)).consumed) << key;
        EXPECT_FALSE(keyUpRule(key, ctx(false, false, true)).consumed) << key;
    }
    EXPECT_EQ(keyDownRule(Qt::Key_Escape, ctx(false, false, true)).action, A::Stop);
    EXPECT_EQ(keyDownRule(Qt::Key_F3, ctx(false, false, true)).action, A::Command);
}

struct PadDeleteTest : MainWindowFixture {
    void key(QWidget* to, int k, Qt::KeyboardModifiers mods) {
        QKeyEvent press(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, k, mods);
        QApplication::sendEvent(to, &release);
    }
};

TEST_F(PadDeleteTest, DeleteAloneDeletesACharacterControlDeleteTheDictation) {
    addDictation("a", 1, 2.0);
    MainDialog& d = open();
    d.show();
    d.activateWindow();
    QPlainTextEdit* pad = d.typingPad();
    pad->setFocus();
    ASSERT_TRUE(waitFor([&] { return pad->hasFocus(); }, 1000));
    pad->setPlainText(QStringLiteral("xy"));
    pad->moveCursor(QTextCursor::Start);
    key(pad, Qt::Key_Delete, Qt::NoModifier);
    EXPECT_EQ(pad->toPlainText().toStdString(), "y");
    EXPECT_TRUE(d.hasDictation());

    answerYes = false;
    key(pad, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(d.hasDictation()) << "not confirmed: kept";
    EXPECT_EQ(pad->toPlainText().toStdString(), "y");
    answerYes = true;
    // A person's second press comes later than a held key's repeat would.
    waitFor([] { return false; }, int(KeyRepeat::kRepeatGapMs) + 20);
    key(pad, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_FALSE(d.hasDictation());
    EXPECT_FALSE(std::filesystem::exists(settings.currentFiles() + "a.wav"));
}

}  // namespace
