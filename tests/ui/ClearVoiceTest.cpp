// Clear voice in the window: where the stage sits in the chain, that the
// chain is untouched while it is off, and the three places that turn it on
// (the setting, the Transport menu, the settings dialog).
#include <QAction>
#include <QCheckBox>
#include <QListWidget>

#include "MainWindowFixture.h"
#include "ui/CommandIds.h"
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

TEST_F(ClearVoiceTest, OnItFollowsTheMixAndChangesWhatIsHeard) {
    settings.setClearVoice(true);
    addDictation("stereo", 2, 3.0);
    MainDialog& d = open();
    LSoundSource chain = d.buildChain();
    EXPECT_TRUE(d.lastChain().clearVoice);
    EXPECT_TRUE(d.lastChain().mixed);
    EXPECT_EQ(chain->channels(), 2) << "it works on the two mixed channels";
    EXPECT_NE(render(chain, 0, 20000), render(plainChain(d), 0, 20000));
    d.playAtSpeed(50);
    ASSERT_TRUE(playing());
    EXPECT_TRUE(d.lastChain().clearVoice) << "slow playback keeps it, the speed stage comes after";
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
