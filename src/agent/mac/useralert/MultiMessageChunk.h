#pragma once

#include <cstdint>
#include <string>

// One page of a multi-page message, as parsed from the command line.
struct MultiMessageChunk
{
    std::string packageName;
    std::string message;
    int32_t chunkId = 0;
    int32_t timeOutSecs = 0; // the option gives minutes
    bool timedOut = false;
};
