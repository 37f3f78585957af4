#pragma once

#include <QProcess>
#include <QString>

// A private dbus-daemon standing in for a desktop session's bus. Unlike
// PrivateSystemBus it changes no environment variable: tests hand
// address() to the processes and connections that should use it.
class PrivateSessionBus final
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    const QString& address() const { return m_address; }

private:
    QString m_directory;
    QProcess m_daemon;
    QString m_address;
};
