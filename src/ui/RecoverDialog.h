#pragma once
// Recover Old Files: the dictations in Done Files (audio named exactly
// base + ".wav"), sorted by their entry text "base: name" without regard to
// letter case, with a player of the dialog's own to identify one by ear, and
// Recover to move the chosen one back into Current Files without overwriting
// anything there.  Closing the dialog stops its playback.  Interface thread;
// the player reports back through TransportPlayer::Listener on that thread.
#include <QDialog>

#include <memory>
#include <string>

#include "ui/TransportPlayer.h"

class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace typix {

class Settings;

class RecoverDialog : public QDialog, private TransportPlayer::Listener {
    Q_OBJECT
public:
    RecoverDialog(Settings& settings, std::unique_ptr<TransportPlayer> player,
                  QWidget* parent = nullptr);
    ~RecoverDialog() override;

    // Shows the dialog modally; true when a dictation was moved back.
    static bool run(QWidget* parent, Settings& settings);

    // The commands of the buttons, also for tests.
    void recover();
    void togglePlay();

    QListWidget* fileList() const { return list_; }
    QPushButton* playButton() const { return play_; }
    TransportPlayer& player() { return *player_; }

    void done(int result) override;

private:
    void buildLayout();
    QPushButton* addButton(QVBoxLayout* column, const QString& text, const QString& id);
    void fillList();
    std::string selectedBase() const;
    void cleanUp();

    void onStarted() override;
    void onStopped() override;
    void onPosition(int32_t) override {}
    void onLevels(const uint8_t*) override {}

    Settings& settings_;
    std::unique_ptr<TransportPlayer> player_;
    QListWidget* list_ = nullptr;
    QPushButton* play_ = nullptr;
    bool cleanedUp_ = false;
};

}  // namespace typix
