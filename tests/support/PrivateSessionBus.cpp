#include "PrivateSessionBus.h"
#include "StopProcess.h"

#include "TempAgentRoot.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

PrivateSessionBus::PrivateSessionBus()
{
    char pattern[] = "/tmp/vora-session-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("private session bus: mkdtemp");
        return;
    }
    m_directory = QString::fromLocal8Bit(pattern);
    const QString config = m_directory + QStringLiteral("/bus.conf");
    QFile source(QStringLiteral(VORA_PRIVATE_BUS_CONFIG));
    QFile file(config);
    if (!source.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "private session bus: cannot write %s\n", qPrintable(config));
        return;
    }
    // The test bus configuration, with the bus type a session bus has.
    file.write(source.readAll()
                   .replace("@DIR@", m_directory.toUtf8())
                   .replace("<type>system</type>", "<type>session</type>"));
    file.close();

    m_daemon.setStandardErrorFile(QProcess::nullDevice()); // its fd-limit complaint as root
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                    QStringLiteral("--nofork")});
    if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000)) {
        std::fprintf(stderr, "private session bus: dbus-daemon did not start\n");
        return;
    }
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
}

PrivateSessionBus::~PrivateSessionBus()
{
    StopProcess(m_daemon);
    if (!m_directory.isEmpty()) {
        RemoveTree(m_directory.toStdString());
    }
}
