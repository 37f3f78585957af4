#pragma once

#include "ChildProcess.h"
#include "TargetUser.h"

#include <QProcessEnvironment>
#include <QString>

#include <optional>

struct SessionDisplay;

// Starting the dialog as another user, as the agent does from root: the
// identity to switch to, and an environment built from nothing but
//   - HOME, USER and LOGNAME of the user, and PATH=/usr/local/bin:/usr/bin:/bin;
//   - the display variables (DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR,
//     DBUS_SESSION_BUS_ADDRESS, XAUTHORITY) of the user's active graphical
//     session as logind reports it; without logind, or without such a
//     session, the caller's DISPLAY and WAYLAND_DISPLAY, and of its
//     XDG_RUNTIME_DIR, XAUTHORITY and session bus only those whose file
//     belongs to the user (never root's /root/.Xauthority);
//   - of the caller's environment LANG, LANGUAGE and LC_*;
//     VORA_AGENT_ROOT and VEJBINSTANCE, which choose the directory the
//     agent and the dialog meet in (the data root a user could give her
//     own programs anyway; no right comes with it); QT_QPA_PLATFORM,
//     which picks an installed display plugin (test rigs: "offscreen").
// Nothing else of the caller's passes: no LD_*, QT_PLUGIN_PATH, secrets. The child
// gets umask 022 and the working directory "/". Standard error says where
// the display came from and which variables the dialog gets.
class UserLaunch final
{
public:
    // nullopt with the reason in `error` for an unknown user, or when this
    // process may not switch to it (only root may start another user's dialog).
    static std::optional<UserLaunch> prepare(const QString& nameOrUid, QString* error);

    // Makes `plan` start its program as the user: this environment, umask,
    // working directory, and as root the switch of identity (otherwise the
    // caller is the user already).
    void apply(ChildProcess::Plan* plan) const;

    const TargetUser& user() const { return m_user; }
    const QProcessEnvironment& environment() const { return m_environment; }

    static constexpr mode_t kUmask = 022;

private:
    UserLaunch(TargetUser user, QProcessEnvironment environment, bool switchIdentity);
    static QProcessEnvironment allowedOfCaller(const QProcessEnvironment& caller);
    static void takeSessionDisplay(const SessionDisplay& session, QProcessEnvironment* environment);
    static void takeCallerDisplay(const QProcessEnvironment& caller, uid_t uid,
                                  QProcessEnvironment* environment);

    TargetUser m_user;
    QProcessEnvironment m_environment;
    bool m_switchIdentity;
};
