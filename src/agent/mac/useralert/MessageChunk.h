#pragma once

#include <QString>

// One page of a multi-page message as the dialog shows it; the controller
// marks it timed out when its page time-out fires.
class MessageChunk final
{
public:
    MessageChunk() = default;
    MessageChunk(const QString& packageName, const QString& message, int chunkId, double timeOutSecs,
                 bool timedOut);

    const QString& packageName() const { return m_packageName; }
    void setPackageName(const QString& packageName) { m_packageName = packageName; }
    const QString& message() const { return m_message; }
    void setMessage(const QString& message) { m_message = message; }
    int chunkId() const { return m_chunkId; }
    void setChunkId(int chunkId) { m_chunkId = chunkId; }
    double timeOutSecs() const { return m_timeOutSecs; }
    void setTimeOutSecs(double timeOutSecs) { m_timeOutSecs = timeOutSecs; }
    bool isTimedOut() const { return m_timedOut; }
    void setTimedOut(bool timedOut) { m_timedOut = timedOut; }

private:
    QString m_packageName;
    QString m_message;
    int m_chunkId = 0;
    double m_timeOutSecs = 0;
    bool m_timedOut = false;
};
