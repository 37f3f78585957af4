#include "UserManager.h"

#include "LogindSessions.h"
#include "SdBus.h"

#include <sys/random.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace vora::launch {

namespace {

constexpr const char* kSystemd = "org.freedesktop.systemd1";
constexpr const char* kSystemdPath = "/org/freedesktop/systemd1";
constexpr const char* kManager = "org.freedesktop.systemd1.Manager";
constexpr const char* kUnit = "org.freedesktop.systemd1.Unit";
constexpr const char* kService = "org.freedesktop.systemd1.Service";
constexpr uint64_t kCallTimeoutUs = 5000000;
constexpr uint64_t kStopTimeoutUs = 5000000; // as ChildProcess::kTermGrace
constexpr std::chrono::seconds kStartBound{30};
constexpr std::chrono::seconds kStopBound{15};
// CLD_* of ExecMainCode: the main process has not ended yet (0), exited (1),
// was killed (2) or dumped core (3).
constexpr int kExited = 1;

// The caller's variables a dialog in her manager gets: where it meets the
// agent. Her manager holds her display, bus, locale and limits.
const char* const kMeetingVariables[] = {
    "VORA_AGENT_ROOT", "VEJBINSTANCE", "QT_QPA_PLATFORM",
#if defined(__SANITIZE_ADDRESS__)
    "ASAN_OPTIONS",    "LSAN_OPTIONS", "UBSAN_OPTIONS",
#endif
};

struct SlotUnref
{
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using SlotPtr = std::unique_ptr<sd_bus_slot, SlotUnref>;

std::string UnitName(const char* kind)
{
    uint64_t random = 0;
    if (::getrandom(&random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        random = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    char name[96];
    std::snprintf(name, sizeof name, "vora-dialog-%d-%016llx.%s", static_cast<int>(::getpid()),
                  static_cast<unsigned long long>(random), kind);
    return name;
}

std::string UnitPath(const std::string& unit)
{
    char* path = nullptr;
    if (sd_bus_path_encode("/org/freedesktop/systemd1/unit", unit.c_str(), &path) < 0) {
        return std::string();
    }
    std::string text(path);
    std::free(path);
    return text;
}

int CallManager(sd_bus* bus, const char* method, BusError* error, const char* types, const char* unit,
                const char* argument)
{
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call_method(bus, kSystemd, kSystemdPath, kManager, method, error->get(), &reply,
                                          types, unit, argument);
    sd_bus_message_unref(reply);
    return result;
}

// What the unit's signals told so far.
struct UnitState
{
    std::string unit;
    std::string activeState;
    std::string result;
    std::string jobResult; // set by JobRemoved
    int execCode = 0;
    int execStatus = 0;
    bool lost = false; // the connection to the manager ended

    // Started, and its main process gone and the unit down.
    bool ended() const
    {
        return lost || (!jobResult.empty() && execCode != 0 &&
                        (activeState == "inactive" || activeState == "failed"));
    }
};

int OnPropertiesChanged(sd_bus_message* message, void* data, sd_bus_error*)
{
    auto* state = static_cast<UnitState*>(data);
    const char* interface = nullptr;
    if (sd_bus_message_read(message, "s", &interface) < 0 ||
        sd_bus_message_enter_container(message, 'a', "{sv}") < 0) {
        return 0;
    }
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        const char* text = nullptr;
        int number = 0;
        if (sd_bus_message_read(message, "s", &name) < 0) {
            return 0; // a malformed signal (anyone on her bus may send one)
        }
        if (std::strcmp(name, "ActiveState") == 0 && sd_bus_message_read(message, "v", "s", &text) >= 0) {
            state->activeState = text;
        } else if (std::strcmp(name, "Result") == 0 && sd_bus_message_read(message, "v", "s", &text) >= 0) {
            state->result = text;
        } else if (std::strcmp(name, "ExecMainCode") == 0 &&
                   sd_bus_message_read(message, "v", "i", &number) >= 0) {
            state->execCode = number;
        } else if (std::strcmp(name, "ExecMainStatus") == 0 &&
                   sd_bus_message_read(message, "v", "i", &number) >= 0) {
            state->execStatus = number;
        } else {
            sd_bus_message_skip(message, "v");
        }
        sd_bus_message_exit_container(message);
    }
    return 0;
}

int OnJobRemoved(sd_bus_message* message, void* data, sd_bus_error*)
{
    auto* state = static_cast<UnitState*>(data);
    uint32_t id = 0;
    const char* job = nullptr;
    const char* unit = nullptr;
    const char* result = nullptr;
    if (sd_bus_message_read(message, "uoss", &id, &job, &unit, &result) >= 0 && state->unit == unit) {
        state->jobResult = result;
    }
    return 0;
}

bool IsStopped(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() &&
           (line[close + 2] == 'T' || line[close + 2] == 't');
}

class ManagedDialog final : public DialogLaunch
{
public:
    ManagedDialog(BusPtr bus, std::unique_ptr<UnitState> state, SlotPtr properties, SlotPtr jobs, uid_t uid,
                  LogLine log)
        : m_bus(std::move(bus)), m_state(std::move(state)), m_properties(std::move(properties)),
          m_jobs(std::move(jobs)), m_uid(uid), m_log(std::move(log))
    {
        uint32_t pid = 0;
        BusError error;
        sd_bus_get_property_trivial(m_bus.get(), kSystemd, UnitPath(m_state->unit).c_str(), kService,
                                    "MainPID", error.get(), 'u', &pid);
        m_mainPid = static_cast<pid_t>(pid);
    }
    ~ManagedDialog() override
    {
        if (!m_state->ended()) {
            stop();
        }
    }

    bool running() override { return !pump(std::chrono::steady_clock::now()); }

    Ending wait(std::chrono::milliseconds limit) override
    {
        if (pump(std::chrono::steady_clock::now() + limit)) {
            return ending();
        }
        return stop();
    }

    Ending stop() override
    {
        if (pump(std::chrono::steady_clock::now())) {
            return ending();
        }
        const bool wasStopped = m_mainPid > 0 && IsStopped(m_mainPid);
        BusError error;
        const int result =
            CallManager(m_bus.get(), "StopUnit", &error, "ss", m_state->unit.c_str(), "replace");
        if (result < 0) {
            m_log("cannot stop " + m_state->unit + ": " + error.text(result));
        }
        if (!pump(std::chrono::steady_clock::now() + kStopBound)) {
            m_log(m_state->unit + " did not stop within " + std::to_string(kStopBound.count()) +
                  " s: its processes are sent SIGKILL");
            BusError killError;
            sd_bus_message* reply = nullptr;
            sd_bus_call_method(m_bus.get(), kSystemd, kSystemdPath, kManager, "KillUnit", killError.get(),
                               &reply, "ssi", m_state->unit.c_str(), "all", SIGKILL);
            sd_bus_message_unref(reply);
            m_state->lost = true;
        }
        Ending ended = ending();
        ended.endedByAgent = true;
        ended.wasStopped = wasStopped;
        // The manager sends SIGKILL when SIGTERM did not end the unit in time.
        ended.endSignal =
            m_state->result == "timeout" || (!ended.exited && ended.signal == SIGKILL) ? SIGKILL : SIGTERM;
        return ended;
    }

    std::string describe() const override
    {
        return "pid " + std::to_string(m_mainPid) + ", unit " + m_state->unit + " of uid " +
               std::to_string(m_uid) + "'s service manager";
    }

private:
    // Handles what the manager sent until the unit has ended or `deadline`
    // has passed; whether it has ended.
    bool pump(std::chrono::steady_clock::time_point deadline)
    {
        while (!m_state->ended()) {
            const int processed = sd_bus_process(m_bus.get(), nullptr);
            if (processed < 0) {
                m_log("the connection to uid " + std::to_string(m_uid) + "'s service manager ended (" +
                      std::strerror(-processed) + "): " + m_state->unit + " ended with it");
                m_state->lost = true;
                break;
            }
            // A manager that keeps sending (hers to drive) must not hold
            // the agent past its deadline: it is checked on every pass.
            const auto left = deadline - std::chrono::steady_clock::now();
            if (processed > 0 && left > std::chrono::steady_clock::duration::zero()) {
                continue;
            }
            if (left <= std::chrono::steady_clock::duration::zero()) {
                return false;
            }
            sd_bus_wait(
                m_bus.get(),
                static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(left).count()));
        }
        return true;
    }

    Ending ending() const
    {
        Ending ended;
        ended.exited = m_state->execCode == kExited;
        ended.exitCode = ended.exited ? m_state->execStatus : -1;
        ended.signal = ended.exited || m_state->lost ? 0 : m_state->execStatus;
        return ended;
    }

    BusPtr m_bus;
    std::unique_ptr<UnitState> m_state;
    SlotPtr m_properties;
    SlotPtr m_jobs;
    uid_t m_uid;
    LogLine m_log;
    pid_t m_mainPid = 0;
};

// (sv) with a string, a boolean or a 64-bit number.
int AppendProperty(sd_bus_message* message, const char* name, const char* type, const void* value)
{
    if (*type == 's') {
        return sd_bus_message_append(message, "(sv)", name, "s", static_cast<const char*>(value));
    }
    return sd_bus_message_append(message, "(sv)", name, "t", *static_cast<const uint64_t*>(value));
}

int AppendStrings(sd_bus_message* message, const char* name, const char* signature,
                  const std::vector<std::string>& values)
{
    std::vector<char*> list;
    for (const std::string& value : values) {
        list.push_back(const_cast<char*>(value.c_str()));
    }
    list.push_back(nullptr);
    int result = sd_bus_message_open_container(message, 'r', "sv");
    result = result < 0 ? result : sd_bus_message_append(message, "s", name);
    result = result < 0 ? result : sd_bus_message_open_container(message, 'v', signature);
    result = result < 0 ? result : sd_bus_message_append_strv(message, list.data());
    result = result < 0 ? result : sd_bus_message_close_container(message);
    return result < 0 ? result : sd_bus_message_close_container(message);
}

// ExecStart=a(sasb): the program, its argv, and whether a failure is ignored.
int AppendExecStart(sd_bus_message* message, const Request& request)
{
    std::vector<std::string> argv{request.program};
    argv.insert(argv.end(), request.arguments.begin(), request.arguments.end());
    std::vector<char*> list;
    for (const std::string& value : argv) {
        list.push_back(const_cast<char*>(value.c_str()));
    }
    list.push_back(nullptr);
    int result = sd_bus_message_open_container(message, 'r', "sv");
    result = result < 0 ? result : sd_bus_message_append(message, "s", "ExecStart");
    result = result < 0 ? result : sd_bus_message_open_container(message, 'v', "a(sasb)");
    result = result < 0 ? result : sd_bus_message_open_container(message, 'a', "(sasb)");
    result = result < 0 ? result : sd_bus_message_open_container(message, 'r', "sasb");
    result = result < 0 ? result : sd_bus_message_append(message, "s", request.program.c_str());
    result = result < 0 ? result : sd_bus_message_append_strv(message, list.data());
    result = result < 0 ? result : sd_bus_message_append(message, "b", 0);
    for (int level = 0; level < 4 && result >= 0; ++level) {
        result = sd_bus_message_close_container(message);
    }
    return result;
}

std::vector<std::string> MeetingEnvironment(const Request& request)
{
    std::vector<std::string> passed;
    for (const auto& [name, value] : ToMap(request.callerEnvironment)) {
        for (const char* meeting : kMeetingVariables) {
            if (name == meeting) {
                passed.push_back(name + "=" + value);
            }
        }
    }
    return passed;
}

int StartServiceUnit(sd_bus* bus, const std::string& unit, const Request& request, BusError* error)
{
    sd_bus_message* raw = nullptr;
    int result =
        sd_bus_message_new_method_call(bus, &raw, kSystemd, kSystemdPath, kManager, "StartTransientUnit");
    if (result < 0) {
        return result;
    }
    const MessagePtr message(raw);
    const std::string description = "Dialog of the agent: " + request.program;
    const uint64_t stopTimeout = kStopTimeoutUs;
    result = sd_bus_message_append(raw, "ss", unit.c_str(), "fail");
    result = result < 0 ? result : sd_bus_message_open_container(raw, 'a', "(sv)");
    result = result < 0 ? result : AppendProperty(raw, "Description", "s", description.c_str());
    result = result < 0 ? result : AppendProperty(raw, "Type", "s", "exec");
    result = result < 0 ? result : AppendProperty(raw, "KillMode", "s", "control-group");
    result = result < 0 ? result : AppendProperty(raw, "CollectMode", "s", "inactive-or-failed");
    result = result < 0 ? result : AppendProperty(raw, "TimeoutStopUSec", "t", &stopTimeout);
    result = result < 0 ? result : AppendStrings(raw, "Environment", "as", MeetingEnvironment(request));
    result = result < 0 ? result : AppendExecStart(raw, request);
    result = result < 0 ? result : sd_bus_message_close_container(raw);
    result = result < 0 ? result : sd_bus_message_append(raw, "a(sa(sv))", 0);
    if (result < 0) {
        return result;
    }
    sd_bus_message* reply = nullptr;
    result = sd_bus_call(bus, raw, kCallTimeoutUs, error->get(), &reply);
    sd_bus_message_unref(reply);
    return result;
}

// The MainPID of user@UID.service when the system manager has it running;
// 0 with the reason in `why`.
pid_t ManagerPid(uid_t uid, std::string* why)
{
    sd_bus* raw = nullptr;
    int result = sd_bus_open_system(&raw);
    if (result < 0) {
        *why = std::string("no system bus: ") + std::strerror(-result);
        return 0;
    }
    const BusPtr bus(raw);
    sd_bus_set_method_call_timeout(raw, kCallTimeoutUs);
    const std::string unit = "user@" + std::to_string(uid) + ".service";
    BusError error;
    sd_bus_message* reply = nullptr;
    result = sd_bus_call_method(raw, kSystemd, kSystemdPath, kManager, "GetUnit", error.get(), &reply, "s",
                                unit.c_str());
    const MessagePtr owned(reply);
    if (result < 0) {
        *why = sd_bus_error_has_name(error.get(), "org.freedesktop.systemd1.NoSuchUnit")
                   ? unit + " is not loaded (no session of uid " + std::to_string(uid) + ")"
                   : "no system manager on the system bus: " + error.text(result);
        return 0;
    }
    const char* path = nullptr;
    sd_bus_message_read(reply, "o", &path);
    const std::string state = StringProperty(raw, kSystemd, path, kUnit, "ActiveState");
    uint32_t pid = 0;
    BusError pidError;
    sd_bus_get_property_trivial(raw, kSystemd, path, kService, "MainPID", pidError.get(), 'u', &pid);
    if (state != "active" || pid == 0) {
        *why = unit + " is " + (state.empty() ? std::string("unknown") : state);
        return 0;
    }
    return static_cast<pid_t>(pid);
}

// A socket connected to `path` and served by the manager itself, checked
// before a byte is sent: the path is in her runtime directory, where she
// may put a link to any socket of root's. -1 with `why`.
//   her manager (pid 812, uid 1000) listening   -> connected descriptor
//   a link to /run/systemd/private (pid 1)      -> -1, "served by pid 1"
int ConnectToManager(const std::string& path, uid_t uid, pid_t managerPid, std::string* why)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        *why = path + " is too long for a socket address";
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // Non-blocking: a listener that stops accepting must not hold the agent.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *why = std::string("cannot make a socket: ") + std::strerror(errno);
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        *why = "cannot connect to " + path + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid != managerPid ||
        peer.uid != uid) {
        *why = path + " is served by pid " + std::to_string(peer.pid) + " (uid " + std::to_string(peer.uid) +
               "), not by the manager (pid " + std::to_string(managerPid) + "): refused";
        ::close(fd);
        return -1;
    }
    return fd;
}

// A connection to the manager whose MainPID is `managerPid`, through its
// private socket in the user's runtime directory; null with `why`.
BusPtr ConnectManager(uid_t uid, pid_t managerPid, std::string* why)
{
    std::string runtime = LogindSessions().runtimePath(uid);
    if (runtime.empty()) {
        runtime = "/run/user/" + std::to_string(uid);
    }
    const std::string socket = runtime + "/systemd/private";
    sd_bus* raw = nullptr;
    int result = sd_bus_new(&raw);
    if (result < 0) {
        *why = std::strerror(-result);
        return nullptr;
    }
    BusPtr bus(raw);
    const int fd = ConnectToManager(socket, uid, managerPid, why);
    if (fd < 0) {
        return nullptr;
    }
    // No descriptors from her side; the bus owns `fd` from here on.
    sd_bus_negotiate_fds(raw, 0);
    result = sd_bus_set_fd(raw, fd, fd);
    if (result < 0) {
        ::close(fd);
    }
    result = result < 0 ? result : sd_bus_start(raw);
    if (result < 0) {
        *why = "cannot connect to " + socket + ": " + std::strerror(-result);
        return nullptr;
    }
    sd_bus_set_method_call_timeout(raw, kCallTimeoutUs);
    return bus;
}

// Waits for the start job of the unit; "done" once the program runs.
std::string AwaitStart(sd_bus* bus, const UnitState& state)
{
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    while (state.jobResult.empty() && !state.lost) {
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0) {
            return std::string("the connection ended: ") + std::strerror(-processed);
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return "no answer within " + std::to_string(kStartBound.count()) + " s";
        }
        if (processed == 0) {
            sd_bus_wait(bus, static_cast<uint64_t>(
                                 std::chrono::duration_cast<std::chrono::microseconds>(left).count()));
        }
    }
    return state.jobResult;
}

} // namespace

UserManager::Outcome UserManager::start(const Request& request, const Account& user, const LogLine& log,
                                        std::unique_ptr<DialogLaunch>* launch, std::string* why)
{
    const pid_t managerPid = ManagerPid(user.uid, why);
    if (managerPid == 0) {
        return Outcome::Unavailable;
    }
    BusPtr bus = ConnectManager(user.uid, managerPid, why);
    if (!bus) {
        return Outcome::Unavailable;
    }
    auto state = std::make_unique<UnitState>();
    state->unit = UnitName("service");
    sd_bus_slot* properties = nullptr;
    sd_bus_slot* jobs = nullptr;
    int result = sd_bus_match_signal(bus.get(), &properties, nullptr, UnitPath(state->unit).c_str(),
                                     "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                     OnPropertiesChanged, state.get());
    SlotPtr propertiesSlot(properties);
    result = result < 0 ? result
                        : sd_bus_match_signal(bus.get(), &jobs, nullptr, kSystemdPath, kManager, "JobRemoved",
                                              OnJobRemoved, state.get());
    SlotPtr jobsSlot(jobs);
    BusError error;
    result = result < 0 ? result : StartServiceUnit(bus.get(), state->unit, request, &error);
    if (result < 0) {
        *why = "uid " + std::to_string(user.uid) + "'s service manager did not start " + state->unit + ": " +
               error.text(result);
        return Outcome::Failed;
    }
    const std::string started = AwaitStart(bus.get(), *state);
    if (started != "done") {
        *why = "cannot start " + request.program + " as " + state->unit + " of uid " +
               std::to_string(user.uid) + "'s service manager: " + started +
               (state->result.empty() ? "" : " (" + state->result + ")");
        return Outcome::Failed;
    }
    log("the dialog runs as " + state->unit + " of uid " + std::to_string(user.uid) +
        "'s service manager (pid " + std::to_string(managerPid) + ")");
    *launch = std::make_unique<ManagedDialog>(std::move(bus), std::move(state), std::move(propertiesSlot),
                                              std::move(jobsSlot), user.uid, log);
    return Outcome::Started;
}

std::string StartScope(pid_t pid, uid_t uid, std::string* why)
{
    sd_bus* raw = nullptr;
    int result = sd_bus_open_system(&raw);
    if (result < 0) {
        *why = std::string("no system bus: ") + std::strerror(-result);
        return std::string();
    }
    const BusPtr bus(raw);
    sd_bus_set_method_call_timeout(raw, kCallTimeoutUs);
    const std::string scope = UnitName("scope");
    const std::string slice = "user-" + std::to_string(uid) + ".slice";
    const uint64_t stopTimeout = kStopTimeoutUs;
    sd_bus_message* rawMessage = nullptr;
    result = sd_bus_message_new_method_call(raw, &rawMessage, kSystemd, kSystemdPath, kManager,
                                            "StartTransientUnit");
    const MessagePtr message(rawMessage);
    result = result < 0 ? result : sd_bus_message_append(rawMessage, "ss", scope.c_str(), "fail");
    result = result < 0 ? result : sd_bus_message_open_container(rawMessage, 'a', "(sv)");
    result =
        result < 0 ? result : AppendProperty(rawMessage, "Description", "s", "Dialog started by the agent");
    result = result < 0 ? result : AppendProperty(rawMessage, "Slice", "s", slice.c_str());
    result = result < 0 ? result : AppendProperty(rawMessage, "CollectMode", "s", "inactive-or-failed");
    result = result < 0 ? result : AppendProperty(rawMessage, "TimeoutStopUSec", "t", &stopTimeout);
    result = result < 0
                 ? result
                 : sd_bus_message_append(rawMessage, "(sv)", "PIDs", "au", 1, static_cast<uint32_t>(pid));
    result = result < 0 ? result : sd_bus_message_close_container(rawMessage);
    result = result < 0 ? result : sd_bus_message_append(rawMessage, "a(sa(sv))", 0);
    BusError error;
    sd_bus_message* reply = nullptr;
    result = result < 0 ? result : sd_bus_call(raw, rawMessage, kCallTimeoutUs, error.get(), &reply);
    sd_bus_message_unref(reply);
    if (result < 0) {
        *why = "the system manager did not make " + scope + ": " + error.text(result);
        return std::string();
    }
    return scope;
}

void StopScope(const std::string& scope, const LogLine& log)
{
    sd_bus* raw = nullptr;
    if (sd_bus_open_system(&raw) < 0) {
        log("cannot stop " + scope + ": no system bus");
        return;
    }
    const BusPtr bus(raw);
    BusError error;
    const int result = CallManager(raw, "StopUnit", &error, "ss", scope.c_str(), "replace");
    if (result < 0 && !sd_bus_error_has_name(error.get(), "org.freedesktop.systemd1.NoSuchUnit")) {
        log("cannot stop " + scope + ": " + error.text(result));
    }
}

} // namespace vora::launch
