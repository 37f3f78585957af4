// The log's file side as the log module names it: each call goes to the
// one VLogFile of the handle's path, which holds everything the file side
// keeps between lines (VLogFile.h).

#include "VLogFile.h"
#include "vlog.h"

namespace {

VLogFile::LineLock LineLockOf(const LogStruct& log)
{
    return VLogFile::LineLock{log.debugFlags == 0, log.lock};
}

} // namespace

void LogFileRollover(LogStruct* log, bool force)
{
    if (log == nullptr) {
        return;
    }
    VLogFile::ForPath(log->path)->rollOver(force);
}

void LogMsgWrite(LogStruct* log, const std::string& line)
{
    if (log == nullptr) {
        return;
    }
    VLogFile::ForPath(log->path)->writeLine(line, LineLockOf(*log), false);
}

void LogRolloverAndWrite(LogStruct* log, const std::string& line)
{
    if (log == nullptr) {
        return;
    }
    VLogFile::ForPath(log->path)->writeLine(line, LineLockOf(*log), true);
}
