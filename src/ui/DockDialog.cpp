// DockDialog: opening (tape number, record, saved choices), start and
// restart, the recorder's notifications, Done, Cancel and the automatic
// finish after a quiet spell.
#include "ui/DockDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

#include "app/Settings.h"
#include "formats/OpenWaveFile.h"
#include "sound/Mixer.h"
#include "sound/TimeUnits.h"
#include "sound/device/SoundDevice.h"
#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "ui/LDBDisplay.h"
#include "ui/LDBEdit.h"

namespace typix {

namespace {

constexpr int kMaxDevices = 127;
constexpr const char* kStartedText = QT_TRANSLATE_NOOP(
    "typix::DockDialog",
    "Please connect your portable dictaphone to your computer and press the play button on "
    "your portable dictaphone.");
constexpr const char* kStartFailedText = QT_TRANSLATE_NOOP(
    "typix::DockDialog",
    "Unable to start transfer.\nThis may be because the sound card is being used.");
constexpr const char* kRecordingText = QT_TRANSLATE_NOOP(
    "typix::DockDialog", "Recording dictation.\nWhen complete please click Done.");

DockDialog::Clock& clockForNewDialogs() {
    static DockDialog::Clock clock;
    return clock;
}

int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void DockDialog::setClock(Clock clock) { clockForNewDialogs() = std::move(clock); }

int DockDialog::defaultChannel(const std::vector<std::string>& sourceNames) {
    int found = -1;
    for (size_t i = 0; i < sourceNames.size(); ++i) {
        std::string upper = sourceNames[i];
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper.find("LINE") != std::string::npos) found = static_cast<int>(i);
    }
    return found;
}

DockDialog::DockDialog(Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), clock_(clockForNewDialogs()) {
    setObjectName(QStringLiteral("DockDialog"));
    setWindowTitle(tr("Recording Portable Dictaphone"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout();
    recorder_.setNotify(this, 0);
    createTape();
    fillDevices();
    applySavedLevels();
    setRecordingControlsEnabled(false, false);
    // Queued, so that the window that opened the dialog has connected first.
    QMetaObject::invokeMethod(this, [this] { emit dockNotify(kOpenedOrClosed, QString()); },
                              Qt::QueuedConnection);
    start();
}

DockDialog::~DockDialog() {
    // Closing with the main window: the tape recorded so far stays filed.
    recorder_.setNotify(nullptr, 0);
    recorder_.stop();
}

int64_t DockDialog::now() const { return clock_ ? clock_() : steadyMilliseconds(); }

// Uses up a tape number at once, so a cancelled tape never hands its number
// to the next one, and writes the tape's record.
void DockDialog::createTape() {
    tapeNumber_ = settings_.number();
    settings_.setNumber(tapeNumber_ + 1);
    const std::string base = tapeBaseName(tapeNumber_);
    DictationRecord record(settings_.currentFiles(), base);
    record.setNumber(tapeNumber_);
    record.setName(base);
    record.setSenderName("Dock");
    record.setSenderEmail("");
    record_ = record.path();
    target_ = audioPath(settings_.currentFiles(), base);
    started_ = false;
    lastLoud_ = 0;
}

void DockDialog::fillDevices() {
    std::vector<std::string> names = soundDriver().deviceNames(StreamDirection::Input);
    if (names.size() > kMaxDevices) names.resize(kMaxDevices);
    for (const std::string& name : names) devices_->addItem(QString::fromStdString(name));
    int device = resolveDevice(settings_.dockSoundIn(), settings_.dockSoundInName(), StreamDirection::Input);
    if (device < 0 || device >= devices_->count()) device = 0;
    devices_->setCurrentIndex(device);
    fillChannels(deviceIndex(), settings_.dockSoundInChan());
}

// Entry 0 is the system's own recording selection, then the device's record
// sources.  `wanted` < -1 (nothing saved) or out of range picks the default.
void DockDialog::fillChannels(int device, int wanted) {
    channels_->clear();
    channels_->addItem(QString::fromStdString(mixerRecordSourceName(device, -1)));
    std::vector<std::string> sources;
    const int count = mixerRecordSourceCount(device);
    for (int i = 0; i < count; ++i) sources.push_back(mixerRecordSourceName(device, i));
    for (const std::string& name : sources) channels_->addItem(QString::fromStdString(name));
    if (wanted < -1 || wanted >= count) wanted = defaultChannel(sources);
    channels_->setCurrentIndex(wanted + 1);
}

void DockDialog::applySavedLevels() {
    volume_->setValue(settings_.dockRecordVolume());
    volume_->showValue();
    activate_->setValue(settings_.dockActivate());
    activate_->showValue();
}

int DockDialog::deviceIndex() const { return std::max(devices_->currentIndex(), 0); }

int DockDialog::channelIndex() const { return std::max(channels_->currentIndex(), 0) - 1; }

void DockDialog::saveChoices() {
    settings_.setDockSoundIn(deviceIndex());
    settings_.setDockSoundInName(deviceIdOf(deviceIndex(), StreamDirection::Input));
    settings_.setDockSoundInChan(channelIndex());
    settings_.setDockRecordVolume(volume_->value());
    settings_.setDockActivate(activate_->value());
}

void DockDialog::setRecordingControlsEnabled(bool restart, bool meters) {
    restart_->setEnabled(restart);
    time_->setEnabled(meters);
    meter_->setEnabled(meters);
}

void DockDialog::start() {
    started_ = false;
    recorder_.stop();
    saveChoices();
    if (target_.empty()) return;
    const int device = deviceIndex();
    const int channel = channelIndex();
    recorder_.setDevice(device);
    recorder_.setRecordSource(channel);
    applyRecordVolume();
    // A new file each time: a restart replaces what was recorded before.
    const LSoundSink sink = createPCMWaveFile(target_, kRate, 1, 16);
    const bool ok = recorder_.start(sink, kMaximumTime, activate_->value(), kPauseTime);
    message_->setText(tr(ok ? kStartedText : kStartFailedText));
    // The typist may retry once the device is free again.
    if (!ok) restart_->setEnabled(true);
}

// The record volume goes to the card's capture control when one is chosen
// on a card opened directly; otherwise (the system's own selection, or a
// sound server) the recorder scales the program's own capture.
void DockDialog::applyRecordVolume() {
    const int device = deviceIndex();
    const int channel = channelIndex();
    const int volume = volume_->value();
    const bool hardware = channel >= 0 && mixerIsCardDevice(device, StreamDirection::Input);
    recorder_.setRecordLevel(volume);
    recorder_.setCaptureLevel(hardware ? 0 : volume);
    if (hardware) mixerSetRecordingInput(device, channel, volume);
}

void DockDialog::deviceChosen(int index) {
    if (index < 0) return;
    fillChannels(index, channelIndex());
}

void DockDialog::channelChosen(int) { start(); }

void DockDialog::recordVolumeChanged() {
    settings_.setDockRecordVolume(volume_->value());
    applyRecordVolume();
}

void DockDialog::finishTape() {
    if (closing_) return;
    recorder_.stop();
    saveChoices();
    if (!target_.empty()) {
        emit dockNotify(kTapeFinished, QString::fromStdString(target_));
        target_.clear();
    }
    closeWindow();
}

void DockDialog::cancelTransfer() {
    if (closing_) return;
    recorder_.stop();  // releases the wave file before it is removed
    if (!target_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(target_, ignored);
        std::filesystem::remove(record_, ignored);
        target_.clear();
    }
    emit dockNotify(kOpenedOrClosed, QString());
    closeWindow();
}

void DockDialog::reject() { cancelTransfer(); }

void DockDialog::closeWindow() {
    closing_ = true;
    recorder_.setNotify(nullptr, 0);
    QDialog::done(QDialog::Accepted);
}

void DockDialog::onActivated(int32_t) {
    setRecordingControlsEnabled(true, true);
    message_->setText(tr(kRecordingText));
    started_ = true;
    lastLoud_ = now();
}

void DockDialog::onListening(int32_t) {
    time_->setEnabled(true);
    meter_->setEnabled(true);
}

void DockDialog::onStopped(int32_t) {
    setRecordingControlsEnabled(false, false);
    started_ = false;
}

void DockDialog::onPosition(int32_t time, int32_t) {
    time_->setText(QString::fromStdString(formatTime(time).substr(0, 15)));
}

// While a tape is under way, a level above the activate level marks the
// input as loud; once at least 15 s have passed since then the tape is filed.
// The recorder allows a stop from within its own notification (it stops
// itself that way at the maximum time), so the tape is filed at once.
void DockDialog::onLevels(const LevelRecord* levels, int32_t) {
    meter_->setLevels(levels->count, levels->levels.data());
    if (!started_ || closing_) return;
    int peak = -127;
    if (levels->count == 1) peak = levels->levels[0];
    if (levels->count >= 2) peak = std::max(levels->levels[0], levels->levels[1]);
    const int64_t time = now();
    if (activate_->value() < peak) {
        lastLoud_ = time;
    } else if (time - lastLoud_ >= kQuietFinishMs) {
        finishTape();
    }
}

}  // namespace typix
