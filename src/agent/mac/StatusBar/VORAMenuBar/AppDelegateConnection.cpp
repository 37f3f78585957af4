// AppDelegate: the connection to the agent's privileged helper, its
// failure handlers and the status refresh. Handlers and replies arrive on
// the event loop and hop once more onto the main queue before they touch
// the status item, so the order of updates is the order of arrival.
#include "AppDelegate.h"

#include "AgentHelperProxy.h"
#include "MainQueue.h"
#include "RemoteObjectProxy.h"
#include "VoraDBusNames.h"
#include "XPCConnection.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusServiceWatcher>

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

// The handlers act on the connection they were installed on only: one that
// was replaced meanwhile (a helper that returned) is no concern of theirs.
void AppDelegate::installConnectionHandlers()
{
    QPointer<AppDelegate> self(this);
    const quint64 connection = ++m_connectionsMade;
    m_xpcConnection->setInterruptionHandler([self, connection] {
        qInfo("Connection interrupted");
        DispatchAsyncMain([self, connection] {
            if (!self || self->m_connectionsMade != connection) {
                return;
            }
            self->showConnectionFailure(self->m_helperConnectionInterruptedString);
            if (self->m_xpcConnection) {
                self->m_xpcConnection->invalidate();
            }
        });
    });
    m_xpcConnection->setInvalidationHandler([self, connection] {
        qInfo("Connection invalidated");
        DispatchAsyncMain([self, connection] {
            if (!self || self->m_connectionsMade != connection) {
                return;
            }
            self->showConnectionFailure(self->m_helperConnectionInvalidatedString);
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
    // The helper answered with a refusal: not a broken connection. It
    // stays in the status line until the next reply.
    if (error.type() == QDBusError::AccessDenied) {
        qInfo("The helper refused the call: %s", qUtf8Printable(error.message()));
        showRefusal(m_helperAccessDeniedString);
        return;
    }
    if (error.name() == QLatin1String(kHelperAuthorizationUnavailable)) {
        qInfo("The helper could not check the permission: %s", qUtf8Printable(error.message()));
        showRefusal(m_helperAuthorizationUnavailableString);
        return;
    }
    showConnectionFailure(m_helperXPCErrorString);
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

// A refusal is the answer to a command the user has just chosen: the state
// asked for together with the command must not hide it, whichever of the two
// answers comes first. It stays until the answer to a later question.
void AppDelegate::showRefusal(const QString& title)
{
    m_connectionFailureShown = false; // a helper that refuses is there
    showFailure(title);
    m_lastQueryBeforeRefusal = m_statusQueries;
}

void AppDelegate::updateConnectedStatus()
{
    const std::shared_ptr<AgentHelperProtocol> service = getAgentService();
    if (!service) {
        return;
    }
    QPointer<AppDelegate> self(this);
    const quint64 query = ++m_statusQueries;
    service->getConnectedStatus([self, query](bool connected) {
        DispatchAsyncMain([self, query, connected] {
            qInfo("Agent is %s", connected ? "CONNECTED" : "NOT CONNECTED");
            if (!self || query <= self->m_lastQueryBeforeRefusal) {
                return;
            }
            self->m_connectionFailureShown = false;
            self->showStatus(connected ? self->m_connectedIcon : self->m_disconnectedIcon,
                             connected ? self->m_connectedString : self->m_disconnectedString,
                             connected ? self->m_connectedToolTip : self->m_disconnectedToolTip);
        });
    });
}

// Sent without waiting for the reply; a refusal or a failure reaches the
// error handler.
void AppDelegate::sendCommand(void (AgentHelperProtocol::*command)())
{
    if (const std::shared_ptr<AgentHelperProtocol> service = getAgentService()) {
        ((*service).*command)();
    }
}

// The helper's name on the system bus. A helper that leaves is shown at
// once by the connection's interruption; one that appears (restarted, or
// started after the tray) is asked for the state at once instead of at the
// next refresh.
void AppDelegate::watchHelperName()
{
    if (m_helperNameWatch != nullptr) {
        return;
    }
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qInfo("No system bus: a helper that starts is seen at the next refresh only");
        return;
    }
    m_helperNameWatch = new QDBusServiceWatcher(QString::fromLatin1(kHelperService), bus,
                                                QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_helperNameWatch, &QDBusServiceWatcher::serviceRegistered, this, &AppDelegate::helperAppeared);
}

// A stored proxy whose connection is gone would only fail once more: the
// new helper gets a new connection and proxy, as at start-up. A connection
// that is invalid but not yet cleared (its invalidation still on its way)
// is dropped here.
void AppDelegate::helperAppeared()
{
    qInfo("The agent helper appeared on the system bus: refreshing the state");
    if (m_xpcConnection && !m_xpcConnection->isValid()) {
        m_xpcConnection.reset();
    }
    if (!m_xpcConnection) {
        m_agentService.reset();
        m_agentService = getAgentService();
    }
    updateConnectedStatus();
}
