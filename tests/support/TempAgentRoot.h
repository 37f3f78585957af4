#pragma once

#include "ScopedEnv.h"

#include <string>

// A fresh agent root below /tmp for one test: VORA_AGENT_ROOT points at it
// and VEJBINSTANCE is cleared while the object lives; the whole tree is
// removed afterwards.
class TempAgentRoot final
{
public:
    TempAgentRoot();
    ~TempAgentRoot();
    TempAgentRoot(const TempAgentRoot&) = delete;
    TempAgentRoot& operator=(const TempAgentRoot&) = delete;

    const std::string& root() const { return m_root; }
    std::string dataDir() const;    // ends in "/"
    std::string userDir() const;    // ends in "/"
    std::string installDir() const; // ends in "/"

    // Writes "arn.conf" into the data directory (creating it).
    void writeConfig(const std::string& content) const;

private:
    std::string m_root;
    ScopedEnv m_rootVariable;
    ScopedEnv m_instanceVariable;
};

// Removes a file or a whole directory tree; missing paths are fine.
void RemoveTree(const std::string& path);
