// The dictaphone transfer end to end: the main window opens the dock, the
// real recorder hears a prepared dictaphone signal through ALSA's file PCM,
// and the tape is filed (or removed) as the typist or the quiet rule decides.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

#include "DockTestSupport.h"
#include "app/Settings.h"
#include "sound/LSoundRecorder.h"
#include "store/DictationRecord.h"
#include "ui/CommandIds.h"
#include "ui/LDBEdit.h"

namespace typix::uitest {
namespace {

namespace fs = std::filesystem;

bool dockButtonPressed(MainDialog& window) {
    return qobject_cast<QPushButton*>(window.control(cmd::kDock))->isChecked();
}

// Speech from block 10 to 39, a 10 s pause, speech from block 140 to 159,
// 16 s of quiet, and hiss to spare.
TEST_F(DockFixture, FirstTapeHoldsBothBurstsAndIsFiledAfterFifteenQuietSeconds) {
    const std::vector<int16_t> signal = playSignal("q10 s30 q100 s20 q160 q40");
    MainDialog& window = open();
    window.command(cmd::kDock);
    ASSERT_NE(window.dockDialog(), nullptr);
    EXPECT_EQ(window.dockDialog()->tapeNumber(), 1);
    EXPECT_EQ(settings.number(), 2);
    EXPECT_TRUE(waitFor([&] { return dockButtonPressed(window); }));
    const DictationRecord record(settings.currentFiles(), "Tape 1");
    EXPECT_EQ(record.name(), "Tape 1");
    EXPECT_EQ(record.number(), 1);
    EXPECT_EQ(record.senderName(), "Dock");

    int64_t filedAt = -1;
    QObject::connect(window.dockDialog(), &DockDialog::dockNotify, [&](int notice, const QString&) {
        if (notice == DockDialog::kTapeFinished) filedAt = counting->taken.load();
    });
    ASSERT_TRUE(waitFor([&] { return window.dockDialog() == nullptr; }, 40000));
    // The last loud block is block 159; 151 more blocks are the first to make
    // at least 15 s (150 blocks are 14.99 s).
    EXPECT_EQ(filedAt, 160 + 151);
    EXPECT_TRUE(waitFor([&] { return listShows(QStringLiteral("Tape 1")); }));
    EXPECT_FALSE(dockButtonPressed(window));

    // First burst: half a block of pre-roll, the speech, and 0.7 s kept
    // after it when the recorder paused.  Second burst: the same pre-roll,
    // the speech, and 0.05 s after it when the dock stopped the recorder.
    const std::vector<int16_t> wave = readWaveData(tapePath(1, ".wav"));
    const size_t firstLength = 41328, total = 64469;
    ASSERT_EQ(wave.size(), total);
    const auto firstFrom = signal.begin() + 10 * kDockBlock - 551;
    const auto secondFrom = signal.begin() + 140 * kDockBlock - 551;
    EXPECT_TRUE(std::equal(wave.begin(), wave.begin() + firstLength, firstFrom));
    EXPECT_TRUE(std::equal(wave.begin() + firstLength, wave.end(), secondFrom));
}

TEST_F(DockFixture, CancelRightAfterOpeningLeavesNoTapeAndUsesUpTheNumber) {
    playSignal("q300");
    settings.setNumber(5);
    MainDialog& window = open();
    ASSERT_TRUE(window.handleKey(Qt::Key_L, Qt::ControlModifier, true));
    ASSERT_NE(window.dockDialog(), nullptr);
    EXPECT_TRUE(fs::exists(tapePath(5, ".dat")));
    EXPECT_TRUE(waitFor([&] { return dockButtonPressed(window); }));

    window.dockDialog()->findChild<QPushButton*>(QStringLiteral("2"))->click();
    EXPECT_TRUE(waitFor([&] { return window.dockDialog() == nullptr && !dockButtonPressed(window); }));
    EXPECT_FALSE(fs::exists(tapePath(5, ".wav")));
    EXPECT_FALSE(fs::exists(tapePath(5, ".dat")));
    EXPECT_FALSE(listShows(QStringLiteral("Tape 5")));

    window.command(cmd::kDock);
    ASSERT_NE(window.dockDialog(), nullptr);
    EXPECT_EQ(window.dockDialog()->tapeNumber(), 6);
    EXPECT_EQ(settings.number(), 7);
}

TEST_F(DockFixture, AtPlusTwelveDecibelsLoudSpeechNeverActivatesAndTheTapeStaysOpen) {
    playSignal("q5 s60 q250");
    settings.setDockActivate(12);
    MainDialog& window = open();
    window.command(cmd::kDock);
    DockDialog* dock = window.dockDialog();
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->activateLevel()->value(), 12);
    // 25 s of signal: the speech and more than 15 s of quiet after it.
    ASSERT_TRUE(waitFor([&] { return counting->taken.load() >= 250; }, 40000));
    ASSERT_EQ(window.dockDialog(), dock) << "the dock finished by itself";
    EXPECT_EQ(dock->recorder().state(), LSoundRecorder::Listening);
    EXPECT_FALSE(dock->started());
    EXPECT_FALSE(dock->restartButton()->isEnabled());

    // Done still files the tape: an empty wave with its record.
    dock->finishTape();
    EXPECT_TRUE(waitFor([&] { return listShows(QStringLiteral("Tape 1")); }));
    EXPECT_TRUE(readWaveData(tapePath(1, ".wav")).empty());
    EXPECT_TRUE(fs::exists(tapePath(1, ".dat")));
}

TEST_F(DockFixture, RestartReplacesWhatWasRecordedUnderTheSameTape) {
    playSignal("q5 s20 q400");
    MainDialog& window = open();
    window.command(cmd::kDock);
    DockDialog* dock = window.dockDialog();
    ASSERT_TRUE(waitFor([&] { return dock->started() && counting->taken.load() >= 20; }, 20000));
    EXPECT_TRUE(dock->restartButton()->isEnabled());
    dock->restartButton()->click();
    EXPECT_FALSE(dock->started());
    EXPECT_FALSE(dock->restartButton()->isEnabled());
    EXPECT_EQ(dock->target(), tapePath(1, ".wav"));
    EXPECT_TRUE(readWaveData(tapePath(1, ".wav")).empty()) << "a fresh file";
    EXPECT_EQ(settings.number(), 2);
}

}  // namespace
}  // namespace typix::uitest
