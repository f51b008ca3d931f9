// Step back on resume: every start from stopped begins "backstep" earlier,
// restarts of running playback never do.
#include <QAbstractSlider>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>

#include <functional>

#include "MainWindowFixture.h"
#include "sound/TimeUnits.h"
#include "ui/Backstep.h"
#include "ui/CommandIds.h"
#include "ui/MCDisp.h"
#include "ui/RemoteCommands.h"
#include "ui/SettingsDialog.h"

using namespace typix;
using namespace typix::uitest;

namespace {

constexpr int kRate = 11025;

TEST(PlayStartPosition, StepsBackOnlyOnResumeAndNeverBeforeTheStart) {
    struct Case { int32_t position; int backstep; PlayStart how; int32_t start; } cases[] = {
        {30000, 1000, PlayStart::Resume, 20000},
        {30000, 1000, PlayStart::Restart, 30000},
        {30000, 0, PlayStart::Resume, 30000},
        {30000, -500, PlayStart::Resume, 30000},   // a negative setting is no step
        {5000, 1000, PlayStart::Resume, 0},        // not below 0
        {0, 5000, PlayStart::Resume, 0},
        {30000, 2147483647, PlayStart::Resume, 0}, // a huge setting cannot wrap round
    };
    for (const Case& c : cases)
        EXPECT_EQ(playStartPosition(c.position, c.backstep, c.how), c.start)
            << c.position << " " << c.backstep << " " << int(c.how);
}

struct BackstepTest : MainWindowFixture {
    MainDialog& openWithBackstep(int ms, int channels = 1) {
        addDictation("a", channels, 8.0);
        settings.setBackstep(ms);
        return open();
    }
};

TEST_F(BackstepTest, EveryStartFromStoppedBeginsOneSecondEarlier) {
    MainDialog& d = openWithBackstep(1000);
    struct Path { const char* name; std::function<void()> start; } paths[] = {
        {"Play button", [&] { static_cast<QPushButton*>(d.control(cmd::kPlay))->click(); }},
        {"Play command", [&] { d.command(cmd::kPlay); }},
        {"slow speed (F10)", [&] { d.command(cmd::kPlaySlow); }},
        {"fast speed (F11)", [&] { d.command(cmd::kPlayFast); }},
        {"F9", [&] { d.handleKey(Qt::Key_F9, Qt::NoModifier, true); d.handleKey(Qt::Key_F9, Qt::NoModifier, false); }},
        {"remote play", [&] { runRemoteCommand(d, QStringLiteral("play")); }},
        {"remote toggle", [&] { runRemoteCommand(d, QStringLiteral("toggle")); }},
    };
    for (const Path& p : paths) {
        d.stop();
        ASSERT_TRUE(waitFor([&] { return !d.isPlaying(); })) << p.name;
        d.setPosition(30000);
        p.start();
        ASSERT_TRUE(playing()) << p.name;
        EXPECT_EQ(d.lastChain().startFrame, timeToFrames(20000, kRate)) << p.name;
    }
}

TEST_F(BackstepTest, StartNearTheBeginningStartsAtZeroAndTheLastSecondStillStartsOver) {
    MainDialog& d = openWithBackstep(1000);
    struct Case { int32_t position; int32_t startFrame; } cases[] = {
        {4000, 0},
        {69000, timeToFrames(59000, kRate)},
        {75000, 0},  // within the last second: from the beginning, not 6.5 s
    };
    for (const Case& c : cases) {
        d.stop();
        ASSERT_TRUE(waitFor([&] { return !d.isPlaying(); }));
        d.setPosition(c.position);
        d.command(cmd::kPlay);
        EXPECT_EQ(d.lastChain().startFrame, c.startFrame) << c.position;
    }
}

TEST_F(BackstepTest, RestartsOfRunningPlaybackDoNotStepBack) {
    MainDialog& d = openWithBackstep(1000);
    d.setPosition(30000);
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    ASSERT_EQ(d.lastChain().startFrame, timeToFrames(20000, kRate));

    int32_t before = d.position();
    d.speedBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    ASSERT_TRUE(playing());
    EXPECT_EQ(d.speed(), 80);
    EXPECT_GE(d.lastChain().startFrame, timeToFrames(before, kRate)) << "speed change";

    before = d.position();
    d.command(cmd::kPlayFast);
    EXPECT_GE(d.lastChain().startFrame, timeToFrames(before, kRate)) << "F11 while playing";

    d.forwardScanStart();
    ASSERT_TRUE(waitFor([&] { return d.position() > before + 5000; }));
    before = d.position();
    d.scanEnd();
    ASSERT_TRUE(playing());
    EXPECT_GE(d.lastChain().startFrame, timeToFrames(before, kRate)) << "end of a scan";
}

TEST_F(BackstepTest, AChannelChangeRestartsWhereItIs) {
    MainDialog& d = openWithBackstep(1000, 2);
    d.setPosition(30000);
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    const int32_t before = d.position();
    d.channelPanel().rowCheck(1)->click();
    ASSERT_TRUE(waitFor([&] { return d.lastChain().rightGains.size() == 2 &&
                                      d.lastChain().rightGains[1] == -127; }));
    EXPECT_GE(d.lastChain().startFrame, timeToFrames(before, kRate));
}

struct BackstepSettingsTest : MainWindowFixture {
    // A dialog whose messages are counted instead of shown.
    std::unique_ptr<SettingsDialog> make() {
        SettingsDialog::Hooks hooks;
        hooks.deviceName = [](int i) { return i == 0 ? std::string("default") : std::string(); };
        hooks.deviceId = [](int) { return std::string(); };
        hooks.pedalFound = [](int) { return true; };
        hooks.warn = [this](const QString&, const QString&) { ++messages; };
        hooks.inform = [this](const QString&, const QString&) { ++messages; };
        return std::make_unique<SettingsDialog>(settings, nullptr, nullptr, hooks);
    }
    int messages = 0;
};

TEST_F(BackstepSettingsTest, DialogOffersQuarterSecondStepsAndWritesOnOkOnly) {
    settings.setBackstep(750);
    {
        auto dialog = make();
        SettingsDialog& d = *dialog;
        auto* field = d.findChild<QSpinBox*>(QStringLiteral("backstep"));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->value(), 750);
        EXPECT_EQ(field->minimum(), 0);
        EXPECT_EQ(field->maximum(), 5000);
        EXPECT_EQ(field->singleStep(), 250);
        field->stepBy(2);
        EXPECT_EQ(field->value(), 1250);
        d.reject();
    }
    EXPECT_EQ(settings.backstep(), 750) << "Cancel writes nothing";
    {
        auto d = make();
        d->findChild<QSpinBox*>(QStringLiteral("backstep"))->setValue(2500);
        d->accept();
    }
    EXPECT_EQ(settings.backstep(), 2500);
    EXPECT_EQ(settings.readInt("backstep"), 2500);
    EXPECT_EQ(messages, 0);
}

}  // namespace
