#pragma once

#include <functional>

// What the agent's privileged helper answers. Messages are asynchronous;
// failures go to the error handler of the proxy that sent them.
class AgentHelperProtocol
{
public:
    virtual ~AgentHelperProtocol();

    // `done` runs once the helper has carried the command out; a refusal
    // or any other failure goes to the error handler instead.
    virtual void restartAgent(std::function<void()> done) = 0;
    virtual void runInventory(std::function<void()> done) = 0;
    // `reply` receives true when the agent is connected to its server.
    virtual void getConnectedStatus(std::function<void(bool connected)> reply) = 0;
};
