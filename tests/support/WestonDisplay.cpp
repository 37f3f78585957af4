#include "WestonDisplay.h"

#include "TempAgentRoot.h"
#include "WaitUntil.h"

#include <QFile>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>

WestonDisplay::WestonDisplay()
{
    char pattern[] = "/tmp/vora-wayland-XXXXXX"; // mkdtemp makes it 0700, as Wayland wants
    if (mkdtemp(pattern) == nullptr) {
        std::perror("weston: mkdtemp");
        return;
    }
    m_directory = QString::fromLocal8Bit(pattern);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_directory);
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_compositor.setProcessEnvironment(environment);
    m_compositor.setStandardOutputFile(QProcess::nullDevice());
    m_compositor.setStandardErrorFile(m_directory + QStringLiteral("/weston.log"));
    m_compositor.start(QStringLiteral("weston"),
                       {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--no-config"),
                        QStringLiteral("--idle-time=0"), QStringLiteral("--socket=") + socketName()});
    const QString socket = m_directory + QLatin1Char('/') + socketName();
    if (!m_compositor.waitForStarted(10000) || !WaitUntil([&] { return QFile::exists(socket); })) {
        std::fprintf(stderr, "weston did not start (see %s/weston.log)\n", qPrintable(m_directory));
        return;
    }
    m_runtimeDirectory = m_directory;
}

WestonDisplay::~WestonDisplay()
{
    if (m_compositor.state() != QProcess::NotRunning) {
        m_compositor.terminate();
        if (!m_compositor.waitForFinished(5000)) {
            m_compositor.kill();
            m_compositor.waitForFinished();
        }
    }
    if (!m_directory.isEmpty()) {
        RemoveTree(m_directory.toStdString());
    }
}
