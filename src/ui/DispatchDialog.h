#pragma once
// The dispatch dialog: the reply to the sender with the typing as the body
// of an e-mail and an optional attached document.  "&Dispatch" sends the
// mail and closes with OK only when the mail system took it; when no mail
// system is set up, or sending fails, a message says why and the dialog stays
// open, so the typist can correct the fields or cancel.  Interface thread;
// the send blocks the window until the mail was handed over or refused.
#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;
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

    // Shows the dialog modally; true exactly when the mail was handed over.
    static bool run(QWidget* parent, Settings& settings, const std::string& recipient,
                    const std::string& name, const std::string& typingPath,
                    Prompts prompts = {});

    // "Dictation (name)", or "Dictation" for an empty name.
    static QString subjectFor(const std::string& name);

    // The commands of the buttons, also for tests.
    void browse();
    void dispatchMail();
    void showHelp();

    QLineEdit* emailField() const { return email_; }
    QLineEdit* subjectField() const { return subject_; }
    QPlainTextEdit* messageField() const { return message_; }
    QLineEdit* attachField() const { return attach_; }

private:
    void buildLayout();
    void warn(const QString& caption, const QString& text);
    std::string bodyText() const;

    Settings& settings_;
    Prompts prompts_;
    std::string typing_;  // the typing file as read, sent unchanged unless edited
    QLineEdit* email_ = nullptr;
    QLineEdit* subject_ = nullptr;
    QPlainTextEdit* message_ = nullptr;
    QLineEdit* attach_ = nullptr;
};

}  // namespace typix
