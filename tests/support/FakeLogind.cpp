#include "FakeLogind.h"

#include "ConsoleInput.h"

#include <QDBusConnection>
#include <QDBusMetaType>

QDBusArgument& operator<<(QDBusArgument& argument, const LoginSessionEntry& entry)
{
    argument.beginStructure();
    argument << entry.id << entry.uid << entry.user << entry.seat << entry.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, LoginSessionEntry& entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.uid >> entry.user >> entry.seat >> entry.path;
    argument.endStructure();
    return argument;
}

FakeLogind::FakeLogind()
{
    qDBusRegisterMetaType<LoginSessionEntry>();
    qDBusRegisterMetaType<QList<LoginSessionEntry>>();
    qDBusRegisterMetaType<LoginUserRef>();
}

FakeLogind::~FakeLogind() = default;

void FakeLogind::addSession(const FakeLogindSession::Description& description)
{
    m_sessions.push_back(std::make_unique<FakeLogindSession>(description));
}

void FakeLogind::addUser(uint uid, const QString& runtimePath)
{
    m_users.push_back(std::make_unique<FakeLogindUser>(uid, runtimePath));
}

bool FakeLogind::publish()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    bool exported = bus.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                                       QDBusConnection::ExportScriptableSlots);
    for (const auto& session : m_sessions) {
        exported = exported &&
                   bus.registerObject(session->path(), session.get(), QDBusConnection::ExportAllProperties);
    }
    for (const auto& user : m_users) {
        exported = exported && bus.registerObject(FakeLogindSession::userPath(user->uid()), user.get(),
                                                  QDBusConnection::ExportAllProperties);
    }
    return exported && bus.registerService(QStringLiteral("org.freedesktop.login1"));
}

QList<LoginSessionEntry> FakeLogind::ListSessions()
{
    SayLine("call ListSessions");
    QList<LoginSessionEntry> entries;
    for (const auto& session : m_sessions) {
        entries.append({session->id(), session->uid(), session->name(), QStringLiteral("seat0"),
                        QDBusObjectPath(session->path())});
    }
    return entries;
}

QDBusObjectPath FakeLogind::GetUser(uint uid)
{
    SayLine("call GetUser " + QByteArray::number(uid));
    for (const auto& user : m_users) {
        if (user->uid() == uid) {
            return QDBusObjectPath(FakeLogindSession::userPath(uid));
        }
    }
    sendErrorReply(QStringLiteral("org.freedesktop.login1.NoSuchUser"),
                   QStringLiteral("User ID %1 is not logged in or lingering").arg(uid));
    return QDBusObjectPath();
}
