#include "PrivateSystemBus.h"
#include "StopProcess.h"

#include "TempAgentRoot.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <sys/stat.h>

PrivateSystemBus::PrivateSystemBus()
{
    if (makeDirectory(0700) && writeConfig(QStringLiteral(VORA_PRIVATE_BUS_CONFIG), QString()) && launch()) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLocal8Bit().constData(), 1);
    }
}

PrivateSystemBus::PrivateSystemBus(const QString& policyFile, uint knownUid)
    : PrivateSystemBus(policyFile, QList<uint>{knownUid})
{
}

PrivateSystemBus::PrivateSystemBus(const QString& policyFile, const QList<uint>& knownUids)
{
    // Other users reach the socket only through a directory they may enter.
    if (makeDirectory(0755) && writeConfig(QStringLiteral(VORA_POLICY_BUS_CONFIG), policyFile) &&
        teachUsers(knownUids)) {
        launch();
    }
}

bool PrivateSystemBus::makeDirectory(mode_t mode)
{
    char pattern[] = "/tmp/vora-bus-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return false;
    }
    m_directory = QString::fromLocal8Bit(pattern);
    return chmod(pattern, mode) == 0;
}

bool PrivateSystemBus::writeConfig(const QString& configTemplate, const QString& policyFile)
{
    QFile source(configTemplate);
    QFile file(m_directory + QStringLiteral("/bus.conf"));
    if (!source.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)) {
        return false;
    }
    return file.write(source.readAll()
                          .replace("@DIR@", m_directory.toUtf8())
                          .replace("@POLICY@", policyFile.toUtf8())) > 0;
}

// The machine's users and groups plus these, for the daemon alone.
bool PrivateSystemBus::teachUsers(const QList<uint>& uids)
{
    QFile passwd(m_directory + QStringLiteral("/passwd"));
    QFile group(m_directory + QStringLiteral("/group"));
    QFile systemPasswd(QStringLiteral("/etc/passwd"));
    QFile systemGroup(QStringLiteral("/etc/group"));
    if (!passwd.open(QIODevice::WriteOnly) || !group.open(QIODevice::WriteOnly) ||
        !systemPasswd.open(QIODevice::ReadOnly) || !systemGroup.open(QIODevice::ReadOnly)) {
        return false;
    }
    passwd.write(systemPasswd.readAll());
    group.write(systemGroup.readAll());
    for (const uint uid : uids) {
        const QString name = QStringLiteral("vora-test-%1").arg(uid);
        passwd.write(QStringLiteral("%1:x:%2:%2:VORA test user:/nonexistent:/usr/sbin/nologin\n")
                         .arg(name)
                         .arg(uid)
                         .toUtf8());
        group.write(QStringLiteral("%1:x:%2:\n").arg(name).arg(uid).toUtf8());
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Without the library the loader says so on the daemon's standard
    // error, which the test output shows.
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral("libnss_wrapper.so"));
    environment.insert(QStringLiteral("NSS_WRAPPER_PASSWD"), passwd.fileName());
    environment.insert(QStringLiteral("NSS_WRAPPER_GROUP"), group.fileName());
    m_daemon.setProcessEnvironment(environment);
    return true;
}

bool PrivateSystemBus::launch()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + m_directory + QStringLiteral("/bus.conf"),
                    QStringLiteral("--print-address"), QStringLiteral("--nofork")});
    if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000)) {
        return false;
    }
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    return !m_address.isEmpty();
}

PrivateSystemBus::~PrivateSystemBus()
{
    StopProcess(m_daemon);
    if (!m_directory.isEmpty()) {
        RemoveTree(m_directory.toStdString());
    }
}
