#include "FakeHelperProcess.h"
#include "StopProcess.h"

#include "WaitUntil.h"

FakeHelperProcess::FakeHelperProcess(QString program) : m_program(std::move(program))
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

FakeHelperProcess::~FakeHelperProcess()
{
    kill();
}

bool FakeHelperProcess::start(bool connected, const QStringList& options)
{
    m_lines.clear();
    QStringList arguments{QStringLiteral("helper")};
    if (connected) {
        arguments.append(QStringLiteral("--connected"));
    }
    arguments.append(options);
    m_process.start(m_program, arguments);
    if (!m_process.waitForStarted(10000)) {
        return false;
    }
    return WaitUntil([this] {
        drain();
        return m_lines.contains(QStringLiteral("ready"));
    });
}

bool FakeHelperProcess::send(const QByteArray& command)
{
    m_process.write(command + '\n');
    const QString acknowledgement = QStringLiteral("ok ") + QString::fromUtf8(command);
    return WaitUntil([&] {
        drain();
        return m_lines.contains(acknowledgement);
    });
}

void FakeHelperProcess::kill()
{
    StopProcess(m_process);
}

void FakeHelperProcess::drain()
{
    while (m_process.canReadLine()) {
        m_lines.append(QString::fromUtf8(m_process.readLine()).trimmed());
    }
}

QStringList FakeHelperProcess::lines()
{
    drain();
    return m_lines;
}

QStringList FakeHelperProcess::calls()
{
    drain();
    QStringList names;
    for (const QString& line : m_lines) {
        if (line.startsWith(QLatin1String("call "))) {
            names.append(line.mid(5));
        }
    }
    return names;
}
