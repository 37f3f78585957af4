#pragma once

#include <QProcess>
#include <QString>

// A private dbus-daemon standing in for the system bus: started with a
// permissive test configuration, DBUS_SYSTEM_BUS_ADDRESS points at it while
// the object lives. Start it before the first use of the system bus in the
// process (Qt keeps that connection).
class PrivateSystemBus final
{
public:
    PrivateSystemBus();
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    const QString& address() const { return m_address; }

private:
    QString m_directory;
    QProcess m_daemon;
    QString m_address;
};
