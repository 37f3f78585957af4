#pragma once

#include <QProcess>
#include <QString>

// An X server of a test's own (Xvfb, 800x500, 24 bits), stopped with SIGTERM
// when the object goes. Programs reach it through DISPLAY=display().
class XvfbServer final
{
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    const QString& display() const { return m_display; } // ":12"
    // Ends the server at once (SIGKILL), as a crash would.
    void kill();

private:
    QProcess m_server;
    QString m_display;
};
