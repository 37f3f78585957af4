#include "ServiceProcess.h"
#include "StopProcess.h"

#include "WaitUntil.h"

ServiceProcess::ServiceProcess(QString program, QStringList arguments)
    : m_program(std::move(program)), m_arguments(std::move(arguments))
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ServiceProcess::~ServiceProcess()
{
    stop();
}

bool ServiceProcess::start()
{
    m_lines.clear();
    m_process.start(m_program, m_arguments);
    if (!m_process.waitForStarted(10000)) {
        return false;
    }
    return WaitUntil([this] {
               return lines().contains(QStringLiteral("ready")) || m_process.state() == QProcess::NotRunning;
           }) &&
           lines().contains(QStringLiteral("ready"));
}

bool ServiceProcess::send(const QByteArray& command)
{
    m_process.write(command + '\n');
    const QString acknowledgement = QStringLiteral("ok ") + QString::fromUtf8(command);
    return WaitUntil([&] { return lines().contains(acknowledgement); });
}

void ServiceProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    // The end of its input ends it normally; a signal only if it hangs.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10000)) {
        StopProcess(m_process);
    }
}

void ServiceProcess::drain()
{
    while (m_process.canReadLine()) {
        m_lines.append(QString::fromUtf8(m_process.readLine()).trimmed());
    }
}

QStringList ServiceProcess::lines()
{
    drain();
    return m_lines;
}

QStringList ServiceProcess::linesStartingWith(const QString& prefix)
{
    QStringList found;
    for (const QString& line : lines()) {
        if (line.startsWith(prefix)) {
            found.append(line);
        }
    }
    return found;
}
