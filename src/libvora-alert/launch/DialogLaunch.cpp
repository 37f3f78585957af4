#include "DialogLaunch.h"

#include "Account.h"
#include "ChildProcess.h"
#include "UserEnvironment.h"
#include "UserManager.h"

#include <cerrno>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace vora::launch {

namespace {

constexpr mode_t kUserUmask = 022;

void ToStandardError(const std::string& line)
{
    std::fprintf(stderr, "vora-launch: %s\n", line.c_str());
    std::fflush(stderr);
}

Ending From(const ChildProcess::Ending& ending)
{
    return Ending{ending.exited,       ending.exitCode,   ending.signal,
                  ending.endedByAgent, ending.wasStopped, ending.endSignal};
}

// The dialog as a child of the caller (ChildProcess): forked, switched to
// the user, waited on, its output relayed to the request's outputFd. In a
// scope of the system manager when one runs: ending the dialog at its
// bound then ends every process of the scope too.
class ChildLaunch final : public DialogLaunch
{
public:
    ChildLaunch(std::unique_ptr<ChildProcess> child, std::string scope, LogLine log)
        : m_child(std::move(child)), m_scope(std::move(scope)), m_log(std::move(log))
    {
    }
    ~ChildLaunch() override
    {
        if (m_child->running()) {
            stop();
        }
    }

    bool running() override { return m_child->running(); }
    Ending wait(std::chrono::milliseconds limit) override
    {
        return endScopeIfEnded(From(m_child->wait(limit)));
    }
    Ending stop() override { return endScopeIfEnded(From(m_child->stop())); }
    std::string describe() const override
    {
        return "pid " + std::to_string(m_child->pid()) + ", started by the agent" +
               (m_scope.empty() ? std::string() : " in " + m_scope);
    }

private:
    Ending endScopeIfEnded(const Ending& ending)
    {
        if (ending.endedByAgent && !m_scope.empty()) {
            StopScope(m_scope, m_log);
        }
        return ending;
    }

    std::unique_ptr<ChildProcess> m_child;
    std::string m_scope;
    LogLine m_log;
};

// The plan of a dialog run as `user` (nullopt: as the caller, with the
// caller's environment and working directory).
ChildProcess::Plan PlanFor(const Request& request, const std::optional<Account>& user, const LogLine& log)
{
    ChildProcess::Plan plan;
    plan.program = request.program;
    plan.arguments = request.arguments;
    plan.outputFd = request.outputFd;
    if (!user) {
        plan.environment = request.callerEnvironment;
        return plan;
    }
    for (const auto& [name, value] : UserEnvironment(*user, request.callerEnvironment, log)) {
        plan.environment.push_back(name + "=" + value);
    }
    plan.umask = kUserUmask;
    plan.workingDirectory = "/";
    if (::geteuid() == 0) {
        plan.identity = ChildProcess::Identity{user->uid, user->gid, user->groups};
    }
    return plan;
}

} // namespace

DialogLaunch::~DialogLaunch() = default;

std::unique_ptr<DialogLaunch> DialogLaunch::start(const Request& request, Error* error)
{
    // Lines carry what her manager and her files said: shown, never obeyed.
    // Where they end is the caller's; on an 8-bit terminal as standard
    // error, the usual place, every high byte is an escape too.
    const LogLine sink = request.log ? request.log : LogLine(ToStandardError);
    const bool eightBit = OutputRelay::IsEightBitTerminal(STDERR_FILENO);
    const LogLine log = [sink, eightBit](const std::string& line) {
        sink(OutputRelay::Shown(line, eightBit));
    };
    std::optional<Account> user;
    if (!request.user.empty()) {
        std::string why;
        user = Account::resolve(request.user, &why);
        if (!user) {
            *error = Error{ENOENT, why};
            return nullptr;
        }
        if (!user->mayStartAs(request.user, &why)) {
            *error = Error{EPERM, why};
            return nullptr;
        }
    }
    std::string why;
    if (user && ::geteuid() == 0) {
        std::unique_ptr<DialogLaunch> managed;
        switch (UserManager::start(request, *user, log, &managed, &why)) {
        case UserManager::Outcome::Started:
            return managed;
        case UserManager::Outcome::Failed:
            *error = Error{ENOEXEC, OutputRelay::Shown(why)};
            return nullptr;
        case UserManager::Outcome::Unavailable:
            log("no service manager of uid " + std::to_string(user->uid) + " to start the dialog in (" + why +
                "): the agent starts it itself");
            break;
        }
    }
    ChildProcess::Plan plan = PlanFor(request, user, log);
    std::string scope;
    std::string scopeError;
    const bool root = ::geteuid() == 0;
    if (user && root) {
        // Into her slice before it runs: what it starts goes with it.
        plan.place = [&](pid_t pid) { scope = StartScope(pid, user->uid, &scopeError); };
    }
    std::unique_ptr<ChildProcess> child = ChildProcess::start(plan, &why);
    if (!child) {
        if (!scope.empty()) {
            StopScope(scope, log);
        }
        *error = Error{ENOEXEC, why};
        return nullptr;
    }
    if (user && root && scope.empty()) {
        log("the dialog stays in the agent's cgroup: " + scopeError);
    }
    return std::make_unique<ChildLaunch>(std::move(child), std::move(scope), log);
}

} // namespace vora::launch
