#include "vlog.h"

#include "ScopedFd.h"
#include "util.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

int32_t LOG_MAX_SIZE = 4194304;
int32_t LOG_MAX_FILES = 5;

namespace {

constexpr size_t kMessageBuffer = 2048;
constexpr size_t kTagWidth = 32;
constexpr int kDebugBits = LOG_DEBUG | LOG_DETAIL | LOG_EVENTS | LOG_PAYLOAD;

// Copies at most size - 1 characters and always terminates.
void CopyBounded(char* target, size_t size, const char* source)
{
    const size_t length = strnlen(source, size - 1);
    std::memcpy(target, source, length);
    target[length] = '\0';
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

// The text before the path's first ".", skipping leading dots as strtok does:
//   "/var/log/VAgent.log" -> "/var/log/VAgent"; "..a.b" -> "a"; "..." -> none.
bool StemOf(const char* path, std::string* stem)
{
    const std::string text(path);
    const size_t begin = text.find_first_not_of('.');
    if (begin == std::string::npos) {
        return false;
    }
    const size_t end = text.find('.', begin);
    *stem = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    return true;
}

std::string NumberedPath(const std::string& stem, int number)
{
    return stem + std::to_string(number) + ".log";
}

void DeleteFile(const std::string& path)
{
    if (unlink(path.c_str()) != 0) {
        std::printf("Failed to delete file %s\n", path.c_str());
    }
}

void RenameFile(const std::string& from, const std::string& to)
{
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        std::printf("Error renaming log file %s to %s: %s (%d)\n", from.c_str(), to.c_str(),
                    std::strerror(error), error);
    }
}

int OpenForAppend(const char* path)
{
    int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EACCES) {
        sleep(1);
        fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    }
    return fd;
}

// One open, one append, one close per line, with plain system calls: the
// line goes out in one write, which O_APPEND keeps whole against the
// appends of other processes, and no stdio buffer is set up (one fstat and
// an allocation per line). A short write (a full disk) is reported like a
// failed open, with errno set: the line is lost.
bool AppendLine(const char* path, const std::string& line)
{
    ScopedFd file(OpenForAppend(path));
    if (!file.valid()) {
        return false;
    }
    size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(file.get(), line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return file.release();
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

    char message[kMessageBuffer];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(message, sizeof message, format != nullptr ? format : "", args);
    va_end(args);
    if (written < 0) {
        message[0] = '\0';
    }

    std::string line;
    line.reserve(64 + std::strlen(message));
    line += '[';
    line += TimeStamp();
    line += "][";
    line += Tag(*log, function);
    line += "] ";
    line += message;
    line += '\n';
    line = ScrubSMBPasswords(std::move(line));

    if ((flags & LOG_CONSOLE) != 0 && (log->debugFlags & LOG_NO_CONSOLE) == 0) {
        std::printf("%s", line.c_str());
        std::fflush(stdout);
    }
    if ((flags & LOG_FILE) != 0 && log->ready) {
        LogFileRollover(log, false);
        LogMsgWrite(log, line);
    }
}

namespace {

// Several processes append to one log. Without coordination two of them
// may both find it full and both shift the numbered files, the second
// renaming a fresh live file over the first one's "1": a whole file of
// history lost (about a third of all lines with eight busy writers). The
// one that rolls holds an exclusive lock on the live file; the others wait,
// then see that the path now names another file, or a small one, and leave
// it alone.
class RolloverLock final
{
public:
    explicit RolloverLock(const char* path) : m_file(::open(path, O_RDONLY | O_CLOEXEC))
    {
        if (m_file.valid()) {
            ::flock(m_file.get(), LOCK_EX);
        }
    }
    ~RolloverLock()
    {
        if (m_file.valid()) {
            ::flock(m_file.get(), LOCK_UN);
        }
    }
    RolloverLock(const RolloverLock&) = delete;
    RolloverLock& operator=(const RolloverLock&) = delete;

    // True when, with the lock held, the path still names the locked file
    // and that file still needs rolling over.
    bool stillDue(const char* path, bool force) const
    {
        struct stat locked;
        struct stat current;
        if (!m_file.valid() || ::fstat(m_file.get(), &locked) != 0 || ::stat(path, &current) != 0) {
            return !m_file.valid(); // unlockable: roll over as before
        }
        if (locked.st_ino != current.st_ino || locked.st_dev != current.st_dev) {
            return false;
        }
        return force || current.st_size > static_cast<off_t>(LOG_MAX_SIZE < 0 ? 0 : LOG_MAX_SIZE);
    }

private:
    ScopedFd m_file;
};

} // namespace

void LogFileRollover(LogStruct* log, bool force)
{
    if (log == nullptr) {
        return;
    }
    unsigned long long size = 0;
    if (!FileSize(log->path, &size)) {
        const int error = errno;
        if (error != ENOENT) {
            std::printf("Error getting file size: (%d) %s\n", error, log->path);
        }
        return;
    }
    if (!force && size <= static_cast<unsigned long long>(LOG_MAX_SIZE < 0 ? 0 : LOG_MAX_SIZE)) {
        return;
    }
    std::string stem;
    if (!StemOf(log->path, &stem)) {
        return;
    }
    const RolloverLock lock(log->path);
    if (!lock.stillDue(log->path, force)) {
        return;
    }
    if (LOG_MAX_FILES < 2) {
        DeleteFile(log->path);
        return;
    }
    for (int i = LOG_MAX_FILES; i >= 2; --i) {
        const std::string older = NumberedPath(stem, i - 1);
        if (!FileExists(older.c_str())) {
            continue;
        }
        if (i == LOG_MAX_FILES) {
            DeleteFile(older);
        } else {
            RenameFile(older, NumberedPath(stem, i));
        }
    }
    RenameFile(log->path, NumberedPath(stem, 1));
}

void LogMsgWrite(LogStruct* log, const std::string& line)
{
    if (log == nullptr) {
        return;
    }
    const bool locked = log->debugFlags == 0;
    if (locked && !AcquireLock(log->lock)) {
        std::printf("Error acquiring lock to access log file: %s to log message %s\n", log->path,
                    line.c_str());
        return;
    }
    if (!AppendLine(log->path, line)) {
        const int error = errno;
        std::printf("Error writing to log file: %s (%d) %s\n", log->path, error, std::strerror(error));
    }
    if (locked) {
        ReleaseLock(log->lock);
    }
}
