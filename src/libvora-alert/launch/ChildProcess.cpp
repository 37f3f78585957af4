#include "ChildProcess.h"

#include "ScopedFd.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/keyctl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

// The steps of the child between fork and exec, as reported back.
enum class Step : int
{
    Descriptors,
    Umask,
    Groups,
    Gid,
    Uid,
    RootRegained,
    Keyring,
    WorkingDirectory,
    Exec
};

const char* Describe(Step step)
{
    switch (step) {
    case Step::Descriptors:
        return "setting up its descriptors";
    case Step::Umask:
        return "umask";
    case Step::Groups:
        return "setgroups";
    case Step::Gid:
        return "setgid";
    case Step::Uid:
        return "setuid";
    case Step::RootRegained:
        return "the check that root cannot be regained (setuid 0 succeeded)";
    case Step::Keyring:
        return "leaving the caller's session keyring";
    case Step::WorkingDirectory:
        return "chdir";
    case Step::Exec:
        return "exec";
    }
    return "?";
}

struct Failure
{
    Step step;
    int error;
};

// Descriptor 3 of the child: where a failing step is reported. It is
// close-on-exec, so a successful exec shows as end of file.
constexpr int kReportFd = 3;

// ioprio_set(2): who is this process; priority 0 is class none, whose
// level follows the nice value (best effort 4 at nice 0), as a fresh login's.
constexpr int kIoprioWhoProcess = 1;
constexpr int kIoprioClassNone = 0;

// What the child needs, all made before fork: after it only
// async-signal-safe calls are made.
// A resource limit the child takes over from PID 1, with the line it
// prints when the kernel refuses it.
struct Limit
{
    int resource;
    rlimit value;
    std::string clamped; // PID 1's is above the agent's hard limit, which only CAP_SYS_RESOURCE raises
    std::string refused;
};

struct ChildSetup
{
    std::vector<std::string> argumentStorage;
    std::vector<char*> argv;
    std::vector<char*> envp;
    const ChildProcess::Plan* plan;
    int input;
    int output;
    int report;
    int go;       // end of file once the caller has placed the child; -1: no wait
    int goCaller; // the caller's end of it, closed first
    unsigned int descriptorLimit;
    std::vector<Limit> limits; // for a child of another identity only
};

// The limits a user's processes get from a fresh login rather than from
// the agent (which root may have started with a core limit of "unlimited"
// or many descriptors): PID 1's.
const struct
{
    int resource;
    const char* name;
} kUserLimits[] = {
    {RLIMIT_NOFILE, "RLIMIT_NOFILE"},
    {RLIMIT_CORE, "RLIMIT_CORE"},
    {RLIMIT_NPROC, "RLIMIT_NPROC"},
    {RLIMIT_MEMLOCK, "RLIMIT_MEMLOCK"},
    {RLIMIT_STACK, "RLIMIT_STACK"},
    {RLIMIT_AS, "RLIMIT_AS"},
    {RLIMIT_DATA, "RLIMIT_DATA"},
    {RLIMIT_FSIZE, "RLIMIT_FSIZE"},
    {RLIMIT_CPU, "RLIMIT_CPU"},
    {RLIMIT_NICE, "RLIMIT_NICE"},
    {RLIMIT_RTPRIO, "RLIMIT_RTPRIO"},
    {RLIMIT_RTTIME, "RLIMIT_RTTIME"},
    {RLIMIT_SIGPENDING, "RLIMIT_SIGPENDING"},
    {RLIMIT_MSGQUEUE, "RLIMIT_MSGQUEUE"},
    {RLIMIT_LOCKS, "RLIMIT_LOCKS"},
};

// PID 1's limits; one that cannot be read stays the agent's, with a line.
std::vector<Limit> UserLimits(const std::string& program)
{
    std::vector<Limit> limits;
    for (const auto& limit : kUserLimits) {
        rlimit value = {};
        if (::prlimit(1, static_cast<__rlimit_resource>(limit.resource), nullptr, &value) != 0) {
            std::fprintf(stderr, "vora-agent: cannot read %s of PID 1 (%s): %s keeps the agent's\n",
                         limit.name, std::strerror(errno), program.c_str());
            continue;
        }
        const std::string name(limit.name);
        limits.push_back({limit.resource, value,
                          "vora-agent: " + name + " of PID 1 is above the agent's hard limit: " + program +
                              " gets the agent's hard limit\n",
                          "vora-agent: setrlimit " + name + " refused: " + program + " keeps the agent's\n"});
    }
    return limits;
}

void Say(const char* line)
{
    const ssize_t written = ::write(STDERR_FILENO, line, std::strlen(line));
    (void)written;
}

// What a user's dialog must not keep of root's process: its limits, its
// scheduling policy (a fresh login has SCHED_OTHER), nice value (0), I/O
// priority (class none: best effort at the level its nice value gives) and
// OOM score adjustment (0). Refusals are said on the child's standard
// error, which the agent relays; none is fatal.
void ResetRootsAttributes(const ChildSetup& setup)
{
    for (const Limit& limit : setup.limits) {
        const auto resource = static_cast<__rlimit_resource>(limit.resource);
        if (::setrlimit(resource, &limit.value) == 0) {
            continue;
        }
        rlimit now = {};
        ::getrlimit(resource, &now);
        const rlimit clamped = {std::min(limit.value.rlim_cur, now.rlim_max),
                                std::min(limit.value.rlim_max, now.rlim_max)};
        Say(::setrlimit(resource, &clamped) == 0 ? limit.clamped.c_str() : limit.refused.c_str());
    }
    const sched_param normal = {};
    if (::sched_setscheduler(0, SCHED_OTHER, &normal) != 0) {
        Say("vora-agent: sched_setscheduler refused: the dialog keeps the agent's scheduling policy\n");
    }
    if (::setpriority(PRIO_PROCESS, 0, 0) != 0) {
        Say("vora-agent: setpriority refused: the dialog keeps the agent's nice value\n");
    }
    if (::syscall(SYS_ioprio_set, kIoprioWhoProcess, 0, kIoprioClassNone) != 0) {
        Say("vora-agent: ioprio_set refused: the dialog keeps the agent's I/O priority\n");
    }
    const int adjustment = ::open("/proc/self/oom_score_adj", O_WRONLY | O_CLOEXEC);
    if (adjustment < 0 || ::write(adjustment, "0", 1) != 1) {
        Say("vora-agent: cannot write /proc/self/oom_score_adj: the dialog keeps the agent's\n");
    }
    if (adjustment >= 0) {
        ::close(adjustment);
    }
}

std::vector<char*> Pointers(std::vector<std::string>& items)
{
    std::vector<char*> pointers;
    for (std::string& item : items) {
        pointers.push_back(item.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// The highest descriptor number to close one by one when close_range is
// refused: the hard limit, as descriptors opened before a lower soft limit
// was set may lie above the soft one.
unsigned int DescriptorLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return 1u << 20;
    }
    const rlim_t highest = limit.rlim_max != RLIM_INFINITY ? limit.rlim_max : limit.rlim_cur;
    return highest == RLIM_INFINITY || highest > (1u << 20) ? 1u << 20 : static_cast<unsigned int>(highest);
}

// Moves a descriptor of ours above those the child sets up (0, 1, 2 and
// the report descriptor), so that no dup2 there replaces one it still needs.
bool MoveOutOfTheWay(ScopedFd& fd)
{
    if (fd.get() > kReportFd) {
        return true;
    }
    fd = ScopedFd(::fcntl(fd.get(), F_DUPFD_CLOEXEC, kReportFd + 1));
    return fd.valid();
}

[[noreturn]] void Fail(int report, Step step)
{
    const Failure failure{step, errno};
    const ssize_t written = ::write(report, &failure, sizeof failure);
    (void)written;
    ::_exit(127);
}

void CloseAllFrom(int first, unsigned int limit)
{
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, static_cast<unsigned int>(first), ~0u, 0u) == 0) {
        return;
    }
#endif
    for (unsigned int fd = static_cast<unsigned int>(first); fd < limit; ++fd) {
        ::close(static_cast<int>(fd));
    }
}

void ResetSignals()
{
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number) {
        ::sigaction(number, &defaults, nullptr); // SIGKILL and SIGSTOP refuse; fine
    }
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

void SwitchIdentity(const ChildProcess::Identity& identity, int report)
{
    if (::setgroups(identity.groups.size(), identity.groups.data()) != 0) {
        Fail(report, Step::Groups);
    }
    if (::setgid(identity.gid) != 0) {
        Fail(report, Step::Gid);
    }
    if (::setuid(identity.uid) != 0) {
        Fail(report, Step::Uid);
    }
    if (identity.uid != 0 && ::setuid(0) == 0) {
        errno = EPERM;
        Fail(report, Step::RootRegained);
    }
    // The session keyring survives fork, setuid and exec: left as it is, the
    // user's process would possess root's session keys. A new anonymous one,
    // the user's own, replaces it (a kernel without keyrings has none).
    if (::syscall(SYS_keyctl, KEYCTL_JOIN_SESSION_KEYRING, nullptr) < 0 && errno != ENOSYS) {
        Fail(report, Step::Keyring);
    }
}

[[noreturn]] void RunChild(const ChildSetup& setup)
{
    ResetSignals();
    ::setsid();
    if (setup.go >= 0) {
        ::close(setup.goCaller);
        char ignored = 0;
        while (::read(setup.go, &ignored, 1) < 0 && errno == EINTR) {
        }
    }
    // The report pipe first, to descriptor 3: dup2 leaves the copy without
    // close-on-exec, so that is set again.
    if (::dup2(setup.report, kReportFd) != kReportFd || ::fcntl(kReportFd, F_SETFD, FD_CLOEXEC) != 0 ||
        ::dup2(setup.input, STDIN_FILENO) != STDIN_FILENO ||
        ::dup2(setup.output, STDOUT_FILENO) != STDOUT_FILENO ||
        ::dup2(setup.output, STDERR_FILENO) != STDERR_FILENO) {
        Fail(setup.report, Step::Descriptors);
    }
    CloseAllFrom(kReportFd + 1, setup.descriptorLimit);
    const ChildProcess::Plan& plan = *setup.plan;
    if (plan.umask) {
        ::umask(*plan.umask);
    }
    if (plan.identity) {
        ResetRootsAttributes(setup);
        SwitchIdentity(*plan.identity, kReportFd);
    }
    if (!plan.workingDirectory.empty() && ::chdir(plan.workingDirectory.c_str()) != 0) {
        Fail(kReportFd, Step::WorkingDirectory);
    }
    ::execve(setup.argv[0], setup.argv.data(), setup.envp.data());
    Fail(kReportFd, Step::Exec);
}

// Reads the child's report: empty when it reached exec. `*late` is set
// when the child neither reached exec nor failed before `deadline` (it may
// be stopped between fork and exec).
std::string ReadReport(int fd, const std::string& program, std::chrono::steady_clock::time_point deadline,
                       bool* late)
{
    using namespace std::chrono;
    *late = false;
    for (;;) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        pollfd report = {fd, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&report, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            *late = true;
            return "cannot start " + program + ": it did not reach exec within " +
                   std::to_string(ChildProcess::kStartBound.count()) + " s";
        }
        break;
    }
    Failure failure{};
    ssize_t got = 0;
    do {
        got = ::read(fd, &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(sizeof failure)) {
        return std::string();
    }
    return "cannot start " + program + ": " + Describe(failure.step) +
           " failed: " + std::strerror(failure.error);
}

// "VUserAlert" -> "/usr/bin/VUserAlert" along our PATH, as a shell finds
// it; a name with a slash stays as it is.
std::string Locate(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (program.find('/') != std::string::npos || path == nullptr) {
        return program;
    }
    std::string directories(path);
    for (size_t begin = 0; begin <= directories.size();) {
        size_t end = directories.find(':', begin);
        end = end == std::string::npos ? directories.size() : end;
        const std::string directory = end > begin ? directories.substr(begin, end - begin) : ".";
        const std::string candidate = directory + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        begin = end + 1;
    }
    return program;
}

int OpenPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    return fd >= 0 ? static_cast<int>(fd) : -1;
#else
    (void)pid;
    return -1;
#endif
}

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const Plan& plan, std::string* error)
{
    const auto failed = [&](const char* what) {
        const int failure = errno;
        *error = "cannot start " + plan.program + ": " + what + ": " + std::strerror(failure);
        return nullptr;
    };
    ScopedFd input(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!input.valid()) {
        return failed("cannot open /dev/null");
    }
    int outputPipe[2] = {-1, -1};
    int reportPipe[2] = {-1, -1};
    if (::pipe2(outputPipe, O_CLOEXEC) != 0) {
        return failed("no pipe for its output");
    }
    ScopedFd outputRead(outputPipe[0]);
    ScopedFd outputWrite(outputPipe[1]);
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) {
        return failed("no pipe for its start");
    }
    ScopedFd reportRead(reportPipe[0]);
    ScopedFd reportWrite(reportPipe[1]);
    int goPipe[2] = {-1, -1};
    if (plan.place && ::pipe2(goPipe, O_CLOEXEC) != 0) {
        return failed("no pipe to hold it");
    }
    ScopedFd goRead(goPipe[0]);
    ScopedFd goWrite(goPipe[1]);
    if (!MoveOutOfTheWay(input) || !MoveOutOfTheWay(outputWrite) || !MoveOutOfTheWay(reportWrite) ||
        (goRead.valid() && !MoveOutOfTheWay(goRead))) {
        return failed("no descriptor above 3 for its pipes");
    }

    ChildSetup setup{{},
                     {},
                     {},
                     &plan,
                     input.get(),
                     outputWrite.get(),
                     reportWrite.get(),
                     goRead.get(),
                     goWrite.get(),
                     DescriptorLimit(),
                     plan.identity ? UserLimits(plan.program) : std::vector<Limit>()};
    setup.argumentStorage.push_back(Locate(plan.program));
    setup.argumentStorage.insert(setup.argumentStorage.end(), plan.arguments.begin(), plan.arguments.end());
    std::vector<std::string> environment = plan.environment;
    setup.argv = Pointers(setup.argumentStorage);
    setup.envp = Pointers(environment);

    const pid_t pid = ::fork();
    if (pid == 0) {
        RunChild(setup);
    }
    if (pid < 0) {
        const int failure = errno;
        *error = "cannot start " + plan.program + ": fork failed: " + std::strerror(failure);
        return nullptr;
    }
    // Only the child holds the write ends now: end of file on the report
    // pipe means exec, on the output pipe that the child and whatever
    // inherited it have ended.
    reportWrite = ScopedFd(-1);
    outputWrite = ScopedFd(-1);
    if (plan.place) {
        goRead = ScopedFd(-1);
        plan.place(pid);
        goWrite = ScopedFd(-1); // end of file: the child goes on
    }
    auto relay = std::make_unique<OutputRelay>(std::move(outputRead), plan.outputFd);
    std::unique_ptr<ChildProcess> child(new ChildProcess(pid, OpenPidFd(pid), std::move(relay)));
    bool late = false;
    *error =
        ReadReport(reportRead.get(), plan.program, std::chrono::steady_clock::now() + kStartBound, &late);
    if (late) {
        child->endNow();
        return nullptr;
    }
    if (!error->empty()) {
        child->awaitEnd(std::chrono::steady_clock::now() + kTermGrace);
        return nullptr;
    }
    return child;
}

ChildProcess::ChildProcess(pid_t pid, int pidFd, std::unique_ptr<OutputRelay> relay)
    : m_pid(pid), m_pidFd(pidFd), m_relay(std::move(relay))
{
}

ChildProcess::~ChildProcess()
{
    if (!m_reaped) {
        endNow();
    }
    if (m_pidFd >= 0) {
        ::close(m_pidFd);
    }
}

bool ChildProcess::reap(int options)
{
    if (m_reaped) {
        return true;
    }
    int status = 0;
    pid_t got = -1;
    do {
        got = ::waitpid(m_pid, &status, options);
    } while (got < 0 && errno == EINTR);
    if (got != m_pid) {
        return false;
    }
    m_reaped = true;
    m_ending.exited = WIFEXITED(status);
    m_ending.exitCode = m_ending.exited ? WEXITSTATUS(status) : -1;
    m_ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    // What it printed before it ended is in the pipe: relay it all.
    m_relay->finish();
    return true;
}

bool ChildProcess::running()
{
    return !reap(WNOHANG);
}

// Waits for the end until `deadline`: on the pidfd when the kernel gives
// one, else by looking every 50 ms.
bool ChildProcess::awaitEnd(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    while (!reap(WNOHANG)) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        if (m_pidFd >= 0) {
            pollfd end = {m_pidFd, POLLIN, 0};
            ::poll(&end, 1, static_cast<int>(std::min<milliseconds::rep>(left.count(), 60000)));
        } else {
            std::this_thread::sleep_for(std::min(left, milliseconds(50)));
        }
    }
    return true;
}

// State "T" (stopped) or "t" (stopped by a tracer) in /proc/PID/stat.
bool ChildProcess::isStopped() const
{
    std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() &&
           (text[close + 2] == 'T' || text[close + 2] == 't');
}

// SIGTERM lets it go through its exit path; SIGCONT wakes a stopped one so
// that it can. Its whole process group: it leads one (setsid).
void ChildProcess::endNow()
{
    m_ending.endedByAgent = true;
    m_ending.wasStopped = isStopped();
    m_ending.endSignal = SIGTERM;
    // The child itself too: stopped before its setsid, it leads no group yet.
    ::kill(-m_pid, SIGTERM);
    ::kill(m_pid, SIGTERM);
    ::kill(-m_pid, SIGCONT);
    ::kill(m_pid, SIGCONT);
    if (awaitEnd(std::chrono::steady_clock::now() + kTermGrace)) {
        return;
    }
    m_ending.endSignal = SIGKILL;
    ::kill(-m_pid, SIGKILL);
    ::kill(m_pid, SIGKILL);
    reap(0);
}

ChildProcess::Ending ChildProcess::wait(std::chrono::milliseconds limit)
{
    if (!awaitEnd(std::chrono::steady_clock::now() + limit)) {
        endNow();
    }
    return m_ending;
}

ChildProcess::Ending ChildProcess::stop()
{
    if (!reap(WNOHANG)) {
        endNow();
    }
    return m_ending;
}
