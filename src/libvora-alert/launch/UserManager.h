#pragma once

#include "Account.h"
#include "DialogLaunch.h"
#include "UserEnvironment.h"

#include <memory>
#include <string>

namespace vora::launch {

// The dialog as a transient service of the user's own service manager
// (her `systemd --user`), as `systemd-run --user --machine=U@.host` starts
// one, without its PAM session per call:
//   - the system manager names her manager: user@UID.service, active, and
//     its MainPID;
//   - the agent (root) connects to that manager's private socket,
//     RUNTIME/systemd/private, which the manager serves to root and to her;
//     the socket is in her runtime directory, so the peer's pid (SO_PEERCRED)
//     must be the MainPID the system manager gave: a socket or link she
//     put there (to the system manager's, or a forger of hers) is refused;
//   - StartTransientUnit of "vora-dialog-….service" (Type=exec: the start
//     is done once the program runs), with her manager's environment and
//     limits, in her app slice, its output in her journal; of the caller's
//     environment only the variables that choose where agent and dialog
//     meet (VORA_AGENT_ROOT, VEJBINSTANCE, QT_QPA_PLATFORM);
//   - the end and its status from the unit's PropertiesChanged signals
//     (ExecMainCode, ExecMainStatus, ActiveState, Result); at the wait
//     bound StopUnit, which ends every process of the unit, `setsid` or
//     not (SIGTERM and SIGCONT, SIGKILL 5 s later);
//   - a connection that drops while the unit runs is made again with the
//     same checks (her manager re-executes itself, or she closes it), so
//     the bound still reaches the unit; her manager gone (the unit with
//     it), the unit gone, or no connection again before the bound: the end
//     is unknown, a failure (not an exit) with a line saying why.
// The unit is collected by her manager once it ends, failed or not.
class UserManager final
{
public:
    enum class Outcome
    {
        Started,
        Unavailable, // no manager to use: `why` says why; the caller falls back
        Failed,      // the manager refused or the program did not start: `why`
    };

    static Outcome start(const Request& request, const Account& user, const LogLine& log,
                         std::unique_ptr<DialogLaunch>* launch, std::string* why);
};

// Puts `pid` into a scope unit of its own in the user's slice
// (user-UID.slice) of the system manager, so that the agent's restart
// does not end it and StopScope() reaches its descendants. Empty with the
// reason in `why` where no system manager runs.
std::string StartScope(pid_t pid, uid_t uid, std::string* why);
// Ends every process of the scope (SIGTERM, then SIGKILL).
void StopScope(const std::string& scope, const LogLine& log);

} // namespace vora::launch
