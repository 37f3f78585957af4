#pragma once

#include <QProcess>
#include <QString>

// A Wayland compositor of its own for a test: weston on its headless
// back end, its socket in a private runtime directory. Clients need both
// environment values.
class WestonDisplay final
{
public:
    WestonDisplay();
    ~WestonDisplay();
    WestonDisplay(const WestonDisplay&) = delete;
    WestonDisplay& operator=(const WestonDisplay&) = delete;

    bool isRunning() const { return !m_runtimeDirectory.isEmpty(); }
    // For XDG_RUNTIME_DIR and WAYLAND_DISPLAY.
    const QString& runtimeDirectory() const { return m_runtimeDirectory; }
    QString socketName() const { return QStringLiteral("wayland-vora"); }

private:
    QString m_directory;
    QProcess m_compositor;
    QString m_runtimeDirectory;
};
