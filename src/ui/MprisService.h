#pragma once
// The window on the session bus as a media player (MPRIS 2), so that media
// keys, desktop media widgets, phone remotes and `playerctl` drive playback:
// bus name org.mpris.MediaPlayer2.typix, object /org/mpris/MediaPlayer2.
//
// The player's state is read from the window every 200 ms; a change of
// PlaybackStatus, Rate or Metadata is announced with PropertiesChanged, a
// jump of the position with Seeked.  Positions on the bus are microseconds,
// the window's are 1/10000 s.  Rate is the window's speed (0.1 to 2.0, in
// the speed bar's steps of 0.1).  "Pause" stops where playback is, as the
// window's Stop button does; "Stop" also goes back to the start.
//
// Without a session bus (or when the name is taken) nothing is offered and
// the window runs as before.  Interface thread only.
#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

namespace typix {

class MainDialog;
class MprisPlayerAdaptor;
class Settings;

class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kBusName = "org.mpris.MediaPlayer2.typix";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    MprisService(MainDialog& dialog, const Settings& settings, QObject* parent = nullptr);
    ~MprisService() override;

    // Whether the service is on the bus.
    bool registered() const { return registered_; }

    // The state as the bus sees it.
    QString playbackStatus() const;
    double rate() const;
    void setRate(double rate);
    qlonglong positionMicroseconds() const;
    QVariantMap metadata() const;

    // The methods.
    void raise();
    void play();
    void pause();
    void playPause();
    void stop();
    void seek(qlonglong offsetMicroseconds);
    void setPosition(const QDBusObjectPath& track, qlonglong microseconds);

    // Compares the state with what was announced last and announces changes.
    void announceChanges();

private:
    void announce(const QString& interface, const QVariantMap& changed);
    QDBusObjectPath trackId() const;

    MainDialog& dialog_;
    const Settings& settings_;
    MprisPlayerAdaptor* player_;
    bool registered_ = false;
    QTimer poll_;
    QString lastStatus_;
    double lastRate_ = 0;
    QVariantMap lastMetadata_;
    qlonglong lastPosition_ = 0;
    qint64 lastPollMs_ = 0;
    // A pause at the very start still reads as Paused, not Stopped.
    bool pausedHere_ = false;
};

// org.mpris.MediaPlayer2: the application.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisService* service);
    bool canQuit() const { return false; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Korvel Typix"); }
    QString desktopEntry() const { return QStringLiteral("com.korvel.Typix"); }
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise() { service_->raise(); }
    void Quit() {}

private:
    MprisService* service_;
};

// org.mpris.MediaPlayer2.Player: the transport.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ no)
    Q_PROPERTY(bool CanGoPrevious READ no)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ yes)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit MprisPlayerAdaptor(MprisService* service);
    QString playbackStatus() const { return service_->playbackStatus(); }
    double rate() const { return service_->rate(); }
    void setRate(double rate) { service_->setRate(rate); }
    double minimumRate() const { return 0.1; }
    double maximumRate() const { return 2.0; }
    QVariantMap metadata() const { return service_->metadata(); }
    double volume() const { return 1.0; }
    qlonglong position() const { return service_->positionMicroseconds(); }
    bool yes() const { return true; }
    bool no() const { return false; }

public slots:
    void Next() {}
    void Previous() {}
    void Pause() { service_->pause(); }
    void PlayPause() { service_->playPause(); }
    void Stop() { service_->stop(); }
    void Play() { service_->play(); }
    void Seek(qlonglong offset) { service_->seek(offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) {
        service_->setPosition(track, position);
    }
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    MprisService* service_;
};

}  // namespace typix
