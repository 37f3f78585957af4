#include "UserManager.h"

#include "ManagerConnection.h"

#include <sys/random.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace vora::launch {

namespace {

constexpr uint64_t kStopTimeoutUs = 5000000; // as ChildProcess::kTermGrace
constexpr std::chrono::seconds kStartBound{30};
constexpr std::chrono::seconds kStopBound{15};
// Between attempts to reach her manager again (it re-executes itself in
// well under a second).
constexpr std::chrono::milliseconds kRetryPause{200};
// Connections made again for one dialog. Her manager drops one on a
// re-exec; one that drops them again and again is not hers to trust with
// the agent's time (a socket unit of hers at the socket's path passes the
// peer check: its socket is set listening by her manager).
constexpr int kMaxReconnects = 3;
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

// What the unit's signals told so far.
struct UnitState
{
    std::string unit;
    std::string activeState;
    std::string result;
    std::string jobResult; // set by JobRemoved
    int execCode = 0;
    int execStatus = 0;
    // Why its end is not known (her manager gone with it, out of reach,
    // the unit gone while the agent was away): the end is a failure.
    std::string lost;

    // Started, and its main process gone and the unit down.
    bool ended() const
    {
        return !lost.empty() || (!jobResult.empty() && execCode != 0 &&
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

// A connection to her manager with the unit's signals matched on it;
// the matches go before the connection.
struct Watch
{
    BusPtr bus;
    SlotPtr properties;
    SlotPtr jobs;
};

int WatchUnit(Watch* watch, UnitState* state)
{
    sd_bus_slot* properties = nullptr;
    sd_bus_slot* jobs = nullptr;
    int result = sd_bus_match_signal(watch->bus.get(), &properties, nullptr, UnitPath(state->unit).c_str(),
                                     "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                     OnPropertiesChanged, state);
    watch->properties.reset(properties);
    result = result < 0 ? result
                        : sd_bus_match_signal(watch->bus.get(), &jobs, nullptr, kSystemdPath, kManager,
                                              "JobRemoved", OnJobRemoved, state);
    watch->jobs.reset(jobs);
    return result;
}

enum class UnitRead
{
    Read,
    Gone,        // her manager has no such unit: it ended meanwhile
    Unreachable, // no answer (yet): worth another try
};

// What the unit is now, read on a new connection: signals sent while the
// agent was away are lost. Gone, with `why`, only when her manager says it
// has no such unit (it ended, and was collected, meanwhile); a call that
// failed otherwise (a time-out during a re-exec) is worth another try.
UnitRead ReadUnit(sd_bus* bus, UnitState* state, std::string* why)
{
    BusError error;
    const int result = CallManager(bus, "GetUnit", &error, "s", state->unit.c_str(), nullptr);
    if (result < 0) {
        const bool gone = sd_bus_error_has_name(error.get(), "org.freedesktop.systemd1.NoSuchUnit");
        *why = state->unit + (gone ? " is gone (" : " cannot be read (") + error.text(result) +
               (gone ? "): it ended while the agent was away" : ")");
        return gone ? UnitRead::Gone : UnitRead::Unreachable;
    }
    const std::string path = UnitPath(state->unit);
    state->activeState = StringProperty(bus, kSystemd, path.c_str(), kUnit, "ActiveState");
    state->result = StringProperty(bus, kSystemd, path.c_str(), kUnit, "Result");
    BusError codeError;
    BusError statusError;
    sd_bus_get_property_trivial(bus, kSystemd, path.c_str(), kService, "ExecMainCode", codeError.get(), 'i',
                                &state->execCode);
    sd_bus_get_property_trivial(bus, kSystemd, path.c_str(), kService, "ExecMainStatus", statusError.get(),
                                'i', &state->execStatus);
    return UnitRead::Read;
}

// A method call's time-out: the time left to `deadline`, at most the usual
// one, at least a millisecond (0 would be sd-bus's default of 25 s).
uint64_t CallTimeout(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<uint64_t>(
        std::clamp<int64_t>(left.count(), 1000, static_cast<int64_t>(kCallTimeoutUs)));
}

class ManagedDialog final : public DialogLaunch
{
public:
    ManagedDialog(Watch watch, std::unique_ptr<UnitState> state, uid_t uid, pid_t managerPid, LogLine log)
        : m_watch(std::move(watch)), m_state(std::move(state)), m_uid(uid), m_managerPid(managerPid),
          m_log(std::move(log))
    {
        uint32_t pid = 0;
        BusError error;
        sd_bus_get_property_trivial(m_watch.bus.get(), kSystemd, UnitPath(m_state->unit).c_str(), kService,
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
        if (!m_watch.bus) {
            giveUp("cannot stop " + m_state->unit + ": uid " + std::to_string(m_uid) +
                   "'s service manager is out of reach (" + m_unreachable + "); it may still run");
            return ending();
        }
        const bool wasStopped = m_mainPid > 0 && IsStopped(m_mainPid);
        BusError error;
        const int result =
            CallManager(m_watch.bus.get(), "StopUnit", &error, "ss", m_state->unit.c_str(), "replace");
        if (result < 0) {
            m_log("cannot stop " + m_state->unit + ": " + error.text(result));
        }
        bool killed = false;
        if (!pump(std::chrono::steady_clock::now() + kStopBound) && !m_watch.bus) {
            giveUp("uid " + std::to_string(m_uid) + "'s service manager went out of reach (" + m_unreachable +
                   ") while " + m_state->unit + " stopped");
        } else if (!m_state->ended()) {
            m_log(m_state->unit + " did not stop within " + std::to_string(kStopBound.count()) +
                  " s: its processes are sent SIGKILL");
            BusError killError;
            sd_bus_message* reply = nullptr;
            sd_bus_call_method(m_watch.bus.get(), kSystemd, kSystemdPath, kManager, "KillUnit",
                               killError.get(), &reply, "ssi", m_state->unit.c_str(), "all", SIGKILL);
            sd_bus_message_unref(reply);
            m_state->lost = "it did not stop";
            killed = true;
        }
        Ending ended = ending();
        ended.endedByAgent = true;
        ended.wasStopped = wasStopped;
        // The manager sends SIGKILL when SIGTERM did not end the unit in time.
        ended.endSignal = killed || m_state->result == "timeout" || (!ended.exited && ended.signal == SIGKILL)
                              ? SIGKILL
                              : SIGTERM;
        return ended;
    }

    std::string describe() const override
    {
        return "pid " + std::to_string(m_mainPid) + ", unit " + m_state->unit + " of uid " +
               std::to_string(m_uid) + "'s service manager";
    }

private:
    // Handles what the manager sent until the unit has ended or `deadline`
    // has passed; whether it has ended. A connection that drops is made
    // again until `deadline`, so the bound still reaches the unit.
    bool pump(std::chrono::steady_clock::time_point deadline)
    {
        while (!m_state->ended()) {
            if (!m_watch.bus && !reconnect(deadline)) {
                return m_state->ended();
            }
            const int processed = sd_bus_process(m_watch.bus.get(), nullptr);
            // A manager that keeps sending (hers to drive) must not hold
            // the agent past its deadline: it is checked on every pass.
            const auto left = deadline - std::chrono::steady_clock::now();
            if (processed < 0) {
                m_log("the connection to uid " + std::to_string(m_uid) + "'s service manager ended (" +
                      std::strerror(-processed) + ") while " + m_state->unit + " runs");
                m_watch = Watch();
                if (++m_reconnects > kMaxReconnects) {
                    giveUp("uid " + std::to_string(m_uid) + "'s service manager dropped the connection " +
                           std::to_string(m_reconnects) + " times: the agent stops watching " +
                           m_state->unit);
                    return true;
                }
                if (left <= std::chrono::steady_clock::duration::zero()) {
                    return false;
                }
                continue;
            }
            if (processed > 0 && left > std::chrono::steady_clock::duration::zero()) {
                continue;
            }
            if (left <= std::chrono::steady_clock::duration::zero()) {
                return false;
            }
            sd_bus_wait(
                m_watch.bus.get(),
                static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(left).count()));
        }
        return true;
    }

    // Her manager again, through the same checks as at the start: the
    // system manager's MainPID of user@UID.service, which must still be
    // the one the unit was started in (a new manager has none of its
    // units), and that pid as the socket's peer. Tries until `deadline`;
    // a manager gone gives up at once.
    bool reconnect(std::chrono::steady_clock::time_point deadline)
    {
        for (;;) {
            std::string why;
            const pid_t manager = ManagerPid(m_uid, &why);
            if (manager != m_managerPid && manager != -1) {
                giveUp("uid " + std::to_string(m_uid) + "'s service manager (pid " +
                       std::to_string(m_managerPid) + ") is gone (" +
                       (manager == 0 ? why : "now pid " + std::to_string(manager)) + "): " + m_state->unit +
                       " went with it");
                return false;
            }
            Watch watch{manager > 0 ? ConnectManager(m_uid, manager, &why) : nullptr, nullptr, nullptr};
            if (watch.bus) {
                // Each call of the reading waits at most the time left.
                sd_bus_set_method_call_timeout(watch.bus.get(), CallTimeout(deadline));
            }
            const UnitRead read = watch.bus && WatchUnit(&watch, m_state.get()) >= 0
                                      ? ReadUnit(watch.bus.get(), m_state.get(), &why)
                                      : UnitRead::Unreachable;
            if (read == UnitRead::Gone) {
                giveUp(why);
                return false;
            }
            if (read == UnitRead::Read) {
                sd_bus_set_method_call_timeout(watch.bus.get(), kCallTimeoutUs);
                m_log("connected again to uid " + std::to_string(m_uid) +
                      "'s service manager: " + m_state->unit + " is " + m_state->activeState);
                m_watch = std::move(watch);
                return true;
            }
            m_unreachable = why;
            const auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero()) {
                return false;
            }
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kRetryPause));
        }
    }

    // The end is not known: a failure, said once.
    void giveUp(const std::string& why)
    {
        m_state->lost = why;
        m_log("the end of the dialog is unknown: " + why);
    }

    Ending ending() const
    {
        Ending ended;
        const bool known = m_state->lost.empty();
        ended.exited = known && m_state->execCode == kExited;
        ended.exitCode = ended.exited ? m_state->execStatus : -1;
        ended.signal = ended.exited || !known ? 0 : m_state->execStatus;
        return ended;
    }

    Watch m_watch; // no bus while the connection is down
    std::unique_ptr<UnitState> m_state;
    uid_t m_uid;
    pid_t m_managerPid;
    int m_reconnects = 0;
    LogLine m_log;
    pid_t m_mainPid = 0;
    std::string m_unreachable; // why the last connection attempt failed
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

// Waits for the start job of the unit; "done" once the program runs.
std::string AwaitStart(sd_bus* bus, const UnitState& state)
{
    const auto deadline = std::chrono::steady_clock::now() + kStartBound;
    while (state.jobResult.empty() && state.lost.empty()) {
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
    if (managerPid <= 0) {
        return Outcome::Unavailable;
    }
    BusPtr bus = ConnectManager(user.uid, managerPid, why);
    if (!bus) {
        return Outcome::Unavailable;
    }
    auto state = std::make_unique<UnitState>();
    state->unit = UnitName("service");
    Watch watch{std::move(bus), nullptr, nullptr};
    int result = WatchUnit(&watch, state.get());
    BusError error;
    result = result < 0 ? result : StartServiceUnit(watch.bus.get(), state->unit, request, &error);
    if (result < 0) {
        *why = "uid " + std::to_string(user.uid) + "'s service manager did not start " + state->unit + ": " +
               error.text(result);
        return Outcome::Failed;
    }
    const std::string started = AwaitStart(watch.bus.get(), *state);
    if (started != "done") {
        *why = "cannot start " + request.program + " as " + state->unit + " of uid " +
               std::to_string(user.uid) + "'s service manager: " + started +
               (state->result.empty() ? "" : " (" + state->result + ")");
        return Outcome::Failed;
    }
    log("the dialog runs as " + state->unit + " of uid " + std::to_string(user.uid) +
        "'s service manager (pid " + std::to_string(managerPid) + ")");
    *launch = std::make_unique<ManagedDialog>(std::move(watch), std::move(state), user.uid, managerPid, log);
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
