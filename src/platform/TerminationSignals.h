#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a call on the main thread: the
// handler only writes the signal number into a pipe, a socket notifier reads
// it in the main loop. Install() catches them from the start of the
// process; one that arrives before a watcher exists waits in the pipe. The
// signals stay caught for the life of the process (one arriving after the
// last watcher is gone changes nothing: the process ends with its own
// status), and the pipe stays open, since a handler may run at any time.
class TerminationSignals final : public QObject
{
public:
    using Handler = std::function<void(const char* signalName)>;

    static void Install();

    explicit TerminationSignals(Handler handler);
    ~TerminationSignals() override;

private:
    void readSignal();

    Handler m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
