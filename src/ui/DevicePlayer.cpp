// The program's TransportPlayer: LSoundPlayer on the sound device.  The
// volume is the card's own mixer where the program opens a card directly, and
// the program's own output volume everywhere else, so that a desktop's
// master volume (a sound server's) is never moved by this program.
#include "app/Settings.h"
#include "sound/LSoundPlayer.h"
#include "sound/Mixer.h"
#include "ui/TransportPlayer.h"

namespace typix {

namespace {

class DevicePlayer final : public TransportPlayer, private LSoundPlayerNotify {
public:
    ~DevicePlayer() override {
        player_.setNotify(nullptr, 0);
        player_.stop();
    }

    void setListener(Listener* listener, bool levelsWanted) override {
        listener_ = listener;
        player_.setNotify(listener ? this : nullptr, 0);
        player_.setLevelsWanted(levelsWanted);
    }
    void setDevice(int device) override { player_.setDevice(device); }
    void applyVolume(int level) override {
        if (mixerIsCardDevice(player_.device(), StreamDirection::Output)) {
            player_.setVolume(0);
            mixerSetPlaybackVolume(player_.device(), level);
        } else {
            player_.setVolume(level);
        }
    }
    bool play(LSoundSource chain) override {
        // Stopping what plays reports onStopped, which lets go of the source:
        // that must happen before the new one is kept, not after.
        player_.stop();
        source_ = chain;
        bool started = player_.play(chain);
        if (!started) source_.reset();
        return started;
    }
    void stop() override { player_.stop(); }
    bool isPlaying() const override { return player_.isOpen(); }
    LSoundSource source() const override { return isPlaying() ? source_ : LSoundSource(); }
    int32_t position() const override { return player_.position(); }
    void setPosition(int32_t frame) override { player_.setPosition(frame); }

private:
    void onStarted(int32_t) override { if (listener_) listener_->onStarted(); }
    void onStopped(int32_t) override {
        source_.reset();
        if (listener_) listener_->onStopped();
    }
    void onPosition(int32_t time, int32_t) override { if (listener_) listener_->onPosition(time); }
    void onLevels(const LevelRecord* levels, int32_t) override {
        if (listener_) listener_->onLevels(reinterpret_cast<const uint8_t*>(levels));
    }

    mutable LSoundPlayer player_;
    Listener* listener_ = nullptr;
    LSoundSource source_;
};

}  // namespace

std::unique_ptr<TransportPlayer> makeDevicePlayer() { return std::make_unique<DevicePlayer>(); }

int storedOutputDevice(const Settings& settings) {
    return resolveDevice(settings.soundOutDevice(), settings.soundOutDeviceName(), StreamDirection::Output);
}

}  // namespace typix
