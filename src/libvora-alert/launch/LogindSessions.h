#pragma once

#include "SdBus.h"

#include <sys/types.h>

#include <optional>
#include <string>

namespace vora::launch {

// What a program started into a user's graphical session needs to find it.
struct SessionDisplay
{
    std::string sessionId;
    std::string userName;       // the session's Name
    std::string type;           // "x11" or "wayland"
    std::string display;        // DISPLAY as logind has it, else of an X socket of hers (":0")
    std::string waylandDisplay; // on Wayland her compositor's socket in the runtime directory ("wayland-0")
    std::string runtimeDir;     // the user's RuntimePath
    std::string sessionBus;     // "unix:path=RUNTIME/bus" when that socket exists
};

// Finds a user's active local graphical session through systemd-logind
// (org.freedesktop.login1) on the system bus, over sd-bus:
//   ListSessions -> the sessions of the uid; of those the first that is
//   Active, not Remote and of Type x11 or wayland; GetUser -> RuntimePath.
// WAYLAND_DISPLAY lives only in the session leader's environment, which
// logind does not give out, and a Wayland session's Display is often
// empty (Xwayland starts later): both are found among her sockets
// (SessionFiles.h).
class LogindSessions final
{
public:
    // Connects to the system bus ($DBUS_SYSTEM_BUS_ADDRESS or the default).
    LogindSessions();

    // Whether logind owns its name on the bus; otherwise `why` says what is missing.
    bool isAvailable(std::string* why) const;
    // The session, or nullopt with the reason in `why`.
    std::optional<SessionDisplay> graphicalSession(uid_t uid, std::string* why) const;
    // The user's RuntimePath ("/run/user/1000"); empty when logind has no such user.
    std::string runtimePath(uid_t uid) const;

    static constexpr uint64_t kCallTimeoutUs = 5000000;

private:
    BusPtr m_bus;
    std::string m_connectError;
};

} // namespace vora::launch
