// The settings dialog over a settings file of its own: what it shows for the
// stored keys, what OK, Cancel and Check Now write, and the dependent controls.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "MainWindowFixture.h"
#include "ui/LDBEdit.h"
#include "ui/SettingsDialog.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct SettingsDialogTest : MainWindowFixture {
    std::unique_ptr<SettingsDialog> make(bool pedalFound = false, bool x11 = true) {
        SettingsDialog::Hooks hooks;
        hooks.deviceName = [](int i) { return i < 2 ? "Card " + std::to_string(i) : ""; };
        hooks.pedalFound = [pedalFound](int) { return pedalFound; };
        hooks.warn = [this](const QString& title, const QString& text) {
            boxes.push_back(title.toStdString() + ": " + text.toStdString());
        };
        hooks.inform = hooks.warn;
        hooks.sendTestMail = [this](const MailSettings& m, const std::string& to) {
            mailServer = m.server;
            mailTo = to;
            return MailSendResult{true, ""};
        };
        hooks.help = [this](int context) { helpContext = context; };
        hooks.hotKeysAvailable = [x11] { return x11; };
        hooks.probeFtp = [this](const FtpProbeSettings& probe, const std::function<bool()>&) {
            probed.push_back(probe.server);
            return probeAnswer;
        };
        hooks.chooseCertificate = [this](const QString&, const QString& text) {
            boxes.push_back("certificate: " + text.toStdString());
            return certificateChoice;
        };
        return std::make_unique<SettingsDialog>(settings, nullptr, nullptr, hooks);
    }
    template <class W>
    static W* get(SettingsDialog& d, int id) {
        W* w = qobject_cast<W*>(d.control(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    static void click(SettingsDialog& d, int id) { get<QAbstractButton>(d, id)->click(); }
    static std::string text(SettingsDialog& d, int id) {
        return get<QLineEdit>(d, id)->text().toStdString();
    }

    std::vector<std::string> boxes;
    std::string mailServer, mailTo;
    int helpContext = 0;
    std::vector<std::string> probed;
    FtpProbeResult probeAnswer;
    SettingsDialog::CertificateChoice certificateChoice = SettingsDialog::CertificateChoice::Cancel;
};

TEST(SettingsIntervals, StoredValuesMapToTheListAndBack) {
    struct Row { int stored, index, written; };
    const Row rows[] = {{0, 6, 0},       {-5, 6, 0},      {1, 0, 300},      {600, 0, 300},
                        {601, 1, 1200},  {900, 1, 1200},  {1800, 1, 1200},  {1801, 2, 3600},
                        {4500, 2, 3600}, {4501, 3, 7200}, {9001, 4, 10800}, {14401, 5, 18000},
                        {86400, 5, 18000}, {86401, 6, 0}};
    for (const Row& r : rows) {
        EXPECT_EQ(SettingsDialog::intervalIndex(r.stored), r.index) << r.stored;
        EXPECT_EQ(SettingsDialog::intervalSeconds(r.index), r.written) << r.stored;
    }
    EXPECT_EQ(SettingsDialog::intervalSeconds(-1), 0);
}

TEST_F(SettingsDialogTest, IntervalShownForStoredValueAndWrittenByOk) {
    struct Row { int stored; const char* shown; int written; };
    for (Row r : {Row{900, "Every 20 mins", 1200}, Row{90000, "Never", 0}}) {
        settings.setFtpInterval(r.stored);
        auto d = make();
        EXPECT_EQ(get<QComboBox>(*d, 119)->currentText().toStdString(), r.shown);
        d->accept();
        EXPECT_EQ(settings.ftpInterval(), r.written);
    }
}

TEST_F(SettingsDialogTest, ShowsEveryStoredKeyAndOkWritesEveryKey) {
    settings.setSoundOutDevice(1);
    settings.setSoundOutVolume(-6);
    settings.setSlowSpeed(40);
    settings.setPedalType(7);
    settings.setHotKeys(false);
    settings.setLanCheck(true);
    settings.setLanFolder("/srv/share");
    settings.setFtpPassword("secret");
    settings.setSmtpServer("mail.example");
    auto d = make(true);
    EXPECT_EQ(get<QComboBox>(*d, 101)->count(), 2);
    EXPECT_EQ(get<QComboBox>(*d, 101)->currentIndex(), 1);
    EXPECT_EQ(get<LDBEdit>(*d, 102)->value(), -6);
    EXPECT_EQ(text(*d, 130), "40");
    EXPECT_EQ(text(*d, 131), "150");
    EXPECT_EQ(get<QComboBox>(*d, 141)->currentIndex(), 7);
    EXPECT_EQ(get<QLabel>(*d, 142)->text().toStdString(),
              "Suitable for USB foot pedals with three pedals (left rewind, middle play, right "
              "fast forward).");
    EXPECT_FALSE(get<QCheckBox>(*d, 140)->isChecked());
    EXPECT_TRUE(get<QCheckBox>(*d, 106)->isChecked());
    EXPECT_EQ(get<QLineEdit>(*d, 115)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(get<QLineEdit>(*d, SettingsDialog::kSmtpPassword)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(text(*d, SettingsDialog::kSmtpServer), "mail.example");

    get<QComboBox>(*d, 141)->setCurrentIndex(3);
    EXPECT_EQ(get<QLabel>(*d, 142)->text().toStdString(), "Suitable for \"rudder\" contol pedals.");
    get<QCheckBox>(*d, 140)->setChecked(true);
    get<QLineEdit>(*d, 130)->setText(QStringLiteral("5"));    // held to 10
    get<QLineEdit>(*d, 131)->setText(QStringLiteral("250x"));  // 250, held to 200
    get<QLineEdit>(*d, 105)->setText(QString(300, QLatin1Char('m')));
    get<QLineEdit>(*d, 111)->setText(QStringLiteral("ftp.example"));
    get<QLineEdit>(*d, SettingsDialog::kSmtpFrom)->setText(QStringLiteral("me@example"));
    get<QComboBox>(*d, 101)->setCurrentIndex(0);
    click(*d, 1);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(settings.soundOutDevice(), 0);
    EXPECT_EQ(settings.soundOutVolume(), -6);
    EXPECT_EQ(settings.pedalType(), 3);
    EXPECT_TRUE(settings.hotKeys());
    EXPECT_EQ(settings.slowSpeed(), 10);
    EXPECT_EQ(settings.fastSpeed(), 200);
    EXPECT_EQ(settings.emailAttachFolder().size(), 259u);
    EXPECT_EQ(settings.lanFolder(), "/srv/share");
    EXPECT_EQ(settings.ftpServer(), "ftp.example");
    EXPECT_EQ(settings.ftpPassword(), "secret");
    EXPECT_EQ(settings.smtpFrom(), "me@example");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsDialogTest, PedalWithoutDeviceWarnsAndIsStoredAllTheSame) {
    auto d = make(false);
    get<QComboBox>(*d, 141)->setCurrentIndex(2);
    click(*d, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Game Control Device Error: ", 0), 0u) << boxes[0];
    EXPECT_EQ(settings.pedalType(), 2);
    EXPECT_EQ(d->result(), QDialog::Accepted);
}

TEST_F(SettingsDialogTest, CheckboxesEnableTheirControls) {
    auto d = make();
    const int ftpControls[] = {110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120};
    for (int id : ftpControls) EXPECT_FALSE(d->control(id)->isEnabled()) << id;
    click(*d, 109);
    for (int id : ftpControls) EXPECT_TRUE(d->control(id)->isEnabled()) << id;
    click(*d, 109);
    for (int id : ftpControls) EXPECT_FALSE(d->control(id)->isEnabled()) << id;
    click(*d, 103);
    EXPECT_TRUE(d->control(105)->isEnabled());
    EXPECT_FALSE(d->control(108)->isEnabled());
    click(*d, 106);
    EXPECT_TRUE(d->control(107)->isEnabled());
}

TEST_F(SettingsDialogTest, CancelWritesNothingButKeepsWhatCheckNowWrote) {
    settings.setFtpServer("old.example");
    settings.setLanFolder("/old");
    auto d = make();
    click(*d, 109);
    get<QLineEdit>(*d, 111)->setText(QStringLiteral("new.example"));
    get<QComboBox>(*d, 119)->setCurrentIndex(2);
    get<QLineEdit>(*d, 108)->setText(QStringLiteral("/new"));
    click(*d, 120);
    EXPECT_EQ(settings.ftpServer(), "new.example");
    get<QLineEdit>(*d, 111)->setText(QStringLiteral("newer.example"));
    click(*d, 2);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(settings.ftpServer(), "new.example");
    EXPECT_TRUE(settings.ftpCheck());
    EXPECT_EQ(settings.ftpInterval(), 3600);
    EXPECT_EQ(settings.lanFolder(), "/old") << "only the FTP part is written by Check Now";
}

TEST_F(SettingsDialogTest, HelpTestMailAndTheHotKeyNote) {
    auto d = make(false, false);
    click(*d, 9);
    EXPECT_EQ(helpContext, 101);
    EXPECT_FALSE(d->control(SettingsDialog::kHotKeyNote)->isHidden()) << "no X11: keys not global";
    EXPECT_TRUE(make(false, true)->control(SettingsDialog::kHotKeyNote)->isHidden());

    click(*d, SettingsDialog::kSendTestMail);
    ASSERT_EQ(boxes.size(), 1u) << "no sender address: asks for one";
    EXPECT_TRUE(mailTo.empty());
    get<QLineEdit>(*d, SettingsDialog::kSmtpServer)->setText(QStringLiteral("127.0.0.1:2525"));
    get<QLineEdit>(*d, SettingsDialog::kSmtpFrom)->setText(QStringLiteral("typist@example"));
    click(*d, SettingsDialog::kSendTestMail);
    EXPECT_EQ(mailServer, "127.0.0.1:2525") << "the values in the dialog, not the stored ones";
    EXPECT_EQ(mailTo, "typist@example");
    EXPECT_TRUE(settings.smtpServer().empty());
}

TEST_F(SettingsDialogTest, TheProgramsOwnFoldersAreRefusedAsSources) {
    auto d = make();
    get<QLineEdit>(*d, 108)->setText(QString::fromStdString(settings.incomingFiles()));
    d->accept();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Incoming Files"), std::string::npos) << boxes[0];
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_TRUE(settings.lanFolder().empty()) << "nothing written";
    get<QLineEdit>(*d, 108)->setText(QStringLiteral("/srv/share"));
    get<QLineEdit>(*d, 105)->setText(QString::fromStdString(settings.statusFolder()));
    d->accept();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].find("Status"), std::string::npos) << boxes[1];
    get<QLineEdit>(*d, 105)->setText(QStringLiteral("/srv/mail"));
    d->accept();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(settings.lanFolder(), "/srv/share");
}

TEST_F(SettingsDialogTest, CheckNowOffersToTrustAnUnverifiableCertificateOrPlainFtp) {
    auto d = make();
    click(*d, 109);
    auto* server = get<QLineEdit>(*d, 111);
    auto* note = get<QLabel>(*d, SettingsDialog::kFtpSecurityNote);
    server->setText(QStringLiteral("ftp://host.example"));
    EXPECT_TRUE(note->text().contains("unencrypted")) << note->text().toStdString();
    server->setText(QStringLiteral("host.example"));
    EXPECT_TRUE(note->text().contains("offers TLS"));

    probeAnswer.certificateProblem = true;
    probeAnswer.fingerprint = "AB:CD";
    probeAnswer.error = "the FTP server's certificate cannot be verified (self-signed certificate)";
    certificateChoice = SettingsDialog::CertificateChoice::Trust;
    click(*d, 120);
    ASSERT_TRUE(d->waitForCheck());
    EXPECT_EQ(probed, std::vector<std::string>{"host.example"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("AB:CD"), std::string::npos);
    EXPECT_NE(boxes[0].find("self-signed"), std::string::npos);
    EXPECT_EQ(settings.ftpCertSha256(), "AB:CD");

    certificateChoice = SettingsDialog::CertificateChoice::UsePlainFtp;
    click(*d, 120);
    ASSERT_TRUE(d->waitForCheck());
    EXPECT_EQ(settings.ftpServer(), "ftp://host.example");
    EXPECT_EQ(server->text(), "ftp://host.example");

    probeAnswer = FtpProbeResult{};
    probeAnswer.error = "the server answered \"530 Login incorrect\"";
    click(*d, 120);
    ASSERT_TRUE(d->waitForCheck());
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_NE(boxes[2].find("530 Login incorrect"), std::string::npos) << boxes[2];
}

}  // namespace
