#include "LogindSessions.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QVariantMap>

#include <sys/stat.h>

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kUser = QStringLiteral("org.freedesktop.login1.User");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

struct ListedSession
{
    QString id;
    uint uid = 0;
    QString path;
};

// ListSessions: a(susso) of (id, uid, user name, seat, object path).
QList<ListedSession> ParseSessions(const QDBusMessage& reply)
{
    QList<ListedSession> sessions;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("a(susso)")) {
        return sessions;
    }
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        ListedSession session;
        QString user;
        QString seat;
        QDBusObjectPath path;
        list.beginStructure();
        list >> session.id >> session.uid >> user >> seat >> path;
        list.endStructure();
        session.path = path.path();
        sessions.append(session);
    }
    list.endArray();
    return sessions;
}

// The uid of the session's User property, (uo).
uint UserOf(const QVariant& user)
{
    uint uid = static_cast<uint>(-1);
    if (!user.canConvert<QDBusArgument>()) {
        return uid;
    }
    const QDBusArgument structure = user.value<QDBusArgument>();
    QDBusObjectPath path;
    structure.beginStructure();
    structure >> uid >> path;
    structure.endStructure();
    return uid;
}

bool IsSocket(const QString& path)
{
    struct stat status = {};
    return ::stat(path.toLocal8Bit().constData(), &status) == 0 && S_ISSOCK(status.st_mode);
}

// "3 (tty, active, local)"
QString Describe(const QString& id, const QVariantMap& properties)
{
    return QStringLiteral("%1 (%2, %3, %4)")
        .arg(id, properties.value(QStringLiteral("Type")).toString(),
             properties.value(QStringLiteral("Active")).toBool() ? QStringLiteral("active")
                                                                 : QStringLiteral("inactive"),
             properties.value(QStringLiteral("Remote")).toBool() ? QStringLiteral("remote")
                                                                 : QStringLiteral("local"));
}

} // namespace

LogindSessions::LogindSessions(QDBusConnection bus) : m_bus(std::move(bus)) {}

bool LogindSessions::isAvailable() const
{
    return m_bus.isConnected() && m_bus.interface()->isServiceRegistered(kLogind).value();
}

QDBusMessage LogindSessions::call(const QString& path, const QString& interface, const QString& method,
                                  const QVariantList& arguments) const
{
    QDBusMessage request = QDBusMessage::createMethodCall(kLogind, path, interface, method);
    request.setArguments(arguments);
    return m_bus.call(request, QDBus::Block, kCallTimeoutMs);
}

std::optional<SessionDisplay> LogindSessions::graphicalSession(uint uid, QString* why) const
{
    const QDBusMessage listed = call(kManagerPath, kManager, QStringLiteral("ListSessions"), {});
    if (listed.type() != QDBusMessage::ReplyMessage) {
        *why = QStringLiteral("logind did not list its sessions: ") + listed.errorMessage();
        return std::nullopt;
    }
    QStringList seen;
    for (const ListedSession& entry : ParseSessions(listed)) {
        if (entry.uid != uid) {
            continue;
        }
        const QDBusMessage got = call(entry.path, kProperties, QStringLiteral("GetAll"), {kSession});
        const QVariantMap properties = got.type() == QDBusMessage::ReplyMessage
                                           ? qdbus_cast<QVariantMap>(got.arguments().value(0))
                                           : QVariantMap();
        const QString type = properties.value(QStringLiteral("Type")).toString();
        seen.append(Describe(entry.id, properties));
        if (UserOf(properties.value(QStringLiteral("User"))) != uid ||
            !properties.value(QStringLiteral("Active")).toBool() ||
            properties.value(QStringLiteral("Remote"), true).toBool() ||
            (type != QLatin1String("x11") && type != QLatin1String("wayland"))) {
            continue;
        }
        SessionDisplay session;
        session.sessionId = entry.id;
        session.userName = properties.value(QStringLiteral("Name")).toString();
        session.type = type;
        session.display = properties.value(QStringLiteral("Display")).toString();
        session.runtimeDir = runtimePath(uid);
        if (!session.runtimeDir.isEmpty()) {
            const QString wayland = session.runtimeDir + QStringLiteral("/wayland-0");
            if (type == QLatin1String("wayland") && IsSocket(wayland)) {
                session.waylandDisplay = QStringLiteral("wayland-0");
            }
            const QString bus = session.runtimeDir + QStringLiteral("/bus");
            if (IsSocket(bus)) {
                session.sessionBus = QStringLiteral("unix:path=") + bus;
            }
        }
        return session;
    }
    *why = seen.isEmpty() ? QStringLiteral("logind has no session of uid %1").arg(uid)
                          : QStringLiteral("no active local graphical session of uid %1 among %2")
                                .arg(QString::number(uid), seen.join(QStringLiteral(", ")));
    return std::nullopt;
}

QString LogindSessions::runtimePath(uint uid) const
{
    const QDBusMessage user = call(kManagerPath, kManager, QStringLiteral("GetUser"), {uid});
    if (user.type() != QDBusMessage::ReplyMessage || user.signature() != QLatin1String("o")) {
        return QString();
    }
    const QString path = user.arguments().first().value<QDBusObjectPath>().path();
    const QDBusMessage got =
        call(path, kProperties, QStringLiteral("Get"), {kUser, QStringLiteral("RuntimePath")});
    if (got.type() != QDBusMessage::ReplyMessage) {
        return QString();
    }
    return got.arguments().value(0).value<QDBusVariant>().variant().toString();
}
