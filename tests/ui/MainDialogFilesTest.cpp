// The file list of the real window: every entry is the dictation it shows,
// whatever its base name holds (a ':', bytes that are not UTF-8, a name that
// differs from another only in letter case), through Done, Delete and every
// rebuild of the list.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <filesystem>

#include "MainWindowFixture.h"
#include "store/TypingFile.h"
#include "ui/CommandIds.h"
#include "ui/FilesListBox.h"

using namespace typix;
using namespace typix::uitest;
namespace fs = std::filesystem;

namespace {

struct MainDialogFilesTest : MainWindowFixture {
    // A dictation with a record name and typing of its own; earlier dates list first.
    void addTyped(const std::string& base, int date, const std::string& name) {
        addDictation(base, 1, 1.0, date, name);
        writeTyping(settings.currentFiles() + base + ".txt", "typing of " + name);
    }
    bool tripleIn(const std::string& folder, const std::string& base) const {
        for (const char* ext : {".wav", ".dat", ".txt"})
            if (!fs::exists(folder + base + ext)) return false;
        return true;
    }
    std::string selectedBase() const { return FilesListBox::baseOf(dialog->fileList()->currentItem()); }
    std::string padText() const { return dialog->typingPad()->toPlainText().toStdString(); }

    // "Smith: letter" lists first and is loaded; "Smith" lists second.
    MainDialog& openColonPair() {
        addTyped("Smith", 2000000, "Other");
        addTyped("Smith: letter", 1000000, "Author");
        MainDialog& d = open();
        EXPECT_EQ(d.fileList()->item(0)->text().toStdString(), "Smith: letter: Author");
        EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "Smith: letter.wav");
        EXPECT_EQ(padText(), "typing of Author");
        return d;
    }
};

TEST_F(MainDialogFilesTest, DoneOnANameWithAColonFinishesThatDictationAlone) {
    MainDialog& d = openColonPair();
    d.command(cmd::kDone);
    EXPECT_TRUE(tripleIn(settings.doneFiles(), "Smith: letter"));
    EXPECT_TRUE(tripleIn(settings.currentFiles(), "Smith"));
    EXPECT_FALSE(fs::exists(settings.doneFiles() + "Smith.wav"));
    EXPECT_EQ(readTyping(settings.currentFiles() + "Smith.txt"), "typing of Other");
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "Smith.wav");
    EXPECT_EQ(padText(), "typing of Other");
}

TEST_F(MainDialogFilesTest, DeleteOnANameWithAColonDeletesThatDictationAlone) {
    MainDialog& d = openColonPair();
    d.command(cmd::kDelete);
    for (const char* ext : {".wav", ".dat", ".txt"})
        EXPECT_FALSE(fs::exists(settings.currentFiles() + "Smith: letter" + ext)) << ext;
    EXPECT_TRUE(tripleIn(settings.currentFiles(), "Smith"));
    EXPECT_EQ(readTyping(settings.currentFiles() + "Smith.txt"), "typing of Other");
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "Smith.wav");
}

TEST_F(MainDialogFilesTest, TypingGoesToTheColonNamedDictationOnly) {
    MainDialog& d = openColonPair();
    d.typingPad()->moveCursor(QTextCursor::End);
    type(d.typingPad(), QStringLiteral(" and more"));
    d.fileList()->setCurrentRow(1);  // another dictation: the typing is saved first
    EXPECT_EQ(readTyping(settings.currentFiles() + "Smith: letter.txt"), "typing of Author and more");
    EXPECT_EQ(readTyping(settings.currentFiles() + "Smith.txt"), "typing of Other");
}

TEST_F(MainDialogFilesTest, TheHighlightReturnsToExactlyTheOpenDictation) {
    // "smith" lists before "Smith"; a match that ignores case would pick it.
    addTyped("smith", 1000000, "lower");
    addTyped("Smith", 2000000, "upper");
    addTyped("Smith 2", 3000000, "longer");
    MainDialog& d = open();
    d.fileList()->setCurrentRow(1);
    ASSERT_EQ(d.currentDictation(), settings.currentFiles() + "Smith.wav");
    d.rebuildList();
    EXPECT_EQ(selectedBase(), "Smith");
    EXPECT_EQ(d.fileList()->currentRow(), 1);
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "Smith.wav");
    EXPECT_EQ(padText(), "typing of upper");
}

TEST_F(MainDialogFilesTest, ANameThatIsNotUtf8LoadsAndFinishes) {
    const std::string base = "M\xfcller";  // Windows-1252 bytes from an old share
    addTyped(base, 1000000, "Author");
    MainDialog& d = open();
    EXPECT_EQ(d.fileList()->item(0)->text(), QStringLiteral("M\u00fcller: Author"));
    ASSERT_EQ(d.currentDictation(), settings.currentFiles() + base + ".wav");
    EXPECT_EQ(padText(), "typing of Author");
    EXPECT_GT(d.duration(), 0);
    d.command(cmd::kDone);
    EXPECT_TRUE(tripleIn(settings.doneFiles(), base));
    EXPECT_FALSE(d.hasDictation());
}

}  // namespace
