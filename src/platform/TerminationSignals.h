#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a call on the main thread: the
// handler only writes the signal number into a pipe, a socket notifier reads
// it in the main loop. Restores the previous dispositions when destroyed.
class TerminationSignals final : public QObject
{
public:
    using Handler = std::function<void(const char* signalName)>;

    explicit TerminationSignals(Handler handler);
    ~TerminationSignals() override;

private:
    void readSignal();

    Handler m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
