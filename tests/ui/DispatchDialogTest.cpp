// The dispatch dialog on its own: what it shows, Browse, Help, and what it
// does when there is no mail system or sending fails.  Sending for real is
// covered with the main window (TypingPadTest) and the mail tests.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QLabel>
#include <QTextBrowser>
#include <QTimer>

#include <filesystem>

#include "MainWindowFixture.h"
#include "app/Settings.h"
#include "store/TypingFile.h"
#include "transfer/MailTestServer.h"
#include "transfer/SendmailTransport.h"
#include "ui/DispatchDialog.h"
#include "ui/HelpWindow.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct DispatchDialogTest : MainWindowFixture {
    std::unique_ptr<DispatchDialog> make(const std::string& name, const std::string& typing) {
        DispatchDialog::Prompts prompts;
        prompts.warn = [this](const QString& caption, const QString& text) {
            boxes.push_back({caption.toStdString(), text.toStdString()});
        };
        prompts.openFile = [this](const QString&, const QString& folder) {
            browsedFrom.push_back(folder.toStdString());
            return chosenFile;
        };
        return std::make_unique<DispatchDialog>(settings, "doctor@example.org", name, typing,
                                                nullptr, prompts);
    }
    std::vector<std::pair<std::string, std::string>> boxes;
    std::vector<std::string> browsedFrom;
};

TEST_F(DispatchDialogTest, FieldsComeFromTheRecordAndTheWholeTypingFile) {
    std::string typing = settings.currentFiles() + "a.txt";
    std::string text(40000, 'x');
    text += "END";
    writeTyping(typing, text);
    auto d = make("Smith", typing);
    EXPECT_EQ(d->emailField()->text().toStdString(), "doctor@example.org");
    EXPECT_EQ(d->subjectField()->text().toStdString(), "Dictation (Smith)");
    EXPECT_EQ(d->messageField()->toPlainText().toStdString(), text) << "nothing cut off";
    EXPECT_TRUE(d->attachField()->text().isEmpty());
    auto unnamed = make("", settings.currentFiles() + "missing.txt");
    EXPECT_EQ(unnamed->subjectField()->text().toStdString(), "Dictation");
    EXPECT_TRUE(unnamed->messageField()->toPlainText().isEmpty());
}

TEST_F(DispatchDialogTest, BrowseRemembersTheFolderOfTheChosenDocument) {
    auto d = make("A", "");
    std::filesystem::create_directories(root + "/letters");
    chosenFile = QString::fromStdString(root + "/letters/reply.doc");
    d->browse();
    EXPECT_EQ(d->attachField()->text(), chosenFile);
    EXPECT_EQ(settings.dispatchAttachDir(), root + "/letters/");
    chosenFile.clear();  // cancelled: nothing changes
    d->browse();
    EXPECT_EQ(browsedFrom, (std::vector<std::string>{"", root + "/letters/"}));
    EXPECT_EQ(d->attachField()->text().toStdString(), root + "/letters/reply.doc");
}

TEST_F(DispatchDialogTest, WithoutAMailSystemItSaysSoAndStaysOpen) {
    unsetenv("TYPIX_SENDMAIL");
    if (!SendmailTransport::findProgram().empty()) GTEST_SKIP() << "this machine has a sendmail program";
    auto d = make("A", "");
    d->open();
    d->dispatchMail();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Email Software not Compliant");
    EXPECT_NE(boxes[0].second.find("SMTP server in Settings"), std::string::npos);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->result(), 0);
}

TEST_F(DispatchDialogTest, AFailedSendShowsTheReasonAndStaysOpen) {
    settings.setSmtpServer("smtp://127.0.0.1:1");
    auto d = make("A", "");
    d->open();
    d->dispatchMail();
    ASSERT_TRUE(d->waitUntilSent());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].second.find("127.0.0.1:1"), std::string::npos) << boxes[0].second;
    EXPECT_TRUE(d->isVisible());
}

TEST_F(DispatchDialogTest, AServerThatNeverAnswersLeavesTheWindowAliveAndCancelStopsIt) {
    test::MailTestServer silent(root + "/silent", "--silent");
    settings.setSmtpServer(silent.url());
    auto d = make("A", "typing");
    d->open();
    d->dispatchMail();
    EXPECT_TRUE(d->isSending());
    EXPECT_FALSE(d->emailField()->isEnabled());
    // The event loop keeps running while the mail system is silent.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    EXPECT_FALSE(d->waitUntilSent(300));
    EXPECT_GE(ticks, 5);
    d->reject();  // Cancel while sending stops the send, not the dialog
    ASSERT_TRUE(d->waitUntilSent(10000));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->result(), 0);
    EXPECT_TRUE(d->emailField()->isEnabled());
    EXPECT_TRUE(d->stateLabel()->text().contains("nothing was sent"));
    EXPECT_TRUE(boxes.empty());
    d->reject();
    EXPECT_FALSE(d->isVisible());
}

TEST_F(DispatchDialogTest, ClosingWhileSendingEndsTheWorker) {
    test::MailTestServer silent(root + "/silent", "--silent");
    settings.setSmtpServer(silent.url());
    auto d = make("A", "");
    d->open();
    d->dispatchMail();
    d.reset();  // joins the worker after cancelling it
    SUCCEED();
}

TEST_F(DispatchDialogTest, HelpOpensAtTheDispatchTopic) {
    auto d = make("A", "");
    d->showHelp();
    EXPECT_EQ(HelpWindow::instance().currentAnchor(), "dispatch");
    EXPECT_TRUE(HelpWindow::instance().browser()->toHtml().contains("Dispatch"));
    HelpWindow::instance().hide();
}

}  // namespace
