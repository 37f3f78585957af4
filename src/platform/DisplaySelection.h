#pragma once

#include <string>

// The Qt platform plugin a desktop program runs on.
enum class DisplayPlatform
{
    Unchanged, // QT_QPA_PLATFORM chose already, or there is no display at all
    X11,       // "xcb": an X display is there (XWayland on a Wayland desktop)
    Wayland,   // "wayland": a Wayland display and no X display
};

// What the choice depends on: the variables as the process got them.
struct DisplayEnvironment
{
    std::string qtPlatform;     // QT_QPA_PLATFORM
    std::string x11Display;     // DISPLAY
    std::string waylandDisplay; // WAYLAND_DISPLAY, or WAYLAND_SOCKET when that is set instead
};

// X11 wins where both displays are there: only there do "stay on top" and
// window opacity work (a Wayland compositor keeps both to itself). Where only
// Wayland is there, the program runs on it natively, since Qt would otherwise
// try X11 first unless the session says "wayland".
//   {"", ":0", "wayland-0"} -> X11;  {"", "", "wayland-0"} -> Wayland;
//   {"wayland", ":0", "wayland-0"} -> Unchanged;  {"", ":0", ""} -> Unchanged
DisplayPlatform ChooseDisplayPlatform(const DisplayEnvironment& environment);

// Reads the environment, sets QT_QPA_PLATFORM to the choice and says on
// standard error which display it took and why (Wayland only when Qt's
// Wayland plugin is installed; otherwise it says so and changes nothing).
// Call once, before the application object exists.
DisplayPlatform SelectDisplayPlatform();

// Whether windows of the running application can be made translucent:
// false on Wayland, whose Qt plugin has no window opacity.
bool PlatformHasWindowOpacity();
