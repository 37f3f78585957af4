#include "vlog.h"

#include "util.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

int32_t LOG_MAX_SIZE = 4194304;
int32_t LOG_MAX_FILES = 5;

namespace {

// A message is cut at 2047 characters; it is formatted and masked whole up
// to a much larger bound first, so that cutting never splits a credential
// before it is recognised.
constexpr size_t kMessageLimit = 2047;
constexpr size_t kFormatLimit = 1024 * 1024;
constexpr size_t kTagWidth = 32;
constexpr int kDebugBits = LOG_DEBUG | LOG_DETAIL | LOG_EVENTS | LOG_PAYLOAD;

// Copies at most size - 1 characters and always terminates.
void CopyBounded(char* target, size_t size, const char* source)
{
    const size_t length = strnlen(source, size - 1);
    std::memcpy(target, source, length);
    target[length] = '\0';
}

std::string FormatMessage(const char* format, va_list args)
{
    char small[kMessageLimit + 1];
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(small, sizeof small, format != nullptr ? format : "", args);
    std::string message;
    if (needed < 0) {
        // nothing: an unformattable message logs as empty
    } else if (static_cast<size_t>(needed) < sizeof small) {
        message.assign(small, static_cast<size_t>(needed));
    } else {
        message.resize(std::min(static_cast<size_t>(needed), kFormatLimit) + 1);
        std::vsnprintf(&message[0], message.size(), format, again);
        message.pop_back();
    }
    va_end(again);
    return message;
}

// After a cut, a credential whose "@" fell past it must not leave its start
// in clear: every "//" followed by a ":" with no "@" anywhere after it loses
// what follows the ":" up to the next "//".
//   "... smb://bob:Secr" (cut) -> "... smb://bob:xxxxxx"
std::string MaskCutCredential(const std::string& text)
{
    std::string out;
    size_t from = 0;
    for (size_t slashes = text.find("//"); slashes != std::string::npos;) {
        const size_t next = text.find("//", slashes + 2);
        const size_t colon = text.find(':', slashes + 2);
        const bool inSegment = colon != std::string::npos && (next == std::string::npos || colon < next);
        if (inSegment && text.find('@', colon) == std::string::npos) {
            out.append(text, from, colon - from);
            out += ":xxxxxx";
            from = next == std::string::npos ? text.size() : next;
        }
        slashes = next;
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string CutMessage(std::string line, size_t prefixLength, bool wasCut)
{
    if (line.size() > prefixLength + kMessageLimit) {
        line.resize(prefixLength + kMessageLimit);
        wasCut = true;
    }
    return wasCut ? MaskCutCredential(line) : line;
}

bool PassesDebugFilter(const LogStruct& log, int flags)
{
    if ((flags & kDebugBits) == 0) {
        return true;
    }
    if ((flags & LOG_DEBUG) != 0 && log.debug) {
        return true;
    }
    return (static_cast<uint32_t>(flags) & log.debugFlags & LOG_CATEGORIES) != 0;
}

std::string TimeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[25];
    if (std::strftime(stamp, sizeof stamp, "%Y-%m-%d.%H:%M:%S", &local) == 0) {
        stamp[0] = '\0';
    }
    return stamp;
}

// "<name>:<function>" (no ":" for an empty name), cut or padded to 32.
std::string Tag(const LogStruct& log, const char* function)
{
    std::string tag(log.name);
    if (!tag.empty()) {
        tag += ':';
    }
    tag += function != nullptr ? function : "";
    tag.resize(kTagWidth, ' ');
    return tag;
}

} // namespace

void LogInitEx(LogStruct* log, const char* path, const char* name, bool debug, uint32_t debugFlags)
{
    if (log == nullptr) {
        return;
    }
    log->ready = true;
    log->debug = debug;
    log->debugFlags = debugFlags;
    CopyBounded(log->name, sizeof log->name, name != nullptr ? name : "");

    if (path != nullptr) {
        CopyBounded(log->path, sizeof log->path, path);
    } else {
        const UniqueCString userDir(GetUserDataPath());
        const std::string defaultPath = std::string(userDir ? userDir.get() : "") + kLogFileName;
        CopyBounded(log->path, sizeof log->path, defaultPath.c_str());
    }
    ExpandFilePath(log->path, sizeof log->path - 1);

    // An unlocked handle gets its lock once; initialising it again (as the
    // dialog does after reading the configuration) keeps that lock.
    if (debugFlags == 0 && log->lock == nullptr) {
        log->lock = CreateLock("VAgentLogLock");
        if (log->lock == nullptr) {
            log->ready = false;
        }
    }
}

void LogMsgEx(LogStruct* log, int flags, uint32_t /*reserved*/, const char* function, const char* format, ...)
{
    if (log == nullptr) {
        return;
    }
    if (!log->ready) {
        LogInitEx(log, nullptr, "(unknown)", log->debug, 0);
    }
    if (!PassesDebugFilter(*log, flags)) {
        return;
    }
    // A line for no destination would be formatted and dropped: the
    // dialog's own debug lines (flags 4) cost nothing this way.
    if ((flags & (LOG_FILE | LOG_CONSOLE)) == 0) {
        return;
    }

    va_list args;
    va_start(args, format);
    const std::string message = FormatMessage(format, args);
    va_end(args);

    std::string line;
    line.reserve(64 + message.size());
    line += '[';
    line += TimeStamp();
    line += "][";
    line += Tag(*log, function);
    line += "] ";
    const size_t prefixLength = line.size();
    line += message;
    // Masked first, then cut: a credential whose end lies past the cut is
    // still recognised whole.
    line = CutMessage(ScrubSMBPasswords(std::move(line)), prefixLength, message.size() > kMessageLimit);
    line += '\n';

    if ((flags & LOG_CONSOLE) != 0 && (log->debugFlags & LOG_NO_CONSOLE) == 0) {
        std::printf("%s", line.c_str());
        std::fflush(stdout);
    }
    if ((flags & LOG_FILE) != 0 && log->ready) {
        LogRolloverAndWrite(log, line);
    }
}
