#pragma once

#include "AgentHelperProtocol.h"

#include <memory>

class RemoteObjectProxy;
class XPCConnection;

// AgentHelperProtocol over the helper's D-Bus interface.
class AgentHelperProxy final : public AgentHelperProtocol
{
public:
    explicit AgentHelperProxy(std::shared_ptr<RemoteObjectProxy> proxy);

    void restartAgent(std::function<void()> done) override;
    void runInventory(std::function<void()> done) override;
    void getConnectedStatus(std::function<void(bool connected)> reply) override;

    // A connection to the helper's well-known name, object and interface.
    static std::unique_ptr<XPCConnection> makeConnection();

private:
    std::shared_ptr<RemoteObjectProxy> m_proxy;
};
