// The window's own keyboard: transport keys anywhere in the frame, plain keys
// left to the typing pad while it has the focus.
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QThread>

#include "MainWindowFixture.h"
#include "ui/CommandIds.h"
#include "ui/KeyboardFilter.h"
#include "ui/TypistControls.h"

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

// What the X server sends for a held key: the press, then after the repeat
// delay one repeat per period until the release.  Without detectable
// auto-repeat each repeat is a release and press pair, unmarked when the
// toolkit missed the pair; with it, a bare press.
enum class Repeats { UnmarkedPairs, Presses };

struct HeldKeysTest : MainDialogKeysTest {
    static constexpr int64_t kDelayMs = 660;

    KeyboardFilter& filter(Repeats shape) {
        KeyboardFilter& keys = TypistControls::of(*dialog)->keys();
        keys.setClock([this] { return now; });
        keys.setReleasesAreFinal(shape == Repeats::Presses);
        return keys;
    }
    // Holds `key` for `holdMs` of the test clock; `whileHeld` is checked at
    // every repeat.  Returns once the release took effect.
    void hold(int key, Qt::KeyboardModifiers mods, int64_t holdMs, int perSecond, Repeats shape,
              const std::function<bool()>& whileHeld) {
        filter(shape);
        QWidget* w = dialog->fileList();
        send(w, QEvent::KeyPress, key, mods);
        int64_t start = now;
        for (now += kDelayMs; now < start + holdMs; now += 1000 / perSecond) {
            if (shape == Repeats::UnmarkedPairs) send(w, QEvent::KeyRelease, key, mods);
            send(w, QEvent::KeyPress, key, mods);
            QCoreApplication::processEvents();
            EXPECT_TRUE(whileHeld()) << "key " << key << " at " << now - start << " ms";
        }
        now = start + holdMs;
        send(w, QEvent::KeyRelease, key, mods);
        now += KeyRepeat::kRepeatGapMs + 1;
    }
    int64_t now = 0;
};

TEST_F(HeldKeysTest, AHeldScanKeyScansOnceUntilReleased) {
    MainDialog& d = openFocused(list);
    struct Key { int key; Qt::KeyboardModifiers mods; double start; } keys[] = {
        {Qt::Key_Left, {}, -0.5}, {Qt::Key_Right, {}, 0.5},
        {Qt::Key_4, Qt::KeypadModifier, -0.5}, {Qt::Key_6, Qt::KeypadModifier, 0.5},
        {Qt::Key_F7, {}, -0.5}, {Qt::Key_F8, {}, 0.5},
    };
    for (Repeats shape : {Repeats::UnmarkedPairs, Repeats::Presses}) {
        for (int rate : {25, 60}) {
            for (const Key& k : keys) {
                d.setPosition(40000);
                int before = scansStarted(k.start);
                auto scanning = [&] {
                    return k.start < 0 ? d.rewindScanning() : d.forwardScanning();
                };
                hold(k.key, k.mods, 2500, rate, shape, scanning);
                EXPECT_EQ(scansStarted(k.start) - before, 1) << k.key << " at " << rate << "/s";
                EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); }))
                    << k.key << ": the release ends the scan";
            }
        }
    }
}

TEST_F(HeldKeysTest, HeldReturnPlaysOnceAndTheReleaseStops) {
    MainDialog& d = openFocused(list);
    for (Repeats shape : {Repeats::UnmarkedPairs, Repeats::Presses}) {
        for (int rate : {25, 60}) {
            int before = playerStarts;
            hold(Qt::Key_Return, {}, 1500, rate, shape, [&] { return d.isPlaying(); });
            EXPECT_EQ(playerStarts - before, 1) << rate << "/s";
            EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); })) << rate << "/s";
        }
    }
}

TEST_F(HeldKeysTest, HeldKeysCountAsReleasedWhenTheWindowLosesTheKeyboard) {
    MainDialog& d = openFocused(list);
    filter(Repeats::Presses);
    d.setPosition(40000);
    send(d.fileList(), QEvent::KeyPress, Qt::Key_Left);
    ASSERT_TRUE(d.rewindScanning());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(d.window(), &deactivate);
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); })) << "its release went elsewhere";
    int before = scansStarted(-0.5);
    send(d.fileList(), QEvent::KeyPress, Qt::Key_Left);
    EXPECT_EQ(scansStarted(-0.5) - before, 1) << "the next press is a press, not a repeat";
}

}  // namespace
