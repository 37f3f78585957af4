// The log's file side: rollover and the append of one line. The log lives in
// the shared marker directory, where root (the agent) and every user's
// dialog write, so every access goes through VSafeDir: by name relative to
// the directory, never through a link, never blocking on a FIFO.
//
// Who may write what:
//   root   appends only to a live log that root owns. Whatever else stands
//          at the log's name (another user's file, a link, a FIFO, a
//          directory) is swapped out for a fresh log made under a random
//          name (VSafeDir::CreateInPlace), so no planted name can stop it;
//          the same holds for the numbered files at rollover. When the
//          log's directory is open to other users, root's lines also go to
//          a root-only copy in the directory above (RootCopyPath), where no
//          user can touch them;
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
int (*LOG_ROLLOVER_PAUSE)(useconds_t microseconds) = ::usleep;

namespace {

// The first line that meets a log it may not open waits a second and tries
// again, once per process: a later failure fails at once instead of
// freezing the dialog for a second per line.
std::atomic<bool> g_permissionRetryUsed{false};

// The directory of the last log written, held open: one openat per line
// instead of a path walk, and no component swapped under a line.
class LogDirectoryCache final
{
public:
    // Runs `use(dir, name, sharedWithOthers)` with the directory of `path`
    // and the file's name in it; `use` returns something with an `error`.
    template <typename Use>
    auto with(const char* path, Use use)
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        if (!m_dir.valid() || m_path != path) {
            open(path);
        }
        auto result = use(m_dir, m_name, m_shared);
        if (result.error == ENOENT) {
            // The directory was removed or made again since it was opened.
            open(path);
            result = use(m_dir, m_name, m_shared);
        }
        return result;
    }

private:
    void open(const char* path)
    {
        m_path = path;
        m_dir = VSafeDir::OpenParent(m_path, &m_name);
        struct stat info;
        m_shared = m_dir.Stat(".", &info) && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    }

    std::mutex m_mutex;
    VSafeDir m_dir;
    std::string m_path;    // the log file's
    std::string m_name;    // its name in m_dir
    bool m_shared = false; // others may make entries in m_dir
};

// Never destroyed: a program may still log from its exit handlers, after
// the static objects are gone. One for the shared log, one for root's copy.
LogDirectoryCache& SharedLogDirectory()
{
    static LogDirectoryCache* const cache = new LogDirectoryCache;
    return *cache;
}

LogDirectoryCache& RootCopyDirectory()
{
    static LogDirectoryCache* const cache = new LogDirectoryCache;
    return *cache;
}

// Root trusts only root's log; a user trusts root's or its own.
VOwners WritersTrusted()
{
    return VOwners::RootOr(::geteuid());
}

// A file that belongs to the log's history: a plain file of one name, of
// root or of the writer. Anything else at a log's name was planted.
bool IsHistory(const struct stat& info, uid_t euid)
{
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && (info.st_uid == 0 || info.st_uid == euid);
}

// Rollover of a log the caller may not rename is its owner's task.
bool LeftToItsOwner(const struct stat& info, uid_t euid)
{
    return euid != 0 && info.st_uid != euid;
}

off_t SizeLimit()
{
    return LOG_MAX_SIZE < 0 ? 0 : LOG_MAX_SIZE;
}

// The text before the path's first ".", skipping leading dots as strtok does:
//   "/var/log/VAgent.log" -> "/var/log/VAgent"; "..a.b" -> "a"; "..." -> none.
bool StemOf(const std::string& text, std::string* stem)
{
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

// Root's copy of its own lines: beside the directory that holds the shared
// log, named after the log ("/d/user/VAgent.log" -> "/d/VAgent-root.log").
std::string RootCopyPath(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t up = directory.find_last_of('/');
    const std::string parent = up == std::string::npos ? "." : (up == 0 ? "" : directory.substr(0, up));
    const size_t dot = name.find('.');
    return parent + "/" + name.substr(0, dot) + "-root" + (dot == std::string::npos ? "" : name.substr(dot));
}

void DeleteFile(const std::string& path)
{
    std::string name;
    const VSafeDir dir = VSafeDir::OpenParent(path, &name);
    if (!dir.Remove(name)) {
        std::printf("Failed to delete file %s\n", path.c_str());
    }
}

// A numbered file may lie in another directory than the live one when the
// stem ends at a dot in a directory name ("/a/b.d/VAgent.log" -> "/a/b1.log").
// Whatever was planted at the new name is swapped out and moved aside.
void RenameFile(const std::string& from, const std::string& to)
{
    std::string fromName;
    std::string toName;
    const VSafeDir fromDir = VSafeDir::OpenParent(from, &fromName);
    const VSafeDir toDir = VSafeDir::OpenParent(to, &toName);
    const VResult renamed = fromDir.Install(fromName, toDir, toName);
    if (!renamed) {
        std::printf("Error renaming log file %s to %s: %s (%d)\n", from.c_str(), to.c_str(),
                    std::strerror(renamed.error), renamed.error);
    }
}

// Several processes append to one log. Without coordination two of them
// may both find it full and both shift the numbered files, the second
// renaming a fresh live file over the first one's "1": a whole file of
// history lost (about a third of all lines with eight busy writers). The
// one that rolls holds an exclusive lock on the live file; the others wait,
// then see that the path now names another file, or a small one, and leave
// it alone. Every user may open the log, so the wait is bounded: one holding
// a lock on it must not hang root's logging. Only root's or the writer's
// plain file is locked: anything else is moved aside unopened.
class RolloverLock final
{
public:
    RolloverLock(const VSafeDir& dir, const std::string& name) : m_dir(dir), m_name(name)
    {
        VFileStatus status = VFileStatus::Failed;
        m_file = dir.OpenRegular(name, O_RDONLY, WritersTrusted(), nullptr, &status);
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

    // True when, with the lock held, the name still stands for the locked
    // file and that file still needs rolling over.
    bool stillDue(bool force) const
    {
        struct stat locked;
        struct stat current;
        if (m_file.valid() && !m_held) {
            return false; // another process rolls it over now
        }
        if (!m_file.valid() || ::fstat(m_file.get(), &locked) != 0 || !m_dir.Stat(m_name, &current)) {
            return !m_file.valid(); // unlockable: roll over as before
        }
        if (locked.st_ino != current.st_ino || locked.st_dev != current.st_dev) {
            return false;
        }
        return force || current.st_size > SizeLimit();
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
            LOG_ROLLOVER_PAUSE(10000);
        }
        gaveUp = true;
        std::printf(
            "Log rollover skipped: the log file is locked by another process for more than a second\n");
        return false;
    }

    const VSafeDir& m_dir;
    std::string m_name;
    ScopedFd m_file{-1};
    bool m_held = false;
};

// Shifts the numbered files up by one and the live file to number 1. An
// entry at a numbered name that is no history file (a directory, a link,
// another user's file) is moved aside instead of being shifted.
void ShiftNumberedFiles(const std::string& path, const std::string& stem, uid_t euid)
{
    for (int i = LOG_MAX_FILES; i >= 2; --i) {
        const std::string older = NumberedPath(stem, i - 1);
        std::string name;
        const VSafeDir dir = VSafeDir::OpenParent(older, &name);
        struct stat info;
        if (!dir.Stat(name, &info)) {
            continue;
        }
        if (!IsHistory(info, euid)) {
            dir.MoveAside(name);
        } else if (i == LOG_MAX_FILES) {
            DeleteFile(older);
        } else {
            RenameFile(older, NumberedPath(stem, i));
        }
    }
    RenameFile(path, NumberedPath(stem, 1));
}

struct Rollover
{
    int error = 0; // of the size check
};

// LogFileRollover for any log path.
Rollover RollOver(LogDirectoryCache& cache, const std::string& path, bool force)
{
    struct stat info;
    const Rollover found = cache.with(path.c_str(), [&](const VSafeDir& dir, const std::string& name, bool) {
        const VResult stat = dir.valid() ? dir.Stat(name, &info) : VResult::Failed(dir.openError());
        return Rollover{stat.error};
    });
    if (found.error != 0) {
        return found;
    }
    const uid_t euid = ::geteuid();
    if ((!force && info.st_size <= SizeLimit() && IsHistory(info, euid)) || LeftToItsOwner(info, euid)) {
        return found;
    }
    std::string name;
    const VSafeDir dir = VSafeDir::OpenParent(path, &name);
    if (!IsHistory(info, euid)) {
        // Planted: no history to keep, and nothing to lock.
        dir.MoveAside(name);
        return found;
    }
    std::string stem;
    if (!StemOf(path, &stem)) {
        return found;
    }
    const RolloverLock lock(dir, name);
    if (!lock.stillDue(force)) {
        return found;
    }
    if (LOG_MAX_FILES < 2) {
        DeleteFile(path);
        return found;
    }
    ShiftNumberedFiles(path, stem, euid);
    return found;
}

ScopedFd OpenExisting(const VSafeDir& dir, const std::string& name, uid_t euid, VFileStatus* status,
                      struct stat* info)
{
    const VOwners trusted = VOwners::RootOr(euid);
    ScopedFd file = dir.OpenRegular(name, O_WRONLY | O_APPEND, trusted, info, status);
    if (!file.valid() && file.error() == EACCES && !g_permissionRetryUsed.exchange(true)) {
        LOG_RETRY_SLEEP(1);
        file = dir.OpenRegular(name, O_WRONLY | O_APPEND, trusted, info, status);
    }
    return file;
}

// The live log, opened for appending. A missing one is made under a random
// name and renamed into place (a user's dialog keeps one that appeared
// meanwhile). Root swaps whatever else stands at the name for a fresh log.
ScopedFd OpenLiveLog(const VSafeDir& dir, const std::string& name, mode_t mode, uid_t euid,
                     VFileStatus* status, struct stat* info)
{
    const bool root = euid == 0;
    for (int round = 0; round < 2; ++round) {
        ScopedFd file = OpenExisting(dir, name, euid, status, info);
        const bool planted = *status == VFileStatus::NotRegular || *status == VFileStatus::ForeignOwner;
        if (*status != VFileStatus::Missing && !(root && planted)) {
            return file;
        }
        ScopedFd created = dir.CreateInPlace(name, mode, root && planted);
        if (created.valid() || created.error() != EEXIST) {
            *status = created.valid() ? VFileStatus::Ok : VFileStatus::Failed;
            if (!created.valid() || ::fstat(created.get(), info) != 0) {
                *info = {};
            }
            return created;
        }
    }
    *status = VFileStatus::Failed;
    return ScopedFd::Failed(EEXIST);
}

enum class Outcome
{
    Written,
    RolloverDue, // nothing written: the log must be rolled over first
    Failed,      // nothing written; status and error tell why
    LockRefused, // the process-local lock could not be taken (reported)
};

struct Appended
{
    Outcome outcome = Outcome::Failed;
    VFileStatus status = VFileStatus::Failed;
    int error = 0;
    bool shared = false; // the log's directory is open to other users
    uid_t euid = 0;      // of the writer
};

// One open, one append, one close per line, with plain system calls: the
// line goes out in one write, which O_APPEND keeps whole against the
// appends of other processes. A short write (a full disk) fails like an
// open: the line is lost. With `checkRollover`, a full log is not written:
// the caller rolls it over first. The size comes from the file opened for
// the line, so the check costs no call of its own.
Appended AppendLine(LogDirectoryCache& cache, const char* path, mode_t mode, const std::string& line,
                    bool checkRollover)
{
    const uid_t euid = ::geteuid();
    return cache.with(path, [&](const VSafeDir& dir, const std::string& name, bool shared) {
        Appended appended;
        appended.shared = shared;
        appended.euid = euid;
        if (!dir.valid()) {
            appended.error = dir.openError();
            return appended;
        }
        struct stat info = {};
        ScopedFd file = OpenLiveLog(dir, name, mode, euid, &appended.status, &info);
        if (!file.valid()) {
            appended.error = file.error();
            return appended;
        }
        if (checkRollover && info.st_size > SizeLimit() && !LeftToItsOwner(info, euid)) {
            appended.outcome = Outcome::RolloverDue;
            return appended;
        }
        const VResult written = WriteAll(file.get(), line.data(), line.size());
        const VResult closed = file.close();
        appended.error = !written ? written.error : closed.error;
        appended.outcome = appended.error == 0 ? Outcome::Written : Outcome::Failed;
        return appended;
    });
}

void ReportFailure(const char* path, const Appended& appended)
{
    if (appended.outcome != Outcome::Failed) {
        return;
    }
    if (appended.status == VFileStatus::ForeignOwner ||
        (appended.status == VFileStatus::NotRegular && appended.error == EINVAL)) {
        std::printf("Error writing to log file: %s: it %s\n", path, VFileStatusText(appended.status));
        return;
    }
    std::printf("Error writing to log file: %s (%d) %s\n", path, appended.error,
                std::strerror(appended.error));
}

template <typename Write>
Appended UnderLogLock(LogStruct* log, const std::string& line, Write write)
{
    const bool locked = log->debugFlags == 0;
    if (locked && !AcquireLock(log->lock)) {
        std::printf("Error acquiring lock to access log file: %s to log message %s\n", log->path,
                    line.c_str());
        Appended refused;
        refused.outcome = Outcome::LockRefused;
        return refused;
    }
    const Appended appended = write();
    if (locked) {
        ReleaseLock(log->lock);
    }
    return appended;
}

// Root's lines in a log any user can touch are also kept where none can.
void KeepRootCopy(const char* path, const std::string& line, const Appended& shared)
{
    if (!shared.shared || shared.euid != 0) {
        return;
    }
    const std::string copy = RootCopyPath(path);
    LogDirectoryCache& cache = RootCopyDirectory();
    Appended appended = AppendLine(cache, copy.c_str(), kRootLogMode, line, true);
    if (appended.outcome == Outcome::RolloverDue) {
        RollOver(cache, copy, false);
        appended = AppendLine(cache, copy.c_str(), kRootLogMode, line, false);
    }
    ReportFailure(copy.c_str(), appended);
}

} // namespace

void LogFileRollover(LogStruct* log, bool force)
{
    if (log == nullptr) {
        return;
    }
    const Rollover rolled = RollOver(SharedLogDirectory(), log->path, force);
    if (rolled.error != 0 && rolled.error != ENOENT) {
        std::printf("Error getting file size: (%d) %s\n", rolled.error, log->path);
    }
}

void LogMsgWrite(LogStruct* log, const std::string& line)
{
    if (log == nullptr) {
        return;
    }
    const Appended appended = UnderLogLock(
        log, line, [&] { return AppendLine(SharedLogDirectory(), log->path, kSharedLogMode, line, false); });
    ReportFailure(log->path, appended);
    if (appended.outcome != Outcome::LockRefused) {
        KeepRootCopy(log->path, line, appended);
    }
}

// The rollover runs outside the process-local lock: a rollover waiting for
// another process (RolloverLock, at most a second) holds up no other
// thread's line. A failed first attempt takes the long way, rollover and
// then the write, so that its failures are reported as each step sees them.
void LogRolloverAndWrite(LogStruct* log, const std::string& line)
{
    if (log == nullptr) {
        return;
    }
    const Appended first = UnderLogLock(
        log, line, [&] { return AppendLine(SharedLogDirectory(), log->path, kSharedLogMode, line, true); });
    if (first.outcome == Outcome::LockRefused) {
        return;
    }
    if (first.outcome == Outcome::Written) {
        KeepRootCopy(log->path, line, first);
        return;
    }
    LogFileRollover(log, false);
    LogMsgWrite(log, line);
}
