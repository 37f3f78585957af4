#pragma once

#include "OutputRelay.h"

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A program the agent starts and waits for, holding nothing of the agent
// but what the plan gives it:
//   - descriptors: standard input from /dev/null, standard output and error
//     into one pipe that an OutputRelay copies to the plan's outputFd
//     (the agent's standard error); every other descriptor closed (close_range, or one close per
//     descriptor where the kernel refuses it);
//   - a session of its own (no controlling terminal), default signal
//     handling and an empty signal mask;
//   - the plan's environment only, and optionally a umask, a working
//     directory and an identity (setgroups, setgid, setuid, then a check
//     that root cannot be regained).
//   - with an identity, what a fresh login of that user would have rather
//     than the agent's: PID 1's resource limits (read before fork; one
//     above the agent's hard limit gets that), SCHED_OTHER, nice value 0,
//     I/O priority class none and OOM score adjustment 0, set before the
//     switch. Refusals leave a line on the
//     relayed output; none stops the start. The cgroup stays the agent's.
// A child that fails before exec reports which step failed and its errno
// through a close-on-exec pipe, so start() can say why; one that neither
// fails nor reaches exec within kStartBound is ended like one at its wait
// limit.
//
// The wait is bounded: a child still there at the limit, running or
// stopped (SIGSTOP), is sent SIGTERM and SIGCONT, and SIGKILL when it has
// not ended kTermGrace later. Destroying a ChildProcess ends a child that
// still runs the same way.
class ChildProcess final
{
public:
    struct Identity
    {
        uid_t uid = 0;
        gid_t gid = 0;
        std::vector<gid_t> groups;
    };

    struct Plan
    {
        std::string program;
        std::vector<std::string> arguments;   // without the program
        std::vector<std::string> environment; // "NAME=value", the child's whole environment
        std::optional<mode_t> umask;
        std::string workingDirectory; // empty: the caller's
        std::optional<Identity> identity;
        int outputFd = 2; // where the relay copies the child's output (standard error)
        // Called in the caller with the child's pid while the child waits
        // before exec (it holds nothing of its program yet): to place it,
        // e.g. into a cgroup, before it can start anything.
        std::function<void(pid_t)> place;
    };

    // How the child ended.
    struct Ending
    {
        bool exited = false; // by exit(); otherwise by a signal
        int exitCode = -1;
        int signal = 0; // the signal that ended it
        // Set when the wait limit was reached and the agent ended it:
        bool endedByAgent = false;
        bool wasStopped = false; // stopped (state T) at the limit rather than running
        int endSignal = 0;       // SIGTERM, or SIGKILL when SIGTERM did not end it
    };

    static constexpr std::chrono::seconds kTermGrace{5};
    // A child that has neither reached exec nor failed by then (stopped
    // between fork and exec) is ended and reported as not started.
    static constexpr std::chrono::seconds kStartBound{30};

    // nullptr with the reason in `error` when the program could not be started.
    static std::unique_ptr<ChildProcess> start(const Plan& plan, std::string* error);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool running();
    // Waits for the end, at most `limit` from now; then ends the child.
    Ending wait(std::chrono::milliseconds limit);
    // Ends the child now (SIGTERM, SIGCONT, then SIGKILL after kTermGrace).
    Ending stop();

private:
    ChildProcess(pid_t pid, int pidFd, std::unique_ptr<OutputRelay> relay);
    bool reap(int options);
    bool awaitEnd(std::chrono::steady_clock::time_point deadline);
    bool isStopped() const;
    void endNow();

    pid_t m_pid;
    int m_pidFd; // -1 where pidfd_open is refused: then polled
    std::unique_ptr<OutputRelay> m_relay;
    bool m_reaped = false;
    Ending m_ending;
};
