#pragma once

#include "SdBus.h"

#include <sys/types.h>

#include <cstdint>
#include <string>

// The way to the user's own service manager, shared by the start of a
// dialog there and the reconnection while it runs.
namespace vora::launch {

inline constexpr const char* kSystemd = "org.freedesktop.systemd1";
inline constexpr const char* kSystemdPath = "/org/freedesktop/systemd1";
inline constexpr const char* kManager = "org.freedesktop.systemd1.Manager";
inline constexpr const char* kUnit = "org.freedesktop.systemd1.Unit";
inline constexpr const char* kService = "org.freedesktop.systemd1.Service";
inline constexpr uint64_t kCallTimeoutUs = 5000000;

// The bus path of `unit` ("/org/freedesktop/systemd1/unit/vora_2ddialog_2d…").
std::string UnitPath(const std::string& unit);
// METHOD(unit, argument) of the manager on `bus`; its result.
int CallManager(sd_bus* bus, const char* method, BusError* error, const char* types, const char* unit,
                const char* argument);

// The MainPID of user@UID.service when the system manager has it running;
// 0 with the reason in `why` when it is not running, -1 when the system
// manager gave no answer.
pid_t ManagerPid(uid_t uid, std::string* why);

// A connection to the manager whose MainPID is `managerPid`, through its
// private socket in the user's runtime directory (her RuntimePath from
// logind), whose peer (SO_PEERCRED) must be that pid and `uid`, checked
// before a byte is sent; null with `why`.
BusPtr ConnectManager(uid_t uid, pid_t managerPid, std::string* why);

} // namespace vora::launch
