#include "ManagerConnection.h"

#include "LogindSessions.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace vora::launch {

namespace {

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

// The handshake is the other side's to answer: waited for at most one
// call's time-out (the first call would wait for it up to sd-bus's own
// 90 s). 0 once the connection is ready, else a negative errno.
int AwaitHandshake(sd_bus* bus)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(kCallTimeoutUs);
    for (;;) {
        const int ready = sd_bus_is_ready(bus);
        if (ready != 0) {
            return ready < 0 ? ready : 0;
        }
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0) {
            return processed;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return -ETIMEDOUT;
        }
        if (processed == 0) {
            sd_bus_wait(bus, static_cast<uint64_t>(left.count()));
        }
    }
}

} // namespace

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

pid_t ManagerPid(uid_t uid, std::string* why)
{
    sd_bus* raw = nullptr;
    int result = sd_bus_open_system(&raw);
    if (result < 0) {
        *why = std::string("no system bus: ") + std::strerror(-result);
        return -1;
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
        const bool loaded = !sd_bus_error_has_name(error.get(), "org.freedesktop.systemd1.NoSuchUnit");
        *why = loaded ? "no system manager on the system bus: " + error.text(result)
                      : unit + " is not loaded (no session of uid " + std::to_string(uid) + ")";
        return loaded ? -1 : 0;
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
    result = result < 0 ? result : AwaitHandshake(raw);
    if (result < 0) {
        *why = "cannot connect to " + socket + ": " + std::strerror(-result);
        return nullptr;
    }
    sd_bus_set_method_call_timeout(raw, kCallTimeoutUs);
    return bus;
}

} // namespace vora::launch
