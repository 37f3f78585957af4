#include "ConsoleInput.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

void SayLine(const QByteArray& line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

ConsoleInput::ConsoleInput(Handler handler)
    : m_handler(std::move(handler)), m_input(STDIN_FILENO, QSocketNotifier::Read)
{
    connect(&m_input, &QSocketNotifier::activated, this, &ConsoleInput::readInput);
}

void ConsoleInput::readInput()
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
        if (line.isEmpty()) {
            continue;
        }
        const qsizetype blank = line.indexOf(' ');
        const bool known = m_handler(blank < 0 ? line : line.left(blank),
                                     blank < 0 ? QByteArray() : line.mid(blank + 1).trimmed());
        SayLine((known ? "ok " : "unknown ") + line);
    }
}
