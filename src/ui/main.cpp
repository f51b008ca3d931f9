// The typix program.  The executable's own name chooses the mode: a name
// containing "setup" installs, one containing "uninst" removes, any other
// runs the transcription window.
#include <cstdio>
#include <optional>

#include "app/StartMode.h"
#include "ui/CommandLine.h"
#include "ui/DesktopControls.h"
#include "ui/InstallEntry.h"
#include "ui/MainApplication.h"
#include "ui/MainFrame.h"
#include "ui/Translations.h"

namespace {

int runProgram(int argc, char** argv) {
    if (const std::optional<int> status = typix::runCommandLineOptions(argc, argv)) return *status;
    typix::MainApplication app(argc, argv);
    typix::installTranslations(&app);
    if (app.handOverToRunningInstance()) return 0;
    app.startFirstInstance();
    typix::MainFrame frame;
    app.attachWindow(frame);
    typix::DesktopControls desktop(*frame.dialog());
    app.attachCommands([&desktop](const QString& name) { return desktop.runCommand(name); });
    frame.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    const typix::StartMode mode = typix::startModeFromExecutable(argc > 0 ? argv[0] : "");
    switch (mode) {
        case typix::StartMode::Install:
        case typix::StartMode::Remove:
            return typix::runInstallMode(argc, argv, mode);
        case typix::StartMode::Program:
            break;
    }
    return runProgram(argc, argv);
}
