#pragma once

#include "Account.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vora::launch {

using LogLine = std::function<void(const std::string& line)>;

// The environment a dialog started as another user gets, built from nothing but
//   - HOME, USER and LOGNAME of the user, and PATH=/usr/local/bin:/usr/bin:/bin;
//   - the display variables (DISPLAY, WAYLAND_DISPLAY, XDG_RUNTIME_DIR,
//     DBUS_SESSION_BUS_ADDRESS, XAUTHORITY) of the user's active graphical
//     session as logind reports it; without logind, or without such a
//     session, the caller's DISPLAY and WAYLAND_DISPLAY, and of its
//     XDG_RUNTIME_DIR, XAUTHORITY and session bus only those whose file
//     belongs to the user (never root's /root/.Xauthority);
//   - of the caller's environment LANG, LANGUAGE and LC_*;
//     VORA_AGENT_ROOT and VEJBINSTANCE, which choose the directory the
//     agent and the dialog meet in (the data root a user could give her
//     own programs anyway; no right comes with it); QT_QPA_PLATFORM,
//     which picks an installed display plugin (test rigs: "offscreen").
// Nothing else of the caller's passes: no LD_*, QT_PLUGIN_PATH, secrets.
// `log` is told where the display came from and which variables pass.
std::map<std::string, std::string>
UserEnvironment(const Account& user, const std::vector<std::string>& callerEnvironment, const LogLine& log);

// The variables of the caller that pass to a dialog of another user
// besides the display ones: LANG, LANGUAGE, LC_*, VORA_AGENT_ROOT, ...
bool IsPassedVariable(const std::string& name);

// "NAME=value" entries -> map; an entry without "=" is left out.
std::map<std::string, std::string> ToMap(const std::vector<std::string>& entries);

} // namespace vora::launch
