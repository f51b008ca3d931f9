#pragma once
// Saves the typing while the typist works, so that a crash of the program or
// the machine loses at most the last two seconds or so.  Two clocks run:
//  - the pause clock restarts with every change and runs out when the typist
//    has paused for `pauseMs` (two seconds), the usual moment of a save;
//  - the interval clock starts with the first change after a save and runs
//    out `intervalMs` later (half a minute), so that typing without a pause
//    is saved as well.
// Whichever runs out first saves when the pad is still modified, and a save
// stops both.  The save function writes the real typing file atomically, so
// the next start simply loads it.  Interface thread; owned by the pad (a child).
#include <QObject>
#include <QTimer>

#include <functional>

class QPlainTextEdit;

namespace typix {

class Autosave : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 30000;
    static constexpr int kDefaultPauseMs = 2000;

    // `intervalMs` <= 0 takes TYPIX_AUTOSAVE_MS from the environment when it
    // is a positive number, else kDefaultIntervalMs; `pauseMs` <= 0 likewise
    // takes TYPIX_AUTOSAVE_PAUSE_MS, else kDefaultPauseMs.
    Autosave(QPlainTextEdit* pad, std::function<void()> save, int intervalMs = 0, int pauseMs = 0);

    int interval() const { return interval_.interval(); }
    int pause() const { return pause_.interval(); }
    bool pending() const { return interval_.isActive() || pause_.isActive(); }

private:
    void changed();
    void due();
    void stopClocks();

    QPlainTextEdit* pad_;
    std::function<void()> save_;
    QTimer interval_;
    QTimer pause_;
};

}  // namespace typix
