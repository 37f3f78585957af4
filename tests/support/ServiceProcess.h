#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs one of the fake services (fake-polkit-authority, fake-logind) and
// talks to it through its standard streams: it prints "ready" once it owns
// its name, acknowledges each command line with "ok COMMAND" and ends at
// the end of its input, which is how it is stopped.
class ServiceProcess final
{
public:
    ServiceProcess(QString program, QStringList arguments);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts it and waits until it is ready.
    bool start();
    bool send(const QByteArray& command);
    void stop();

    // Every line it has printed so far.
    QStringList lines();
    QStringList linesStartingWith(const QString& prefix);

private:
    void drain();

    QString m_program;
    QStringList m_arguments;
    QProcess m_process;
    QStringList m_lines;
};
