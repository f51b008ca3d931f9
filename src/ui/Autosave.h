#pragma once
// Saves the typing while the typist works, so that a crash of the program or
// the machine loses at most the last half minute.  The first change after a
// save starts the clock; when it runs out and the pad is still modified, the
// save function runs (it writes the real typing file atomically, so the next
// start simply loads it).  Interface thread; owned by the pad (a child).
#include <QObject>
#include <QTimer>

#include <functional>

class QPlainTextEdit;

namespace typix {

class Autosave : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 30000;

    // `intervalMs` <= 0 takes TYPIX_AUTOSAVE_MS from the environment when it
    // is a positive number, else kDefaultIntervalMs.
    Autosave(QPlainTextEdit* pad, std::function<void()> save, int intervalMs = 0);

    int interval() const { return timer_.interval(); }
    bool pending() const { return timer_.isActive(); }

private:
    void changed();
    void due();

    QPlainTextEdit* pad_;
    std::function<void()> save_;
    QTimer timer_;
};

}  // namespace typix
