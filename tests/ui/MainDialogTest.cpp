// The transcription window over real folders, wave files and the player on
// ALSA's null PCM: the file list, loading, and playback control.
#include <QAbstractSlider>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "MainWindowFixture.h"
#include "sound/TimeUnits.h"
#include "store/TypingFile.h"
#include "transfer/BGLoad.h"
#include "transfer/Status.h"
#include "ui/CommandIds.h"
#include "ui/LDBEdit.h"
#include "ui/MCDisp.h"

using namespace typix;
using namespace typix::uitest;

namespace {

using MainDialogTest = MainWindowFixture;

TEST_F(MainDialogTest, EmptyQueueLoadsNothingAndDisablesDictationControls) {
    MainDialog& d = open();
    EXPECT_FALSE(d.hasDictation());
    EXPECT_EQ(d.fileList()->count(), 0);
    EXPECT_EQ(d.fileList()->currentRow(), -1);
    for (int id : {cmd::kDispatch, cmd::kDone, cmd::kDelete, 200, 399, cmd::kTypingPad,
                   cmd::kPositionText})
        EXPECT_FALSE(d.control(id)->isEnabled()) << id;
    // Commands that need a dictation do nothing.
    d.command(cmd::kPlay);
    d.command(cmd::kEnd);
    EXPECT_FALSE(d.isPlaying());
    EXPECT_EQ(d.position(), 0);
    EXPECT_TRUE(stages.empty());
}

TEST_F(MainDialogTest, LoadsFirstEntryWithRecordAndTyping) {
    addDictation("b-second", 1, 6.0, 2000000, "Bea");
    addDictation("a-first", 1, 4.0, 1000000, "Al");
    DictationRecord(settings.currentFiles(), "a-first").setSenderName("Dr Al Smith");
    writeTyping(settings.currentFiles() + "a-first.txt", "Dear Sir,\nthank you.");
    MainDialog& d = open();
    ASSERT_EQ(d.fileList()->count(), 2);
    EXPECT_EQ(d.fileList()->item(0)->text().toStdString(), "a-first: Al");
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "a-first.wav");
    EXPECT_EQ(d.duration(), 40000);
    EXPECT_EQ(d.typingPad()->toPlainText().toStdString(), "Dear Sir,\nthank you.");
    EXPECT_TRUE(d.control(cmd::kDone)->isEnabled());
    EXPECT_TRUE(d.control(200)->isEnabled());
}

TEST_F(MainDialogTest, TypingIsSavedWhenAnotherDictationIsSelected) {
    addDictation("a", 1, 2.0, 1000000);
    addDictation("b", 1, 2.0, 2000000);
    MainDialog& d = open();
    d.typingPad()->insertPlainText("typed for a\nsecond line");
    d.fileList()->setCurrentRow(1);
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "b.wav");
    EXPECT_EQ(readTyping(settings.currentFiles() + "a.txt"), "typed for a\r\nsecond line");
    EXPECT_EQ(d.typingPad()->toPlainText().toStdString(), "");
    d.fileList()->setCurrentRow(0);
    EXPECT_EQ(d.typingPad()->toPlainText().toStdString(), "typed for a\nsecond line");
}

TEST_F(MainDialogTest, SelectingTheCurrentEntryDoesNotStopPlayback) {
    addDictation("a", 1, 6.0);
    MainDialog& d = open();
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    d.loadSelected();
    EXPECT_TRUE(d.isPlaying());
}

TEST_F(MainDialogTest, RebuildWhilePlayingKeepsSelectionAndPlayback) {
    addDictation("a", 1, 6.0, 1000000);
    addDictation("b", 1, 6.0, 2000000);
    MainDialog& d = open();
    d.fileList()->setCurrentRow(1);
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    addDictation("0-new-arrival", 1, 1.0, 500000);
    d.rebuildList();
    ASSERT_EQ(d.fileList()->count(), 3);
    EXPECT_EQ(d.fileList()->currentRow(), 2);
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "b.wav");
    EXPECT_TRUE(d.isPlaying());
}

TEST_F(MainDialogTest, PlayStartsAtPositionUnlessWithinTheLastSecond) {
    addDictation("a", 1, 6.0);
    MainDialog& d = open();
    struct Case { int32_t position; int32_t startFrame; } cases[] = {
        {20000, 11025 * 2}, {49999, timeToFrames(49999, 11025)}, {50000, 0}, {59000, 0}};
    for (auto c : cases) {
        d.stop();
        d.setPosition(c.position);
        d.playAtSpeed(100);
        EXPECT_EQ(d.lastChain().startFrame, c.startFrame) << c.position;
    }
}

TEST_F(MainDialogTest, SpeedStageOnlyWhenNotAtNormalSpeed) {
    addDictation("a");
    MainDialog& d = open();
    d.playAtSpeed(100);
    ASSERT_TRUE(playing());
    EXPECT_EQ(speedStages(), 0);
    EXPECT_FALSE(d.lastChain().speedStage);
    d.playAtSpeed(50);
    ASSERT_EQ(speedStages(), 1);
    EXPECT_DOUBLE_EQ(stages.back().start, 0.5);
    EXPECT_DOUBLE_EQ(stages.back().end, 1.0);
    EXPECT_EQ(stages.back().ramp, 0);
}

TEST_F(MainDialogTest, StereoOpensChannelPanelAndSpreadsChannels) {
    addDictation("stereo", 2);
    MainDialog& d = open();
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    EXPECT_TRUE(d.channelPanel().isOpen());
    EXPECT_EQ(d.channelPanel().rowCount(), 2);
    EXPECT_EQ(d.lastChain().leftGains, (std::vector<int8_t>{0, -18}));
    EXPECT_EQ(d.lastChain().rightGains, (std::vector<int8_t>{-18, 0}));
}

TEST_F(MainDialogTest, ChannelGainsSpreadFromLeftToRight) {
    std::array<MCDisp::Channel, MCDisp::kEntries> entries{};
    entries[1] = {true, -6};
    entries[2] = {false, 0};
    std::vector<int8_t> left, right;
    MCDisp::channelGains(5, entries, left, right);
    // Pans 0, .25, .5, .75, 1: the far side drops by trunc(|0.5 - p| * 36).
    EXPECT_EQ(left, (std::vector<int8_t>{0, -6, -127, -9, -18}));
    EXPECT_EQ(right, (std::vector<int8_t>{-18, -15, -127, 0, 0}));
    MCDisp::channelGains(20, entries, left, right);
    EXPECT_EQ(left[19], -18) << "channels past the entries play at 0 dB";
    EXPECT_EQ(right[19], 0);
}

TEST_F(MainDialogTest, ClearingAChannelWhilePlayingRestartsAtTheSamePlace) {
    addDictation("stereo", 2, 8.0);
    MainDialog& d = open();
    d.setPosition(30000);
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    int32_t before = d.position();
    d.channelPanel().rowCheck(0)->click();
    ASSERT_TRUE(waitFor([&] { return d.lastChain().leftGains.size() == 2 &&
                                      d.lastChain().leftGains[0] == -127; }));
    EXPECT_TRUE(playing());
    EXPECT_GE(d.lastChain().startFrame, timeToFrames(before, 11025));
    EXPECT_LT(d.lastChain().startFrame, timeToFrames(before + 10000, 11025));
    EXPECT_FALSE(d.channelPanel().channel(0).enabled);
}

TEST_F(MainDialogTest, ForwardScanNearTheEndGoesToTheEnd) {
    addDictation("a", 1, 6.0);
    MainDialog& d = open();
    d.setPosition(60000 - 4000);
    d.forwardScanStart();
    EXPECT_FALSE(d.isPlaying());
    EXPECT_FALSE(d.forwardScanning());
    EXPECT_EQ(d.position(), 60000);
    // Further back there is room for a scan.
    d.setPosition(10000);
    d.forwardScanStart();
    ASSERT_TRUE(playing());
    EXPECT_TRUE(d.forwardScanning());
    EXPECT_EQ(d.lastChain().startFrame, timeToFrames(15000, 11025));
    EXPECT_DOUBLE_EQ(d.lastChain().endRatio, 7.0);
}

TEST_F(MainDialogTest, RewindWhilePlayingStartsBehindAndReleaseResumesAtSpeed) {
    addDictation("a", 1, 8.0);
    MainDialog& d = open();
    d.setPosition(40000);
    d.playAtSpeed(70);
    ASSERT_TRUE(playing());
    int32_t before = framesToTime(d.player().position(), 11025);
    d.rewindScanStart();
    EXPECT_TRUE(d.rewindScanning());
    EXPECT_TRUE(d.wasPlaying());
    EXPECT_GE(d.lastChain().startFrame, timeToFrames(std::max(before - 3000, 0), 11025));
    // The player moves on by whole blocks while the test runs; allow two.
    EXPECT_LE(d.lastChain().startFrame, timeToFrames(before - 3000 + 2000, 11025));
    EXPECT_DOUBLE_EQ(d.lastChain().startRatio, -0.5);
    EXPECT_DOUBLE_EQ(d.lastChain().endRatio, -7.0);
    EXPECT_EQ(d.lastChain().rampTime, 80000);
    // A second press while scanning changes nothing.
    int32_t frame = d.lastChain().startFrame;
    d.rewindScanStart();
    EXPECT_EQ(d.lastChain().startFrame, frame);

    d.scanEnd();
    ASSERT_TRUE(playing());
    EXPECT_FALSE(d.wasPlaying());
    EXPECT_EQ(d.speed(), 70);
    EXPECT_DOUBLE_EQ(d.lastChain().startRatio, 0.7);
    EXPECT_TRUE(waitFor([&] { return !d.rewindScanning(); }));
}

TEST_F(MainDialogTest, ScanFromStoppedEndsStopped) {
    addDictation("a", 1, 8.0);
    MainDialog& d = open();
    d.setPosition(2000);
    d.rewindScanStart();
    ASSERT_TRUE(playing());
    EXPECT_EQ(d.lastChain().startFrame, 0) << "half a second back, not below 0";
    d.scanEnd();
    EXPECT_TRUE(waitFor([&] { return !d.isPlaying(); }));
}

TEST_F(MainDialogTest, PositionBarActions) {
    addDictation("a", 1, 6.0);
    MainDialog& d = open();
    struct Case { int32_t from; int action; int32_t to; } cases[] = {
        {15000, QAbstractSlider::SliderSingleStepSub, 0},
        {35000, QAbstractSlider::SliderPageStepSub, 15000},
        {15000, QAbstractSlider::SliderSingleStepAdd, 35000},
        {45000, QAbstractSlider::SliderPageStepAdd, 60000},
        {30000, QAbstractSlider::SliderToMinimum, 0},
        {30000, QAbstractSlider::SliderToMaximum, 60000},
    };
    for (auto c : cases) {
        d.setPosition(c.from);
        d.positionBar()->triggerAction(QAbstractSlider::SliderAction(c.action));
        EXPECT_EQ(d.position(), c.to) << c.from << " action " << c.action;
        EXPECT_EQ(d.positionBar()->value(), int(int64_t(c.to) * 20 / 60000));
    }
}

TEST_F(MainDialogTest, SpeedBarToTheRightEndWhilePlayingRestartsAtFastSpeed) {
    addDictation("a", 1, 6.0);
    settings.setFastSpeed(160);
    MainDialog& d = open();
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    d.speedBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(d.speed(), 160);
    EXPECT_TRUE(playing());
    EXPECT_DOUBLE_EQ(d.lastChain().startRatio, 1.6);
    EXPECT_EQ(d.speedBar()->value(), 15);
}

TEST_F(MainDialogTest, SpeedsStayWithinTenToTwoHundredPercent) {
    addDictation("a", 1, 6.0);
    settings.setFastSpeed(500);
    settings.setSlowSpeed(0);
    MainDialog& d = open();
    struct Case { int action; int from; int to; } cases[] = {
        {QAbstractSlider::SliderToMaximum, 100, 200},
        {QAbstractSlider::SliderToMinimum, 100, 10},
        {QAbstractSlider::SliderSingleStepAdd, 190, 200},
        {QAbstractSlider::SliderPageStepSub, 20, 10},
        {QAbstractSlider::SliderSingleStepSub, 100, 80},
    };
    for (auto c : cases) {
        d.playAtSpeed(c.from);
        d.stop();
        d.speedBar()->triggerAction(QAbstractSlider::SliderAction(c.action));
        EXPECT_EQ(d.speed(), c.to) << "from " << c.from << " action " << c.action;
        EXPECT_EQ(d.speedBar()->value(), c.to / 10 - 1);
    }
    d.command(cmd::kPlayFast);
    EXPECT_EQ(d.speed(), 200);
}

TEST_F(MainDialogTest, VolumeControlWritesTheSetting) {
    addDictation("a");
    settings.setSoundOutVolume(-6);
    MainDialog& d = open();
    EXPECT_EQ(d.volumeControl()->value(), -6);
    LDBEdit* volume = d.volumeControl();
    volume->textField()->clear();
    type(volume->textField(), QStringLiteral("4dB"));
    EXPECT_EQ(settings.soundOutVolume(), 4);
    type(volume->textField(), QStringLiteral("0"));  // "4dB0" reads 40, held at +12
    EXPECT_EQ(settings.soundOutVolume(), 12);
}

TEST_F(MainDialogTest, AudioThatCannotBeReadIsNamedAndTheSoundCardIsNotBlamed) {
    std::ofstream(settings.currentFiles() + "broken.wav") << "not a wave file";
    MainDialog& d = open();
    ASSERT_TRUE(d.hasDictation());
    EXPECT_EQ(d.duration(), 0);
    for (int play : {cmd::kPlay, cmd::kPlaySlow}) d.command(play);  // with and without a speed stage
    EXPECT_FALSE(d.isPlaying());
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "Cannot Read Dictation");
    EXPECT_NE(warningTexts[0].find("\"broken.wav\" cannot be read as audio"), std::string::npos)
        << warningTexts[0];
    EXPECT_EQ(warningTexts[0].find("sound card"), std::string::npos);
}

TEST_F(MainDialogTest, ADeviceThatDoesNotOpenWarnsOfTheSoundCard) {
    addDictation("a");
    MainDialog& d = open();
    setenv("TYPIX_OUTPUT_DEVICE", "no_such_pcm_for_typix_tests", 1);
    d.command(cmd::kPlay);
    setenv("TYPIX_OUTPUT_DEVICE", "null", 1);
    EXPECT_FALSE(d.isPlaying());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Sound Device Error");
}

TEST_F(MainDialogTest, DoneAndDeleteOfTheLastEntryLeaveNothingLoaded) {
    addDictation("a");
    addDictation("b", 1, 6.0, 2000000);
    MainDialog& d = open();
    d.command(cmd::kDone);
    EXPECT_TRUE(std::filesystem::exists(settings.doneFiles() + "a.wav"));
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "b.wav");
    answerYes = false;
    d.command(cmd::kDelete);
    EXPECT_TRUE(std::filesystem::exists(settings.currentFiles() + "b.wav"));
    answerYes = true;
    d.command(cmd::kDelete);
    EXPECT_FALSE(std::filesystem::exists(settings.currentFiles() + "b.wav"));
    EXPECT_FALSE(d.hasDictation());
    EXPECT_EQ(d.fileList()->count(), 0);
    EXPECT_FALSE(d.control(cmd::kDone)->isEnabled());
}

TEST_F(MainDialogTest, LoadDictationFileCopiesIntoIncomingAndRemembersFolder) {
    std::string source = root + "/elsewhere/";
    std::filesystem::create_directories(source);
    writeWave(source + "new.wav", 8000, 1, 0.5);
    chosenFile = QString::fromStdString(source + "new.wav");
    MainDialog& d = open();
    d.command(cmd::kLoadFile);
    EXPECT_TRUE(std::filesystem::exists(settings.incomingFiles() + "new.wav"));
    EXPECT_EQ(settings.fileLoadDir(), source);
}

}  // namespace

namespace {

TEST_F(MainDialogTest, ArrivalsFromTheLoaderRebuildTheListWhilePlaybackGoesOn) {
    addDictation("a", 1, 8.0, 1000000);
    TransferFolders folders{settings.incomingFiles(), settings.currentFiles(), settings.doneFiles(),
                            settings.statusFolder(), settings.settingsFile()};
    BGLoad loader(folders);
    Status status(folders);
    struct CloseFirst {
        std::unique_ptr<MainDialog>& dialog;
        ~CloseFirst() { dialog.reset(); }
    } closeFirst{dialog};
    dialog = std::make_unique<MainDialog>(settings, makeDevicePlayer(), nullptr, recordingParts(),
                                          MainDialog::Prompts{}, MainDialog::Workers{&loader, &status});
    MainDialog& d = *dialog;
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    // Its name begins with the open dictation's name: the selection must not move to it.
    writeWave(settings.incomingFiles() + "arrived.wav", 8000, 1, 1.0);
    // A short file moves the progress too little for a notification of its
    // own; the window still picks the arrival up within one notice period.
    ASSERT_TRUE(waitFor([&] { return d.fileList()->count() == 2; }, 9000));
    EXPECT_TRUE(d.isPlaying());
    EXPECT_EQ(d.currentDictation(), settings.currentFiles() + "a.wav");
    ASSERT_GE(d.fileList()->currentRow(), 0);
    EXPECT_TRUE(d.fileList()->currentItem()->text().startsWith("a: "));
    // The status files follow the rebuild.
    EXPECT_TRUE(waitFor([&] { return !status.isRunning(); }));
    dialog.reset();
    EXPECT_FALSE(loader.isRunning()) << "clean-up stops the loader";
}

}  // namespace
