#pragma once
// Time marks in the typing: Ctrl+T in the typing pad (and the Typing menu's
// "Insert Time Mark") writes the current position at the cursor as
// "[h:mm:ss.t]", the position text without its sign.  Ctrl+G with the cursor
// in or right after a mark, or a double click on one, seeks there: stopped, it
// sets the position; playing, it moves playback.
//
// Made by the main window at set-up as its child; it watches the pad's keys
// and double clicks.  Interface thread only.
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class QPlainTextEdit;

namespace typix {

class MainDialog;

// "[0:01:02.3]" for 1 min 2.3 s (rounded to tenths); negative times count as 0.
QString timeMarkText(int32_t time);
// The time of the mark in `line` that holds `column` or ends right before it
// (a cursor just after the closing bracket); none when there is no mark there.
std::optional<int32_t> timeMarkAt(const QString& line, int column);

class TimeMarks : public QObject {
    Q_OBJECT
public:
    explicit TimeMarks(MainDialog& dialog);

    // The time marks of `dialog`, or null before its set-up.
    static TimeMarks* of(const MainDialog& dialog);

    // Inserts the current position as a mark at the pad's cursor.
    void insertMark();
    // Seeks to the mark at the pad's cursor; false when there is none.
    bool seekToMarkAtCursor();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool seekToMarkAt(int documentPosition);

    MainDialog& dialog_;
    QPlainTextEdit* pad_;
};

}  // namespace typix
