#include "ui/MprisService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "app/Settings.h"
#include "store/DictationRecord.h"
#include "ui/CommandIds.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {

constexpr int kPollMs = 200;
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
// The window counts time in 1/10000 s, the bus in microseconds.
constexpr qlonglong kMicrosecondsPerTick = 100;
// A position further than this from where the last poll and the elapsed
// time put it is a jump that listeners hear of through Seeked.
constexpr qlonglong kSeekSlackMicroseconds = 1'000'000;

}  // namespace

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

MprisService::MprisService(MainDialog& dialog, const Settings& settings, QObject* parent)
    : QObject(parent), dialog_(dialog), settings_(settings) {
    new MprisRootAdaptor(this);
    player_ = new MprisPlayerAdaptor(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), this,
                            QDBusConnection::ExportAdaptors))
        return;
    if (!bus.registerService(QString::fromLatin1(kBusName))) {
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        return;
    }
    registered_ = true;
    lastStatus_ = playbackStatus();
    lastRate_ = rate();
    lastMetadata_ = metadata();
    lastPosition_ = positionMicroseconds();
    lastPollMs_ = QDateTime::currentMSecsSinceEpoch();
    connect(&poll_, &QTimer::timeout, this, &MprisService::announceChanges);
    poll_.start(kPollMs);
}

MprisService::~MprisService() {
    if (!registered_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QString::fromLatin1(kBusName));
    bus.unregisterObject(QString::fromLatin1(kObjectPath));
}

QString MprisService::playbackStatus() const {
    if (dialog_.isPlaying()) return QStringLiteral("Playing");
    if (dialog_.hasDictation() && (dialog_.position() > 0 || pausedHere_))
        return QStringLiteral("Paused");
    return QStringLiteral("Stopped");
}

double MprisService::rate() const { return dialog_.speed() / 100.0; }

void MprisService::setRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0) return;  // 0 would mean pause; ignored
    // The speed bar's steps are 10 %: the rate is held to them.
    const int percent = MainDialog::clampSpeed(int(std::lround(rate * 10)) * 10);
    if (dialog_.isPlaying()) {
        dialog_.playAtSpeed(percent);
    } else {
        dialog_.speedBar()->setSliderPosition(percent / 10 - 1);
        dialog_.speedBarAction(QAbstractSlider::SliderMove);
    }
    announceChanges();
}

qlonglong MprisService::positionMicroseconds() const {
    return qlonglong(dialog_.position()) * kMicrosecondsPerTick;
}

QDBusObjectPath MprisService::trackId() const {
    if (!dialog_.hasDictation()) return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    // Object path elements allow only [A-Za-z0-9_]: the base name is hex-coded.
    const QByteArray hex = QByteArray::fromStdString(dialog_.currentDictation()).toHex();
    return QDBusObjectPath(QStringLiteral("/org/korvel/typix/dictation/d") + QString::fromLatin1(hex));
}

QVariantMap MprisService::metadata() const {
    QVariantMap data;
    data.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId()));
    if (!dialog_.hasDictation()) return data;
    // The window names its dictation by the path of its wave.
    std::string base = dialog_.currentDictation();
    const size_t slash = base.rfind('/');
    if (slash != std::string::npos) base.erase(0, slash + 1);
    if (base.size() > 4) base.resize(base.size() - 4);
    DictationRecord record(settings_.currentFiles(), base);
    const std::string name = record.name();
    data.insert(QStringLiteral("xesam:title"), QString::fromStdString(name.empty() ? base : name));
    const std::string sender = record.senderName();
    if (!sender.empty())
        data.insert(QStringLiteral("xesam:artist"), QStringList{QString::fromStdString(sender)});
    data.insert(QStringLiteral("mpris:length"), qlonglong(dialog_.duration()) * kMicrosecondsPerTick);
    return data;
}

void MprisService::raise() {
    QWidget* frame = dialog_.window();
    frame->setWindowState(frame->windowState() & ~Qt::WindowMinimized);
    frame->show();
    frame->raise();
    frame->activateWindow();
}

void MprisService::play() {
    if (!dialog_.isPlaying()) dialog_.command(cmd::kPlay);
    announceChanges();
}

void MprisService::pause() {
    pausedHere_ = dialog_.hasDictation();
    dialog_.stop();
    announceChanges();
}

void MprisService::playPause() { dialog_.isPlaying() ? pause() : play(); }

void MprisService::stop() {
    pausedHere_ = false;
    dialog_.stop();
    dialog_.goToStart();
    announceChanges();
}

void MprisService::seek(qlonglong offset) {
    if (!dialog_.hasDictation()) return;
    const qlonglong target = positionMicroseconds() + offset;
    // Past the end counts as the next track, which a dictation does not
    // have: the position goes to the end.
    const qlonglong length = qlonglong(dialog_.duration()) * kMicrosecondsPerTick;
    const qlonglong clamped = std::clamp<qlonglong>(target, 0, length);
    dialog_.seek(int32_t(clamped / kMicrosecondsPerTick));
    announceChanges();
}

void MprisService::setPosition(const QDBusObjectPath& track, qlonglong microseconds) {
    // A stale track id (the dictation changed meanwhile) is ignored, as the
    // interface asks.
    if (!dialog_.hasDictation() || track != trackId()) return;
    const qlonglong length = qlonglong(dialog_.duration()) * kMicrosecondsPerTick;
    if (microseconds < 0 || microseconds > length) return;
    dialog_.seek(int32_t(microseconds / kMicrosecondsPerTick));
    announceChanges();
}

void MprisService::announceChanges() {
    if (!registered_) return;
    QVariantMap changed;
    const QString status = playbackStatus();
    if (status != lastStatus_) changed.insert(QStringLiteral("PlaybackStatus"), lastStatus_ = status);
    const double now = rate();
    if (now != lastRate_) changed.insert(QStringLiteral("Rate"), lastRate_ = now);
    const QVariantMap data = metadata();
    if (data != lastMetadata_) {
        changed.insert(QStringLiteral("Metadata"), lastMetadata_ = data);
        pausedHere_ = false;
    }
    if (!changed.isEmpty()) announce(QString::fromLatin1(kPlayerInterface), changed);

    // Where the position should be by now if nothing jumped.
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    const qlonglong position = positionMicroseconds();
    qlonglong expected = lastPosition_;
    if (lastStatus_ == QLatin1String("Playing"))
        expected += qlonglong((nowMs - lastPollMs_) * 1000 * lastRate_);
    if (std::llabs(position - expected) > kSeekSlackMicroseconds && !changed.contains(QStringLiteral("Metadata")))
        emit player_->Seeked(position);
    lastPosition_ = position;
    lastPollMs_ = nowMs;
}

void MprisService::announce(const QString& interface, const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace typix
