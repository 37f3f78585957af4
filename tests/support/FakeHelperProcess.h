#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the agent stand-in's helper ("vora-agent helper") and talks to it
// through its standard streams.
class FakeHelperProcess final
{
public:
    explicit FakeHelperProcess(QString program);
    ~FakeHelperProcess();
    FakeHelperProcess(const FakeHelperProcess&) = delete;
    FakeHelperProcess& operator=(const FakeHelperProcess&) = delete;

    // Starts it and waits until it owns the helper's name.
    bool start(bool connected);
    // Sends one command line and waits for its acknowledgement.
    bool send(const QByteArray& command);
    void kill();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // Names of the calls received so far ("GetConnectedStatus", ...).
    QStringList calls();
    int callCount(const QString& call) { return static_cast<int>(calls().count(call)); }

private:
    void drain();

    QString m_program;
    QProcess m_process;
    QStringList m_lines;
};
