#include "ui/MainApplication.h"

#include <unistd.h>

#include <QLockFile>
#include <QSessionManager>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/RuntimeFolder.h"
#include "app/Startup.h"
#include "support/Poster.h"
#include "ui/MainFrame.h"

namespace typix {

namespace {
// The application whose work exit() must still end; null outside its life.
MainApplication* liveApplication = nullptr;
}  // namespace

MainApplication::MainApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Korvel Typix"));
    setOrganizationName(QStringLiteral("Korvel"));
    // The toolkit has taken its own options out of argc and argv by now.
    for (int i = 0; i < argc; ++i) arguments_.emplace_back(argv[i] ? argv[i] : "");
    connect(&quitSignals_, &QuitSignals::quitRequested, this, &MainApplication::quitOnSignal);
    connect(this, &QCoreApplication::aboutToQuit, this, &MainApplication::endWork);
    connect(this, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (saveWork_) saveWork_();
    });
}

MainApplication::~MainApplication() {
    if (liveApplication == this) liveApplication = nullptr;
    if (interfacePoster() == &poster_) setInterfacePoster(nullptr);
}

std::string MainApplication::joinedArguments(const std::vector<std::string>& arguments) {
    std::string joined;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (i > 1) joined += ' ';
        joined += arguments[i];
    }
    if (joined.empty() || joined[0] == '/') return joined;
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    return error ? joined : (here / joined).string();
}

bool MainApplication::handOverToRunningInstance() {
    const std::string path = joinedArguments(arguments_);
    // Starts at the same moment take turns: otherwise one could see the
    // other's socket before it accepts connections, take it for the remains of
    // a dead instance and remove it.  A lock left by a crashed start is stale
    // and taken over.
    QLockFile turn(SingleInstance::serverName() + QStringLiteral(".lock"));
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
    const std::string own = joinedArguments(arguments_);
    if (!own.empty()) QTimer::singleShot(0, this, [this, own] { if (import_) import_(own); });
}

void MainApplication::attachSessionEnd(SessionHook saveWork, SessionHook endWork) {
    saveWork_ = std::move(saveWork);
    endWork_ = std::move(endWork);
    workEnded_ = false;
    static const bool registered = std::atexit(&MainApplication::endWorkAtExit) == 0;
    if (registered) liveApplication = this;
}

void MainApplication::attachWindow(MainFrame& frame) {
    attachFrame([&frame] { frame.raiseAndRestore(); },
                [&frame](const std::string& path) { frame.importFile(path); });
    attachSessionEnd([&frame] { frame.dialog()->saveTyping(); },
                     [&frame] { frame.dialog()->shutDown(); });
}

void MainApplication::handleRequest(const QByteArray& path) {
    if (raise_) raise_();
    if (!path.isEmpty() && import_) import_(path.toStdString());
}

void MainApplication::quitOnSignal() {
    if (quitting_) return;
    quitting_ = true;
    // From here on the signals have their usual effect again, so a second
    // Ctrl+C ends a program that hangs while it closes.
    quitSignals_.release();
    endWork();
    // Modal dialogs close too, and their own loops end with the main one.
    closeAllWindows();
    quit();
}

void MainApplication::endWork() {
    if (workEnded_) return;
    workEnded_ = true;
    if (endWork_) endWork_();
}

void MainApplication::endWorkAtExit() {
    // Only on the interface thread, where the window's objects may be touched.
    MainApplication* app = liveApplication;
    if (!app || QThread::currentThread() != app->thread()) return;
    app->endWork();
}

}  // namespace typix
