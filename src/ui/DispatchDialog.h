#pragma once
// The dispatch dialog: the reply to the sender with the typing as the body
// of an e-mail and an optional attached document.  "&Dispatch" sends the
// mail and closes with OK only when the mail system took it; when no mail
// system is set up, or sending fails, a message says why and the dialog stays
// open, so the typist can correct the fields or cancel.
//
// Threading: the dialog lives on the interface thread.  The mail is handed
// over on a worker thread of the dialog's own, so the windows, the pedal and
// the hot keys keep working however long the mail system takes; a busy bar
// shows that it is sending, and Cancel (or Escape) stops the hand-over.  The
// worker shares only the cancel flag with the dialog and hands its result
// back as a queued call; the destructor cancels and joins it.
#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "transfer/MailTransport.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace typix {

class Settings;

class DispatchDialog : public QDialog {
    Q_OBJECT
public:
    // The questions the dialog puts to the user; tests answer them without a
    // modal box.  Empty members use the real boxes and file dialog.
    struct Prompts {
        std::function<void(const QString& caption, const QString& text)> warn;
        std::function<QString(const QString& title, const QString& folder)> openFile;
    };

    // Caption and text shown when no mail system is set up.
    static const char* const kNoMailCaption;
    static const char* const kNoMailText;

    // `recipient` and `name` come from the dictation's record; the message
    // field holds the whole typing file at `typingPath` (missing: empty).
    DispatchDialog(Settings& settings, const std::string& recipient, const std::string& name,
                   const std::string& typingPath, QWidget* parent = nullptr,
                   Prompts prompts = {});
    ~DispatchDialog() override;

    // Shows the dialog modally; true exactly when the mail was handed over.
    static bool run(QWidget* parent, Settings& settings, const std::string& recipient,
                    const std::string& name, const std::string& typingPath,
                    Prompts prompts = {});

    // "Dictation (name)", or "Dictation" for an empty name.
    static QString subjectFor(const std::string& name);

    // The commands of the buttons, also for tests.
    void browse();
    // Starts sending (returns at once); the dialog closes with OK when the
    // mail was handed over.
    void dispatchMail();
    void showHelp();
    // While sending: stops the hand-over and keeps the dialog open.
    // Otherwise: closes it without sending.
    void reject() override;

    bool isSending() const { return sending_; }
    // Runs the event loop until the send started by dispatchMail() ended;
    // false when it still runs after `milliseconds`.  For tests.
    bool waitUntilSent(int milliseconds = 30000);
    QLabel* stateLabel() const { return state_; }

    QLineEdit* emailField() const { return email_; }
    QLineEdit* subjectField() const { return subject_; }
    QPlainTextEdit* messageField() const { return message_; }
    QLineEdit* attachField() const { return attach_; }

private:
    void buildLayout();
    void warn(const QString& caption, const QString& text);
    std::string bodyText() const;
    void setSending(bool sending);
    void sendFinished(const MailSendResult& result);

    Settings& settings_;
    Prompts prompts_;
    std::string typing_;  // the typing file as read, sent unchanged unless edited
    QLineEdit* email_ = nullptr;
    QLineEdit* subject_ = nullptr;
    QPlainTextEdit* message_ = nullptr;
    QLineEdit* attach_ = nullptr;
    QPushButton* send_ = nullptr;
    QProgressBar* busy_ = nullptr;
    QLabel* state_ = nullptr;
    bool sending_ = false;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::thread worker_;
};

}  // namespace typix
