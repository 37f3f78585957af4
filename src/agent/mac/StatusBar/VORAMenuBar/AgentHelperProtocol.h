#pragma once

#include <functional>

// What the agent's privileged helper answers. Messages are asynchronous;
// failures go to the error handler of the proxy that sent them.
class AgentHelperProtocol
{
public:
    virtual ~AgentHelperProtocol();

    // Commands have no answer; a refusal or any other failure goes to the
    // error handler.
    virtual void restartAgent() = 0;
    virtual void runInventory() = 0;
    // `reply` receives true when the agent is connected to its server.
    virtual void getConnectedStatus(std::function<void(bool connected)> reply) = 0;
};
