// AppDelegate: the connection to the agent's privileged helper, its
// failure handlers and the status refresh. Handlers and replies arrive on
// the event loop and hop once more onto the main queue before they touch
// the status item, so the order of updates is the order of arrival.
#include "AppDelegate.h"

#include "AgentHelperProxy.h"
#include "MainQueue.h"
#include "RemoteObjectProxy.h"
#include "XPCConnection.h"

#include <QAction>
#include <QDBusError>

#include <cstdio>

XPCConnection* AppDelegate::getXPCConnection()
{
    if (!m_xpcConnection) {
        m_xpcConnection = AgentHelperProxy::makeConnection();
        m_xpcConnection->resume();
        installConnectionHandlers();
    }
    return m_xpcConnection.get();
}

void AppDelegate::installConnectionHandlers()
{
    QPointer<AppDelegate> self(this);
    m_xpcConnection->setInterruptionHandler([self] {
        qInfo("Connection interrupted");
        DispatchAsyncMain([self] {
            if (!self) {
                return;
            }
            self->showStatus(self->m_icon, self->m_helperConnectionInterruptedString);
            if (self->m_xpcConnection) {
                self->m_xpcConnection->invalidate();
            }
        });
    });
    m_xpcConnection->setInvalidationHandler([self] {
        qInfo("Connection invalidated");
        DispatchAsyncMain([self] {
            if (!self) {
                return;
            }
            self->showStatus(self->m_icon, self->m_helperConnectionInvalidatedString);
            if (self->m_xpcConnection) {
                self->m_xpcConnection->invalidate();
            }
            self->m_xpcConnection.reset();
        });
    });
}

void AppDelegate::handleXPCError(const QDBusError& error)
{
    std::printf("xpcErrorHandler called\n");
    std::fflush(stdout);
    if (error.type() == QDBusError::AccessDenied) {
        // The helper answered: a refusal, not a broken connection. It
        // stays in the status line until the next refresh.
        qInfo("The helper refused the call: %s", qUtf8Printable(error.message()));
        showStatus(m_icon, m_helperAccessDeniedString);
        return;
    }
    showStatus(m_icon, m_helperXPCErrorString);
    m_agentService.reset();
    if (XPCConnection* connection = getXPCConnection()) {
        connection->invalidate();
    }
}

std::shared_ptr<AgentHelperProtocol> AppDelegate::getAgentService()
{
    if (m_agentService) {
        return m_agentService;
    }
    qInfo("Initializing agentService");
    QPointer<AppDelegate> self(this);
    m_xpcErrorHandler = [self](const QDBusError& error) {
        DispatchAsyncMain([self, error] {
            if (self) {
                self->handleXPCError(error);
            }
        });
    };
    XPCConnection* connection = getXPCConnection();
    std::shared_ptr<RemoteObjectProxy> proxy =
        connection != nullptr ? connection->remoteObjectProxyWithErrorHandler(m_xpcErrorHandler) : nullptr;
    if (!proxy) {
        qInfo("Unable to set up XPC connection to %s",
              m_xpcConnection ? qUtf8Printable(m_xpcConnection->description()) : "(null)");
        return nullptr;
    }
    return std::make_shared<AgentHelperProxy>(std::move(proxy));
}

void AppDelegate::updateConnectedStatus()
{
    const std::shared_ptr<AgentHelperProtocol> service = getAgentService();
    if (!service) {
        return;
    }
    QPointer<AppDelegate> self(this);
    service->getConnectedStatus([self](bool connected) {
        DispatchAsyncMain([self, connected] {
            qInfo("Agent is %s", connected ? "CONNECTED" : "NOT CONNECTED");
            if (!self) {
                return;
            }
            self->showStatus(connected ? self->m_connectedIcon : self->m_disconnectedIcon,
                             connected ? self->m_connectedString : self->m_disconnectedString);
        });
    });
}

// The state is refreshed once the helper has carried the command out, so
// a refusal, which arrives instead, is what the status line shows last.
void AppDelegate::sendCommand(void (AgentHelperProtocol::*command)(std::function<void()> done))
{
    const std::shared_ptr<AgentHelperProtocol> service = getAgentService();
    if (!service) {
        return;
    }
    QPointer<AppDelegate> self(this);
    ((*service).*command)([self] {
        DispatchAsyncMain([self] {
            if (self) {
                self->updateConnectedStatus();
            }
        });
    });
}
