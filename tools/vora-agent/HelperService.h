#pragma once

#include "PolkitAuthorization.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>

// The agent's privileged helper as a stand-in: answers the three methods
// of com.orvel.vora.AgentHelperProtocol, prints "call NAME" for each call
// it carries out, and posts the agent's notification after a restart or an
// inventory run. RestartAgent and RunInventory run only when polkit
// authorizes the caller; otherwise the caller gets
// org.freedesktop.DBus.Error.AccessDenied (polkit said no) or
// com.orvel.vora.Error.AuthorizationUnavailable (no authority could be
// asked) or com.orvel.vora.Error.AuthorizationPending (the caller's user
// already waits for an authorization, see PolkitAuthorization) and the
// helper prints "refused NAME from CALLER: REASON".
// GetConnectedStatus is open to all.
//
// The bus sees it through HelperAdaptor, generated from
// dbus/com.orvel.vora.AgentHelperProtocol.xml: the interface is the one
// the XML declares, and a method missing here does not build.
class HelperService final : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    HelperService();

    // Owns the helper's name on the system bus; false when it cannot.
    bool publish();

    void setConnected(bool connected) { m_connected = connected; }
    // Replies wait this long; a negative delay never replies.
    void setReplyDelayMs(int delay) { m_replyDelayMs = delay; }
    // Without authorization every caller may run every command (test rigs).
    void setAuthorizationRequired(bool required) { m_authorizationRequired = required; }

public Q_SLOTS:
    void RestartAgent();
    void RunInventory();
    bool GetConnectedStatus();

private:
    struct Command
    {
        const char* method;
        const char* action;
        const char* notification;
        const char* refusal;
        const char* unchecked;
    };

    void runAuthorized(const Command& command);
    void carryOut(const Command& command, const QDBusMessage& request);
    static QDBusMessage refusalOf(const Command& command, const QDBusMessage& request,
                                  const PolkitAuthorization::Verdict& verdict);
    void answer(const QDBusMessage& reply);

    PolkitAuthorization m_authorization;
    bool m_authorizationRequired = true;
    bool m_connected = false;
    int m_replyDelayMs = 0;
};
