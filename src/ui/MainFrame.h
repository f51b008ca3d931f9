#pragma once
// The program's main window: title "Korvel Typix", the menu, and the
// transcription window MainDialog as its client.  It opens at its client's
// natural size, grows (the typing pad takes the room) but never shrinks below
// it, and comes back at the size and place it had (WindowGeometry).  Closing
// it runs MainDialog's clean-up.  Interface thread only.
#include <QMainWindow>


#include <map>
#include <memory>
#include <string>

#include "ui/MainDialog.h"

class QAction;
class QMenu;

namespace typix {

class Settings;
class TransportPlayer;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The program's frame over the process-wide settings() and the sound device.
    MainFrame();
    // A frame over explicit settings (folders), player and workers; for tests.
    MainFrame(Settings& settings, std::unique_ptr<TransportPlayer> player,
              MainDialog::Workers workers = {});
    ~MainFrame() override;

    // Restores a minimized window and brings it to the front.
    void raiseAndRestore();
    // Copies `path` into Incoming Files under its own name, replacing a file of
    // that name, under the incoming-folder lock; the background loader imports
    // it.  A copy that fails is silent.  Returns whether it was copied.
    bool importFile(const std::string& path);

    MainDialog* dialog() const { return dialog_; }
    // The menu action of a command id (the first one when two share it).
    QAction* action(int commandId) const;

private:
    void buildMenu();
    QMenu* addFileMenu();
    QMenu* addTransportMenu();
    QAction* addCommand(QMenu* menu, const QString& text, int id);
    void updateCommandStates();
    void showAbout();

    Settings& settings_;
    MainDialog* dialog_ = nullptr;
    std::multimap<int, QAction*> actions_;
};

}  // namespace typix
