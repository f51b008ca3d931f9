#include "ui/MainFrame.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>

#include "app/Settings.h"
#include "app/Version.h"
#include "transfer/BGLoad.h"
#include "transfer/IncomingLock.h"
#include "transfer/Status.h"
#include "ui/CommandIds.h"
#include "ui/HelpWindow.h"
#include "ui/MainDialog.h"
#include "ui/TransportPlayer.h"
#include "ui/UiResources.h"
#include "ui/WindowGeometry.h"

namespace typix {

MainFrame::MainFrame()
    : MainFrame(settings(), makeDevicePlayer(), MainDialog::Workers{&bgLoad(), &statusThread()}) {}

MainFrame::MainFrame(Settings& settings, std::unique_ptr<TransportPlayer> player,
                     MainDialog::Workers workers)
    : settings_(settings) {
    initUiResources();
    setWindowTitle(QStringLiteral("Korvel Typix"));
    setWindowIcon(QIcon(QStringLiteral(":/typix/icons/audio-input-microphone.svg")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    dialog_ = new MainDialog(settings_, std::move(player), this, defaultChainParts(),
                             MainDialog::boxPrompts(), workers);
    setCentralWidget(dialog_);
    buildMenu();
    connect(dialog_, &MainDialog::dictationChanged, this, &MainFrame::updateCommandStates);
    connect(dialog_, &MainDialog::frameCommand, this, [this](int id) {
        if (id == cmd::kExit) close();
        if (id == cmd::kHelpContents) HelpWindow::showAt(QString::fromLatin1(HelpWindow::kIndex));
        if (id == cmd::kAbout) showAbout();
    });
    updateCommandStates();
    WindowGeometry::attach(*this, settings_);
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

// The keys named after a tab in the menu texts are the window's own keyboard
// (MainDialog::handleKey), which treats a held key differently from a tap.
QMenu* MainFrame::addFileMenu() {
    QMenu* m = menuBar()->addMenu(tr("&File"));
    addCommand(m, tr("&Load Dictation File\tF3"), cmd::kLoadFile);
    addCommand(m, tr("&Dispatch (Reply with Typing)\tCtrl+D"), cmd::kDispatch);
    addCommand(m, tr("Do&ne (No reply)\tCtrl+N"), cmd::kDone);
    addCommand(m, tr("&Delete\tCtrl+Del"), cmd::kDelete);
    addCommand(m, tr("Recover &Old Files\tCtrl+O"), cmd::kRecover);
    m->addSeparator();
    addCommand(m, tr("Transfer from Portable Dictaphone..."), cmd::kDock);
    m->addSeparator();
    addCommand(m, tr("Settings..."), cmd::kSettings);
    m->addSeparator();
    addCommand(m, tr("E&xit\tAlt+F4"), cmd::kExit);
    return m;
}

QMenu* MainFrame::addTransportMenu() {
    QMenu* m = menuBar()->addMenu(tr("&Transport"));
    addCommand(m, tr("&Play\tF9"), cmd::kPlay);
    addCommand(m, tr("Play Slow Speed\tF10"), cmd::kPlaySlow);
    addCommand(m, tr("Play Normal Speed\tF9"), cmd::kPlay);
    addCommand(m, tr("Play Fast Speed\tF11"), cmd::kPlayFast);
    addCommand(m, tr("&Stop\tEsc (or F12)"), cmd::kStop);
    m->addSeparator();
    addCommand(m, tr("Start\tCtrl+Home"), cmd::kStart);
    // Rewind and Fast Forward scan while a key or button is held; the menu
    // items only name the keys.
    addCommand(m, tr("Rewind\t<- (or F7)"), cmd::kRewind);
    addCommand(m, tr("Fast Forward\t-> (or F8)"), cmd::kForward);
    addCommand(m, tr("End\tCtrl+End"), cmd::kEnd);
    m->addSeparator();
    // Checked from the setting whenever the menu opens, since the settings
    // dialog changes it too.
    QAction* clearVoice = addCommand(m, tr("Clear &Voice"), cmd::kClearVoice);
    clearVoice->setCheckable(true);
    clearVoice->setChecked(settings_.clearVoice());
    connect(m, &QMenu::aboutToShow, clearVoice,
            [this, clearVoice] { clearVoice->setChecked(settings_.clearVoice()); });
    // The Volume group's check box shows the same setting: the item follows it.
    if (auto* box = qobject_cast<QCheckBox*>(dialog_->control(cmd::kClearVoice)))
        connect(box, &QCheckBox::toggled, clearVoice, &QAction::setChecked);
    return m;
}

void MainFrame::buildMenu() {
    addFileMenu();
    addTransportMenu();
    QMenu* typing = menuBar()->addMenu(tr("Ty&ping"));
    addCommand(typing, tr("Cu&t\tCtrl+X"), cmd::kCut);
    addCommand(typing, tr("&Copy\tCtrl+C"), cmd::kCopy);
    addCommand(typing, tr("&Paste\tCtrl+V"), cmd::kPaste);
    addCommand(typing, tr("Copy &All\tCtrl+A"), cmd::kCopyAll);
    typing->addSeparator();
    addCommand(typing, tr("Insert &Time Mark\tCtrl+T"), cmd::kInsertTimeMark);
    QMenu* settingsMenu = menuBar()->addMenu(tr("&Settings"));
    addCommand(settingsMenu, tr("Hardware Settings..."), cmd::kSettings);
    // The Help menu sits at the right end where the style puts it there.
    menuBar()->addSeparator();
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addCommand(help, tr("&Help Contents\tF1"), cmd::kHelpContents);
    help->addSeparator();
    addCommand(help, tr("&About..."), cmd::kAbout);
}

void MainFrame::updateCommandStates() {
    for (auto& [id, a] : actions_) a->setEnabled(dialog_->isCommandEnabled(id));
}

void MainFrame::showAbout() {
    QMessageBox::about(this, tr("About Korvel Typix"),
                       tr("<b>Korvel Typix</b> %1<br>A transcription player for "
                          "typists: a queue of dictations, playback at any speed, "
                          "foot pedals and a typing pad in one window.")
                           .arg(QString::fromLatin1(kProgramVersion)));
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
