#pragma once

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>

// The helper's object: answers the three methods, prints each call on
// standard output and posts the agent's notifications after a command.
class FakeHelperObject final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.orvel.vora.AgentHelperProtocol")

public:
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
