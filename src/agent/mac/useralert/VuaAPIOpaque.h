#pragma once

#include "AgentConfig.h"
#include "VUAConfig.h"
#include "VUAMarkerMgr.h"
#include "vlog.h"

struct vcrash_proc_obj_s;

// The facade's state record. The agent configuration logs through this
// record's own log handle.
struct VuaAPIOpaque final
{
    VuaAPIOpaque();
    ~VuaAPIOpaque();
    VuaAPIOpaque(const VuaAPIOpaque&) = delete;
    VuaAPIOpaque& operator=(const VuaAPIOpaque&) = delete;

    VUAConfig config;
    VUAMarkerMgr markerMgr;
    vcrash_proc_obj_s* crashProc = nullptr; // no crash-report hook is registered
    LogStruct log;
    AgentConfig agentConfig;
};
