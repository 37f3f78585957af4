#include "UserLaunch.h"

#include "LogindSessions.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {

const QStringList kDisplayVariables = {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                       QStringLiteral("XDG_RUNTIME_DIR"),
                                       QStringLiteral("DBUS_SESSION_BUS_ADDRESS")};

void Log(const QString& line)
{
    std::fprintf(stderr, "vora-agent: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

void SetOrRemove(QProcessEnvironment* environment, const QString& name, const QString& value)
{
    if (value.isEmpty()) {
        environment->remove(name);
    } else {
        environment->insert(name, value);
    }
}

// "DISPLAY=:77 WAYLAND_DISPLAY unset ..."
QString DescribeDisplay(const QProcessEnvironment& environment)
{
    QStringList parts;
    for (const QString& name : kDisplayVariables) {
        parts.append(environment.contains(name) ? name + QLatin1Char('=') + environment.value(name)
                                                : name + QStringLiteral(" unset"));
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

UserLaunch::UserLaunch(TargetUser user, QProcessEnvironment environment, bool switchIdentity)
    : m_user(std::move(user)), m_environment(std::move(environment)), m_switchIdentity(switchIdentity)
{
}

std::optional<UserLaunch> UserLaunch::prepare(const QString& nameOrUid, QString* error)
{
    std::optional<TargetUser> user = TargetUser::resolve(nameOrUid, error);
    if (!user) {
        return std::nullopt;
    }
    const uid_t self = ::geteuid();
    if (self != 0 && user->uid() != self) {
        *error =
            QStringLiteral("--user %1: only root may start a dialog as another user (this runs as uid %2)")
                .arg(nameOrUid, QString::number(self));
        return std::nullopt;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), user->home());
    environment.insert(QStringLiteral("USER"), user->name());
    environment.insert(QStringLiteral("LOGNAME"), user->name());

    const QDBusConnection bus = QDBusConnection::systemBus();
    const LogindSessions logind(bus);
    QString why = bus.isConnected() ? QStringLiteral("logind is not on the system bus")
                                    : QStringLiteral("no system bus: ") + bus.lastError().message();
    const std::optional<SessionDisplay> session =
        logind.isAvailable() ? logind.graphicalSession(user->uid(), &why) : std::nullopt;
    if (session) {
        takeSessionDisplay(*session, &environment);
        Log(QStringLiteral("display environment from logind session %1 of %2 (%3): %4")
                .arg(session->sessionId, session->userName, session->type, DescribeDisplay(environment)));
    } else {
        Log(QStringLiteral("display environment from the caller's environment (%1): %2")
                .arg(why, DescribeDisplay(environment)));
    }
    Log(QStringLiteral("the dialog runs as ") + user->describe());
    return UserLaunch(std::move(*user), std::move(environment), self == 0);
}

void UserLaunch::takeSessionDisplay(const SessionDisplay& session, QProcessEnvironment* environment)
{
    SetOrRemove(environment, QStringLiteral("DISPLAY"), session.display);
    SetOrRemove(environment, QStringLiteral("WAYLAND_DISPLAY"), session.waylandDisplay);
    SetOrRemove(environment, QStringLiteral("XDG_RUNTIME_DIR"), session.runtimeDir);
    SetOrRemove(environment, QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session.sessionBus);
    // The caller's X cookie file is not the user's: the display manager's
    // one in the runtime directory when it is there, else the default
    // ~/.Xauthority.
    const QString cookie = session.runtimeDir + QStringLiteral("/gdm/Xauthority");
    SetOrRemove(environment, QStringLiteral("XAUTHORITY"),
                !session.runtimeDir.isEmpty() && QFileInfo::exists(cookie) ? cookie : QString());
}

void UserLaunch::apply(QProcess& process) const
{
    process.setProcessEnvironment(m_environment);
    // The caller's working directory may be closed to the user.
    process.setWorkingDirectory(QStringLiteral("/"));
}

std::function<void()> UserLaunch::inChild() const
{
    return m_switchIdentity ? m_user.switcher() : std::function<void()>();
}
