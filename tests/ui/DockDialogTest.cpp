// The dock dialog's own rules: the default input channel, the saved
// choices, and the quiet rule that files a tape by itself, driven through
// the recorder's notification interface with a clock the test sets.
#include <QComboBox>
#include <QLabel>
#include <QPointer>

#include <optional>

#include "DockTestSupport.h"
#include "app/Settings.h"
#include "ui/LDBDisplay.h"
#include "ui/LDBEdit.h"

namespace typix::uitest {
namespace {

TEST(DockChannel, DefaultIsTheLastSourceNamedLikeALineInput) {
    struct Case {
        std::vector<std::string> names;
        int expected;
    };
    const Case cases[] = {
        {{}, -1},
        {{"Mic", "CD"}, -1},
        {{"Line", "Mic"}, 0},
        {{"Mic", "line in", "Aux", "Front LINE"}, 3},
        {{"Mic Boost", "Headline"}, 1},  // any name that contains the letters
    };
    for (const Case& c : cases) EXPECT_EQ(DockDialog::defaultChannel(c.names), c.expected);
}

struct DockRules : DockFixture {
    void SetUp() override {
        DockFixture::SetUp();
        playSignal("q600");
        DockDialog::setClock([this] { return clockMs; });
    }
    // A level notification of one channel at `level` dB, `ms` after opening.
    void levelAt(int64_t ms, int level) {
        clockMs = ms;
        LevelRecord record;
        record.count = 1;
        record.levels[0] = static_cast<int8_t>(level);
        static_cast<LSoundRecorderNotify&>(*dock).onLevels(&record, 0);
    }
    void activateAt(int64_t ms) {
        clockMs = ms;
        static_cast<LSoundRecorderNotify&>(*dock).onActivated(0);
    }
    bool filed() const { return filedPath.has_value(); }
    void openDock() {
        dock = new DockDialog(settings);
        dock->show();
        QObject::connect(dock, &DockDialog::dockNotify, [this](int notice, const QString& path) {
            if (notice == DockDialog::kTapeFinished) filedPath = path.toStdString();
        });
    }
    void TearDown() override {
        delete dock.data();
        DockFixture::TearDown();
    }

    int64_t clockMs = 1000000;
    QPointer<DockDialog> dock;
    std::optional<std::string> filedPath;
};

TEST_F(DockRules, OpeningSavesTheChoicesAndUsesTheSystemMixerWithoutLineSources) {
    openDock();
    EXPECT_EQ(dock->windowTitle(), QStringLiteral("Recording Portable Dictaphone"));
    EXPECT_EQ(dock->channelList()->itemText(0), QStringLiteral("System Record Mixer"));
    EXPECT_EQ(settings.readText("docksoundinchan"), "-1");
    EXPECT_EQ(settings.readText("dockrecordvolume"), "0dB");
    EXPECT_EQ(settings.readText("dockactivate"), "-15dB");
    EXPECT_EQ(settings.readText("docksoundin"), "0");
    EXPECT_TRUE(dock->messageField()->text().startsWith(QStringLiteral("Please connect")));
    EXPECT_FALSE(dock->restartButton()->isEnabled());
    EXPECT_TRUE(dock->levelMeter()->isEnabled()) << "listening shows the meter";
}

TEST_F(DockRules, ActivateStoredAsOffReadsBackAsTheLowestLevel) {
    settings.writeText("dockactivate", "--dB");
    EXPECT_EQ(settings.dockActivate(), -127);
    openDock();
    EXPECT_EQ(dock->activateLevel()->value(), dock->activateLevel()->minimum());
    EXPECT_EQ(dock->activateLevel()->value(), -36);
}

TEST_F(DockRules, QuietIsMeasuredFromTheLastLevelAboveTheActivateLevel) {
    struct Step {
        int64_t ms;
        int level;
        bool filedAfter;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    // Activate level -15 dB: -14 is loud, -15 is not.
    const Case cases[] = {
        {"quiet for 14.999 s then 15 s", {{5000, -30, false}, {14999, -127, false}, {15000, -127, true}}},
        {"a loud level restarts the count", {{10000, -14, false}, {24999, -40, false}, {25000, -40, true}}},
        {"the activate level itself is quiet", {{1000, -15, false}, {15000, -15, true}}},
        // No notification during the fifteenth second: the next one still files.
        {"a late notification after a gap", {{14500, -127, false}, {16200, -127, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        filedPath.reset();
        openDock();
        activateAt(0);
        for (const Step& step : c.steps) {
            levelAt(step.ms, step.level);
            EXPECT_EQ(filed(), step.filedAfter) << step.ms;
        }
        EXPECT_TRUE(waitFor([&] { return dock.isNull(); })) << "filing closes the dialog";
        delete dock.data();
    }
}

TEST_F(DockRules, BeforeTheFirstActivationQuietNeverFilesTheTape) {
    openDock();
    levelAt(0, -127);
    levelAt(60000, -127);
    EXPECT_FALSE(filed());
    EXPECT_FALSE(dock->started());
}

TEST_F(DockRules, AStartThatFailsLeavesRestartEnabledToRetry) {
    setenv("TYPIX_INPUT_DEVICE", "typix_no_such_pcm", 1);
    openDock();
    EXPECT_TRUE(dock->messageField()->text().startsWith(QStringLiteral("Unable to start transfer")));
    EXPECT_TRUE(dock->restartButton()->isEnabled());
}

TEST_F(DockRules, TheInputDeviceIsStoredByNameAsWellAsByIndex) {
    openDock();
    EXPECT_EQ(settings.readText("docksoundinname"), "default");
    delete dock.data();
    // A stored name that is no longer listed falls back to the index.
    settings.writeText("docksoundinname", "plughw:CARD=Gone,DEV=0");
    settings.writeText("docksoundin", "0");
    openDock();
    EXPECT_EQ(dock->deviceList()->currentIndex(), 0);
}

}  // namespace
}  // namespace typix::uitest
