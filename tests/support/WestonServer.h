#pragma once

#include <QProcess>
#include <QString>

// A Wayland compositor of a test's own: weston on its headless backend, with
// a runtime directory of its own, stopped with SIGTERM when the object goes.
// Programs reach it through XDG_RUNTIME_DIR=runtimeDir() and
// WAYLAND_DISPLAY=socket().
class WestonServer final
{
public:
    WestonServer();
    ~WestonServer();
    WestonServer(const WestonServer&) = delete;
    WestonServer& operator=(const WestonServer&) = delete;

    bool isRunning() const { return m_running; }
    const QString& runtimeDir() const { return m_runtimeDir; }
    const QString& socket() const { return m_socket; }
    // What weston said, for a failure message.
    QString output();

private:
    QProcess m_server;
    QString m_runtimeDir;
    QString m_socket;
    bool m_running = false;
};
