#include "XvfbDisplay.h"

#include <cstdio>

XvfbDisplay::XvfbDisplay()
{
    // -displayfd: Xvfb picks a free display and writes its number there
    // once it accepts connections.
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    if (!m_server.waitForStarted(10000)) {
        std::fprintf(stderr, "Xvfb did not start: %s\n", qPrintable(m_server.errorString()));
        return;
    }
    while (!m_server.canReadLine() && m_server.waitForReadyRead(10000)) {
    }
    const QString number = QString::fromLatin1(m_server.readLine()).trimmed();
    if (number.isEmpty()) {
        std::fprintf(stderr, "Xvfb reported no display\n");
        return;
    }
    m_name = QLatin1Char(':') + number;
}

XvfbDisplay::~XvfbDisplay()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
}
