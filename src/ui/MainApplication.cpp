#include "ui/MainApplication.h"

#include <QDir>
#include <QLockFile>
#include <QTimer>

#include "app/Startup.h"
#include "support/Poster.h"

namespace typix {

MainApplication::MainApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Korvel Typix"));
    setOrganizationName(QStringLiteral("Korvel"));
}

MainApplication::~MainApplication() {
    if (interfacePoster() == &poster_) setInterfacePoster(nullptr);
}

QString MainApplication::joinedArguments(const QStringList& arguments) {
    const QString joined = arguments.mid(1).join(QLatin1Char(' '));
    if (joined.isEmpty() || QDir::isAbsolutePath(joined)) return joined;
    return QDir::current().absoluteFilePath(joined);
}

bool MainApplication::handOverToRunningInstance() {
    const QString path = joinedArguments(arguments());
    // Starts at the same moment take turns: otherwise one could see the
    // other's socket before it accepts connections, take it for the remains of
    // a dead instance and remove it.  A lock left by a crashed start is stale
    // and taken over.
    QLockFile turn(QDir::tempPath() + QLatin1Char('/') + SingleInstance::serverName() +
                   QStringLiteral(".lock"));
    turn.tryLock(10000);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (SingleInstance::handOver(path)) return true;
        if (instance_.listen() != SingleInstance::ListenResult::AnotherInstanceRuns) break;
    }
    connect(&instance_, &SingleInstance::requested, this, &MainApplication::handleRequest);
    // Closing every window runs the main window's clean-up (the typing is
    // saved) and ends the event loop.
    connect(&instance_, &SingleInstance::closeRequested, this, &QApplication::closeAllWindows);
    return false;
}

void MainApplication::startFirstInstance() {
    startProgram();
    setInterfacePoster(&poster_);
}

void MainApplication::attachFrame(RaiseHook raiseAndRestore, ImportHook importFile) {
    raise_ = std::move(raiseAndRestore);
    import_ = std::move(importFile);
    const QString own = joinedArguments(arguments());
    if (!own.isEmpty()) QTimer::singleShot(0, this, [this, own] { if (import_) import_(own); });
}

void MainApplication::handleRequest(const QString& path) {
    if (raise_) raise_();
    if (!path.isEmpty() && import_) import_(path);
}

}  // namespace typix
