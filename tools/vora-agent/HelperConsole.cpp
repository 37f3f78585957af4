#include "HelperConsole.h"

#include "HelperService.h"
#include "NotifyCenter.h"
#include "VoraDBusNames.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

QString NotificationName(const QByteArray& argument)
{
    if (argument == "restart") {
        return QString::fromLatin1(kAgentWasRestarted);
    }
    if (argument == "inventory") {
        return QString::fromLatin1(kAgentInventoryWasRun);
    }
    return QString::fromUtf8(argument);
}

} // namespace

HelperConsole::HelperConsole(HelperService& service)
    : m_service(service), m_input(STDIN_FILENO, QSocketNotifier::Read)
{
    connect(&m_input, &QSocketNotifier::activated, this, &HelperConsole::readInput);
}

void HelperConsole::readInput()
{
    char chunk[512];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got <= 0) {
        m_input.setEnabled(false);
        QCoreApplication::quit();
        return;
    }
    m_pending.append(chunk, got);
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        if (!line.isEmpty()) {
            obey(line);
        }
    }
}

void HelperConsole::obey(const QByteArray& line)
{
    const qsizetype blank = line.indexOf(' ');
    const QByteArray verb = blank < 0 ? line : line.left(blank);
    const QByteArray argument = blank < 0 ? QByteArray() : line.mid(blank + 1).trimmed();
    if (verb == "connected") {
        m_service.setConnected(argument == "true" || argument == "yes" || argument == "1");
    } else if (verb == "delay") {
        m_service.setReplyDelayMs(argument.toInt());
    } else if (verb == "post") {
        NotifyCenter::darwinNotifyCenter()->postNotification(NotificationName(argument), nullptr, nullptr,
                                                             true);
    } else if (verb == "crash") {
        std::abort();
    } else if (verb == "quit") {
        QCoreApplication::quit();
    } else {
        std::printf("unknown %s\n", line.constData());
        std::fflush(stdout);
        return;
    }
    std::printf("ok %s\n", line.constData());
    std::fflush(stdout);
}
