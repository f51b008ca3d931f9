#pragma once
// DockDialog ("Recording Portable Dictaphone"): records the sound card's
// input into a new dictation, Tape n, while a portable dictaphone plays into
// it.  The voice-activated recorder starts writing when sound arrives and
// pauses (cutting the silence) after 3 quiet seconds; the dialog files the
// tape by itself once at least 15 quiet seconds have passed since the input
// was last above the activate level, or when the typist presses Done.
//
// Modeless, and deleted when it closes.  Everything runs on the interface
// thread: the GUI commands and the recorder's notifications (the recorder
// processes its blocks through the process-wide interface poster).
//
// Opening uses up a tape number at once: "number" is written back plus one
// before anything else, and Tape n.dat is written in Current Files.  Cancel
// removes Tape n.wav and Tape n.dat; the number stays used.  The main window
// hears of the dialog through dockNotify(): kOpenedOrClosed when it opens
// and when it is cancelled, kTapeFinished with the tape's wave path when a
// tape is filed.
#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sound/LSoundRecorder.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace typix {

class LDBDisplay;
class LDBEdit;
class Settings;

class DockDialog : public QDialog, public LSoundRecorderNotify {
    Q_OBJECT
public:
    enum Notice { kOpenedOrClosed = 0, kTapeFinished = 2 };
    static constexpr int kRate = 11025;
    static constexpr int32_t kMaximumTime = 36000000;  // one hour
    static constexpr int32_t kPauseTime = 30000;       // 3 s of quiet pauses the recording
    static constexpr int64_t kQuietFinishMs = 15000;   // 15 s of quiet files the tape

    // A monotonic clock in milliseconds that measures the quiet spell.
    using Clock = std::function<int64_t()>;
    // The clock of dialogs made after this call; an empty clock restores the
    // system's steady clock.  Tests pass a clock that follows the audio.
    static void setClock(Clock clock);

    DockDialog(Settings& settings, QWidget* parent = nullptr);
    ~DockDialog() override;

    // The channel to use when none was saved: the last record source whose
    // upper-cased name contains "LINE", else -1 (the system's own selection).
    static int defaultChannel(const std::vector<std::string>& sourceNames);

    // Start, and "Restart": discards what was recorded and listens again.
    void start();
    void applyRecordVolume();
    // "&Done" (and the automatic finish): files the tape and closes.
    void finishTape();
    // "Cancel": removes the tape's files and closes.
    void cancelTransfer();

    // State, read-only.
    const std::string& target() const { return target_; }
    int tapeNumber() const { return tapeNumber_; }
    bool started() const { return started_; }
    const LSoundRecorder& recorder() const { return recorder_; }
    QComboBox* deviceList() const { return devices_; }
    QComboBox* channelList() const { return channels_; }
    LDBEdit* recordVolume() const { return volume_; }
    LDBEdit* activateLevel() const { return activate_; }
    QLabel* messageField() const { return message_; }
    QPushButton* restartButton() const { return restart_; }
    QLabel* timeText() const { return time_; }
    LDBDisplay* levelMeter() const { return meter_; }

    // User choices, as the lists report them.
    void deviceChosen(int index);
    void channelChosen(int index);
    void recordVolumeChanged();

signals:
    // Queued to the main window: kOpenedOrClosed (path empty) or
    // kTapeFinished with the tape's wave path.
    void dockNotify(int notice, const QString& path);

protected:
    // Escape and the window's close box cancel, as "Cancel" does.
    void reject() override;

private:
    void buildLayout();
    void addToolTips();
    void createTape();
    void fillDevices();
    void fillChannels(int device, int wanted);
    void applySavedLevels();
    void saveChoices();
    void setRecordingControlsEnabled(bool restart, bool meters);
    int deviceIndex() const;
    int channelIndex() const;
    int64_t now() const;
    void closeWindow();

    void onActivated(int32_t cookie) override;
    void onListening(int32_t cookie) override;
    void onStopped(int32_t cookie) override;
    void onPosition(int32_t time, int32_t cookie) override;
    void onLevels(const LevelRecord* levels, int32_t cookie) override;

    Settings& settings_;
    Clock clock_;
    LSoundRecorder recorder_;
    std::string target_;
    std::string record_;
    int tapeNumber_ = 0;
    bool started_ = false;
    int64_t lastLoud_ = 0;
    bool closing_ = false;

    QComboBox* devices_ = nullptr;
    QComboBox* channels_ = nullptr;
    LDBEdit* volume_ = nullptr;
    LDBEdit* activate_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* restart_ = nullptr;
    QLabel* time_ = nullptr;
    LDBDisplay* meter_ = nullptr;
    QPushButton* done_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
};

}  // namespace typix
