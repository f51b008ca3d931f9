#include "ui/MainApplication.h"

#include <QDir>
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
    return SingleInstance::handOver(joinedArguments(arguments()));
}

void MainApplication::startFirstInstance() {
    startProgram();
    setInterfacePoster(&poster_);
    instance_.listen();
    connect(&instance_, &SingleInstance::requested, this, &MainApplication::handleRequest);
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
