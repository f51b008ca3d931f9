#include "ui/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>

#include "app/Settings.h"
#include "transfer/IncomingLock.h"
#include "ui/CommandIds.h"
#include "ui/HelpWindow.h"
#include "ui/MainDialog.h"
#include "ui/TransportPlayer.h"
#include "ui/UiResources.h"

namespace typix {

MainFrame::MainFrame() : MainFrame(settings(), makeDevicePlayer()) {}

MainFrame::MainFrame(Settings& settings, std::unique_ptr<TransportPlayer> player)
    : settings_(settings) {
    initUiResources();
    setWindowTitle(QStringLiteral("Korvel Typix"));
    setWindowIcon(QIcon(QStringLiteral(":/typix/icons/audio-input-microphone.svg")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    dialog_ = new MainDialog(settings_, std::move(player), this);
    setCentralWidget(dialog_);
    buildMenu();
    connect(dialog_, &MainDialog::dictationChanged, this, &MainFrame::updateCommandStates);
    connect(dialog_, &MainDialog::frameCommand, this, [this](int id) {
        if (id == cmd::kExit) close();
        if (id == cmd::kHelpContents) HelpWindow::showAt(QString::fromLatin1(HelpWindow::kIndex));
        if (id == cmd::kAbout) showAbout();
    });
    updateCommandStates();
    // Sized to its client, and not resizable.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainFrame::~MainFrame() = default;

QAction* MainFrame::addCommand(QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    action->setObjectName(QString::number(id));
    actions_.emplace(id, action);
    connect(action, &QAction::triggered, dialog_, [this, id] { dialog_->command(id); });
    return action;
}

QAction* MainFrame::action(int commandId) const {
    auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* MainFrame::addFileMenu() {
    QMenu* m = menuBar()->addMenu(QStringLiteral("&File"));
    addCommand(m, QStringLiteral("&Load Dictation File\tF3"), cmd::kLoadFile)->setShortcut(Qt::Key_F3);
    addCommand(m, QStringLiteral("&Dispatch (Reply with Typing)\tCtrl+D"), cmd::kDispatch)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    addCommand(m, QStringLiteral("Do&ne (No reply)\tCtrl+N"), cmd::kDone)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    addCommand(m, QStringLiteral("&Delete\tCtrl+Del"), cmd::kDelete)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Del")));
    addCommand(m, QStringLiteral("Recover &Old Files\tCtrl+O"), cmd::kRecover)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    m->addSeparator();
    addCommand(m, QStringLiteral("Transfer from Portable Dictaphone..."), cmd::kDock);
    m->addSeparator();
    addCommand(m, QStringLiteral("Settings..."), cmd::kSettings);
    m->addSeparator();
    addCommand(m, QStringLiteral("E&xit\tAlt+F4"), cmd::kExit);
    return m;
}

QMenu* MainFrame::addTransportMenu() {
    QMenu* m = menuBar()->addMenu(QStringLiteral("&Transport"));
    addCommand(m, QStringLiteral("&Play\tF9"), cmd::kPlay)->setShortcut(Qt::Key_F9);
    addCommand(m, QStringLiteral("Play Slow Speed\tF10"), cmd::kPlaySlow)->setShortcut(Qt::Key_F10);
    addCommand(m, QStringLiteral("Play Normal Speed\tF9"), cmd::kPlay);
    addCommand(m, QStringLiteral("Play Fast Speed\tF11"), cmd::kPlayFast)->setShortcut(Qt::Key_F11);
    addCommand(m, QStringLiteral("&Stop\tEsc (or F12)"), cmd::kStop)
        ->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_F12)});
    m->addSeparator();
    addCommand(m, QStringLiteral("Start\tCtrl+Home"), cmd::kStart)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Home")));
    // Rewind and Fast Forward scan while a key or button is held; the menu
    // items only name the keys.
    addCommand(m, QStringLiteral("Rewind\t<- (or F7)"), cmd::kRewind);
    addCommand(m, QStringLiteral("Fast Forward\t-> (or F8)"), cmd::kForward);
    addCommand(m, QStringLiteral("End\tCtrl+End"), cmd::kEnd)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+End")));
    return m;
}

void MainFrame::buildMenu() {
    addFileMenu();
    addTransportMenu();
    QMenu* typing = menuBar()->addMenu(QStringLiteral("Ty&ping"));
    // The pad's own keys do the work while it has the focus.
    addCommand(typing, QStringLiteral("Cu&t\tCtrl+X"), cmd::kCut);
    addCommand(typing, QStringLiteral("&Copy\tCtrl+C"), cmd::kCopy);
    addCommand(typing, QStringLiteral("&Paste\tCtrl+V"), cmd::kPaste);
    addCommand(typing, QStringLiteral("Copy &All\tCtrl+A"), cmd::kCopyAll);
    QMenu* settingsMenu = menuBar()->addMenu(QStringLiteral("&Settings"));
    addCommand(settingsMenu, QStringLiteral("Hardware Settings..."), cmd::kSettings);
    // The Help menu sits at the right end where the style puts it there.
    menuBar()->addSeparator();
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    addCommand(help, QStringLiteral("&Help Contents\tF1"), cmd::kHelpContents)
        ->setShortcut(Qt::Key_F1);
    help->addSeparator();
    addCommand(help, QStringLiteral("&About..."), cmd::kAbout);
    for (auto& [id, a] : actions_) a->setShortcutContext(Qt::WindowShortcut);
}

void MainFrame::updateCommandStates() {
    bool loaded = dialog_->hasDictation();
    for (auto& [id, a] : actions_) {
        bool needs = id == cmd::kDone || id == cmd::kDelete ||
                     (id >= cmd::kPlay && id <= cmd::kPlayFast) ||
                     (id >= cmd::kCut && id <= cmd::kCopyAll);
        a->setEnabled(needs ? loaded : true);
    }
    // These open windows that the program does not have yet.
    for (int id : {cmd::kDispatch, cmd::kRecover, cmd::kSettings, cmd::kDock, cmd::kRewind,
                   cmd::kForward})
        for (auto [it, end] = actions_.equal_range(id); it != end; ++it) it->second->setEnabled(false);
}

void MainFrame::showAbout() {
    QMessageBox::about(this, QStringLiteral("About Korvel Typix"),
                       QStringLiteral("<b>Korvel Typix</b> 1.0<br>A transcription player for "
                                      "typists: a queue of dictations, playback at any speed, "
                                      "foot pedals and a typing pad in one window."));
    update();
}

void MainFrame::raiseAndRestore() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

bool MainFrame::importFile(const std::string& path) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool copied = copyIntoIncoming(path, settings_.incomingFiles());
    QApplication::restoreOverrideCursor();
    return copied;
}

}  // namespace typix
