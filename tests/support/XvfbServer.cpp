#include "XvfbServer.h"
#include "StopProcess.h"

#include <QStandardPaths>

XvfbServer::XvfbServer()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        return;
    }
    // -displayfd 1: the server picks a free display and writes its number
    // to standard output once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("800x500x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    if (!m_server.waitForStarted(10000)) {
        return;
    }
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(10000)) {
        number += m_server.readAllStandardOutput();
    }
    if (number.trimmed().isEmpty()) {
        return;
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
}

XvfbServer::~XvfbServer()
{
    StopProcess(m_server);
}

void XvfbServer::kill()
{
    m_server.kill();
    m_server.waitForFinished();
}
