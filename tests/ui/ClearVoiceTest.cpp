// Clear voice in the window: where the stage sits in the chain, that the
// chain is untouched while it is off, and the three places that turn it on
// (the setting, the Transport menu, the Volume group's check box, the
// settings dialog).
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>

#include "MainWindowFixture.h"
#include "dsp/LSRCClearVoice.h"
#include "dsp/LSRCSpeed.h"
#include "ui/CommandIds.h"
#include "ui/LDBEdit.h"
#include "ui/MainFrame.h"
#include "ui/SettingsDialog.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct ClearVoiceTest : MainWindowFixture {
    // What the chain delivers from `frame` on.
    static std::vector<int32_t> render(const LSoundSource& chain, int32_t frame, int32_t frames) {
        chain->setPosition(frame);
        std::vector<int32_t> out(size_t(frames) * chain->channels());
        chain->read(out.data(), frames);
        return out;
    }

    // The chain as it was before clear voice existed: the file, then the
    // channel mix for two channels or more.
    LSoundSource plainChain(const MainDialog& d) {
        ChainParts real = defaultChainParts();
        LSoundSource file = real.openAudio(d.currentDictation());
        if (file->channels() < 2) return file;
        return real.mix(file, d.lastChain().leftGains, d.lastChain().rightGains);
    }
};

TEST_F(ClearVoiceTest, OffTheChainIsBitExactToTheChainWithoutTheStage) {
    for (int channels : {1, 2, 3}) {
        const std::string base = "c" + std::to_string(channels);
        addDictation(base, channels, 3.0);
    }
    MainDialog& d = open();
    for (int row = 0; row < d.fileList()->count(); ++row) {
        d.fileList()->setCurrentRow(row);
        LSoundSource chain = d.buildChain();
        ASSERT_TRUE(chain.usable());
        EXPECT_FALSE(d.lastChain().clearVoice);
        EXPECT_EQ(render(chain, 1234, 20000), render(plainChain(d), 1234, 20000)) << row;
    }
}

TEST_F(ClearVoiceTest, OnItGoesLastAboveTheMixAndTheSpeedStageAndChangesWhatIsHeard) {
    settings.setClearVoice(true);
    addDictation("stereo", 2, 30.0);
    MainDialog& d = open();
    LSoundSource chain = d.finishChain(d.buildChain());
    EXPECT_TRUE(d.lastChain().clearVoice);
    EXPECT_TRUE(d.lastChain().mixed);
    EXPECT_EQ(chain->channels(), 2) << "it works on the two mixed channels";
    EXPECT_NE(render(chain, 0, 20000), render(plainChain(d), 0, 20000));
    // The speed stage moves its input block by block, so clear voice must sit
    // above it, at normal speed, slowed and in a scan.
    const auto clearVoiceOverSpeed = [&] {
        auto* top = dynamic_cast<LSRCClearVoice*>(d.player().source().get());
        return top && dynamic_cast<LSRCSpeed*>(top->inner().get()) != nullptr;
    };
    d.playAtSpeed(100);
    ASSERT_TRUE(playing());
    EXPECT_NE(dynamic_cast<LSRCClearVoice*>(d.player().source().get()), nullptr);
    d.playAtSpeed(50);
    ASSERT_TRUE(playing());
    EXPECT_TRUE(d.lastChain().clearVoice);
    EXPECT_TRUE(clearVoiceOverSpeed()) << "slowed";
    d.forwardScanStart();
    ASSERT_TRUE(d.forwardScanning());
    // A scan started while playing replaces the chain without a stop first.
    EXPECT_TRUE(clearVoiceOverSpeed()) << "scanning";
    d.scanEnd();
}

TEST_F(ClearVoiceTest, TransportMenuItemTogglesItAndRestartsPlaybackOnce) {
    addDictation("a", 1, 8.0);
    MainFrame frame(settings, std::make_unique<CountingPlayer>(makeDevicePlayer(), playerStarts));
    QAction* item = frame.action(cmd::kClearVoice);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(settings.clearVoice());
    EXPECT_EQ(playerStarts, 0) << "stopped, it only changes the setting";

    frame.dialog()->command(cmd::kPlay);
    ASSERT_TRUE(waitFor([&] { return frame.dialog()->isPlaying(); }));
    EXPECT_TRUE(frame.dialog()->lastChain().clearVoice);
    item->trigger();
    EXPECT_FALSE(settings.clearVoice());
    EXPECT_EQ(playerStarts, 2);
    EXPECT_TRUE(frame.dialog()->isPlaying());
    EXPECT_FALSE(frame.dialog()->lastChain().clearVoice);
}

TEST_F(ClearVoiceTest, VolumeGroupBoxAndMenuItemStayInStepAndRestartPlaybackOnce) {
    settings.setClearVoice(true);
    addDictation("a", 1, 8.0);
    MainFrame frame(settings, std::make_unique<CountingPlayer>(makeDevicePlayer(), playerStarts));
    MainDialog& d = *frame.dialog();
    QAction* item = frame.action(cmd::kClearVoice);
    auto* box = qobject_cast<QCheckBox*>(d.control(cmd::kClearVoice));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(box, nullptr);
    auto* group = qobject_cast<QGroupBox*>(box->parentWidget());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title().trimmed(), "Volume");
    EXPECT_EQ(group, d.volumeControl()->parentWidget()) << "beside the volume control";
    EXPECT_NE(box->focusPolicy() & Qt::TabFocus, 0) << "reachable with Tab";
    EXPECT_TRUE(box->isChecked()) << "it opens showing the stored setting";

    // Stopped: each place changes the setting and the other follows, no play.
    struct Step { const char* by; bool after; };
    const Step steps[] = {{"box", false}, {"menu", true}, {"box", false}, {"box", true}, {"menu", false}};
    for (const Step& step : steps) {
        if (std::string(step.by) == "box") box->click();
        else item->trigger();
        EXPECT_EQ(settings.clearVoice(), step.after) << step.by;
        EXPECT_EQ(box->isChecked(), step.after) << step.by;
        EXPECT_EQ(item->isChecked(), step.after) << step.by;
        EXPECT_EQ(settings.readText("clearvoice"), step.after ? "true" : "false") << step.by;
    }
    EXPECT_EQ(playerStarts, 0);

    // Playing: a click restarts once with the stage, and the menu agrees.
    d.command(cmd::kPlay);
    ASSERT_TRUE(waitFor([&] { return d.isPlaying(); }));
    EXPECT_FALSE(d.lastChain().clearVoice);
    box->click();
    EXPECT_TRUE(settings.clearVoice());
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(playerStarts, 2);
    EXPECT_TRUE(d.isPlaying());
    EXPECT_TRUE(d.lastChain().clearVoice);
    // Space on the focused box works as a click.
    box->setFocus();
    key(box, Qt::Key_Space);
    EXPECT_FALSE(settings.clearVoice());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(playerStarts, 3);
    EXPECT_FALSE(d.lastChain().clearVoice);
}

TEST_F(ClearVoiceTest, SettingsDialogShowsAndWritesTheSetting) {
    SettingsDialog::Hooks hooks;
    hooks.deviceName = [](int) { return std::string(); };
    hooks.hotKeysAvailable = [] { return true; };
    for (bool stored : {false, true}) {
        settings.setClearVoice(stored);
        SettingsDialog dialog(settings, nullptr, nullptr, hooks);
        auto* box = qobject_cast<QCheckBox*>(dialog.control(SettingsDialog::kClearVoice));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->isChecked(), stored);
        box->click();
        dialog.accept();
        EXPECT_EQ(settings.clearVoice(), !stored);
        EXPECT_EQ(settings.readText("clearvoice"), stored ? "false" : "true");
    }
}

}  // namespace
