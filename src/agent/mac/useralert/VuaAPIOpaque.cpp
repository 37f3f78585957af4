#include "VuaAPIOpaque.h"

#include <cstring>

namespace {

LogStruct ZeroedLog()
{
    LogStruct log;
    std::memset(&log, 0, sizeof log);
    return log;
}

} // namespace

VuaAPIOpaque::VuaAPIOpaque() : log(ZeroedLog())
{
    agentConfig.log = &log;
}

// Members go in reverse order: agent configuration, log, marker manager,
// options. The log's lock is the record's to free.
VuaAPIOpaque::~VuaAPIOpaque()
{
    DestroyLock(log.lock);
}
