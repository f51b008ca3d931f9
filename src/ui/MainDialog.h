#pragma once
// The transcription window: the queue of dictations with the sender's details,
// the transport (buttons, level meter, position and speed bars, volume), the
// dictaphone button, the typing pad and a status line with the loader's
// progress.  It is the client of MainFrame.
//
// Everything here runs on the interface thread.  The player reports back
// through TransportPlayer::Listener on the same thread.  The background loader
// (when the program has one) posts its notification through a PostWindow.
//
// Tests construct it over their own Settings (folders) and player and read the
// state through the const accessors.
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sound/LSoundSource.h"
#include "ui/Backstep.h"
#include "ui/ChainParts.h"
#include "ui/TransportPlayer.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTextEdit;
class QVBoxLayout;

namespace typix {

class BGLoad;
class DockDialog;
class ButtonImages;
class LDBDisplay;
class LDBEdit;
class LogoWin;
class MCDisp;
class PostWindow;
class PressButton;
struct QueueEntry;
class QueueRecordCache;
class QueueStatusWriter;
class Settings;
class Status;
class WaveformStrip;

// The background workers the window drives; none in a window without them.
struct MainDialogWorkers {
    BGLoad* loader = nullptr;  // incoming transfer: started at set-up, stopped at clean-up
    Status* status = nullptr;  // status files: restarted once a rebuild's places are written
};

class MainDialog : public QWidget, private TransportPlayer::Listener {
    Q_OBJECT
public:
    // What the last build of the chain put into it.
    struct ChainInfo {
        bool built = false;
        int channels = 0;
        bool mixed = false;
        std::vector<int8_t> leftGains, rightGains;
        bool speedStage = false;
        double startRatio = 1.0, endRatio = 1.0;
        int32_t rampTime = 0;
        int32_t startFrame = 0;  // where the chain was positioned before play
        bool clearVoice = false;
    };

    // The few questions and warnings the window puts to the user; tests
    // answer them without a modal box.
    struct Prompts {
        std::function<void(const QString& title, const QString& text)> warn;
        std::function<bool(const QString& title, const QString& text)> askYesNo;
        std::function<QString(const QString& title, const QString& folder)> openFile;
    };
    static Prompts boxPrompts();

    using Workers = MainDialogWorkers;
    // The loader's notification message number.
    static constexpr uint32_t kLoaderMessage = 1041;

    MainDialog(Settings& settings, std::unique_ptr<TransportPlayer> player,
               QWidget* parent = nullptr, ChainParts parts = defaultChainParts(),
               Prompts prompts = boxPrompts(), Workers workers = {});
    ~MainDialog() override;

    // Runs a command of the menu or a button by id.
    void command(int id);
    bool hasDictation() const { return !current_.empty(); }
    // Whether command `id` can run now (menus and buttons follow it).
    bool isCommandEnabled(int id) const;

    // File list.  A rebuild lists the queue at once and writes the places
    // into the records on a thread of its own (placeWriter()).
    void rebuildList();
    // The same for arrivals: the listing runs on the writer's thread, and the
    // list follows as soon as it is read (unless a rebuild came meanwhile).
    void rebuildListSoon();
    void loadSelected();
    void saveTyping();
    // Ends the window's work as closing it does: the loader's notifications
    // and the loader stopped, the typing saved, playback stopped.  For the
    // program's end by a signal or the session; safe to call more than once.
    void shutDown() { cleanUp(); }
    // Progress and refresh: the loader's progress and new-dictation flag.
    void progressAndRefresh();

    // Transport.
    void playAtSpeed(int percent);
    // Turns clear voice on or off; a play in progress restarts with it.
    void toggleClearVoice();
    // Shows the clear-voice setting in the Volume group's check box.
    void showClearVoice();
    void stop();
    void goToStart();
    void goToEnd();
    void seek(int32_t time);
    void rewindScanStart();
    void forwardScanStart();
    void scanEnd();
    void setPosition(int32_t time);
    // The file and its channel mix, where seeks and lengths are taken.
    LSoundSource buildChain();
    // What goes on top of everything, the speed stage included: clear voice
    // when it is on (it must not sit below the speed stage, which moves its
    // input block by block).
    LSoundSource finishChain(LSoundSource chain);
    void speedBarAction(int action);     // QAbstractSlider::SliderAction
    void positionBarAction(int action);  // QAbstractSlider::SliderAction
    void volumeChanged();

    // The keyboard of the whole frame: returns whether the key was consumed.
    bool handleKey(int key, Qt::KeyboardModifiers mods, bool down, bool repeat = false);

    // State, read-only.
    const std::string& currentDictation() const { return current_; }
    int32_t position() const { return position_; }
    int32_t duration() const { return duration_; }
    int speed() const { return speed_; }
    bool isPlaying() const { return player_->isPlaying(); }
    bool forwardScanning() const { return forwardScan_; }
    bool rewindScanning() const { return rewindScan_; }
    bool wasPlaying() const { return wasPlaying_; }
    const ChainInfo& lastChain() const { return lastChain_; }
    QueueStatusWriter& placeWriter() { return *placeWriter_; }
    int statusNoticeIndex() const { return noticeIndex_; }
    TransportPlayer& player() { return *player_; }
    MCDisp& channelPanel() { return *channels_; }
    QWidget* control(int id) const;
    QListWidget* fileList() const { return list_; }
    QPlainTextEdit* typingPad() const { return pad_; }
    QScrollBar* speedBar() const { return speedBar_; }
    QScrollBar* positionBar() const { return positionBar_; }
    LDBEdit* volumeControl() const { return volume_; }
    LDBDisplay* levelMeter() const { return meter_; }
    WaveformStrip* waveformStrip() const { return waveform_; }
    // The dictaphone transfer dialog while it is open, else null.
    DockDialog* dockDialog() const;

    // Speeds are held to the speed bar's range wherever they are set.
    static int clampSpeed(int percent);

signals:
    // A dictation was loaded or unloaded: the frame updates its menu.
    void dictationChanged(bool loaded);
    // Commands whose dialogs the frame owns (help, about, settings, exit).
    void frameCommand(int id);
    // The position text changed (1/10000 s), with the duration it is part of.
    void positionShown(int32_t position, int32_t duration);

private:
    void buildLayout();
    QGroupBox* buildFilesGroup();
    QGroupBox* buildSenderGroup();
    QGroupBox* buildTransportGroup();
    QGroupBox* buildVolumeGroup();
    QGroupBox* buildDockGroup();
    QGroupBox* buildTypingGroup();
    QWidget* buildStatusRow();
    void addToolTips();
    void connectContextMenus();
    void showCommandMenu(QWidget* over, QPoint at, bool forList);
    void setUp();
    void cleanUp();
    void connectLoader();
    void disconnectLoader();
    void startLoader();
    void startStatusFiles();
    void showQueue(const std::vector<QueueEntry>& queue);

    void showRecord();
    void clearRecord();
    void enableForDictation();
    void showButtonImages(int state);
    void readDuration();
    void nextStatusNotice();
    void finishCurrent(bool dispatch);
    void deleteCurrent();
    void loadDictationFile();
    void recoverOldFiles();
    void copyAll();
    void openDock();
    void dockNotified(int notice);
    void onPressReport(int state, int id);
    void startPlayback(int percent, PlayStart how);
    bool startWithDeviceSettings();
    void applyStoredVolume();
    void showSpeed();
    void showPosition();
    std::string basePath() const;
    std::string currentBase() const;  // the open dictation's base name

    bool eventFilter(QObject* watched, QEvent* event) override;

    void onStarted() override;
    void onStopped() override;
    void onPosition(int32_t time) override;
    void onLevels(const uint8_t* levelRecord) override;

    Settings& settings_;
    std::unique_ptr<TransportPlayer> player_;
    ChainParts parts_;
    Prompts prompts_;
    Workers workers_;
    std::unique_ptr<ButtonImages> images_;
    MCDisp* channels_ = nullptr;
    std::unique_ptr<PostWindow> loaderWindow_;
    std::unique_ptr<QueueRecordCache> readings_;  // outlives placeWriter_, which refreshes it
    std::unique_ptr<QueueStatusWriter> placeWriter_;

    std::string current_;
    int32_t position_ = 0;
    int32_t duration_ = 0;
    int speed_ = 100;
    bool forwardScan_ = false;
    bool rewindScan_ = false;
    bool wasPlaying_ = false;
    int noticeIndex_ = 0;
    ChainInfo lastChain_;
    bool cleanedUp_ = false;
    uint64_t listingSerial_ = 0;  // counts rebuilds; the newest one's listing is shown

    QListWidget* list_ = nullptr;
    QPushButton* dispatch_ = nullptr;
    QPushButton* done_ = nullptr;
    QPushButton* delete_ = nullptr;
    QGroupBox* senderGroup_ = nullptr;
    QLabel* priorityLabel_ = nullptr;
    QLabel* dateLabel_ = nullptr;
    QPlainTextEdit* sender_ = nullptr;
    QLineEdit* priority_ = nullptr;
    QLineEdit* date_ = nullptr;
    QGroupBox* transportGroup_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* start_ = nullptr;
    PressButton* rewind_ = nullptr;
    PressButton* forward_ = nullptr;
    QPushButton* end_ = nullptr;
    LDBDisplay* meter_ = nullptr;
    WaveformStrip* waveform_ = nullptr;
    QScrollBar* positionBar_ = nullptr;
    QLabel* positionText_ = nullptr;
    LDBEdit* volume_ = nullptr;
    QScrollBar* speedBar_ = nullptr;
    QLabel* speedText_ = nullptr;
    QPushButton* dock_ = nullptr;
    QPointer<DockDialog> dockDialog_;
    QVBoxLayout* stripSlot_ = nullptr;
    QGroupBox* typingGroup_ = nullptr;
    QPlainTextEdit* pad_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPointer<LogoWin> logo_;
    QTimer noticeTimer_;
    QTimer logoTimer_;
};

}  // namespace typix
