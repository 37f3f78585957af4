#pragma once

#include <sys/types.h>

#include <string>

// What of a user's graphical session lies in files of hers: her
// compositor's socket, her X server's socket, her X cookie. The agent
// (root) looks at them with lstat only, never follows a link at the name
// and never opens them: the dialog uses them as her. Only what she owns
// counts, so a name she points at root's files (a link, or a directory
// link on the way) is not taken.
namespace vora::launch {

// The name of her compositor's socket in `runtimeDir`: of the sockets
// "wayland-N" she owns (not "wayland-N.lock"), "wayland-0" when it is
// there, else the lowest N; empty when there is none.
//   wayland-1 (hers), wayland-1.lock      -> "wayland-1"
//   wayland-0 (root's), wayland-2 (hers)  -> "wayland-2"
std::string WaylandSocket(const std::string& runtimeDir, uid_t uid);

// ":N" for the lowest socket "XN" in `socketDirectory` she owns (an X
// server of hers, Xwayland too); empty when there is none, or when the
// directory is not root's sticky one.
std::string XDisplayOfSockets(uid_t uid, const std::string& socketDirectory = "/tmp/.X11-unix");

// Her X cookie: the first regular file she owns among
//   RUNTIME/.mutter-Xwaylandauth.* (the newest: GNOME's Xwayland),
//   RUNTIME/gdm/Xauthority (the display manager's), HOME/.Xauthority;
// empty when there is none.
std::string XCookie(const std::string& runtimeDir, const std::string& home, uid_t uid);

} // namespace vora::launch
