#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

class HelperService;

// Lets whoever runs the helper change it while it runs, one command per
// line on standard input:
//   connected true|false   what GetConnectedStatus answers
//   delay MS               replies wait MS milliseconds; -1 never replies
//   post restart|inventory|NAME   posts a notification
//   crash                  ends abnormally (a helper that dies)
//   quit                   ends normally (as does the end of the input)
// Every command is acknowledged with "ok COMMAND".
class HelperConsole final : public QObject
{
    Q_OBJECT

public:
    explicit HelperConsole(HelperService& service);

private:
    void readInput();
    void obey(const QByteArray& line);

    HelperService& m_service;
    QSocketNotifier m_input;
    QByteArray m_pending;
};
