#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

class QDBusMessage;

// What a program started into a user's graphical session needs to find it.
struct SessionDisplay
{
    QString sessionId;
    QString userName;       // the session's Name
    QString type;           // "x11" or "wayland"
    QString display;        // DISPLAY as logind has it; may be empty on Wayland
    QString waylandDisplay; // "wayland-0" on Wayland when the runtime directory has that socket
    QString runtimeDir;     // the user's RuntimePath
    QString sessionBus;     // "unix:path=RUNTIME/bus" when that socket exists
};

// Finds a user's active local graphical session through systemd-logind
// (org.freedesktop.login1) on the system bus:
//   ListSessions -> the sessions of the uid; of those the first that is
//   Active, not Remote and of Type x11 or wayland; GetUser -> RuntimePath.
// WAYLAND_DISPLAY lives only in the session leader's environment, which
// logind does not give out, so the conventional "wayland-0" is used when
// its socket is there.
class LogindSessions final
{
public:
    explicit LogindSessions(QDBusConnection bus);

    // Whether logind owns its name on the bus.
    bool isAvailable() const;
    // The session, or nullopt with the reason in `why`.
    std::optional<SessionDisplay> graphicalSession(uint uid, QString* why) const;

    static constexpr int kCallTimeoutMs = 5000;

private:
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments) const;
    QString runtimePath(uint uid) const;

    QDBusConnection m_bus;
};
