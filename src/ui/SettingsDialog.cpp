#include "ui/SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

#include "app/Settings.h"
#include "pedal/PedalTypes.h"
#include "sound/LSoundPlayer.h"
#include "transfer/BGLoad.h"
#include "ui/GlobalShortcutsPortal.h"
#include "ui/HelpWindow.h"
#include "ui/HotKeys.h"
#include "ui/LDBEdit.h"
#include "ui/MainDialog.h"
#include "ui/PedalControl.h"
#include "ui/RemoteCommands.h"
#include "ui/TypingSettings.h"

namespace typix {

namespace {

struct Interval {
    const char* text;
    int seconds;  // written
    int upTo;     // largest stored value shown as this entry
};
constexpr Interval kIntervals[] = {
    {QT_TRANSLATE_NOOP("typix::SettingsDialog", "Every 5 mins"), 300, 600},
    {QT_TRANSLATE_NOOP("typix::SettingsDialog", "Every 20 mins"), 1200, 1800},
    {QT_TRANSLATE_NOOP("typix::SettingsDialog", "Every Hour"), 3600, 4500},
    {QT_TRANSLATE_NOOP("typix::SettingsDialog", "Every 2 Hours"), 7200, 9000},
    {QT_TRANSLATE_NOOP("typix::SettingsDialog", "Every 3 Hours"), 10800, 14400},
    {QT_TRANSLATE_NOOP("typix::SettingsDialog", "Every 5 Hours"), 18000, 86400},
    {QT_TRANSLATE_NOOP("typix::SettingsDialog", "Never"), 0, 0},
};
constexpr int kIntervalCount = int(std::size(kIntervals));
constexpr int kNever = kIntervalCount - 1;
constexpr int kMaxDevices = 127;
constexpr int kMaxPath = 259;

std::string text259(const QLineEdit* e) { return e->text().left(kMaxPath).toStdString(); }
QString qs(const std::string& s) { return QString::fromStdString(s); }

SettingsDialog::Hooks withDefaults(SettingsDialog::Hooks h, QWidget* parent) {
    if (!h.deviceName) h.deviceName = [](int i) { return LSoundPlayer::deviceName(i); };
    if (!h.deviceId) h.deviceId = [](int i) { return deviceIdOf(i, StreamDirection::Output); };
    if (!h.pedalFound) h.pedalFound = [](int type) { return PedalControl::deviceFound(type); };
    if (!h.warn)
        h.warn = [parent](const QString& t, const QString& x) { QMessageBox::warning(parent, t, x); };
    if (!h.inform)
        h.inform = [parent](const QString& t, const QString& x) {
            QMessageBox::information(parent, t, x);
        };
    if (!h.sendTestMail)
        h.sendTestMail = [](const MailSettings& m, const std::string& to) {
            return sendMail(m, to, "Korvel Typix test mail",
                            "This test mail shows that Korvel Typix can send mail.\n", "");
        };
    if (!h.help) h.help = [](int context) { HelpWindow::showContext(context); };
    if (!h.hotKeysAvailable)
        h.hotKeysAvailable = [] {
            return HotKeys::hotKeysAvailable() || GlobalShortcutsPortal::available();
        };
    if (!h.probeFtp) h.probeFtp = probeFtp;
    if (!h.chooseCertificate)
        h.chooseCertificate = [parent](const QString& title, const QString& text) {
            QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
            QPushButton* trust = box.addButton(SettingsDialog::tr("&Trust This Certificate"),
                                               QMessageBox::AcceptRole);
            QPushButton* plain = box.addButton(SettingsDialog::tr("Use &Plain FTP (ftp://)"),
                                               QMessageBox::DestructiveRole);
            box.addButton(QMessageBox::Cancel);
            box.exec();
            if (box.clickedButton() == trust) return SettingsDialog::CertificateChoice::Trust;
            if (box.clickedButton() == plain) return SettingsDialog::CertificateChoice::UsePlainFtp;
            return SettingsDialog::CertificateChoice::Cancel;
        };
    return h;
}

}  // namespace

int SettingsDialog::intervalIndex(int seconds) {
    if (seconds <= 0) return kNever;
    for (int i = 0; i < kNever; ++i)
        if (seconds <= kIntervals[i].upTo) return i;
    return kNever;
}

int SettingsDialog::intervalSeconds(int index) {
    return index >= 0 && index < kIntervalCount ? kIntervals[index].seconds : 0;
}

SettingsDialog::SettingsDialog(Settings& settings, BGLoad* loader, QWidget* parent, Hooks hooks)
    : QDialog(parent), settings_(settings), loader_(loader) {
    hooks_ = withDefaults(std::move(hooks), this);
    setWindowTitle(tr("Settings"));
    buildLayout();
    load();
}

SettingsDialog::~SettingsDialog() {
    if (checker_.joinable()) {
        stopCheck_->store(true);
        checker_.join();
    }
}

QWidget* SettingsDialog::control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

QLineEdit* SettingsDialog::edit(int id, bool password) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::number(id));
    e->setMaxLength(kMaxPath);
    if (password) e->setEchoMode(QLineEdit::Password);
    return e;
}

QLabel* SettingsDialog::label(const QString& text, int id) {
    auto* l = new QLabel(text, this);
    if (id) l->setObjectName(QString::number(id));
    return l;
}

QCheckBox* SettingsDialog::check(const QString& text, int id) {
    auto* c = new QCheckBox(text, this);
    c->setObjectName(QString::number(id));
    return c;
}

void SettingsDialog::buildLayout() {
    auto* left = new QVBoxLayout;
    left->addWidget(buildPlayback());
    left->addWidget(buildSpeeds());
    left->addWidget(buildPedal());
    typing_ = new TypingSettings(settings_, this);
    left->addWidget(typing_);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(buildIncoming());
    right->addWidget(buildMail());
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    struct B { const char* text; int id; };
    for (B b : {B{QT_TR_NOOP("OK"), 1}, B{QT_TR_NOOP("Cancel"), 2},
                B{QT_TR_NOOP("Help"), 9}}) {
        auto* button = new QPushButton(tr(b.text), this);
        button->setObjectName(QString::number(b.id));
        buttons->addWidget(button);
        if (b.id == 1) {
            button->setDefault(true);
            connect(button, &QPushButton::clicked, this, &SettingsDialog::accept);
        }
        if (b.id == 2) connect(button, &QPushButton::clicked, this, &SettingsDialog::reject);
        if (b.id == 9) connect(button, &QPushButton::clicked, this, [this] { hooks_.help(kHelpContext); });
    }
    auto* all = new QVBoxLayout(this);
    all->addLayout(columns);
    all->addLayout(buttons);
}

QWidget* SettingsDialog::buildPlayback() {
    auto* group = new QGroupBox(tr("&Playback"), this);
    auto* grid = new QGridLayout(group);
    device_ = new QComboBox(this);
    device_->setObjectName(QStringLiteral("101"));
    volume_ = new LDBEdit(this);
    volume_->setObjectName(QStringLiteral("102"));
    grid->addWidget(label(tr("Sound Play Device")), 0, 0);
    grid->addWidget(device_, 0, 1);
    grid->addWidget(label(tr("Play Volume Level")), 1, 0);
    grid->addWidget(volume_, 1, 1);
    clearVoice_ = check(tr("Clear Voice (Less Rumble, Even Loudness)"), kClearVoice);
    grid->addWidget(clearVoice_, 2, 0, 1, 2);
    return group;
}

QWidget* SettingsDialog::buildSpeeds() {
    auto* group = new QGroupBox(tr("Variable Playback Speed"), this);
    auto* row = new QHBoxLayout(group);
    slow_ = edit(130);
    fast_ = edit(131);
    for (QLineEdit* e : {slow_, fast_}) e->setMaxLength(5);
    row->addWidget(label(tr("Slow Playback")));
    row->addWidget(slow_);
    row->addWidget(label(QStringLiteral("%")));
    row->addWidget(label(tr("Fast Playback")));
    row->addWidget(fast_);
    row->addWidget(label(QStringLiteral("%")));
    return group;
}

QWidget* SettingsDialog::buildPedal() {
    auto* group = new QGroupBox(tr("&Foot Pedal and Hot Key Control"), this);
    auto* column = new QVBoxLayout(group);
    pedal_ = new QComboBox(this);
    pedal_->setObjectName(QStringLiteral("141"));
    for (int type = 0; type < kPedalTypeCount; ++type)
        pedal_->addItem(QString::fromUtf8(pedalTypeInfo(type).name.data(),
                                          qsizetype(pedalTypeInfo(type).name.size())));
    pedalText_ = label(QString(), 142);
    pedalText_->setWordWrap(true);
    pedalText_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pedalText_->setMinimumHeight(48);
    pedalText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hotKeys_ = check(tr("Use System-Wide Hot Keys (F5 - F12)"), 140);
    hotKeyNote_ = label(tr("System-wide keys are not available in this session; "
                           "F5 - F12 work in the Korvel Typix window. ") +
                            desktopShortcutHowTo(),
                        kHotKeyNote);
    hotKeyNote_->setWordWrap(true);
    column->addWidget(pedal_);
    column->addWidget(pedalText_);
    column->addWidget(hotKeys_);
    column->addWidget(hotKeyNote_);
    connect(pedal_, &QComboBox::currentIndexChanged, this, &SettingsDialog::showPedalDescription);
    return group;
}

QWidget* SettingsDialog::buildIncoming() {
    auto* group = new QGroupBox(tr("&Incoming"), this);
    auto* grid = new QGridLayout(group);
    email_ = check(tr("Email (Scan Incoming Attachment Folder)"), 103);
    lan_ = check(tr("LAN (Shared Folder on Computer Network)"), 106);
    ftp_ = check(tr("Direct Internet (via FTP host)"), 109);
    interval_ = new QComboBox(this);
    interval_->setObjectName(QStringLiteral("119"));
    for (const Interval& i : kIntervals) interval_->addItem(tr(i.text));
    auto* now = new QPushButton(tr("Check Now"), this);
    now->setObjectName(QStringLiteral("120"));
    connect(now, &QPushButton::clicked, this, &SettingsDialog::checkNow);

    int r = 0;
    grid->addWidget(email_, r++, 0, 1, 3);
    grid->addWidget(label(tr("Attach Folder"), 104), r, 0);
    grid->addWidget(edit(105), r++, 1, 1, 2);
    grid->addWidget(lan_, r++, 0, 1, 3);
    grid->addWidget(label(tr("Shared Folder"), 107), r, 0);
    grid->addWidget(edit(108), r++, 1, 1, 2);
    grid->addWidget(ftp_, r++, 0, 1, 3);
    struct Row { const char* text; int labelId, editId; bool password; };
    for (Row row : {Row{QT_TR_NOOP("Server"), 110, 111, false},
                    Row{QT_TR_NOOP("User Name"), 112, 113, false},
                    Row{QT_TR_NOOP("Password"), 114, 115, true},
                    Row{QT_TR_NOOP("Directory"), 116, 117, false}}) {
        grid->addWidget(label(tr(row.text), row.labelId), r, 0);
        grid->addWidget(edit(row.editId, row.password), r++, 1, 1, 2);
    }
    ftpNote_ = label(QString(), kFtpSecurityNote);
    ftpNote_->setWordWrap(true);
    grid->addWidget(ftpNote_, r++, 0, 1, 3);
    connect(static_cast<QLineEdit*>(control(111)), &QLineEdit::textChanged, this,
            &SettingsDialog::showFtpSecurity);
    grid->addWidget(label(tr("Check Interval"), 118), r, 0);
    grid->addWidget(interval_, r, 1);
    grid->addWidget(now, r, 2);
    for (QCheckBox* box : {email_, lan_, ftp_})
        connect(box, &QCheckBox::clicked, this, &SettingsDialog::updateDependents);
    return group;
}

QWidget* SettingsDialog::buildMail() {
    auto* group = new QGroupBox(tr("&Mail"), this);
    auto* grid = new QGridLayout(group);
    struct Row { const char* text; int editId; bool password; };
    int r = 0;
    for (Row row : {Row{QT_TR_NOOP("SMTP Server"), kSmtpServer, false},
                    Row{QT_TR_NOOP("User Name"), kSmtpUser, false},
                    Row{QT_TR_NOOP("Password"), kSmtpPassword, true},
                    Row{QT_TR_NOOP("Sender Address"), kSmtpFrom, false}}) {
        grid->addWidget(label(tr(row.text)), r, 0);
        grid->addWidget(edit(row.editId, row.password), r++, 1);
    }
    auto* test = new QPushButton(tr("Send Test Mail"), this);
    test->setObjectName(QString::number(kSendTestMail));
    connect(test, &QPushButton::clicked, this, &SettingsDialog::sendTestMail);
    grid->addWidget(test, r, 1, Qt::AlignRight);
    return group;
}

void SettingsDialog::load() {
    volume_->setMaximum(12);
    volume_->setMinimum(-36);
    for (int i = 0; i < kMaxDevices; ++i) {
        std::string name = hooks_.deviceName(i);
        if (name.empty()) break;
        device_->addItem(qs(name));
    }
    // The device stored by name wins over its index: cards come and go.
    int chosen = settings_.soundOutDevice();
    const std::string chosenId = settings_.soundOutDeviceName();
    for (int i = 0; !chosenId.empty() && i < device_->count(); ++i) {
        if (hooks_.deviceId(i) == chosenId) chosen = i;
    }
    device_->setCurrentIndex(chosen < device_->count() ? chosen : -1);
    volume_->setValue(settings_.soundOutVolume());
    volume_->showValue();
    clearVoice_->setChecked(settings_.clearVoice());
    slow_->setText(QString::number(settings_.slowSpeed()));
    fast_->setText(QString::number(settings_.fastSpeed()));
    int type = settings_.pedalType();
    pedal_->setCurrentIndex(type >= 0 && type < kPedalTypeCount ? type : -1);
    showPedalDescription();
    hotKeys_->setChecked(settings_.hotKeys());
    hotKeyNote_->setVisible(!hooks_.hotKeysAvailable());
    email_->setChecked(settings_.emailCheck());
    lan_->setChecked(settings_.lanCheck());
    ftp_->setChecked(settings_.ftpCheck());
    struct T { int id; std::string value; };
    for (const T& t : {T{105, settings_.emailAttachFolder()}, T{108, settings_.lanFolder()},
                       T{111, settings_.ftpServer()}, T{113, settings_.ftpUserName()},
                       T{115, settings_.ftpPassword()}, T{117, settings_.ftpDir()},
                       T{kSmtpServer, settings_.smtpServer()}, T{kSmtpUser, settings_.smtpUser()},
                       T{kSmtpPassword, settings_.smtpPassword()},
                       T{kSmtpFrom, settings_.smtpFrom()}})
        static_cast<QLineEdit*>(control(t.id))->setText(qs(t.value));
    interval_->setCurrentIndex(intervalIndex(settings_.ftpInterval()));
    showFtpSecurity();
    updateDependents();
}

void SettingsDialog::updateDependents() {
    for (int id : {104, 105}) control(id)->setEnabled(email_->isChecked());
    for (int id : {107, 108}) control(id)->setEnabled(lan_->isChecked());
    for (int id = 110; id <= kFtpSecurityNote; ++id) control(id)->setEnabled(ftp_->isChecked());
}

void SettingsDialog::showPedalDescription() {
    PedalTypeInfo info = pedalTypeInfo(pedal_->currentIndex());
    pedalText_->setText(QString::fromUtf8(info.description.data(), qsizetype(info.description.size())));
}

void SettingsDialog::writeFtp() {
    settings_.setFtpCheck(ftp_->isChecked());
    settings_.setFtpServer(text259(static_cast<QLineEdit*>(control(111))));
    settings_.setFtpUserName(text259(static_cast<QLineEdit*>(control(113))));
    settings_.setFtpPassword(text259(static_cast<QLineEdit*>(control(115))));
    settings_.setFtpDir(text259(static_cast<QLineEdit*>(control(117))));
    if (interval_->currentIndex() >= 0)
        settings_.setFtpInterval(intervalSeconds(interval_->currentIndex()));
}

void SettingsDialog::showFtpSecurity() {
    const QString server = static_cast<QLineEdit*>(control(111))->text().trimmed();
    if (server.startsWith(QStringLiteral("ftp://"), Qt::CaseInsensitive))
        ftpNote_->setText(tr("Plain FTP: the password and the dictations travel "
                             "unencrypted."));
    else if (server.startsWith(QStringLiteral("ftps://"), Qt::CaseInsensitive))
        ftpNote_->setText(tr("Encrypted (TLS from the start)."));
    else
        ftpNote_->setText(tr("Encrypted when the server offers TLS; if it offers none, "
                             "the password travels unencrypted."));
}

bool SettingsDialog::refuseOwnFolder(int editId, const char* what) {
    const std::string folder = text259(static_cast<QLineEdit*>(control(editId)));
    const TransferFolders own{settings_.incomingFiles(), settings_.currentFiles(),
                              settings_.doneFiles(), settings_.statusFolder(),
                              settings_.settingsFile()};
    const std::string name = ownFolderNamed(own, folder);
    if (name.empty()) return false;
    hooks_.warn(tr("Settings"),
                tr("The %1 is the program's own %2 folder. Incoming dictation would "
                   "be taken out of it (or its files deleted).\n\nChoose the folder "
                   "where the other program leaves the files.")
                    .arg(tr(what), qs(name)));
    control(editId)->setFocus();
    return true;
}

void SettingsDialog::accept() {
    if (refuseOwnFolder(105, QT_TR_NOOP("attachment folder")) ||
        refuseOwnFolder(108, QT_TR_NOOP("shared folder"))) return;
    settings_.setSoundOutDevice(device_->currentIndex());
    settings_.setSoundOutDeviceName(device_->currentIndex() >= 0 ? hooks_.deviceId(device_->currentIndex())
                                                                 : std::string());
    settings_.setSoundOutVolume(volume_->value());
    settings_.setClearVoice(clearVoice_->isChecked());
    if (pedal_->currentIndex() >= 0) {
        int type = pedal_->currentIndex();
        settings_.setPedalType(type);
        if (type != 0 && !hooks_.pedalFound(type))
            hooks_.warn(tr("Game Control Device Error"),
                        tr("You have selected a foot pedal but no pedal device was "
                           "found.\n\nPlease check that the pedal is connected and "
                           "that you may read it (see Help, Foot pedals)."));
    }
    settings_.setHotKeys(hotKeys_->isChecked());
    // Speeds outside the speed bar's range could not be played; hold them to it.
    settings_.setSlowSpeed(MainDialog::clampSpeed(std::atoi(slow_->text().toLatin1().constData())));
    settings_.setFastSpeed(MainDialog::clampSpeed(std::atoi(fast_->text().toLatin1().constData())));
    settings_.setEmailCheck(email_->isChecked());
    settings_.setEmailAttachFolder(text259(static_cast<QLineEdit*>(control(105))));
    settings_.setLanCheck(lan_->isChecked());
    settings_.setLanFolder(text259(static_cast<QLineEdit*>(control(108))));
    writeFtp();
    settings_.setSmtpServer(text259(static_cast<QLineEdit*>(control(kSmtpServer))));
    settings_.setSmtpUser(text259(static_cast<QLineEdit*>(control(kSmtpUser))));
    settings_.setSmtpPassword(text259(static_cast<QLineEdit*>(control(kSmtpPassword))));
    settings_.setSmtpFrom(text259(static_cast<QLineEdit*>(control(kSmtpFrom))));
    typing_->save();
    QDialog::accept();
}

void SettingsDialog::checkNow() {
    writeFtp();
    if (loader_) loader_->forceFtpCheck();
    if (checking_) return;
    FtpProbeSettings probe{settings_.ftpServer(), settings_.ftpUserName(), settings_.ftpPassword(),
                           settings_.ftpDir(), settings_.ftpCertSha256()};
    if (checker_.joinable()) checker_.join();
    checking_ = true;
    stopCheck_ = std::make_shared<std::atomic<bool>>(false);
    control(120)->setEnabled(false);
    // The destructor stops and joins this thread, so the dialog is alive
    // when it posts its answer.
    checker_ = std::thread([this, probe, stop = stopCheck_, run = hooks_.probeFtp] {
        FtpProbeResult result = run(probe, [stop] { return stop->load(); });
        QMetaObject::invokeMethod(this, [this, result] { checkAnswered(result); },
                                  Qt::QueuedConnection);
    });
}

void SettingsDialog::checkAnswered(const FtpProbeResult& result) {
    if (checker_.joinable()) checker_.join();
    checking_ = false;
    control(120)->setEnabled(ftp_->isChecked());
    const QString title = tr("Check Now");
    if (result.ok) {
        hooks_.inform(title, result.encrypted
                                 ? tr("The FTP host answered; the session is encrypted.")
                                 : tr("The FTP host answered; the session is NOT "
                                      "encrypted (the password travelled in clear)."));
        return;
    }
    if (!result.certificateProblem) {
        hooks_.warn(title, tr("The FTP check failed: %1").arg(qs(result.error)));
        return;
    }
    const CertificateChoice choice = hooks_.chooseCertificate(
        title, tr("The FTP check ended: %1.\n\nTrust this certificate only if its "
                  "SHA-256 fingerprint is the one your FTP provider gave you:\n%2\n\n"
                  "Or use plain FTP, where the password travels unencrypted.")
                   .arg(qs(result.error), qs(result.fingerprint)));
    if (choice == CertificateChoice::Cancel) return;
    if (choice == CertificateChoice::Trust) {
        settings_.setFtpCertSha256(result.fingerprint);
    } else {
        auto* server = static_cast<QLineEdit*>(control(111));
        QString host = server->text().trimmed();
        if (host.startsWith(QStringLiteral("ftps://"), Qt::CaseInsensitive)) host = host.mid(7);
        server->setText(QStringLiteral("ftp://") + host);
        writeFtp();
    }
    if (loader_) loader_->forceFtpCheck();
}

bool SettingsDialog::waitForCheck(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (checking_ && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return !checking_;
}

void SettingsDialog::sendTestMail() {
    MailSettings mail;
    mail.server = text259(static_cast<QLineEdit*>(control(kSmtpServer)));
    mail.user = text259(static_cast<QLineEdit*>(control(kSmtpUser)));
    mail.password = text259(static_cast<QLineEdit*>(control(kSmtpPassword)));
    mail.from = text259(static_cast<QLineEdit*>(control(kSmtpFrom)));
    const QString title = tr("Send Test Mail");
    if (mail.from.empty()) {
        hooks_.warn(title, tr("Enter the sender address first; the test mail is "
                              "sent to it."));
        return;
    }
    MailSendResult result = hooks_.sendTestMail(mail, mail.from);
    if (result.sent)
        hooks_.inform(title, tr("A test mail was sent to %1.").arg(qs(mail.from)));
    else
        hooks_.warn(title, tr("The test mail was not sent: %1").arg(qs(result.error)));
}

}  // namespace typix
