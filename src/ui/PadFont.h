#pragma once
// The typing pad's font size: Ctrl+Plus (or Ctrl+=) and Ctrl+Minus in the pad
// make it one point larger or smaller, Ctrl+0 returns to the window's own
// size.  The size is the setting "padfontsize" in points, 0 for the window's
// own; it is written at each change and read again at set-up and after the
// settings dialog.  Made by the main window at set-up as its child.
// Interface thread only.
#include <QFont>
#include <QObject>

class QPlainTextEdit;

namespace typix {

class MainDialog;
class Settings;

class PadFont : public QObject {
    Q_OBJECT
public:
    static constexpr int kSmallest = 6;
    static constexpr int kLargest = 48;

    PadFont(MainDialog& dialog, Settings& settings);

    // The pad font of `dialog`, or null before its set-up.
    static PadFont* of(const MainDialog& dialog);

    // Shows the stored size (0 or out of range stored values: see size()).
    void apply();
    // Makes the font `points` larger (or smaller, negative) and stores it.
    void step(int points);
    void reset();
    // The size in force: the stored one held to kSmallest..kLargest, or the
    // window's own for 0.
    int size() const;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void store(int points);

    Settings& settings_;
    QPlainTextEdit* pad_;
    QFont own_;  // the pad's font as the window gave it
};

}  // namespace typix
