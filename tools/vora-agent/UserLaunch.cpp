#include "UserLaunch.h"

#include "LogindSessions.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QFileInfo>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList kDisplayVariables = {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                       QStringLiteral("XDG_RUNTIME_DIR"),
                                       QStringLiteral("DBUS_SESSION_BUS_ADDRESS")};

// Taken from the caller as they are. QT_QPA_PLATFORM only picks one of
// the installed display plugins (test rigs: "offscreen"); unlike
// QT_PLUGIN_PATH it names no directory to load code from. In a sanitizer
// build the dialog is built alike and needs the same sanitizer settings
// (leak suppressions); such builds never ship.
const QStringList kPassedVariables = {
    QStringLiteral("LANG"),         QStringLiteral("LANGUAGE"),        QStringLiteral("VORA_AGENT_ROOT"),
    QStringLiteral("VEJBINSTANCE"), QStringLiteral("QT_QPA_PLATFORM"),
#if defined(__SANITIZE_ADDRESS__)
    QStringLiteral("ASAN_OPTIONS"), QStringLiteral("LSAN_OPTIONS"),    QStringLiteral("UBSAN_OPTIONS"),
#endif
};

// The user's PATH as su(1) sets it for a login: the caller's may name its
// own directories (/root/bin) or relative ones.
const QString kUserPath = QStringLiteral("/usr/local/bin:/usr/bin:/bin");
const QString kBusPrefix = QStringLiteral("unix:path=");

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

bool BelongsTo(const QString& path, uid_t uid)
{
    struct stat status = {};
    return !path.isEmpty() &&
           ::lstat(QFileInfo(path).absoluteFilePath().toLocal8Bit().constData(), &status) == 0 &&
           status.st_uid == uid;
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
    const QProcessEnvironment caller = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment environment = allowedOfCaller(caller);
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
        takeCallerDisplay(caller, user->uid(), &environment);
        Log(QStringLiteral("display environment from the caller's environment (%1): %2")
                .arg(why, DescribeDisplay(environment)));
    }
    QStringList names = environment.keys();
    names.sort();
    Log(QStringLiteral("the dialog runs as ") + user->describe());
    Log(QStringLiteral("the dialog's environment: ") + names.join(QLatin1Char(' ')));
    return UserLaunch(std::move(*user), std::move(environment), self == 0);
}

QProcessEnvironment UserLaunch::allowedOfCaller(const QProcessEnvironment& caller)
{
    QProcessEnvironment allowed;
    for (const QString& name : caller.keys()) {
        if (kPassedVariables.contains(name) || name.startsWith(QLatin1String("LC_"))) {
            allowed.insert(name, caller.value(name));
        }
    }
    allowed.insert(QStringLiteral("PATH"), kUserPath);
    return allowed;
}

void UserLaunch::takeSessionDisplay(const SessionDisplay& session, QProcessEnvironment* environment)
{
    SetOrRemove(environment, QStringLiteral("DISPLAY"), session.display);
    SetOrRemove(environment, QStringLiteral("WAYLAND_DISPLAY"), session.waylandDisplay);
    SetOrRemove(environment, QStringLiteral("XDG_RUNTIME_DIR"), session.runtimeDir);
    SetOrRemove(environment, QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session.sessionBus);
    // The display manager's X cookie in the runtime directory when it is
    // there, else the default ~/.Xauthority of the user.
    const QString cookie = session.runtimeDir + QStringLiteral("/gdm/Xauthority");
    SetOrRemove(environment, QStringLiteral("XAUTHORITY"),
                !session.runtimeDir.isEmpty() && QFileInfo::exists(cookie) ? cookie : QString());
}

// The caller's display names pass; a file or directory it names passes
// only when it belongs to the user: the caller's own (root's X cookie,
// runtime directory, session bus) would be of no use to the user, and
// names root's files.
void UserLaunch::takeCallerDisplay(const QProcessEnvironment& caller, uid_t uid,
                                   QProcessEnvironment* environment)
{
    SetOrRemove(environment, QStringLiteral("DISPLAY"), caller.value(QStringLiteral("DISPLAY")));
    SetOrRemove(environment, QStringLiteral("WAYLAND_DISPLAY"),
                caller.value(QStringLiteral("WAYLAND_DISPLAY")));
    const QString bus = caller.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    const QList<std::pair<QString, QString>> files = {
        {QStringLiteral("XDG_RUNTIME_DIR"), caller.value(QStringLiteral("XDG_RUNTIME_DIR"))},
        {QStringLiteral("XAUTHORITY"), caller.value(QStringLiteral("XAUTHORITY"))},
        {QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
         bus.startsWith(kBusPrefix) ? bus.mid(kBusPrefix.size()) : bus},
    };
    for (const auto& [name, path] : files) {
        if (BelongsTo(path, uid)) {
            environment->insert(name, caller.value(name));
        } else if (caller.contains(name)) {
            Log(QStringLiteral("the caller's %1=%2 is not passed on: it names no file of uid %3")
                    .arg(name, caller.value(name), QString::number(uid)));
        }
    }
}

void UserLaunch::apply(ChildProcess::Plan* plan) const
{
    plan->environment.clear();
    for (const QString& entry : m_environment.toStringList()) {
        plan->environment.push_back(entry.toLocal8Bit().toStdString());
    }
    plan->umask = kUmask;
    plan->workingDirectory = "/";
    if (m_switchIdentity) {
        plan->identity = ChildProcess::Identity{m_user.uid(), m_user.gid(), m_user.groups()};
    }
}
