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
    // For a helper on another bus than this process's (DBUS_SYSTEM_BUS_ADDRESS).
    void setEnvironment(const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
    }
    // Its standard error among lines() instead of on the test's own.
    void mergeErrors() { m_process.setProcessChannelMode(QProcess::MergedChannels); }
    ~FakeHelperProcess();
    FakeHelperProcess(const FakeHelperProcess&) = delete;
    FakeHelperProcess& operator=(const FakeHelperProcess&) = delete;

    // Starts it and waits until it owns the helper's name; `options` go to
    // "vora-agent helper" as well ("--no-authorization").
    bool start(bool connected, const QStringList& options = {});
    // Sends one command line and waits for its acknowledgement.
    bool send(const QByteArray& command);
    void kill();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    // Names of the calls received so far ("GetConnectedStatus", ...).
    QStringList calls();
    int callCount(const QString& call) { return static_cast<int>(calls().count(call)); }
    // Every line it has printed so far ("refused RestartAgent from :1.4: ...").
    QStringList lines();

private:
    void drain();

    QString m_program;
    QProcess m_process;
    QStringList m_lines;
};
