#pragma once
// The application object of the program's normal mode.  In this order:
//  1. handOverToRunningInstance(): a second start gives its command line to
//     the running instance (which restores and raises its window) and ends;
//     a first start takes the single-instance socket.
//  2. startFirstInstance(): GMT time zone, data folders resolved and created,
//     the Qt interface poster installed.
//  3. attachFrame(): the main window's two hooks; requests from later starts
//     reach it, and once the event loop runs (the window is up) the process's
//     own command line is imported.
//  4. attachSessionEnd(): the main window's work is ended the way Exit ends
//     it, whatever ends the program (below).
//
// The command line is kept as the bytes the process received: a file name
// need not be UTF-8 ("M\xfcller.wav" from an old share) and must still name
// the same file when it is imported or handed over.
//
// Ways the program ends, each of which saves the typing first:
//  - Exit, or the window closed: the event loop ends (aboutToQuit);
//  - SIGTERM, SIGHUP or SIGINT (shutdown, logout, a closed terminal, Ctrl+C):
//    closed as Exit does; a second such signal while it closes ends the
//    process at once;
//  - the desktop session's save request before logout (commitDataRequest):
//    the typing is saved, since the session may end the process after it;
//  - exit() called while the loop runs (the toolkit does so when the display
//    connection is lost).
// Interface thread only.
#include <QApplication>

#include <functional>
#include <string>
#include <vector>

#include "ui/QtPoster.h"
#include "ui/QuitSignals.h"
#include "ui/SingleInstance.h"

namespace typix {

class MainFrame;

class MainApplication : public QApplication {
    Q_OBJECT
public:
    MainApplication(int& argc, char** argv);
    ~MainApplication() override;

    // The arguments after the executable joined with single blanks (so an
    // unquoted path with blanks arrives whole); a relative path is made
    // absolute against the current folder.  Bytes in, bytes out.  Empty
    // without arguments.
    static std::string joinedArguments(const std::vector<std::string>& arguments);

    bool handOverToRunningInstance();
    void startFirstInstance();

    using RaiseHook = std::function<void()>;
    using ImportHook = std::function<void(const std::string& path)>;
    void attachFrame(RaiseHook raiseAndRestore, ImportHook importFile);
    // What runs a command sent by `typix --command NAME`; answers whether
    // the name is a command.
    void attachCommands(std::function<bool(const QString& name)> run) {
        instance_.setCommandHandler(std::move(run));
    }

    // `saveWork` saves the typing and leaves the window as it is; `endWork`
    // ends the work as closing the window does (typing saved, playback and
    // the loader stopped) and may run more than once.
    using SessionHook = std::function<void()>;
    void attachSessionEnd(SessionHook saveWork, SessionHook endWork);

    // Both of the above for the program's own window.
    void attachWindow(MainFrame& frame);

private:
    void handleRequest(const QByteArray& path);
    void quitOnSignal();
    void endWork();
    static void endWorkAtExit();

    std::vector<std::string> arguments_;  // as received, the executable's own first
    QtPoster poster_;
    SingleInstance instance_;
    QuitSignals quitSignals_;
    RaiseHook raise_;
    ImportHook import_;
    SessionHook saveWork_;
    SessionHook endWork_;
    bool quitting_ = false;
    bool workEnded_ = false;
};

}  // namespace typix
