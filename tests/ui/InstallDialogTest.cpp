// The installer's dialogs in the test process: what the progress dialog
// shows while copying, Cancel, a refused licence, and the licence dialog's
// buttons.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "app/AppTestFolder.h"
#include "app/InstallSetupFile.h"
#include "app/UninstallSession.h"
#include "app/Version.h"
#include "ui/InstallDialog.h"
#include "ui/LicenceDialog.h"
#include "ui/UiTestSupport.h"
#include "ui/UninstallDialog.h"
#include "ModalHelper.h"

namespace typix {
namespace {

using apptest::exists;
using apptest::readBytes;
using apptest::ScopedEnv;
using apptest::TestFolder;
using apptest::writeBytes;

using uitest::whenModal;

// Records what the dialog shows at each chunk and can press Cancel there.
class WatchedInstallDialog : public InstallDialog {
public:
    using InstallDialog::InstallDialog;

    bool licenceAnswer = true;
    int cancelAtChunk = -1;
    int chunks = 0;
    QString heading, step, banner;
    int barValue = -1;

protected:
    bool agreeToLicence() override { return licenceAnswer; }
    bool chunkCopied(int percent) override {
        if (++chunks == cancelAtChunk)
            window()->findChild<QPushButton*>(QStringLiteral("2"))->click();
        const bool goOn = InstallDialog::chunkCopied(percent);
        if (window()) {
            heading = window()->findChild<QLabel*>(QStringLiteral("100"))->text();
            step = window()->findChild<QLabel*>(QStringLiteral("101"))->text();
            banner = window()->findChild<QLabel*>(QStringLiteral("103"))->text();
            barValue = window()->findChild<QProgressBar*>(QStringLiteral("102"))->value();
        }
        return goOn;
    }
};

class InstallDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(tmp_.file("program"), std::string(20000, 'p'));
        writeBytes(tmp_.file("help"), std::string(3000, 'h'));
        ASSERT_TRUE(makeSetupFile(tmp_.file("program"), tmp_.file("help"), tmp_.file("setup")));
        at_.installFolder = tmp_.folder() + "Korvel Typix";
        at_.binLink = tmp_.file("bin/typix");
        at_.applicationsFolder = tmp_.folder() + "applications";
        at_.uninstallRecord = tmp_.file("korvel-typix/uninstall.ini");
        at_.mimeFolder = tmp_.folder() + "mime";
        at_.mimeappsList = tmp_.file("mimeapps.list");
        at_.iconsFolder = tmp_.folder() + "icons/hicolor";
        at_.foldersIni = tmp_.file("folders.ini");
        at_.udevRulesFolder = tmp_.folder() + "rules.d";
        ASSERT_TRUE(prepareInstallFolder(at_));
    }
    InstallSource source() const { return {tmp_.file("setup"), "<svg/>", {}}; }

    uitest::AppGuard guard_;
    ScopedEnv noLaunch_{"TYPIX_NO_LAUNCH", "1"};
    TestFolder tmp_;
    InstallLocations at_;
};

TEST_F(InstallDialogTest, ShowsHeadingStepBannerAndProgressWhileCopying) {
    WatchedInstallDialog dialog(at_, source());
    EXPECT_EQ(dialog.run(nullptr), 1);
    EXPECT_EQ(dialog.report().outcome, InstallOutcome::Installed);
    EXPECT_EQ(dialog.chunks, 6);  // 20000 bytes in 5 chunks, 3000 in 1
    EXPECT_EQ(dialog.heading, "Installing Korvel Typix");
    EXPECT_EQ(dialog.step, "typix-help.html");
    EXPECT_EQ(dialog.banner, QStringLiteral("TYPIX v %1\nBrennick").arg(QLatin1String(kProgramVersion)));
    EXPECT_EQ(dialog.barValue, 100);
    EXPECT_EQ(readBytes(at_.programFile()), std::string(20000, 'p'));
    EXPECT_TRUE(dialog.report().uninstallRecordWritten);
    EXPECT_EQ(dialog.report().pedalRule, PedalRuleResult::NoRights);  // no rules folder here
    EXPECT_FALSE(dialog.report().programStarted);
}

// The installed program starts at the end unless TYPIX_NO_LAUNCH=1; here the
// "program" is a script that leaves a mark.
TEST_F(InstallDialogTest, StartsTheInstalledProgramAtTheEnd) {
    const std::string mark = tmp_.file("started");
    writeBytes(tmp_.file("program"), "#!/bin/sh\necho started > '" + mark + "'\n");
    ASSERT_TRUE(makeSetupFile(tmp_.file("program"), tmp_.file("help"), tmp_.file("setup")));
    ScopedEnv launch("TYPIX_NO_LAUNCH", std::nullopt);
    WatchedInstallDialog dialog(at_, source());
    EXPECT_EQ(dialog.run(nullptr), 1);
    EXPECT_TRUE(dialog.report().programStarted);
    for (int i = 0; i < 200 && readBytes(mark).empty(); ++i) QThread::msleep(10);
    EXPECT_EQ(readBytes(mark), "started\n");
}

TEST_F(InstallDialogTest, CancelStopsAfterTheChunkAndInstallsNothing) {
    WatchedInstallDialog dialog(at_, source());
    dialog.cancelAtChunk = 2;
    EXPECT_EQ(dialog.run(nullptr), 0);
    EXPECT_EQ(dialog.report().outcome, InstallOutcome::Cancelled);
    EXPECT_EQ(dialog.chunks, 2);
    EXPECT_FALSE(exists(at_.programFile()));
    EXPECT_FALSE(exists(at_.menuEntry()));
}

TEST_F(InstallDialogTest, ARefusedLicenceCopiesNothingAndMakesNoFolders) {
    WatchedInstallDialog dialog(at_, source());
    dialog.licenceAnswer = false;
    EXPECT_EQ(dialog.run(nullptr), 0);
    EXPECT_EQ(dialog.report().outcome, InstallOutcome::LicenceRefused);
    EXPECT_EQ(dialog.chunks, 0);
    EXPECT_FALSE(exists(at_.installFolder + "/Current Files"));
    EXPECT_FALSE(exists(at_.programFile()));
}

TEST_F(InstallDialogTest, LicenceDialogAgreesOnlyWithItsAgreeButton) {
    ScopedEnv interactive("TYPIX_ASSUME_YES", std::nullopt);
    for (const char* button : {"agree", "disagree"}) {
        QTimer::singleShot(0, [button] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == "LicenceTermsDlg" && w->isVisible())
                    w->findChild<QPushButton*>(QString::fromLatin1(button))->click();
            }
        });
        EXPECT_EQ(LicenceDialog::ask(nullptr), std::string(button) == "agree") << button;
    }
    ScopedEnv unattended("TYPIX_ASSUME_YES", "1");
    EXPECT_TRUE(LicenceDialog::ask(nullptr));
}

// The removal asks twice, the second question separately and with No as its
// default; the data goes only when that one is answered Yes.
TEST_F(InstallDialogTest, RemovalAsksSeparatelyBeforeDeletingDictationsAndDefaultsToNo) {
    ScopedEnv interactive("TYPIX_ASSUME_YES", std::nullopt);
    WatchedInstallDialog installer(at_, source());
    ASSERT_EQ(installer.run(nullptr), 1);
    const std::string queued = at_.installFolder + "/Current Files/d1.wav";
    const std::string typing = at_.installFolder + "/Current Files/d1.txt";
    writeBytes(queued, "RIFF");
    writeBytes(typing, "Dear Sir,");

    // The user's answers to the first and the second question; an empty
    // second answer presses the default button, as Enter would.
    const auto remove = [&](QMessageBox::StandardButton first, const char* second,
                            QString& secondText, bool& defaultIsNo) {
        whenModal<QMessageBox>([=, &secondText, &defaultIsNo](QMessageBox* box) {
            EXPECT_EQ(box->text().toStdString(), kUninstallQuestion);
            if (first == QMessageBox::Yes) {
                whenModal<QMessageBox>([=, &secondText, &defaultIsNo](QMessageBox* next) {
                    secondText = next->text();
                    defaultIsNo = next->defaultButton() == next->button(QMessageBox::No);
                    if (std::string(second) == "Yes") next->button(QMessageBox::Yes)->click();
                    else next->defaultButton()->click();
                });
            }
            box->button(first)->click();
        });
        UninstallDialog dialog(at_, UninstallStage::Remove, "");
        dialog.run(nullptr);
    };

    QString text;
    bool defaultIsNo = false;
    remove(QMessageBox::No, "", text, defaultIsNo);
    EXPECT_TRUE(exists(at_.programFile()));
    EXPECT_TRUE(text.isEmpty());  // no second question after No

    remove(QMessageBox::Yes, "", text, defaultIsNo);
    EXPECT_TRUE(defaultIsNo);
    EXPECT_TRUE(text.contains(QString::fromStdString(at_.installFolder + "/Current Files")))
        << text.toStdString();
    EXPECT_FALSE(exists(at_.programFile()));
    EXPECT_FALSE(exists(at_.menuEntry()));
    EXPECT_EQ(readBytes(typing), "Dear Sir,");
    EXPECT_TRUE(exists(queued));

    remove(QMessageBox::Yes, "Yes", text, defaultIsNo);
    EXPECT_FALSE(exists(queued));
    EXPECT_FALSE(exists(typing));
    EXPECT_FALSE(exists(at_.installFolder + "/Current Files"));
}

}  // namespace
}  // namespace typix
