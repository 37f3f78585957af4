#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <functional>

// Standard input of a fake service, one command a line: each line goes to
// the handler, whose true is acknowledged with "ok LINE" (false: "unknown
// LINE"); the end of the input ends the program normally, so sanitizers
// get to run their exit checks.
class ConsoleInput final : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<bool(const QByteArray& verb, const QByteArray& argument)>;

    explicit ConsoleInput(Handler handler);

private:
    void readInput();

    Handler m_handler;
    QSocketNotifier m_input;
    QByteArray m_pending;
};

// Prints one line on standard output at once.
void SayLine(const QByteArray& line);
