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
// Interface thread only.
#include <QApplication>
#include <QStringList>

#include <functional>

#include "ui/QtPoster.h"
#include "ui/SingleInstance.h"

namespace typix {

class MainApplication : public QApplication {
    Q_OBJECT
public:
    MainApplication(int& argc, char** argv);
    ~MainApplication() override;

    // The arguments after the executable joined with single blanks (so an
    // unquoted path with blanks arrives whole); a relative path is made
    // absolute against the current folder.  Empty without arguments.
    static QString joinedArguments(const QStringList& arguments);

    bool handOverToRunningInstance();
    void startFirstInstance();

    using RaiseHook = std::function<void()>;
    using ImportHook = std::function<void(const QString& path)>;
    void attachFrame(RaiseHook raiseAndRestore, ImportHook importFile);
    // What runs a command sent by `typix --command NAME`; answers whether
    // the name is a command.
    void attachCommands(std::function<bool(const QString& name)> run) {
        instance_.setCommandHandler(std::move(run));
    }

private:
    void handleRequest(const QString& path);

    QtPoster poster_;
    SingleInstance instance_;
    RaiseHook raise_;
    ImportHook import_;
};

}  // namespace typix
