#pragma once
// The settings dialog: playback device and volume, slow and fast speeds, the
// foot pedal type and the hot keys, the three incoming channels (e-mail
// attachment folder, shared folder, FTP host with its check interval) and
// the mail server used to dispatch typing.
//
// Every key is read when the dialog opens; OK writes them all, Cancel writes
// nothing.  "Check Now" writes the FTP part at once and makes the loader's
// next pass check the FTP host whatever the interval.  Controls carry their
// ids as object names.  Interface thread only.
#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "transfer/FtpProbe.h"
#include "transfer/Mail.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace typix {

class BGLoad;
class LDBEdit;
class Settings;
class TypingSettings;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Ids of the controls beyond the classic set: the mail group and the note
    // about system-wide keys.
    static constexpr int kHotKeyNote = 143;
    static constexpr int kSmtpServer = 151, kSmtpUser = 153, kSmtpPassword = 155,
                         kSmtpFrom = 157, kSendTestMail = 158;
    static constexpr int kHelpContext = 101;
    // The note under the FTP server that says whether the password travels
    // encrypted.
    static constexpr int kFtpSecurityNote = 121;
    // Playback through the clear-voice stage.
    static constexpr int kClearVoice = 160;

    // What the typist chose for a certificate that cannot be verified.
    enum class CertificateChoice { Trust, UsePlainFtp, Cancel };

    struct Hooks {
        std::function<std::string(int index)> deviceName;  // "" past the last device
        std::function<std::string(int index)> deviceId;    // the device's stable id, "" if none
        std::function<bool(int type)> pedalFound;
        std::function<void(const QString& title, const QString& text)> warn;
        std::function<void(const QString& title, const QString& text)> inform;
        std::function<MailSendResult(const MailSettings&, const std::string& to)> sendTestMail;
        std::function<void(int context)> help;
        std::function<bool()> hotKeysAvailable;
        // Check Now's connection test; runs on a worker thread.
        std::function<FtpProbeResult(const FtpProbeSettings&, const std::function<bool()>& stop)>
            probeFtp;
        std::function<CertificateChoice(const QString& title, const QString& text)> chooseCertificate;
    };

    SettingsDialog(Settings& settings, BGLoad* loader, QWidget* parent = nullptr,
                   Hooks hooks = {});
    ~SettingsDialog() override;

    QWidget* control(int id) const;

    // The interval list: the index shown for a stored value, and the value
    // written for an index.
    static int intervalIndex(int seconds);
    static int intervalSeconds(int index);

    void accept() override;  // OK
    // Writes the FTP part, makes the loader's next pass check the host, and
    // tests the connection on a worker thread; the answer comes as a message.
    void checkNow();
    // Runs the event loop until Check Now's connection test answered; false
    // when it still runs after `milliseconds`.  For tests.
    bool waitForCheck(int milliseconds = 30000);
    void sendTestMail();

private:
    void buildLayout();
    QWidget* buildPlayback();
    QWidget* buildSpeeds();
    QWidget* buildPedal();
    QWidget* buildIncoming();
    QWidget* buildMail();
    void load();
    void updateDependents();
    void showPedalDescription();
    void writeFtp();
    void showFtpSecurity();
    void checkAnswered(const FtpProbeResult& result);
    bool refuseOwnFolder(int editId, const char* what);
    QLineEdit* edit(int id, bool password = false);
    QLabel* label(const QString& text, int id = 0);
    QCheckBox* check(const QString& text, int id);

    Settings& settings_;
    BGLoad* loader_;
    Hooks hooks_;
    QComboBox* device_ = nullptr;
    LDBEdit* volume_ = nullptr;
    QCheckBox* clearVoice_ = nullptr;
    QLineEdit* slow_ = nullptr;
    QLineEdit* fast_ = nullptr;
    QComboBox* pedal_ = nullptr;
    QLabel* pedalText_ = nullptr;
    QCheckBox* hotKeys_ = nullptr;
    QLabel* hotKeyNote_ = nullptr;
    QCheckBox* email_ = nullptr;
    QCheckBox* lan_ = nullptr;
    QCheckBox* ftp_ = nullptr;
    QComboBox* interval_ = nullptr;
    QLabel* ftpNote_ = nullptr;
    TypingSettings* typing_ = nullptr;
    bool checking_ = false;
    std::shared_ptr<std::atomic<bool>> stopCheck_;
    std::thread checker_;
};

}  // namespace typix
