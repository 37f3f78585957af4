#pragma once

#include <QList>
#include <QProcess>
#include <QString>

#include <sys/types.h>

// A private dbus-daemon standing in for the system bus: started with a
// permissive test configuration, DBUS_SYSTEM_BUS_ADDRESS points at it while
// the object lives. Start it before the first use of the system bus in the
// process (Qt keeps that connection).
//
// With a policy file it is instead a bus with the system bus's default
// policy plus that file, open to every user, and its address is only
// given out by address(): for checking what a policy allows. dbus-daemon
// turns away uids it cannot look up, so it learns `knownUid` (or each of
// `knownUids`) as the user "vora-test-UID" through
// nss_wrapper (libnss-wrapper), without an account on the machine.
class PrivateSystemBus final
{
public:
    PrivateSystemBus();
    PrivateSystemBus(const QString& policyFile, uint knownUid);
    PrivateSystemBus(const QString& policyFile, const QList<uint>& knownUids);
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    const QString& address() const { return m_address; }

private:
    bool makeDirectory(mode_t mode);
    bool writeConfig(const QString& configTemplate, const QString& policyFile);
    bool teachUsers(const QList<uint>& uids);
    bool launch();

    QString m_directory;
    QProcess m_daemon;
    QString m_address;
};
