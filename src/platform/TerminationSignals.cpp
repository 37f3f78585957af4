#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

void OnSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    (void)!::write(g_pipe[1], &byte, 1);
    errno = saved;
}

const char* SignalName(int number)
{
    switch (number) {
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGINT:
        return "SIGINT";
    default:
        return "a signal";
    }
}

} // namespace

void TerminationSignals::Install()
{
    if (g_pipe[0] >= 0) {
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        std::fprintf(stderr, "cannot watch for termination signals: %s\n", std::strerror(errno));
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

TerminationSignals::TerminationSignals(Handler handler) : m_handler(std::move(handler))
{
    Install();
    if (g_pipe[0] < 0) {
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::readSignal()
{
    unsigned char byte = 0;
    if (::read(g_pipe[0], &byte, 1) == 1 && m_handler) {
        m_handler(SignalName(byte));
    }
}
