#include "DisplaySelection.h"

#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

DisplayEnvironment ProcessEnvironment()
{
    DisplayEnvironment environment;
    environment.qtPlatform = Variable("QT_QPA_PLATFORM");
    environment.x11Display = Variable("DISPLAY");
    environment.waylandDisplay = Variable("WAYLAND_DISPLAY");
    if (environment.waylandDisplay.empty()) {
        environment.waylandDisplay = Variable("WAYLAND_SOCKET");
    }
    return environment;
}

QString PlatformPluginDirectory()
{
    return QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
}

bool HasWaylandPlugin()
{
    return !QDir(PlatformPluginDirectory())
                .entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files)
                .isEmpty();
}

} // namespace

DisplayPlatform ChooseDisplayPlatform(const DisplayEnvironment& environment)
{
    if (!environment.qtPlatform.empty() || environment.waylandDisplay.empty()) {
        return DisplayPlatform::Unchanged;
    }
    return environment.x11Display.empty() ? DisplayPlatform::Wayland : DisplayPlatform::X11;
}

DisplayPlatform SelectDisplayPlatform()
{
    const DisplayEnvironment environment = ProcessEnvironment();
    const DisplayPlatform choice = ChooseDisplayPlatform(environment);
    if (choice == DisplayPlatform::X11) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        std::fprintf(stderr,
                     "%s: X display %s and Wayland display %s: running on X11 (XWayland), where windows can "
                     "stay on top and fade; QT_QPA_PLATFORM=wayland chooses Wayland\n",
                     program_invocation_short_name, environment.x11Display.c_str(),
                     environment.waylandDisplay.c_str());
    } else if (choice == DisplayPlatform::Wayland) {
        if (!HasWaylandPlugin()) {
            std::fprintf(stderr,
                         "%s: Wayland display %s and no X display, but Qt has no Wayland plugin in %s "
                         "(Debian: qt6-wayland)\n",
                         program_invocation_short_name, environment.waylandDisplay.c_str(),
                         qPrintable(PlatformPluginDirectory()));
            return DisplayPlatform::Unchanged;
        }
        setenv("QT_QPA_PLATFORM", "wayland", 1);
        std::fprintf(stderr,
                     "%s: Wayland display %s and no X display: running on Wayland, where staying on top is "
                     "left to the compositor and windows do not fade\n",
                     program_invocation_short_name, environment.waylandDisplay.c_str());
    }
    return choice;
}

bool PlatformHasWindowOpacity()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
