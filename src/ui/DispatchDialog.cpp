// The dispatch dialog: fields, Browse, Dispatch through the mail layer, Help.
#include "ui/DispatchDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/Settings.h"
#include "store/TypingFile.h"
#include "transfer/Mail.h"
#include "ui/HelpWindow.h"

namespace typix {

const char* const DispatchDialog::kNoMailCaption =
    QT_TRANSLATE_NOOP("typix::DispatchDialog", "Email Software not Compliant");
const char* const DispatchDialog::kNoMailText =
    QT_TRANSLATE_NOOP("typix::DispatchDialog",
        "No mail system is set up, so the typing can't be sent.\n\n"
        "Configure an SMTP server in Settings, or install a sendmail-compatible mail program "
        "(such as msmtp or Postfix).");

namespace {

template <typename W>
W* named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

QLabel* buddyLabel(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(DispatchDialog::tr(text), parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

QString DispatchDialog::subjectFor(const std::string& name) {
    if (name.empty()) return tr("Dictation");
    return tr("Dictation (%1)").arg(QString::fromStdString(name));
}

DispatchDialog::DispatchDialog(Settings& settings, const std::string& recipient,
                               const std::string& name, const std::string& typingPath,
                               QWidget* parent, Prompts prompts)
    : QDialog(parent), settings_(settings), prompts_(std::move(prompts)) {
    setObjectName(QStringLiteral("DispatchDialog"));
    setWindowTitle(tr("Dispatch"));
    buildLayout();
    email_->setText(QString::fromStdString(recipient));
    subject_->setText(subjectFor(name));
    // The whole typing: nothing the typist wrote is cut off.
    typing_ = readTyping(typingPath);
    // Typing files separate lines with CR LF; the field shows plain lines.
    message_->setPlainText(QString::fromStdString(typing_).replace(QStringLiteral("\r\n"),
                                                                   QStringLiteral("\n")));
    message_->document()->setModified(false);
}

void DispatchDialog::buildLayout() {
    auto* grid = new QGridLayout(this);
    email_ = named(new QLineEdit(this), 101);
    email_->setMaxLength(254);
    subject_ = named(new QLineEdit(this), 102);
    subject_->setMaxLength(254);
    message_ = named(new QPlainTextEdit(this), 103);
    message_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    attach_ = named(new QLineEdit(this), 104);
    attach_->setMaxLength(258);
    auto* browseButton = named(new QPushButton(tr("&Browse"), this), 105);
    grid->addWidget(buddyLabel(QT_TR_NOOP("&Email:"), email_, this), 0, 0);
    grid->addWidget(email_, 0, 1, 1, 2);
    grid->addWidget(buddyLabel(QT_TR_NOOP("&Subject:"), subject_, this), 1, 0);
    grid->addWidget(subject_, 1, 1, 1, 2);
    grid->addWidget(message_, 2, 0, 1, 3);
    grid->addWidget(buddyLabel(QT_TR_NOOP("&Attach:"), attach_, this), 3, 0);
    grid->addWidget(attach_, 3, 1);
    grid->addWidget(browseButton, 3, 2);
    auto* buttons = new QDialogButtonBox(this);
    auto* send = named(buttons->addButton(tr("&Dispatch"), QDialogButtonBox::AcceptRole), 1);
    send_ = send;
    busy_ = new QProgressBar(this);
    busy_->setObjectName(QStringLiteral("sending"));
    busy_->setRange(0, 0);  // a busy bar: the mail system gives no progress
    busy_->setTextVisible(false);
    busy_->hide();
    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("sendState"));
    state_->setWordWrap(true);
    auto* cancel = named(buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole), 2);
    auto* help = named(buttons->addButton(tr("Help"), QDialogButtonBox::HelpRole), 9);
    send->setDefault(true);
    grid->addWidget(state_, 4, 0, 1, 2);
    grid->addWidget(busy_, 4, 2);
    grid->addWidget(buttons, 5, 0, 1, 3);
    connect(browseButton, &QPushButton::clicked, this, &DispatchDialog::browse);
    connect(send, &QPushButton::clicked, this, &DispatchDialog::dispatchMail);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &DispatchDialog::showHelp);
    resize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() * 22);
}

void DispatchDialog::warn(const QString& caption, const QString& text) {
    if (prompts_.warn)
        prompts_.warn(caption, text);
    else
        QMessageBox::warning(this, caption, text);
}

void DispatchDialog::browse() {
    QString folder = QString::fromStdString(settings_.dispatchAttachDir());
    QString chosen = prompts_.openFile
                         ? prompts_.openFile(tr("Attach Document"), folder)
                         : QFileDialog::getOpenFileName(this, tr("Attach Document"),
                                                        folder,
                                                        tr("Document Files (*)"));
    if (chosen.isEmpty()) return;
    QFileInfo info(chosen);
    settings_.setDispatchAttachDir(info.absolutePath().toStdString() + "/");
    attach_->setText(info.absoluteFilePath());
}

std::string DispatchDialog::bodyText() const {
    // An untouched message goes out exactly as the typing file holds it.
    if (!message_->document()->isModified()) return typing_;
    return message_->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
}

DispatchDialog::~DispatchDialog() {
    if (worker_.joinable()) {
        cancel_->store(true);
        worker_.join();
    }
}

void DispatchDialog::setSending(bool sending) {
    sending_ = sending;
    for (QWidget* field : std::initializer_list<QWidget*>{email_, subject_, message_, attach_, send_})
        field->setEnabled(!sending);
    busy_->setVisible(sending);
    if (sending)
        state_->setText(tr("Sending to %1 ... (Cancel stops)").arg(email_->text().trimmed()));
}

void DispatchDialog::dispatchMail() {
    if (sending_) return;
    MailSettings mail = mailSettingsFrom(settings_);
    if (!isMailAvailable(mail)) {
        warn(tr(kNoMailCaption), tr(kNoMailText));
        return;
    }
    const std::string to = email_->text().trimmed().toStdString();
    const std::string subject = subject_->text().toStdString();
    const std::string body = bodyText();
    const std::string attachment = attach_->text().trimmed().toStdString();
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    setSending(true);
    worker_ = std::thread([this, mail, to, subject, body, attachment, cancel = cancel_] {
        MailSendResult result =
            sendMail(mail, to, subject, body, attachment, [cancel] { return cancel->load(); });
        // The destructor joins this thread, so the dialog is alive here; the
        // call runs on the interface thread (or is dropped with the dialog).
        QMetaObject::invokeMethod(this, [this, result] { sendFinished(result); },
                                  Qt::QueuedConnection);
    });
}

void DispatchDialog::sendFinished(const MailSendResult& result) {
    if (worker_.joinable()) worker_.join();
    setSending(false);
    if (result.sent) {
        state_->clear();
        accept();
        return;
    }
    if (result.cancelled) {
        state_->setText(tr("Sending was stopped; nothing was sent."));
        return;
    }
    state_->setText(tr("The mail was not sent."));
    warn(tr("Dispatch Failed"),
         QString::fromStdString(result.error) +
             tr("\n\nThe dictation stays in the list. Check the address and the "
                "mail settings, then try again."));
}

void DispatchDialog::reject() {
    if (sending_) {
        cancel_->store(true);
        state_->setText(tr("Stopping ..."));
        return;
    }
    QDialog::reject();
}

bool DispatchDialog::waitUntilSent(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (sending_ && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return !sending_;
}

void DispatchDialog::showHelp() { HelpWindow::showAt(QStringLiteral("dispatch")); }

bool DispatchDialog::run(QWidget* parent, Settings& settings, const std::string& recipient,
                         const std::string& name, const std::string& typingPath,
                         Prompts prompts) {
    DispatchDialog dialog(settings, recipient, name, typingPath, parent, std::move(prompts));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace typix
