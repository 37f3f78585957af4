// The log's file side: rollover and the append of one line. The log lives in
// the shared marker directory, where root (the agent) and every user's
// dialog write, so every access goes through VSafeDir: by name relative to
// the directory, never through a link, never blocking on a FIFO.
//
// Who may write what:
//   root   appends only to a live log that root owns; one of another owner
//          is rolled over first and a fresh one made (exclusive create);
//   users  append to a live log of root or of their own, create it (0622,
//          so every user can append and only root can read it) when it is
//          missing, and leave rollover of a log they do not own to its owner.

#include "vlog.h"

#include "VSafeDir.h"
#include "util.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

unsigned (*LOG_RETRY_SLEEP)(unsigned seconds) = ::sleep;

namespace {

constexpr mode_t kLogMode = 0622;

// The first line that meets a log it may not open waits a second and tries
// again, once per process: a later failure fails at once instead of
// freezing the dialog for a second per line.
std::atomic<bool> g_permissionRetryUsed{false};

// The directory of the last log written, held open: one openat per line
// instead of a path walk, and no component swapped under a line.
class LogDirectoryCache final
{
public:
    // Runs `use` with the directory of `path` and the file's name in it.
    template <typename Use>
    auto with(const char* path, Use use)
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        if (!m_dir.valid() || m_path != path) {
            open(path);
        }
        auto result = use(m_dir, m_name);
        if (!result.second && errno == ENOENT) {
            // The directory was removed or made again since it was opened.
            open(path);
            result = use(m_dir, m_name);
        }
        return result;
    }

private:
    void open(const char* path)
    {
        m_path = path;
        m_dir = VSafeDir::OpenParent(m_path, &m_name);
    }

    std::mutex m_mutex;
    VSafeDir m_dir;
    std::string m_path; // the log file's
    std::string m_name; // its name in m_dir
};

// Never destroyed: a program may still log from its exit handlers, after
// the static objects are gone.
LogDirectoryCache& LogDirectory()
{
    static LogDirectoryCache* const cache = new LogDirectoryCache;
    return *cache;
}

// Root trusts only root's log; a user trusts root's or its own.
VOwners WritersTrusted()
{
    return VOwners::RootOr(::geteuid());
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

bool EntryExists(const std::string& path)
{
    std::string name;
    const VSafeDir dir = VSafeDir::OpenParent(path, &name);
    return dir.Exists(name);
}

void DeleteFile(const std::string& path)
{
    std::string name;
    const VSafeDir dir = VSafeDir::OpenParent(path, &name);
    if (!dir.valid() || ::unlinkat(dir.fd(), name.c_str(), 0) != 0) {
        std::printf("Failed to delete file %s\n", path.c_str());
    }
}

// A numbered file may lie in another directory than the live one when the
// stem ends at a dot in a directory name ("/a/b.d/VAgent.log" -> "/a/b1.log").
void RenameFile(const std::string& from, const std::string& to)
{
    std::string fromName;
    std::string toName;
    const VSafeDir fromDir = VSafeDir::OpenParent(from, &fromName);
    const VSafeDir toDir = VSafeDir::OpenParent(to, &toName);
    if (!fromDir.valid() || !toDir.valid() ||
        ::renameat(fromDir.fd(), fromName.c_str(), toDir.fd(), toName.c_str()) != 0) {
        const int error = errno;
        std::printf("Error renaming log file %s to %s: %s (%d)\n", from.c_str(), to.c_str(),
                    std::strerror(error), error);
    }
}

// Several processes append to one log. Without coordination two of them
// may both find it full and both shift the numbered files, the second
// renaming a fresh live file over the first one's "1": a whole file of
// history lost (about a third of all lines with eight busy writers). The
// one that rolls holds an exclusive lock on the live file; the others wait,
// then see that the path now names another file, or a small one, and leave
// it alone. Every user may open the log, so the wait is bounded: one holding
// a lock on it must not hang root's logging. Only a plain file is locked: a
// FIFO or a link is rolled away unopened.
class RolloverLock final
{
public:
    explicit RolloverLock(const char* path)
    {
        const VSafeDir dir = VSafeDir::OpenParent(path, &m_name);
        VFileStatus status = VFileStatus::Failed;
        m_file = dir.OpenRegular(m_name, O_RDONLY, VOwners::Anyone(), nullptr, &status);
        if (m_file.valid()) {
            m_held = Acquire(m_file.get());
        }
    }
    ~RolloverLock()
    {
        if (m_held) {
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
        if (m_file.valid() && !m_held) {
            return false; // another process rolls it over now
        }
        if (!m_file.valid() || ::fstat(m_file.get(), &locked) != 0 || ::lstat(path, &current) != 0) {
            return !m_file.valid(); // unlockable: roll over as before
        }
        if (locked.st_ino != current.st_ino || locked.st_dev != current.st_dev) {
            return false;
        }
        return force || current.st_size > static_cast<off_t>(LOG_MAX_SIZE < 0 ? 0 : LOG_MAX_SIZE);
    }

private:
    // Waits up to a second for a rollover in another process to finish
    // (they take milliseconds); a lock still held then belongs to someone
    // who holds it on purpose, and this process no longer waits for it.
    static bool Acquire(int fd)
    {
        static std::atomic<bool> gaveUp{false};
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                return true;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) {
                return false;
            }
            if (gaveUp.load()) {
                return false;
            }
            ::usleep(10000);
        }
        gaveUp = true;
        std::printf(
            "Log rollover skipped: the log file is locked by another process for more than a second\n");
        return false;
    }

    std::string m_name;
    ScopedFd m_file{-1};
    bool m_held = false;
};

// A live log that root must not write into (another user's, a link, a FIFO)
// is moved out of the way as a full one would be.
bool RootMustRollAway(const struct stat& info, uid_t euid)
{
    return euid == 0 && (!S_ISREG(info.st_mode) || info.st_uid != 0 || info.st_nlink != 1);
}

// Rollover of a log the caller may not rename is its owner's task.
bool LeftToItsOwner(const struct stat& info, uid_t euid)
{
    return euid != 0 && info.st_uid != euid;
}

void ShiftNumberedFiles(const char* path, const std::string& stem)
{
    for (int i = LOG_MAX_FILES; i >= 2; --i) {
        const std::string older = NumberedPath(stem, i - 1);
        if (!EntryExists(older)) {
            continue;
        }
        if (i == LOG_MAX_FILES) {
            DeleteFile(older);
        } else {
            RenameFile(older, NumberedPath(stem, i));
        }
    }
    RenameFile(path, NumberedPath(stem, 1));
}

ScopedFd OpenLiveLog(VSafeDir& dir, const std::string& name, VFileStatus* status, struct stat* info)
{
    ScopedFd file = dir.OpenAppend(name, kLogMode, WritersTrusted(), status, info);
    if (!file.valid() && errno == EACCES && !g_permissionRetryUsed.exchange(true)) {
        LOG_RETRY_SLEEP(1);
        file = dir.OpenAppend(name, kLogMode, WritersTrusted(), status, info);
    }
    return file;
}

enum class Appended
{
    Written,
    RolloverDue, // nothing written: the log must be rolled over first
    Failed,
};

// One open, one append, one close per line, with plain system calls: the
// line goes out in one write, which O_APPEND keeps whole against the
// appends of other processes. A short write (a full disk) is reported like
// a failed open, with errno set: the line is lost. With `checkRollover`, a
// full log (or, for root, one root may not write into) is not written: the
// caller rolls it over first. The size comes from the file opened for the
// line, so the check costs no call of its own.
Appended AppendLine(LogStruct* log, const std::string& line, bool checkRollover)
{
    VFileStatus status = VFileStatus::Failed;
    const uid_t euid = ::geteuid();
    bool due = false;
    const auto result = LogDirectory().with(log->path, [&](VSafeDir& dir, const std::string& name) {
        struct stat info = {};
        ScopedFd file = OpenLiveLog(dir, name, &status, &info);
        if (checkRollover) {
            const off_t limit = LOG_MAX_SIZE < 0 ? 0 : LOG_MAX_SIZE;
            due = file.valid() ? info.st_size > limit && !LeftToItsOwner(info, euid)
                               : euid == 0 && (status == VFileStatus::ForeignOwner ||
                                               (status == VFileStatus::NotRegular && errno != EACCES));
        }
        const bool written = file.valid() && !due && WriteAll(file.get(), line.data(), line.size());
        return std::make_pair(0, file.release() && written);
    });
    if (result.second) {
        return Appended::Written;
    }
    if (due) {
        return Appended::RolloverDue;
    }
    const int error = errno;
    if (status == VFileStatus::ForeignOwner || (status == VFileStatus::NotRegular && error == EINVAL)) {
        std::printf("Error writing to log file: %s: it %s\n", log->path, VFileStatusText(status));
        return Appended::Failed;
    }
    std::printf("Error writing to log file: %s (%d) %s\n", log->path, error, std::strerror(error));
    return Appended::Failed;
}

template <typename Write>
void UnderLogLock(LogStruct* log, const std::string& line, Write write)
{
    const bool locked = log->debugFlags == 0;
    if (locked && !AcquireLock(log->lock)) {
        std::printf("Error acquiring lock to access log file: %s to log message %s\n", log->path,
                    line.c_str());
        return;
    }
    write();
    if (locked) {
        ReleaseLock(log->lock);
    }
}

} // namespace

void LogFileRollover(LogStruct* log, bool force)
{
    if (log == nullptr) {
        return;
    }
    struct stat info;
    const auto found = LogDirectory().with(log->path, [&](VSafeDir& dir, const std::string& name) {
        if (!dir.valid()) {
            errno = dir.openError();
            return std::make_pair(0, false);
        }
        return std::make_pair(0, ::fstatat(dir.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0);
    });
    if (!found.second) {
        const int error = errno;
        if (error != ENOENT) {
            std::printf("Error getting file size: (%d) %s\n", error, log->path);
        }
        return;
    }
    const uid_t euid = ::geteuid();
    const bool foreign = RootMustRollAway(info, euid);
    const unsigned long long limit = static_cast<unsigned long long>(LOG_MAX_SIZE < 0 ? 0 : LOG_MAX_SIZE);
    if ((!force && !foreign && static_cast<unsigned long long>(info.st_size) <= limit) ||
        LeftToItsOwner(info, euid)) {
        return;
    }
    std::string stem;
    if (!StemOf(log->path, &stem)) {
        return;
    }
    const RolloverLock lock(log->path);
    if (!foreign && !lock.stillDue(log->path, force)) {
        return;
    }
    if (LOG_MAX_FILES < 2) {
        DeleteFile(log->path);
        return;
    }
    ShiftNumberedFiles(log->path, stem);
}

void LogMsgWrite(LogStruct* log, const std::string& line)
{
    if (log == nullptr) {
        return;
    }
    UnderLogLock(log, line, [&] { AppendLine(log, line, false); });
}

void LogRolloverAndWrite(LogStruct* log, const std::string& line)
{
    if (log == nullptr) {
        return;
    }
    UnderLogLock(log, line, [&] {
        if (AppendLine(log, line, true) == Appended::RolloverDue) {
            LogFileRollover(log, false);
            AppendLine(log, line, false);
        }
    });
}
