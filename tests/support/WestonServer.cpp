#include "WestonServer.h"
#include "StopProcess.h"

#include "TempAgentRoot.h"
#include "WaitUntil.h"

#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <cstdlib>

WestonServer::WestonServer()
{
    char pattern[] = "/tmp/vora-wayland-XXXXXX"; // mkdtemp makes it 0700, as Wayland wants
    if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty() || mkdtemp(pattern) == nullptr) {
        return;
    }
    m_runtimeDir = QString::fromLocal8Bit(pattern);
    m_socket = QStringLiteral("wayland-vora-test");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DISPLAY"));
    m_server.setProcessEnvironment(environment);
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.start(QStringLiteral("weston"),
                   {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + m_socket,
                    QStringLiteral("--idle-time=0"), QStringLiteral("--width=800"),
                    QStringLiteral("--height=500")});
    if (!m_server.waitForStarted(10000)) {
        return;
    }
    const QString path = m_runtimeDir + QLatin1Char('/') + m_socket;
    m_running =
        WaitUntil([&] { return QFileInfo(path).exists() || m_server.state() == QProcess::NotRunning; }) &&
        m_server.state() == QProcess::Running;
}

WestonServer::~WestonServer()
{
    StopProcess(m_server);
    if (!m_runtimeDir.isEmpty()) {
        RemoveTree(m_runtimeDir.toStdString());
    }
}

QString WestonServer::output()
{
    return QString::fromLocal8Bit(m_server.readAll());
}
