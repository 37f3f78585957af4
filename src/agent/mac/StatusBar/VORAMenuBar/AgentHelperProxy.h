#pragma once

#include "AgentHelperProtocol.h"

#include <chrono>
#include <memory>

class RemoteObjectProxy;
class XPCConnection;

// AgentHelperProtocol over the helper's D-Bus interface.
class AgentHelperProxy final : public AgentHelperProtocol
{
public:
    explicit AgentHelperProxy(std::shared_ptr<RemoteObjectProxy> proxy);

    void restartAgent() override;
    void runInventory() override;
    void getConnectedStatus(std::function<void(bool connected)> reply) override;

    // A connection to the helper's well-known name, object and interface.
    static std::unique_ptr<XPCConnection> makeConnection();

    // The helper asks polkit before it runs a command, and polkit may wait
    // up to a minute for an administrator to type a password: the call
    // waits for that and the helper's answer. Other calls keep the
    // connection's time-out.
    static constexpr std::chrono::milliseconds kAuthorizedCallTimeout{75000};

private:
    std::shared_ptr<RemoteObjectProxy> m_proxy;
};
