// The window's own keyboard: transport keys anywhere in the frame, plain keys
// left to the typing pad while it has the focus.
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QThread>

#include "MainWindowFixture.h"
#include "ui/CommandIds.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct MainDialogKeysTest : MainWindowFixture {
    MainDialog& openFocused(QWidget* (*focusOf)(MainDialog&)) {
        addDictation("a", 1, 8.0);
        MainDialog& d = open();
        d.show();
        d.activateWindow();
        QWidget* target = focusOf(d);
        target->setFocus();
        waitFor([&] { return target->hasFocus(); }, 1000);
        return d;
    }
    static void send(QWidget* to, QEvent::Type type, int k, Qt::KeyboardModifiers mods = {},
                     bool repeat = false) {
        QKeyEvent e(type, k, mods, QString(), repeat);
        QApplication::sendEvent(to, &e);
    }
    static QWidget* pad(MainDialog& d) { return d.typingPad(); }
    static QWidget* list(MainDialog& d) { return d.fileList(); }
};

TEST_F(MainDialogKeysTest, ReturnInThePadTypesButWithControlPlays) {
    MainDialog& d = openFocused(pad);
    ASSERT_TRUE(d.typingPad()->hasFocus());
    send(d.typingPad(), QEvent::KeyPress, Qt::Key_Return);
    send(d.typingPad(), QEvent::KeyRelease, Qt::Key_Return);
    EXPECT_FALSE(d.isPlaying());
    EXPECT_EQ(d.typingPad()->toPlainText().toStdString(), "\n");
    send(d.typingPad(), QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(playing());
}

TEST_F(MainDialogKeysTest, ReturnTapTogglesAndHoldPlaysWhileHeld) {
    MainDialog& d = openFocused(list);
    QWidget* w = d.fileList();
    send(w, QEvent::KeyPress, Qt::Key_Return);
    send(w, QEvent::KeyRelease, Qt::Key_Return);
    ASSERT_TRUE(playing()) << "a tap starts playback and it goes on";
    QThread::msleep(750);
    send(w, QEvent::KeyPress, Qt::Key_Return);  // playing: the press does nothing
    send(w, QEvent::KeyRelease, Qt::Key_Return);
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); })) << "released 0.7 s after the press";
}

TEST_F(MainDialogKeysTest, HeldScanKeysScanUntilReleased) {
    MainDialog& d = openFocused(list);
    QWidget* w = d.fileList();
    d.setPosition(30000);
    send(w, QEvent::KeyPress, Qt::Key_F7);
    ASSERT_TRUE(playing());
    EXPECT_TRUE(d.rewindScanning());
    // Auto-repeat arrives as release and press pairs; the scan goes on.
    send(w, QEvent::KeyRelease, Qt::Key_F7, {}, true);
    send(w, QEvent::KeyPress, Qt::Key_F7, {}, true);
    EXPECT_TRUE(d.rewindScanning());
    send(w, QEvent::KeyRelease, Qt::Key_F7);
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); }));

    send(w, QEvent::KeyPress, Qt::Key_Right);
    ASSERT_TRUE(playing());
    EXPECT_TRUE(d.forwardScanning());
    send(w, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); }));
}

TEST_F(MainDialogKeysTest, ArrowsAndHomeBelongToThePad) {
    MainDialog& d = openFocused(pad);
    d.setPosition(30000);
    for (int k : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End}) {
        send(d.typingPad(), QEvent::KeyPress, k);
        send(d.typingPad(), QEvent::KeyRelease, k);
    }
    EXPECT_FALSE(d.isPlaying());
    EXPECT_EQ(d.position(), 30000);
    send(d.typingPad(), QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(d.position(), 0) << "with Control the key is the window's";
}

TEST_F(MainDialogKeysTest, FunctionAndKeypadKeys) {
    MainDialog& d = openFocused(pad);
    settings.setSlowSpeed(40);
    struct Case { int key; Qt::KeyboardModifiers mods; bool playsAfter; int speed; } cases[] = {
        {Qt::Key_F10, {}, true, 40},
        {Qt::Key_F9, {}, true, 100},
        {Qt::Key_5, Qt::KeypadModifier, false, 100},
        {Qt::Key_F11, {}, true, 150},
        {Qt::Key_F12, {}, false, 150},
        {Qt::Key_Escape, {}, false, 150},
    };
    for (auto c : cases) {
        send(d.typingPad(), QEvent::KeyPress, c.key, c.mods);
        send(d.typingPad(), QEvent::KeyRelease, c.key, c.mods);
        EXPECT_EQ(waitFor([&] { return d.isPlaying() == c.playsAfter; }), true) << c.key;
        EXPECT_EQ(d.speed(), c.speed) << c.key;
    }
    send(d.typingPad(), QEvent::KeyPress, Qt::Key_1, Qt::KeypadModifier);
    EXPECT_EQ(d.position(), 80000) << "keypad 1 goes to the end";
    EXPECT_TRUE(d.typingPad()->toPlainText().isEmpty()) << "keypad keys never type";
}

}  // namespace
