#pragma once

#include <QString>

// Keeps a program to one instance per session: owns a well-known name on
// the session bus for the life of the object. The bus daemon gives the
// name up as soon as the owner's connection closes, so a crashed or killed
// instance never blocks the next start.
class SingleInstance final
{
public:
    enum class State
    {
        Claimed,        // this process owns the name
        AlreadyRunning, // another connection owns it
        Unchecked,      // no session bus, or the bus refused: logged
    };

    explicit SingleInstance(QString name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    State state() const { return m_state; }
    // The unique bus name of the running instance, when AlreadyRunning.
    const QString& runningOwner() const { return m_runningOwner; }

private:
    QString m_name;
    State m_state = State::Unchecked;
    QString m_runningOwner;
};
