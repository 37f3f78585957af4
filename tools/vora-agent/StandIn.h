#pragma once

#include <QStringList>

// The agent's stand-in: every way the agent meets VUserAlert and
// VORAMenuBar, as one command-line program (see usage()).
class StandIn final
{
public:
    explicit StandIn(QStringList arguments);

    // The process exit status.
    int run();
    static QString usage();

private:
    int dialog(QStringList options);
    int steer(QStringList options);
    int answer(QStringList options);
    int helper(const QStringList& options);
    int writeConfig(const QStringList& entries);
    int post(const QStringList& names);
    int suffix(QStringList options);
    int prepare();
    int encode(const QStringList& values);
    QString userAlertProgram() const;

    QStringList m_arguments;
};
