#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>

// The agent's privileged helper as a stand-in: answers the three methods
// of com.orvel.vora.AgentHelperProtocol, prints "call NAME" for each call,
// and posts the agent's notification after a restart or an inventory run.
class HelperService final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.orvel.vora.AgentHelperProtocol")

public:
    // Owns the helper's name on the system bus; false when it cannot.
    bool publish();

    void setConnected(bool connected) { m_connected = connected; }
    // Replies wait this long; a negative delay never replies.
    void setReplyDelayMs(int delay) { m_replyDelayMs = delay; }

public Q_SLOTS:
    Q_SCRIPTABLE void RestartAgent();
    Q_SCRIPTABLE void RunInventory();
    Q_SCRIPTABLE bool GetConnectedStatus();

private:
    void answerLater(const QDBusMessage& reply);

    bool m_connected = false;
    int m_replyDelayMs = 0;
};
