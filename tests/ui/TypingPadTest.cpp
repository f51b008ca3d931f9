// The typing pad and the file actions of the main window over real folders:
// when typing reaches the disk, the clipboard commands, the right-click
// selection, Dispatch through a real SMTP server on 127.0.0.1 (and its
// failures), and Recover Old Files.
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

#include <filesystem>

#include "MainWindowFixture.h"
#include "ModalHelper.h"
#include "transfer/MailTestServer.h"
#include "store/QueueStatusWriter.h"
#include "store/TypingFile.h"
#include "ui/CommandIds.h"
#include "ui/DispatchDialog.h"
#include "ui/RecoverDialog.h"

using namespace typix;
using namespace typix::uitest;
namespace fs = std::filesystem;

namespace {

int64_t modified(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? int64_t(st.st_mtime) : -1;
}

using SmtpServer = test::MailTestServer;

struct TypingPadTest : MainWindowFixture {
    void SetUp() override {
        MainWindowFixture::SetUp();
        unsetenv("TYPIX_SENDMAIL");
    }
    std::string current(const std::string& file) const { return settings.currentFiles() + file; }
    std::string done(const std::string& file) const { return settings.doneFiles() + file; }
    std::string status(const std::string& base) const {
        return DictationRecord(settings.currentFiles(), base).status();
    }
    // Runs Dispatch, letting `act` work the dispatch dialog.
    void dispatch(std::function<void(DispatchDialog*)> act) {
        whenModal<DispatchDialog>(std::move(act));
        dialog->command(cmd::kDispatch);
    }
};

TEST_F(TypingPadTest, SwitchingWithoutChangesWritesNothing) {
    addDictation("a", 1, 1.0, 1000000);
    addDictation("b", 1, 1.0, 2000000);
    writeTyping(current("a.txt"), "old text");
    utimbuf old{1000000000, 1000000000};
    utime(current("a.txt").c_str(), &old);
    MainDialog& d = open();
    d.fileList()->setCurrentRow(1);
    d.fileList()->setCurrentRow(0);
    d.fileList()->setCurrentRow(1);
    EXPECT_EQ(modified(current("a.txt")), 1000000000);
    EXPECT_FALSE(fs::exists(current("b.txt")));
}

TEST_F(TypingPadTest, AnEmptiedPadLeavesAnEmptyFile) {
    addDictation("a", 1, 1.0, 1000000);
    addDictation("b", 1, 1.0, 2000000);
    writeTyping(current("a.txt"), "to be removed");
    MainDialog& d = open();
    d.typingPad()->selectAll();
    d.typingPad()->textCursor().removeSelectedText();
    d.fileList()->setCurrentRow(1);
    ASSERT_TRUE(fs::exists(current("a.txt")));
    EXPECT_EQ(fs::file_size(current("a.txt")), 0u);
}

TEST_F(TypingPadTest, DeleteLosesTheUnsavedTypingAndNothingElse) {
    addDictation("a", 1, 1.0, 1000000);
    addDictation("b", 1, 1.0, 2000000);
    writeTyping(current("b.txt"), "b's typing");
    MainDialog& d = open();
    type(d.typingPad(), "unsaved");
    d.command(cmd::kDelete);
    for (const char* f : {"a.wav", "a.dat", "a.txt"}) EXPECT_FALSE(fs::exists(current(f))) << f;
    EXPECT_EQ(readTyping(current("b.txt")), "b's typing");
    EXPECT_TRUE(fs::exists(current("b.wav")));
    EXPECT_EQ(d.currentDictation(), current("b.wav"));
    EXPECT_EQ(d.typingPad()->toPlainText().toStdString(), "b's typing");
}

TEST_F(TypingPadTest, CopyAllCopiesAndLeavesTheWholeTextSelected) {
    addDictation("a");
    writeTyping(current("a.txt"), "first line\r\nsecond line");
    MainDialog& d = open();
    QTextCursor start = d.typingPad()->textCursor();
    start.setPosition(3);
    d.typingPad()->setTextCursor(start);
    d.command(cmd::kCopyAll);
    QTextCursor c = d.typingPad()->textCursor();
    EXPECT_EQ(c.selectionStart(), 0);
    EXPECT_EQ(c.selectionEnd(), d.typingPad()->document()->characterCount() - 1);
    EXPECT_EQ(QApplication::clipboard()->text(), d.typingPad()->toPlainText());
    // Cut and Paste go through the same clipboard.
    d.command(cmd::kCut);
    EXPECT_TRUE(d.typingPad()->toPlainText().isEmpty());
    d.command(cmd::kPaste);
    d.command(cmd::kPaste);
    EXPECT_EQ(d.typingPad()->toPlainText(), QApplication::clipboard()->text().repeated(2));
}

TEST_F(TypingPadTest, RightPressSelectsAndLoadsTheEntryUnderTheMouse) {
    addDictation("a", 1, 1.0, 1000000);
    addDictation("b", 1, 1.0, 2000000);
    MainDialog& d = open();
    d.show();
    type(d.typingPad(), "typed for a");
    QListWidget* list = d.fileList();
    QPoint at = list->visualItemRect(list->item(1)).center();
    mouse(list->viewport(), QEvent::MouseButtonPress, at, Qt::RightButton);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(d.currentDictation(), current("b.wav"));
    EXPECT_EQ(readTyping(current("a.txt")), "typed for a");
    // A right press below the entries changes nothing.
    mouse(list->viewport(), QEvent::MouseButtonPress, QPoint(at.x(), list->viewport()->height() - 2),
          Qt::RightButton);
    EXPECT_EQ(d.currentDictation(), current("b.wav"));
}

TEST_F(TypingPadTest, CancelledDispatchLeavesTheDictationAsItWas) {
    addDictation("a");
    MainDialog& d = open();
    ASSERT_TRUE(d.placeWriter().waitUntilIdle(5000));
    std::string before = status("a");
    type(d.typingPad(), "typed");
    QString shownSubject;
    dispatch([&](DispatchDialog* box) {
        shownSubject = box->subjectField()->text();
        box->reject();
    });
    EXPECT_EQ(shownSubject, "Dictation (Author)");
    EXPECT_EQ(readTyping(current("a.txt")), "typed") << "saved before the dialog";
    EXPECT_TRUE(fs::exists(current("a.wav")));
    EXPECT_EQ(status("a"), before);
    EXPECT_EQ(d.currentDictation(), current("a.wav"));
    EXPECT_EQ(d.fileList()->count(), 1);
}

TEST_F(TypingPadTest, DispatchSendsTheTypingAndFilesTheDictation) {
    SmtpServer server(root + "/mailbox");
    settings.setSmtpServer(server.url());
    settings.setSmtpFrom("typist@example.org");
    addDictation("a");
    DictationRecord(current(""), "a").setSenderEmail("doctor@example.org");
    MainDialog& d = open();
    type(d.typingPad(), "Dear Dr M\xc3\xbc" "ller");
    dispatch([](DispatchDialog* box) {
        box->dispatchMail();
        box->waitUntilSent();
    });
    EXPECT_EQ(server.received(1, "body.bin"), "Dear Dr M\xc3\xbcller");
    EXPECT_EQ(server.received(1, "to.txt"), "doctor@example.org");
    EXPECT_EQ(server.received(1, "subject.txt"), "Dictation (Author)");
    EXPECT_FALSE(fs::exists(current("a.wav")));
    ASSERT_TRUE(fs::exists(done("a.wav")));
    EXPECT_EQ(DictationRecord(settings.doneFiles(), "a").status(), "Dispatched");
    EXPECT_FALSE(d.hasDictation());
}

TEST_F(TypingPadTest, ARejectedRecipientLeavesTheDictationUndispatched) {
    SmtpServer server(root + "/mailbox", "--reject nobody@example.org");
    settings.setSmtpServer(server.url());
    addDictation("a");
    DictationRecord(current(""), "a").setSenderEmail("nobody@example.org");
    MainDialog& d = open();
    ASSERT_TRUE(d.placeWriter().waitUntilIdle(5000));
    std::string before = status("a");
    QString caption, text;
    bool stayedOpen = false;
    dispatch([&](DispatchDialog* box) {
        closeNextMessageBox(caption, text);
        box->dispatchMail();
        box->waitUntilSent();
        stayedOpen = box->isVisible() && box->result() == 0;
        box->reject();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_NE(text.indexOf("550"), -1) << text.toStdString();
    EXPECT_TRUE(fs::exists(current("a.wav")));
    EXPECT_EQ(status("a"), before);
    EXPECT_EQ(d.currentDictation(), current("a.wav"));
}

TEST_F(TypingPadTest, RecoveredDictationReturnsInQueueOrderWithItsStatus) {
    addDictation("b", 1, 1.0, 2000000, "Bea");
    addDictation("c", 1, 1.0, 3000000, "Cy");
    writeWave(done("a.wav"), 11025, 1, 1.0);
    DictationRecord(settings.doneFiles(), "a").setName("Al");
    DictationRecord(settings.doneFiles(), "a").setDate(1000000);
    DictationRecord(settings.doneFiles(), "a").setStatus("Done");
    writeTyping(done("a.txt"), "old typing");
    MainDialog& d = open();
    whenModal<RecoverDialog>([](RecoverDialog* box) {
        ASSERT_EQ(box->fileList()->count(), 1);
        box->fileList()->setCurrentRow(0);
        box->recover();
    });
    d.command(cmd::kRecover);
    ASSERT_EQ(d.fileList()->count(), 3);
    EXPECT_EQ(d.fileList()->item(0)->text().toStdString(), "a: Al");
    ASSERT_TRUE(d.placeWriter().waitUntilIdle(5000));
    EXPECT_EQ(status("a"), "List 1 of 3");
    EXPECT_EQ(status("b"), "List 2 of 3");
    EXPECT_EQ(readTyping(current("a.txt")), "old typing");
    EXPECT_EQ(d.currentDictation(), current("a.wav"));
}

}  // namespace
