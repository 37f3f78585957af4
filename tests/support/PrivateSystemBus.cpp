#include "PrivateSystemBus.h"

#include "TempAgentRoot.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

PrivateSystemBus::PrivateSystemBus()
{
    char pattern[] = "/tmp/vora-bus-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return;
    }
    m_directory = QString::fromLocal8Bit(pattern);
    const QString config = m_directory + QStringLiteral("/bus.conf");
    QFile source(QStringLiteral(VORA_PRIVATE_BUS_CONFIG));
    QFile file(config);
    if (!source.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)) {
        return;
    }
    file.write(source.readAll().replace("@DIR@", m_directory.toUtf8()));
    file.close();

    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                    QStringLiteral("--nofork")});
    if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000)) {
        return;
    }
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    setenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLocal8Bit().constData(), 1);
}

PrivateSystemBus::~PrivateSystemBus()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }
    if (!m_directory.isEmpty()) {
        RemoveTree(m_directory.toStdString());
    }
}
