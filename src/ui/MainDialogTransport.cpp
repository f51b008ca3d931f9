// Playback control of MainDialog: every start builds a fresh chain from the
// dictation's audio file (file, channel mix for two or more channels, speed
// change when not 100 %), and the player reports back on this thread.
#include <QAbstractSlider>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

#include "app/Settings.h"
#include "sound/TimeUnits.h"
#include "ui/ButtonImages.h"
#include "ui/CommandIds.h"
#include "ui/LDBDisplay.h"
#include "ui/LDBEdit.h"
#include "ui/MCDisp.h"
#include "ui/MainDialog.h"
#include "ui/PressButton.h"

namespace typix {

namespace {
constexpr int32_t kOneSecond = 10000;
constexpr int32_t kScanStep = 5000;       // half a second
constexpr int32_t kRewindBackStep = 3000; // 0.3 s behind the play position
constexpr int32_t kScanRamp = 80000;      // scans speed up over 8 seconds
constexpr int32_t kBarStep = 20000;       // the position bar's line and page step
}  // namespace

int MainDialog::clampSpeed(int percent) { return std::clamp(percent, 10, 200); }

LSoundSource MainDialog::buildChain() {
    lastChain_ = ChainInfo{};
    if (!hasDictation()) return LSoundSource();
    LSoundSource chain = parts_.openAudio(current_);
    int channels = chain ? chain->channels() : 1;
    lastChain_.built = true;
    lastChain_.channels = channels;
    if (channels < 2) {
        channels_->close();
    } else {
        channels_->showFor(channels);
        channels_->channelGains(channels, lastChain_.leftGains, lastChain_.rightGains);
        lastChain_.mixed = true;
        chain = parts_.mix(chain, lastChain_.leftGains, lastChain_.rightGains);
    }
    return chain;
}

// Clear voice works on exactly what the typist hears, last in the chain; off,
// the chain is exactly the one without it.
LSoundSource MainDialog::finishChain(LSoundSource chain) {
    lastChain_.clearVoice = false;
    if (settings_.clearVoice() && chain.usable() && parts_.clearVoice) {
        lastChain_.clearVoice = true;
        chain = parts_.clearVoice(chain);
    }
    return chain;
}

void MainDialog::toggleClearVoice() {
    settings_.setClearVoice(!settings_.clearVoice());
    showClearVoice();
    if (player_->isPlaying() && !forwardScan_ && !rewindScan_) playAtSpeed(speed_);
}

void MainDialog::showClearVoice() {
    if (auto* box = qobject_cast<QCheckBox*>(control(cmd::kClearVoice))) box->setChecked(settings_.clearVoice());
}

bool MainDialog::startWithDeviceSettings() {
    player_->setDevice(storedOutputDevice(settings_));
    applyStoredVolume();
    return true;
}

void MainDialog::applyStoredVolume() { player_->applyVolume(settings_.soundOutVolume()); }

namespace {

void seekChain(const LSoundSource& chain, int32_t time, MainDialog::ChainInfo& info) {
    if (!chain) return;
    int32_t frame = timeToFrames(time, chain->sampleRate());
    chain->setPosition(frame);
    info.startFrame = frame;
}

int32_t chainDuration(const LSoundSource& chain) {
    return chain ? framesToTime(chain->getLength(), chain->sampleRate()) : 0;
}

}  // namespace

void MainDialog::playAtSpeed(int percent) {
    startPlayback(percent, player_->isPlaying() ? PlayStart::Restart : PlayStart::Resume);
}

void MainDialog::startPlayback(int percent, PlayStart how) {
    player_->stop();
    speed_ = clampSpeed(percent);
    showSpeed();
    if (!hasDictation()) return;
    startWithDeviceSettings();
    LSoundSource chain = buildChain();
    if (!chain.usable()) {
        // The file, not the sound card, is at fault: say so, and which file.
        play_->setChecked(false);
        const std::string file = current_.substr(current_.rfind('/') + 1);
        prompts_.warn(tr("Cannot Read Dictation"),
                      tr("The file \"%1\" cannot be read as audio.\n\nIt may be "
                         "damaged, incomplete or not a wave file. Ask the sender "
                         "for the dictation again.")
                          .arg(QString::fromUtf8(file.data(), qsizetype(file.size()))));
        return;
    }
    // Within the last second playback starts over from the beginning.
    if (position_ < chainDuration(chain) - kOneSecond)
        seekChain(chain, playStartPosition(position_, settings_.backstep(), how), lastChain_);
    if (speed_ != 100) {
        lastChain_.speedStage = true;
        lastChain_.startRatio = speed_ * 0.01;
        chain = parts_.speed(chain, speed_ * 0.01, 1.0, 0);
    }
    chain = finishChain(chain);
    if (!player_->play(chain)) {
        play_->setChecked(false);
        prompts_.warn(tr("Sound Device Error"),
                      tr("Unable to start playback.\n\nThis might mean you do not have a "
                         "sound card installed or the sound card is being used by "
                         "another application. Please check the Hardware Settings."));
    }
}

void MainDialog::stop() { player_->stop(); }

void MainDialog::goToStart() {
    if (player_->isPlaying())
        player_->setPosition(0);
    else
        setPosition(0);
}

void MainDialog::goToEnd() {
    if (player_->isPlaying()) {
        LSoundSource source = player_->source();
        int32_t end = chainDuration(source) - kOneSecond;
        player_->setPosition(timeToFrames(std::max(end, 0), source->sampleRate()));
    } else if (hasDictation()) {
        LSoundSource file = parts_.openAudio(current_);
        setPosition(file.usable() ? framesToTime(file->getLength(), file->sampleRate()) : 0);
    }
}

void MainDialog::seek(int32_t time) {
    time = std::max(time, 0);
    if (!player_->isPlaying()) {
        setPosition(time);
        return;
    }
    LSoundSource source = player_->source();
    player_->setPosition(timeToFrames(time, source ? source->sampleRate() : 44100));
}

void MainDialog::rewindScanStart() {
    int32_t target = position_ - kScanStep;
    if (player_->isPlaying()) {
        if (rewindScan_) return;
        LSoundSource source = player_->source();
        target = framesToTime(player_->position(), source ? source->sampleRate() : 0) -
                 kRewindBackStep;
        wasPlaying_ = true;
    } else {
        wasPlaying_ = false;
    }
    target = std::max(target, 0);
    if (!hasDictation()) return;
    startWithDeviceSettings();
    LSoundSource chain = buildChain();
    seekChain(chain, target, lastChain_);
    lastChain_.speedStage = true;
    lastChain_.startRatio = -0.5;
    lastChain_.endRatio = -7.0;
    lastChain_.rampTime = kScanRamp;
    chain = finishChain(parts_.speed(chain, -0.5, -7.0, kScanRamp));
    // A failed scan start shows nothing: the typist is still holding a key.
    if (player_->play(chain)) rewindScan_ = true;
}

void MainDialog::forwardScanStart() {
    int32_t target = position_ + kScanStep;
    if (player_->isPlaying()) {
        if (forwardScan_) return;
        LSoundSource source = player_->source();
        target = framesToTime(player_->position(), source ? source->sampleRate() : 0);
        wasPlaying_ = true;
    } else {
        wasPlaying_ = false;
    }
    if (!hasDictation()) return;
    startWithDeviceSettings();
    LSoundSource chain = buildChain();
    if (chainDuration(chain) < target) {
        goToEnd();
        return;
    }
    seekChain(chain, target, lastChain_);
    lastChain_.speedStage = true;
    lastChain_.startRatio = 0.5;
    lastChain_.endRatio = 7.0;
    lastChain_.rampTime = kScanRamp;
    chain = finishChain(parts_.speed(chain, 0.5, 7.0, kScanRamp));
    if (player_->play(chain)) forwardScan_ = true;
}

void MainDialog::scanEnd() {
    player_->stop();
    if (wasPlaying_) {
        startPlayback(speed_, PlayStart::Restart);
        wasPlaying_ = false;
    }
}

void MainDialog::onPressReport(int state, int id) {
    bool pressed = state == PressButton::kPressed;
    if (id == 212 && pressed) rewindScanStart();
    if (id == 213 && pressed) forwardScanStart();
    if ((id == 212 || id == 213) && !pressed) scanEnd();
}

void MainDialog::setPosition(int32_t time) {
    position_ = time;
    showPosition();
    if (duration_ < time) duration_ = time;
    positionBar_->setValue(duration_ > 0 ? int(int64_t(position_) * 20 / duration_) : 0);
    emit positionShown(position_, duration_);
}

void MainDialog::showPosition() {
    positionText_->setText(QString::fromStdString(formatTime(position_)));
}

void MainDialog::showSpeed() {
    speedBar_->setValue(speed_ / 10 - 1);
    speedText_->setText(QStringLiteral("%1 %").arg(speed_));
}

void MainDialog::speedBarAction(int action) {
    int s = speed_;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderPageStepAdd: s = speed_ + 20; break;
        case QAbstractSlider::SliderSingleStepSub:
        case QAbstractSlider::SliderPageStepSub: s = speed_ - 20; break;
        case QAbstractSlider::SliderMove: s = (speedBar_->sliderPosition() + 1) * 10; break;
        case QAbstractSlider::SliderToMinimum: s = settings_.slowSpeed(); break;
        case QAbstractSlider::SliderToMaximum: s = settings_.fastSpeed(); break;
        default: return;
    }
    s = clampSpeed(s);
    if (player_->isPlaying()) {
        playAtSpeed(s);
    } else {
        speed_ = s;
        showSpeed();
    }
    // The bar shows the speed in force, not where the action left the thumb.
    speedBar_->setSliderPosition(speed_ / 10 - 1);
}

void MainDialog::positionBarAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderPageStepAdd:
            seek(position_ < duration_ - kBarStep ? position_ + kBarStep : duration_);
            break;
        case QAbstractSlider::SliderSingleStepSub:
        case QAbstractSlider::SliderPageStepSub:
            seek(std::max(position_ - kBarStep, 0));
            break;
        case QAbstractSlider::SliderMove:
            seek(int32_t(duration_ * positionBar_->sliderPosition() * 0.05));
            break;
        case QAbstractSlider::SliderToMinimum: goToStart(); break;
        case QAbstractSlider::SliderToMaximum: goToEnd(); break;
        default: return;
    }
    positionBar_->setSliderPosition(duration_ > 0 ? int(int64_t(position_) * 20 / duration_) : 0);
}

void MainDialog::volumeChanged() {
    settings_.setSoundOutVolume(volume_->value());
    player_->setDevice(storedOutputDevice(settings_));
    applyStoredVolume();
}

void MainDialog::onStarted() {
    showButtonImages(int(ButtonImages::State::Playing));
    meter_->setEnabled(true);
}

void MainDialog::onStopped() {
    showButtonImages(int(hasDictation() ? ButtonImages::State::Loaded
                                        : ButtonImages::State::NoDictation));
    meter_->setEnabled(false);
    forwardScan_ = false;
    rewindScan_ = false;
}

void MainDialog::onPosition(int32_t time) {
    if (player_->isPlaying()) setPosition(time);
}

void MainDialog::onLevels(const uint8_t* levelRecord) { meter_->setLevelRecord(levelRecord); }

}  // namespace typix
