#include "LogindSessions.h"

#include "SessionFiles.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

namespace vora::launch {

namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
constexpr const char* kUser = "org.freedesktop.login1.User";

struct ListedSession
{
    std::string id;
    uint32_t uid = 0;
    std::string path;
};

// ListSessions: a(susso) of (id, uid, user name, seat, object path).
std::vector<ListedSession> ParseSessions(sd_bus_message* reply)
{
    std::vector<ListedSession> sessions;
    if (sd_bus_message_enter_container(reply, 'a', "(susso)") < 0) {
        return sessions;
    }
    const char* id = nullptr;
    const char* user = nullptr;
    const char* seat = nullptr;
    const char* path = nullptr;
    uint32_t uid = 0;
    while (sd_bus_message_read(reply, "(susso)", &id, &uid, &user, &seat, &path) > 0) {
        sessions.push_back({id, uid, path});
    }
    return sessions;
}

bool BoolProperty(sd_bus* bus, const std::string& path, const char* name, bool otherwise)
{
    BusError error;
    int value = 0;
    if (sd_bus_get_property_trivial(bus, kLogind, path.c_str(), kSession, name, error.get(), 'b', &value) <
        0) {
        return otherwise;
    }
    return value != 0;
}

// The uid of the session's User property, (uo); -1 when unreadable.
uid_t UserOf(sd_bus* bus, const std::string& path)
{
    BusError error;
    sd_bus_message* raw = nullptr;
    if (sd_bus_get_property(bus, kLogind, path.c_str(), kSession, "User", error.get(), &raw, "(uo)") < 0) {
        return static_cast<uid_t>(-1);
    }
    const MessagePtr reply(raw);
    uint32_t uid = static_cast<uint32_t>(-1);
    const char* object = nullptr;
    if (sd_bus_message_read(reply.get(), "(uo)", &uid, &object) < 0) {
        return static_cast<uid_t>(-1);
    }
    return uid;
}

bool IsSocket(const std::string& path)
{
    struct stat status = {};
    return ::stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

} // namespace

LogindSessions::LogindSessions()
{
    sd_bus* bus = nullptr;
    const int result = sd_bus_open_system(&bus);
    if (result < 0) {
        m_connectError = std::strerror(-result);
        return;
    }
    m_bus.reset(bus);
    sd_bus_set_method_call_timeout(bus, kCallTimeoutUs);
}

bool LogindSessions::isAvailable(std::string* why) const
{
    if (!m_bus) {
        *why = "no system bus: " + m_connectError;
        return false;
    }
    BusError error;
    sd_bus_message* raw = nullptr;
    const int result =
        sd_bus_call_method(m_bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", error.get(), &raw, "s", kLogind);
    const MessagePtr reply(raw);
    int owned = 0;
    if (result < 0) {
        *why = "no system bus: " + error.text(result);
        return false;
    }
    if (sd_bus_message_read(reply.get(), "b", &owned) < 0 || !owned) {
        *why = "logind is not on the system bus";
        return false;
    }
    return true;
}

std::optional<SessionDisplay> LogindSessions::graphicalSession(uid_t uid, std::string* why) const
{
    BusError error;
    sd_bus_message* raw = nullptr;
    const int result = sd_bus_call_method(m_bus.get(), kLogind, kManagerPath, kManager, "ListSessions",
                                          error.get(), &raw, "");
    const MessagePtr listed(raw);
    if (result < 0) {
        *why = "logind did not list its sessions: " + error.text(result);
        return std::nullopt;
    }
    std::string seen;
    for (const ListedSession& entry : ParseSessions(listed.get())) {
        if (entry.uid != uid) {
            continue;
        }
        sd_bus* bus = m_bus.get();
        const char* path = entry.path.c_str();
        const std::string type = StringProperty(bus, kLogind, path, kSession, "Type");
        const bool active = BoolProperty(bus, entry.path, "Active", false);
        const bool remote = BoolProperty(bus, entry.path, "Remote", true);
        // "3 (tty, active, local)"
        seen += (seen.empty() ? "" : ", ") + entry.id + " (" + type + ", " +
                (active ? "active" : "inactive") + ", " + (remote ? "remote" : "local") + ")";
        if (UserOf(bus, entry.path) != uid || !active || remote || (type != "x11" && type != "wayland")) {
            continue;
        }
        SessionDisplay session;
        session.sessionId = entry.id;
        session.userName = StringProperty(bus, kLogind, path, kSession, "Name");
        session.type = type;
        session.display = StringProperty(bus, kLogind, path, kSession, "Display");
        session.runtimeDir = runtimePath(uid);
        if (session.display.empty()) {
            session.display = XDisplayOfSockets(uid); // Xwayland, which logind does not know of
        }
        if (!session.runtimeDir.empty()) {
            if (type == "wayland") {
                session.waylandDisplay = WaylandSocket(session.runtimeDir, uid);
            }
            if (IsSocket(session.runtimeDir + "/bus")) {
                session.sessionBus = "unix:path=" + session.runtimeDir + "/bus";
            }
        }
        return session;
    }
    *why = seen.empty()
               ? "logind has no session of uid " + std::to_string(uid)
               : "no active local graphical session of uid " + std::to_string(uid) + " among " + seen;
    return std::nullopt;
}

std::string LogindSessions::runtimePath(uid_t uid) const
{
    BusError error;
    sd_bus_message* raw = nullptr;
    if (sd_bus_call_method(m_bus.get(), kLogind, kManagerPath, kManager, "GetUser", error.get(), &raw, "u",
                           static_cast<uint32_t>(uid)) < 0) {
        return std::string();
    }
    const MessagePtr reply(raw);
    const char* path = nullptr;
    if (sd_bus_message_read(reply.get(), "o", &path) < 0) {
        return std::string();
    }
    return StringProperty(m_bus.get(), kLogind, path, kUser, "RuntimePath");
}

} // namespace vora::launch
