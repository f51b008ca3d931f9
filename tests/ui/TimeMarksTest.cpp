// Time marks in the typing pad: the text of a mark, finding the mark at the
// cursor, Ctrl+T, Ctrl+G, a double click and the menu command.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "MainWindowFixture.h"
#include "sound/TimeUnits.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/TimeMarks.h"

using namespace typix;
using namespace typix::uitest;

namespace {

TEST(TimeMarkText, IsThePositionTextWithoutItsSign) {
    struct Case { int32_t time; const char* text; } cases[] = {
        {0, "[0:00:00.0]"},
        {12345, "[0:00:01.2]"},
        {12500, "[0:00:01.3]"},           // rounded to tenths like the position text
        {36000000 + 615000, "[1:01:01.5]"},
        {-5000, "[0:00:00.0]"},
    };
    for (const Case& c : cases) EXPECT_EQ(timeMarkText(c.time).toStdString(), c.text) << c.time;
}

TEST(TimeMarkAt, FindsTheMarkThatHoldsOrEndsAtTheCursor) {
    const QString line = QStringLiteral("He said [0:01:02.3] and then [1:00:00.0].");
    //                                   0123456789...        ^19         ^29      ^40
    struct Case { int column; std::optional<int32_t> time; } cases[] = {
        {8, std::nullopt},             // before the bracket: not in the mark
        {9, 623000},                   // just inside
        {15, 623000},
        {19, 623000},                  // right after the closing bracket
        {20, std::nullopt},
        {30, 36000000},
        {40, 36000000},
        {0, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(timeMarkAt(line, c.column), c.time) << c.column;
}

TEST(TimeMarkAt, TextThatOnlyLooksLikeAMarkIsNone) {
    for (const char* text : {"[0:60:00.0]", "[0:00:75.0]", "[0:00:00]", "[0:0:00.0]",
                             "[0:00:00.00]", "(0:00:01.0)", "[99999:00:00.0]"})
        EXPECT_EQ(timeMarkAt(QString::fromLatin1(text), 3), std::nullopt) << text;
}

struct TimeMarksTest : MainWindowFixture {
    QPlainTextEdit* pad() { return dialog->typingPad(); }

    void key(QWidget* to, int k, Qt::KeyboardModifiers mods) {
        QKeyEvent down(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(to, &down);
        QKeyEvent up(QEvent::KeyRelease, k, mods);
        QApplication::sendEvent(to, &up);
    }

    void placeCursor(int at) {
        QTextCursor c = pad()->textCursor();
        c.setPosition(at);
        pad()->setTextCursor(c);
    }
};

TEST_F(TimeMarksTest, CtrlTInsertsTheCurrentPositionAndCtrlGOnItSeeksThere) {
    addDictation("a", 1, 8.0);
    MainDialog& d = open();
    pad()->setPlainText(QStringLiteral("Dear Sir, "));
    placeCursor(10);
    d.setPosition(42000);
    key(pad(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(pad()->toPlainText().toStdString(), "Dear Sir, [0:00:04.2]");
    EXPECT_TRUE(pad()->document()->isModified()) << "the mark is saved with the typing";

    d.setPosition(0);
    key(pad(), Qt::Key_G, Qt::ControlModifier);  // the cursor is right after the mark
    EXPECT_EQ(d.position(), 42000);

    placeCursor(3);  // in "Dear": no mark, nothing moves
    d.setPosition(10000);
    key(pad(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(d.position(), 10000);
}

TEST_F(TimeMarksTest, CtrlGWhilePlayingMovesPlayback) {
    addDictation("a", 1, 8.0);
    MainDialog& d = open();
    pad()->setPlainText(QStringLiteral("[0:00:06.0]"));
    placeCursor(4);
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    key(pad(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(d.isPlaying());
    EXPECT_GE(d.player().position(), timeToFrames(60000, 11025));
    EXPECT_TRUE(waitFor([&] { return d.position() >= 60000; }));
}

TEST_F(TimeMarksTest, ADoubleClickOnAMarkSeeksThere) {
    addDictation("a", 1, 8.0);
    MainDialog& d = open();
    d.resize(600, 500);
    d.show();
    pad()->setPlainText(QStringLiteral("first line\nsee [0:00:03.5] here"));
    const QTextBlock second = pad()->document()->findBlockByNumber(1);
    QTextCursor inside(second);
    inside.setPosition(second.position() + 8);
    const QPoint at = pad()->cursorRect(inside).center();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, pad()->viewport()->mapToGlobal(at),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pad()->viewport(), &dbl);
    EXPECT_EQ(d.position(), 35000);
}

TEST_F(TimeMarksTest, TheTypingMenuItemInsertsAtTheCursorAndNeedsADictation) {
    addDictation("a", 1, 8.0);
    MainFrame frame(settings, makeDevicePlayer());
    QAction* item = frame.action(cmd::kInsertTimeMark);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text().toStdString(), "Insert &Time Mark\tCtrl+T");
    EXPECT_TRUE(item->isEnabled());
    frame.dialog()->setPosition(15000);
    item->trigger();
    EXPECT_EQ(frame.dialog()->typingPad()->toPlainText().toStdString(), "[0:00:01.5]");
    frame.dialog()->command(cmd::kDone);
    EXPECT_FALSE(frame.dialog()->hasDictation());
    EXPECT_FALSE(item->isEnabled());
}

}  // namespace
