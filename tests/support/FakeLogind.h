#pragma once

#include "FakeLogindSession.h"
#include "FakeLogindUser.h"

#include <QDBusContext>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>

#include <memory>
#include <vector>

// An entry of ListSessions, (susso): id, uid, user name, seat, path.
struct LoginSessionEntry
{
    QString id;
    uint uid = 0;
    QString user;
    QString seat;
    QDBusObjectPath path;
};
Q_DECLARE_METATYPE(LoginSessionEntry)

QDBusArgument& operator<<(QDBusArgument& argument, const LoginSessionEntry& entry);
const QDBusArgument& operator>>(const QDBusArgument& argument, LoginSessionEntry& entry);

// systemd-logind for tests: org.freedesktop.login1.Manager on
// /org/freedesktop/login1 with ListSessions and GetUser, the given sessions
// and users as objects of their own. Prints "call METHOD" for each call.
class FakeLogind final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    FakeLogind();
    ~FakeLogind() override;

    void addSession(const FakeLogindSession::Description& description);
    void addUser(uint uid, const QString& runtimePath);
    // Exports everything and owns org.freedesktop.login1 on the system bus.
    bool publish();

public Q_SLOTS:
    Q_SCRIPTABLE QList<LoginSessionEntry> ListSessions();
    Q_SCRIPTABLE QDBusObjectPath GetUser(uint uid);

private:
    std::vector<std::unique_ptr<FakeLogindSession>> m_sessions;
    std::vector<std::unique_ptr<FakeLogindUser>> m_users;
};
