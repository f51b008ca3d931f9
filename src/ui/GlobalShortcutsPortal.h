#pragma once
// The desktop's GlobalShortcuts portal (org.freedesktop.portal.GlobalShortcuts
// on the session bus; KDE Plasma 5.27+, GNOME 48+): the hot-key actions F5 to
// F12 are bound through it, the desktop asks the user to confirm or choose
// the keys, and a press anywhere reaches activated() with the hot key's id
// (HotKeys::Id).
//
// start() runs the portal's two requests in turn (create a session, bind the
// shortcuts), each answered later by a Response signal; state() tells how
// far it got.  Without a session bus or without the portal nothing happens
// and state() says Unavailable.  Interface thread only.
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace typix {

class GlobalShortcutsPortal : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Unavailable, CreatingSession, Binding, Bound, Refused };

    explicit GlobalShortcutsPortal(QObject* parent = nullptr);
    ~GlobalShortcutsPortal() override;

    // Whether the session bus offers the portal's interface.
    static bool available();

    void start();
    State state() const { return state_; }

    // The shortcut id the portal knows hot key `id` by, and back (-1: none).
    static QString shortcutName(int id);
    static int idOfShortcut(const QString& name);

signals:
    void activated(int id);
    void stateChanged(State state);

private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    void onActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                     const QVariantMap& options);

private:
    QString requestPath(const QString& token) const;
    bool awaitResponse(const QString& token, const char* slot);
    void setState(State state);

    State state_ = State::Idle;
    QString session_;
    QString pendingRequest_;
};

}  // namespace typix
