#pragma once

#include "TargetUser.h"

#include <QProcessEnvironment>
#include <QString>

#include <functional>
#include <optional>

class QProcess;
struct SessionDisplay;

// Starting the dialog as another user, as the agent does from root: the
// identity to switch to in the child, and its environment: the caller's,
// with HOME, USER and LOGNAME of the user and the display variables
// (DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS)
// of the user's active graphical session as logind reports it. Without
// logind, or without such a session, the caller's display variables stay;
// either way a line on standard error says where they came from.
class UserLaunch final
{
public:
    // nullopt with the reason in `error` for an unknown user, or when this
    // process may not switch to it (only root may start another user's dialog).
    static std::optional<UserLaunch> prepare(const QString& nameOrUid, QString* error);

    // The environment and the working directory "/".
    void apply(QProcess& process) const;
    // What runs in the child between fork and exec: as root, the switch of
    // identity (TargetUser::switcher()); otherwise nothing (empty).
    std::function<void()> inChild() const;

    const TargetUser& user() const { return m_user; }
    const QProcessEnvironment& environment() const { return m_environment; }

private:
    UserLaunch(TargetUser user, QProcessEnvironment environment, bool switchIdentity);
    static void takeSessionDisplay(const SessionDisplay& session, QProcessEnvironment* environment);

    TargetUser m_user;
    QProcessEnvironment m_environment;
    bool m_switchIdentity;
};
