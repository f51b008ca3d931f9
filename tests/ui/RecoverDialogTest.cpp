// Recover Old Files over a real Done Files folder and the player on ALSA's
// null PCM: the sorted list, Play and Stop following the player, clean-up,
// and moving back without overwriting anything in Current Files.
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

#include "MainWindowFixture.h"
#include "store/TypingFile.h"
#include "ui/RecoverDialog.h"

using namespace typix;
using namespace typix::uitest;
namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct RecoverDialogTest : MainWindowFixture {
    void addDone(const std::string& base, const std::string& name, double seconds = 4.0) {
        writeWave(settings.doneFiles() + base + ".wav", 11025, 1, seconds);
        DictationRecord(settings.doneFiles(), base).setName(name);
        writeTyping(settings.doneFiles() + base + ".txt", "typing of " + base);
    }
    RecoverDialog& make() {
        box = std::make_unique<RecoverDialog>(settings, makeDevicePlayer());
        return *box;
    }
    void select(const QString& text) {
        auto found = box->fileList()->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        box->fileList()->setCurrentItem(found[0]);
    }
    std::string playText() const { return box->playButton()->text().toStdString(); }
    void TearDown() override {
        box.reset();
        MainWindowFixture::TearDown();
    }
    std::unique_ptr<RecoverDialog> box;
};

TEST_F(RecoverDialogTest, ListsExactWaveNamesSortedWithoutRegardToCase) {
    addDone("dct00002-00001", "Zed");
    addDone("dct00001-00007", "Amy");
    addDone("tape0003", "");
    addDone("Beta", "");
    addDone("alpha", "");
    writeTyping(settings.doneFiles() + "orphan.txt", "no audio");
    writeWave(settings.doneFiles() + "upper.WAV", 11025, 1, 0.5);  // not a dictation's audio
    RecoverDialog& d = make();
    QStringList entries;
    for (int i = 0; i < d.fileList()->count(); ++i) entries << d.fileList()->item(i)->text();
    EXPECT_EQ(entries, (QStringList{"alpha: ", "Beta: ", "dct00001-00007: Amy",
                                    "dct00002-00001: Zed", "tape0003: "}));
    EXPECT_EQ(d.windowTitle(), "Recover Old Files");
}

TEST_F(RecoverDialogTest, ButtonsStandRecoverPlayCancelFromTheTop) {
    RecoverDialog& d = make();
    d.show();
    QCoreApplication::processEvents();
    auto* recover = d.findChild<QPushButton*>("1");
    auto* play = d.findChild<QPushButton*>("102");
    auto* cancel = d.findChild<QPushButton*>("2");
    ASSERT_TRUE(recover && play && cancel);
    EXPECT_LT(recover->y(), play->y());
    EXPECT_LT(play->y(), cancel->y());
    EXPECT_TRUE(recover->isDefault());
}

TEST_F(RecoverDialogTest, RecoverTakesTheWholeBaseNameEvenWithAColon) {
    addDone("Smith", "Other");
    addDone("Smith: letter", "Author");
    RecoverDialog& d = make();
    select("Smith: letter: Author");
    d.recover();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(readTyping(settings.currentFiles() + "Smith: letter.txt"), "typing of Smith: letter");
    EXPECT_TRUE(fs::exists(settings.currentFiles() + "Smith: letter.wav"));
    for (const char* ext : {".wav", ".dat", ".txt"}) {
        EXPECT_TRUE(fs::exists(settings.doneFiles() + "Smith" + ext)) << ext;
        EXPECT_FALSE(fs::exists(settings.currentFiles() + "Smith" + ext)) << ext;
    }
}

TEST_F(RecoverDialogTest, PlayTwicePlaysThenStopsAndTheButtonFollows) {
    addDone("a", "Al");
    RecoverDialog& d = make();
    select("a: Al");
    EXPECT_EQ(playText(), "&Play");
    d.togglePlay();
    ASSERT_TRUE(waitFor([&] { return d.player().isPlaying() && playText() == "&Stop"; }));
    d.togglePlay();
    EXPECT_TRUE(waitFor([&] { return !d.player().isPlaying() && playText() == "&Play"; }));
}

TEST_F(RecoverDialogTest, PlayWithoutSelectionOrWithBadAudioDoesNothing) {
    addDone("a", "Al");
    std::ofstream(settings.doneFiles() + "broken.wav") << "not a wave";
    RecoverDialog& d = make();
    d.togglePlay();
    select("broken: ");
    d.togglePlay();
    QCoreApplication::processEvents();
    EXPECT_FALSE(d.player().isPlaying());
    EXPECT_EQ(playText(), "&Play");
}

TEST_F(RecoverDialogTest, ClosingWhilePlayingStopsPlayback) {
    addDone("a", "Al");
    RecoverDialog& d = make();
    select("a: Al");
    d.togglePlay();
    ASSERT_TRUE(waitFor([&] { return d.player().isPlaying(); }));
    d.reject();
    EXPECT_FALSE(d.player().isPlaying());
    EXPECT_EQ(d.result(), QDialog::Rejected);
}

TEST_F(RecoverDialogTest, RecoverMovesTheTripleBackAndStopsPlaying) {
    addDone("a", "Al");
    RecoverDialog& d = make();
    select("a: Al");
    d.togglePlay();
    ASSERT_TRUE(waitFor([&] { return d.player().isPlaying(); }));
    d.recover();
    EXPECT_FALSE(d.player().isPlaying());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    for (const char* ext : {".wav", ".dat", ".txt"}) {
        EXPECT_TRUE(fs::exists(settings.currentFiles() + "a" + ext)) << ext;
        EXPECT_FALSE(fs::exists(settings.doneFiles() + "a" + ext)) << ext;
    }
}

TEST_F(RecoverDialogTest, ANameTakenInCurrentFilesIsNeverOverwritten) {
    addDone("a", "Old");
    addDictation("a", 1, 1.0, 1000000, "New");  // audio and record already current
    std::string currentAudio = slurp(settings.currentFiles() + "a.wav");
    RecoverDialog& d = make();
    select("a: Old");
    d.recover();
    EXPECT_EQ(readTyping(settings.currentFiles() + "a.txt"), "typing of a") << "no clash: moved";
    EXPECT_EQ(DictationRecord(settings.currentFiles(), "a").name(), "New");
    EXPECT_EQ(slurp(settings.currentFiles() + "a.wav"), currentAudio);
    EXPECT_TRUE(fs::exists(settings.doneFiles() + "a.wav"));
    EXPECT_EQ(DictationRecord(settings.doneFiles(), "a").name(), "Old");
}

TEST_F(RecoverDialogTest, RecoverWithoutSelectionActsAsCancel) {
    addDone("a", "Al");
    RecoverDialog& d = make();
    d.fileList()->clearSelection();
    d.fileList()->setCurrentItem(nullptr);
    d.recover();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_TRUE(fs::exists(settings.doneFiles() + "a.wav"));
}

}  // namespace
