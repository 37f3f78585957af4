#include "AgentHelperProxy.h"

#include "RemoteObjectProxy.h"
#include "VoraDBusNames.h"
#include "XPCConnection.h"

#include <QDBusMessage>

AgentHelperProtocol::~AgentHelperProtocol() = default;

AgentHelperProxy::AgentHelperProxy(std::shared_ptr<RemoteObjectProxy> proxy) : m_proxy(std::move(proxy)) {}

std::unique_ptr<XPCConnection> AgentHelperProxy::makeConnection()
{
    return std::make_unique<XPCConnection>(XPCConnection::Endpoint{QString::fromLatin1(kHelperService),
                                                                   QString::fromLatin1(kHelperPath),
                                                                   QString::fromLatin1(kHelperInterface)},
                                           XPCConnection::Privileged);
}

void AgentHelperProxy::restartAgent()
{
    m_proxy->call(QString::fromLatin1(kHelperRestartAgent), {}, nullptr, kAuthorizedCallTimeout);
}

void AgentHelperProxy::runInventory()
{
    m_proxy->call(QString::fromLatin1(kHelperRunInventory), {}, nullptr, kAuthorizedCallTimeout);
}

void AgentHelperProxy::getConnectedStatus(std::function<void(bool connected)> reply)
{
    m_proxy->call(QString::fromLatin1(kHelperGetConnectedStatus), {},
                  [reply = std::move(reply)](const QDBusMessage& message) {
                      const QVariantList arguments = message.arguments();
                      reply(!arguments.isEmpty() && arguments.first().toBool());
                  });
}
