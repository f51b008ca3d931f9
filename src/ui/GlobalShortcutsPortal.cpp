#include "ui/GlobalShortcutsPortal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QRandomGenerator>

#include "ui/HotKeys.h"

namespace typix {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

struct Shortcut {
    const char* name;
    const char* description;
    const char* key;
};
// In the order of HotKeys::Id.
const Shortcut kShortcuts[HotKeys::kCount] = {
    {"seek-back", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal",
        "Korvel Typix: 2 seconds back"), "F7"},
    {"seek-ahead", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal",
        "Korvel Typix: 2 seconds ahead"), "F8"},
    {"play-normal", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal",
        "Korvel Typix: play at normal speed"), "F9"},
    {"play-slow", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal",
        "Korvel Typix: play slowly"), "F10"},
    {"play-fast", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal",
        "Korvel Typix: play fast"), "F11"},
    {"stop", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal", "Korvel Typix: stop"), "F12"},
    {"restore", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal",
        "Korvel Typix: show the window"), "F5"},
    {"minimize", QT_TRANSLATE_NOOP("typix::GlobalShortcutsPortal",
        "Korvel Typix: minimize the window"), "F6"},
};

// The portal's a(sa{sv}) list of shortcuts.
struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};
using ShortcutList = QList<ShortcutEntry>;

QDBusArgument& operator<<(QDBusArgument& out, const ShortcutEntry& entry) {
    out.beginStructure();
    out << entry.id << entry.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, ShortcutEntry& entry) {
    in.beginStructure();
    in >> entry.id >> entry.properties;
    in.endStructure();
    return in;
}

QString newToken() {
    return QStringLiteral("typix%1").arg(QRandomGenerator::global()->generate());
}

}  // namespace

}  // namespace typix

Q_DECLARE_METATYPE(typix::ShortcutEntry)
Q_DECLARE_METATYPE(typix::ShortcutList)

namespace typix {

GlobalShortcutsPortal::GlobalShortcutsPortal(QObject* parent) : QObject(parent) {
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<ShortcutList>();
}

GlobalShortcutsPortal::~GlobalShortcutsPortal() {
    if (session_.isEmpty()) return;
    QDBusMessage close = QDBusMessage::createMethodCall(
        kService, session_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close"));
    QDBusConnection::sessionBus().send(close);
}

bool GlobalShortcutsPortal::available() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    // The portal answers at once; a missing one makes the bus answer an error.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString GlobalShortcutsPortal::shortcutName(int id) {
    return id >= 0 && id < HotKeys::kCount ? QLatin1String(kShortcuts[id].name) : QString();
}

int GlobalShortcutsPortal::idOfShortcut(const QString& name) {
    for (int id = 0; id < HotKeys::kCount; ++id)
        if (name == QLatin1String(kShortcuts[id].name)) return id;
    return -1;
}

void GlobalShortcutsPortal::setState(State state) {
    state_ = state;
    emit stateChanged(state);
}

// The request object the portal will answer on: its path is fixed by the
// caller's unique bus name and the token, so the answer is awaited before
// the call goes out and cannot be missed.
QString GlobalShortcutsPortal::requestPath(const QString& token) const {
    QString sender = QDBusConnection::sessionBus().baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

bool GlobalShortcutsPortal::awaitResponse(const QString& token, const char* slot) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!pendingRequest_.isEmpty())
        bus.disconnect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this, nullptr);
    pendingRequest_ = requestPath(token);
    return bus.connect(kService, pendingRequest_, kRequest, QStringLiteral("Response"), this, slot);
}

void GlobalShortcutsPortal::start() {
    if (state_ != State::Idle && state_ != State::Unavailable && state_ != State::Refused) return;
    if (!available()) {
        setState(State::Unavailable);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    const QString token = newToken();
    awaitResponse(token, SLOT(sessionCreated(uint, QVariantMap)));
    QDBusMessage create = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                         QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("handle_token"), token},
                          {QStringLiteral("session_handle_token"), newToken()}};
    setState(State::CreatingSession);
    bus.asyncCall(create);
}

void GlobalShortcutsPortal::sessionCreated(uint response, const QVariantMap& results) {
    session_ = results.value(QStringLiteral("session_handle")).toString();
    if (response != 0 || session_.isEmpty()) {
        setState(State::Refused);
        return;
    }
    ShortcutList shortcuts;
    for (const Shortcut& s : kShortcuts)
        shortcuts.append({QLatin1String(s.name),
                          {{QStringLiteral("description"), tr(s.description)},
                           {QStringLiteral("preferred_trigger"), QLatin1String(s.key)}}});
    const QString token = newToken();
    awaitResponse(token, SLOT(shortcutsBound(uint, QVariantMap)));
    QDBusMessage bind = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("BindShortcuts"));
    bind << QVariant::fromValue(QDBusObjectPath(session_)) << QVariant::fromValue(shortcuts)
         << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    setState(State::Binding);
    QDBusConnection::sessionBus().asyncCall(bind);
}

void GlobalShortcutsPortal::shortcutsBound(uint response, const QVariantMap&) {
    setState(response == 0 ? State::Bound : State::Refused);
}

void GlobalShortcutsPortal::onActivated(const QDBusObjectPath& session, const QString& shortcut,
                                        qulonglong, const QVariantMap&) {
    if (session.path() != session_) return;
    const int id = idOfShortcut(shortcut);
    if (id >= 0) emit activated(id);
}

}  // namespace typix
