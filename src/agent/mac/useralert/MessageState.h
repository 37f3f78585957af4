#pragma once

#include <QString>

// A pending message update read from the agent's MESG marker.
class MessageState final
{
public:
    MessageState(const QString& message, bool append);

    const QString& message() const { return m_message; }
    void setMessage(const QString& message) { m_message = message; }
    bool isAppend() const { return m_append; }
    void setAppend(bool append) { m_append = append; }

private:
    QString m_message;
    bool m_append;
};
