#include "UserEnvironment.h"

#include "LogindSessions.h"
#include "SessionFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

namespace vora::launch {

namespace {

using Environment = std::map<std::string, std::string>;

const char* const kDisplayVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR",
                                         "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY"};

// Taken from the caller as they are. QT_QPA_PLATFORM only picks one of
// the installed display plugins (test rigs: "offscreen"); unlike
// QT_PLUGIN_PATH it names no directory to load code from. In a sanitizer
// build the dialog is built alike and needs the same sanitizer settings
// (leak suppressions); such builds never ship.
const char* const kPassedVariables[] = {
    "LANG",         "LANGUAGE",     "VORA_AGENT_ROOT", "VEJBINSTANCE", "QT_QPA_PLATFORM",
#if defined(__SANITIZE_ADDRESS__)
    "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS",
#endif
};

// The user's PATH as su(1) sets it for a login: the caller's may name its
// own directories (/root/bin) or relative ones.
constexpr const char* kUserPath = "/usr/local/bin:/usr/bin:/bin";
const std::string kBusPrefix = "unix:path=";

void SetOrRemove(Environment* environment, const std::string& name, const std::string& value)
{
    if (value.empty()) {
        environment->erase(name);
    } else {
        (*environment)[name] = value;
    }
}

std::string ValueOf(const Environment& environment, const std::string& name)
{
    const auto found = environment.find(name);
    return found == environment.end() ? std::string() : found->second;
}

// "DISPLAY=:77 WAYLAND_DISPLAY unset ..."
std::string DescribeDisplay(const Environment& environment)
{
    std::string parts;
    for (const char* name : kDisplayVariables) {
        const auto found = environment.find(name);
        parts += (parts.empty() ? "" : " ") + std::string(name) +
                 (found != environment.end() ? "=" + found->second : std::string(" unset"));
    }
    return parts;
}

bool BelongsTo(std::string path, uid_t uid)
{
    if (path.empty()) {
        return false;
    }
    if (path[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) == nullptr) {
            return false;
        }
        path = std::string(cwd) + "/" + path;
    }
    struct stat status = {};
    return ::lstat(path.c_str(), &status) == 0 && status.st_uid == uid;
}

void TakeSessionDisplay(const SessionDisplay& session, const Account& user, Environment* environment)
{
    SetOrRemove(environment, "DISPLAY", session.display);
    SetOrRemove(environment, "WAYLAND_DISPLAY", session.waylandDisplay);
    SetOrRemove(environment, "XDG_RUNTIME_DIR", session.runtimeDir);
    SetOrRemove(environment, "DBUS_SESSION_BUS_ADDRESS", session.sessionBus);
    SetOrRemove(environment, "XAUTHORITY", XCookie(session.runtimeDir, user.home, user.uid));
}

// The caller's display names pass; a file or directory it names passes
// only when it belongs to the user: the caller's own (root's X cookie,
// runtime directory, session bus) would be of no use to the user, and
// names root's files.
void TakeCallerDisplay(const Environment& caller, uid_t uid, Environment* environment, const LogLine& log)
{
    SetOrRemove(environment, "DISPLAY", ValueOf(caller, "DISPLAY"));
    SetOrRemove(environment, "WAYLAND_DISPLAY", ValueOf(caller, "WAYLAND_DISPLAY"));
    const std::string bus = ValueOf(caller, "DBUS_SESSION_BUS_ADDRESS");
    const std::pair<std::string, std::string> files[] = {
        {"XDG_RUNTIME_DIR", ValueOf(caller, "XDG_RUNTIME_DIR")},
        {"XAUTHORITY", ValueOf(caller, "XAUTHORITY")},
        {"DBUS_SESSION_BUS_ADDRESS", bus.rfind(kBusPrefix, 0) == 0 ? bus.substr(kBusPrefix.size()) : bus},
    };
    for (const auto& [name, path] : files) {
        if (BelongsTo(path, uid)) {
            (*environment)[name] = ValueOf(caller, name);
        } else if (caller.count(name) != 0) {
            log("the caller's " + name + "=" + ValueOf(caller, name) +
                " is not passed on: it names no file of uid " + std::to_string(uid));
        }
    }
}

} // namespace

bool IsPassedVariable(const std::string& name)
{
    return std::find(std::begin(kPassedVariables), std::end(kPassedVariables), name) !=
               std::end(kPassedVariables) ||
           name.rfind("LC_", 0) == 0;
}

Environment ToMap(const std::vector<std::string>& entries)
{
    Environment map;
    for (const std::string& entry : entries) {
        const size_t equals = entry.find('=');
        if (equals != std::string::npos && equals > 0) {
            map.emplace(entry.substr(0, equals), entry.substr(equals + 1));
        }
    }
    return map;
}

Environment UserEnvironment(const Account& user, const std::vector<std::string>& callerEnvironment,
                            const LogLine& log)
{
    const Environment caller = ToMap(callerEnvironment);
    Environment environment;
    for (const auto& [name, value] : caller) {
        if (IsPassedVariable(name)) {
            environment[name] = value;
        }
    }
    environment["PATH"] = kUserPath;
    environment["HOME"] = user.home;
    environment["USER"] = user.name;
    environment["LOGNAME"] = user.name;

    const LogindSessions logind;
    std::string why;
    const std::optional<SessionDisplay> session =
        logind.isAvailable(&why) ? logind.graphicalSession(user.uid, &why) : std::nullopt;
    if (session) {
        TakeSessionDisplay(*session, user, &environment);
        log("display environment from logind session " + session->sessionId + " of " + session->userName +
            " (" + session->type + "): " + DescribeDisplay(environment));
    } else {
        TakeCallerDisplay(caller, user.uid, &environment, log);
        log("display environment from the caller's environment (" + why +
            "): " + DescribeDisplay(environment));
    }
    std::string names;
    for (const auto& entry : environment) {
        names += (names.empty() ? "" : " ") + entry.first;
    }
    log("the dialog runs as " + user.describe());
    log("the dialog's environment: " + names);
    return environment;
}

} // namespace vora::launch
