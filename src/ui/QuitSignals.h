#pragma once
// Turns the signals that ask a program to end (SIGTERM from a shutdown or a
// session end, SIGHUP when the terminal or session goes, SIGINT from Ctrl+C)
// into a Qt signal on the interface thread, so the program can close the way
// Exit does instead of dying with unsaved typing.
//
// The handlers only write the signal number into a pipe (the one thing a
// handler may safely do); a socket notifier reads it on the thread that made
// this object.  One object at a time; release() or the destructor restores
// the handlers that were there before.
#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace typix {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    // Whether the handlers are installed.
    bool active() const { return installed_; }
    // Gives the signals back their earlier handlers (usually: end the
    // process).  Safe to call more than once.
    void release();

signals:
    // One of SIGTERM, SIGHUP, SIGINT arrived.
    void quitRequested(int signalNumber);

private:
    void readPipe();

    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
    struct sigaction previous_[3] = {};
};

}  // namespace typix
