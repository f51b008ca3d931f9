// The typix program.  The executable's own name chooses the mode: a name
// containing "setup" installs, one containing "uninst" removes, any other
// runs the transcription window.
#include <QApplication>
#include <QListWidget>
#include <QMainWindow>

#include <cstdio>

#include "app/Settings.h"
#include "app/StartMode.h"
#include "store/DictationQueue.h"
#include "transfer/IncomingLock.h"
#include "ui/InstallEntry.h"
#include "ui/MainApplication.h"

namespace {

// A plain frame with the typing queue, shown until the full main window lands.
class QueueFrame : public QMainWindow {
public:
    QueueFrame() : list_(new QListWidget(this)) {
        setWindowTitle(QStringLiteral("Korvel Typix"));
        setCentralWidget(list_);
        resize(480, 320);
        refresh();
    }
    void raiseAndRestore() {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
    }
    void importFile(const QString& path) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        typix::copyIntoIncoming(path.toStdString(), typix::settings().incomingFiles());
        QApplication::restoreOverrideCursor();
    }

private:
    void refresh() {
        list_->clear();
        for (const auto& entry : typix::rebuildQueue(typix::settings().currentFiles()))
            list_->addItem(QString::fromStdString(entry.text));
        if (list_->count() > 0) list_->setCurrentRow(0);
    }

    QListWidget* list_;
};

int runProgram(int argc, char** argv) {
    typix::MainApplication app(argc, argv);
    if (app.handOverToRunningInstance()) return 0;
    app.startFirstInstance();
    QueueFrame frame;
    app.attachFrame([&frame] { frame.raiseAndRestore(); },
                    [&frame](const QString& path) { frame.importFile(path); });
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
