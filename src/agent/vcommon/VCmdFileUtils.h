#pragma once

#include <string>

// File utilities of the agent's command layer; of its members only the
// existence test is needed by the programs built here.
class VCmdFileUtils
{
public:
    virtual ~VCmdFileUtils();

    // True when stat() succeeds on the path (links followed, directories count).
    static bool file_exists(const std::string& path);
};
