#include "VLogFile.h"

#include "util.h"
#include "vlog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <vector>

namespace {

// Root trusts only root's log; a user trusts root's or its own.
VOwners WritersTrusted(uid_t euid)
{
    return VOwners::RootOr(euid);
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

// The text before the file name's first ".", skipping leading dots:
//   "VAgent.log" -> "VAgent"; "..a.b" -> "a"; "..." -> "" (no stem).
std::string StemOf(const std::string& name)
{
    const size_t begin = name.find_first_not_of('.');
    if (begin == std::string::npos) {
        return std::string();
    }
    const size_t end = name.find('.', begin);
    return name.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
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

void ReportWriteFailure(const std::string& path, const VResult& failure)
{
    const VResult::Kind kind = failure.kind;
    if (kind == VResult::Kind::ForeignOwner ||
        (kind == VResult::Kind::NotRegular && failure.error == EINVAL)) {
        std::printf("Error writing to log file: %s: it %s\n", path.c_str(), failure.text());
        return;
    }
    std::printf("Error writing to log file: %s (%d) %s\n", path.c_str(), failure.error,
                std::strerror(failure.error));
}

// The handle's process-local lock around one line's open and append.
class HeldLineLock final
{
public:
    HeldLineLock(const VLogFile::LineLock& lock, const std::string& path, const std::string& line)
        : m_lock(lock), m_path(path), m_line(line)
    {
    }
    ~HeldLineLock() { release(); }
    HeldLineLock(const HeldLineLock&) = delete;
    HeldLineLock& operator=(const HeldLineLock&) = delete;

    bool acquire()
    {
        if (!m_lock.used || m_held) {
            return true;
        }
        m_held = AcquireLock(m_lock.mutex);
        if (!m_held) {
            std::printf("Error acquiring lock to access log file: %s to log message %s\n", m_path.c_str(),
                        m_line.c_str());
        }
        return m_held;
    }
    void release()
    {
        if (m_held) {
            ReleaseLock(m_lock.mutex);
            m_held = false;
        }
    }

private:
    const VLogFile::LineLock& m_lock;
    const std::string& m_path;
    const std::string& m_line;
    bool m_held = false;
};

// Releases the rollover lock on a descriptor when the rollover is over.
class HeldRolloverLock final
{
public:
    HeldRolloverLock(int fd, bool held) : m_fd(fd), m_held(held) {}
    ~HeldRolloverLock()
    {
        if (m_held) {
            ::flock(m_fd, LOCK_UN);
        }
    }
    HeldRolloverLock(const HeldRolloverLock&) = delete;
    HeldRolloverLock& operator=(const HeldRolloverLock&) = delete;

    // True when, with the lock held, `name` still stands for the locked file
    // and that file still needs rolling over.
    bool stillDue(const VSafeDir& dir, const std::string& name, bool force) const
    {
        if (m_fd < 0) {
            return true; // unlockable: roll over as before
        }
        struct stat locked;
        struct stat current;
        if (!m_held || ::fstat(m_fd, &locked) != 0 || !dir.Stat(name, &current)) {
            return false; // another process rolls it over now, or it is gone
        }
        if (locked.st_ino != current.st_ino || locked.st_dev != current.st_dev) {
            return false;
        }
        return force || current.st_size > SizeLimit();
    }

private:
    int m_fd;
    bool m_held;
};

} // namespace

struct VLogFile::Live
{
    ScopedFd file{-1};
    struct stat info = {};
    uid_t euid = ::geteuid(); // of the writer: one call per line
};

std::shared_ptr<VLogFile> VLogFile::ForPath(const std::string& path)
{
    // The objects of the paths logged to last, newest first. Never
    // destroyed: a program may still log from its exit handlers, after the
    // static objects are gone. A handle that moves through many paths (the
    // tests do) keeps a few directories open, not one per path.
    constexpr size_t kKept = 8;
    struct Registry
    {
        std::mutex mutex;
        std::vector<std::shared_ptr<VLogFile>> files;
    };
    static Registry* const registry = new Registry;

    const std::lock_guard<std::mutex> hold(registry->mutex);
    std::vector<std::shared_ptr<VLogFile>>& files = registry->files;
    const auto found = std::find_if(files.begin(), files.end(), [&](const std::shared_ptr<VLogFile>& file) {
        return file->path() == path;
    });
    if (found != files.end()) {
        std::rotate(files.begin(), found, found + 1);
        return files.front();
    }
    files.insert(files.begin(), std::make_shared<VLogFile>(path, kSharedLogMode, true));
    if (files.size() > kKept) {
        files.pop_back();
    }
    return files.front();
}

VLogFile::VLogFile(std::string path, mode_t mode, bool withRootCopy) : m_path(std::move(path)), m_mode(mode)
{
    const size_t slash = m_path.find_last_of('/');
    m_folder = slash == std::string::npos ? std::string() : m_path.substr(0, slash + 1);
    m_name = slash == std::string::npos ? m_path : m_path.substr(slash + 1);
    m_stem = StemOf(m_name);
    if (withRootCopy) {
        m_rootCopy = std::make_unique<VLogFile>(RootCopyPath(m_path), kRootLogMode, false);
    }
}

void VLogFile::setClock(const Clock& clock)
{
    m_clock = clock;
    if (m_rootCopy) {
        m_rootCopy->setClock(clock);
    }
}

// The directory held, or a fresh one when none is held yet, the one held
// could not be opened, or `reopen` (it was removed or made again).
std::shared_ptr<const VLogFile::Directory> VLogFile::directory(bool reopen)
{
    const std::lock_guard<std::mutex> hold(m_directoryMutex);
    if (reopen || !m_directory || !m_directory->dir.valid()) {
        auto fresh = std::make_shared<Directory>();
        std::string name;
        fresh->dir = VSafeDir::OpenParent(m_path, &name);
        struct stat info;
        fresh->shared = fresh->dir.Stat(".", &info) && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        m_directory = std::move(fresh);
    }
    return m_directory;
}

// The live log, opened for appending. A missing one is made under a random
// name and renamed into place (a user's dialog keeps one that appeared
// meanwhile). Root swaps whatever else stands at the name for a fresh log.
// The first open refused for lack of permission waits a second and tries
// again, once: a later refusal fails at once instead of freezing the
// dialog for a second per line.
VLogFile::Live VLogFile::openOnce(const Directory& directory)
{
    Live live;
    const VSafeDir& dir = directory.dir;
    if (!dir.valid()) {
        live.file = ScopedFd::Failed(dir.openError());
        return live;
    }
    const VOwners trusted = WritersTrusted(live.euid);
    const bool root = live.euid == 0;
    for (int round = 0; round < 2; ++round) {
        live.file = dir.OpenRegular(m_name, O_WRONLY | O_APPEND, trusted, &live.info);
        if (live.file.error() == EACCES && !m_retryUsed.exchange(true)) {
            m_clock.sleep(1);
            live.file = dir.OpenRegular(m_name, O_WRONLY | O_APPEND, trusted, &live.info);
        }
        const VResult::Kind kind = live.file.result().kind;
        const bool planted = kind == VResult::Kind::NotRegular || kind == VResult::Kind::ForeignOwner;
        if (kind != VResult::Kind::Missing && !(root && planted)) {
            return live;
        }
        live.file = dir.CreateInPlace(m_name, m_mode, root && planted);
        if (live.file.valid() || live.file.error() != EEXIST) {
            if (!live.file.valid() || ::fstat(live.file.get(), &live.info) != 0) {
                live.info = {};
            }
            return live;
        }
    }
    live.file = ScopedFd::Failed(EEXIST);
    return live;
}

VLogFile::Live VLogFile::open(std::shared_ptr<const Directory>* dir)
{
    *dir = directory(false);
    Live live = openOnce(**dir);
    if (live.file.error() == ENOENT) {
        // The directory was removed or made again since it was opened.
        *dir = directory(true);
        live = openOnce(**dir);
    }
    return live;
}

// Due: larger than the limit and the writer's to roll over, or not opened
// at all (the size check then says why, and a user's own planted entry is
// moved aside).
bool VLogFile::due(const Live& live) const
{
    if (!live.file.valid()) {
        return true;
    }
    return live.info.st_size > SizeLimit() && !LeftToItsOwner(live.info, live.euid);
}

void VLogFile::writeLine(const std::string& line, const LineLock& lock, bool rollIfDue)
{
    HeldLineLock held(lock, m_path, line);
    if (!held.acquire()) {
        return;
    }
    std::shared_ptr<const Directory> dir;
    Live live = open(&dir);
    if (rollIfDue && due(live)) {
        // Outside the line lock: a rollover waiting for another process
        // (at most a second) holds up no other thread's line.
        held.release();
        if (live.file.valid()) {
            roll(dir->dir, live.info, live.file.get(), false);
        } else {
            rollByName(&dir, false);
        }
        live = Live{};
        if (!held.acquire()) {
            return;
        }
        live = open(&dir);
    }
    write(&live, line);
    held.release();
    if (live.euid == 0) {
        keepRootCopy(line, *dir);
    }
}

void VLogFile::rollOver(bool force)
{
    std::shared_ptr<const Directory> dir = directory(false);
    rollByName(&dir, force);
}

void VLogFile::rollByName(std::shared_ptr<const Directory>* dir, bool force)
{
    struct stat info;
    VResult found =
        (*dir)->dir.valid() ? (*dir)->dir.Stat(m_name, &info) : VResult::Failed((*dir)->dir.openError());
    if (found.error == ENOENT) {
        *dir = directory(true);
        found =
            (*dir)->dir.valid() ? (*dir)->dir.Stat(m_name, &info) : VResult::Failed((*dir)->dir.openError());
    }
    if (!found) {
        if (found.error != ENOENT) {
            std::printf("Error getting file size: (%d) %s\n", found.error, m_path.c_str());
        }
        return;
    }
    roll((*dir)->dir, info, -1, force);
}

// Several processes append to one log. Without coordination two of them
// may both find it full and both shift the numbered files, the second
// renaming a fresh live file over the first one's "1": a whole file of
// history lost (about a third of all lines with eight busy writers). The
// one that rolls holds an exclusive lock on the live file; the others wait,
// then see that the name now stands for another file, or a small one, and
// leave it alone. `lockFd` is the live file opened for the line, or -1:
// it is then opened here, only when it is root's or the writer's plain
// file; anything else is moved aside unopened.
void VLogFile::roll(const VSafeDir& dir, const struct stat& info, int lockFd, bool force)
{
    const uid_t euid = ::geteuid();
    if ((!force && info.st_size <= SizeLimit() && IsHistory(info, euid)) || LeftToItsOwner(info, euid)) {
        return;
    }
    if (!IsHistory(info, euid)) {
        dir.MoveAside(m_name); // planted: no history to keep, and nothing to lock
        return;
    }
    if (m_stem.empty()) {
        return;
    }
    ScopedFd own(-1);
    if (lockFd < 0) {
        own = dir.OpenRegular(m_name, O_RDONLY, WritersTrusted(euid));
        lockFd = own.get();
    }
    const HeldRolloverLock lock(lockFd, lockFd >= 0 && holdRolloverLock(lockFd));
    if (!lock.stillDue(dir, m_name, force)) {
        return;
    }
    if (LOG_MAX_FILES < 2) {
        if (!dir.Remove(m_name)) {
            std::printf("Failed to delete file %s\n", m_path.c_str());
        }
        return;
    }
    shiftNumberedFiles(dir);
}

// Waits up to a second for a rollover in another process to finish (they
// take milliseconds); a lock still held then belongs to someone who holds
// it on purpose, and this log no longer waits for it.
bool VLogFile::holdRolloverLock(int fd)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (m_gaveUp.load()) {
            return false;
        }
        m_clock.pause(10000);
    }
    m_gaveUp = true;
    std::printf("Log rollover skipped: the log file is locked by another process for more than a second\n");
    return false;
}

// Shifts the numbered files up by one and the live file to number 1. An
// entry at a numbered name that is no history file (a directory, a link,
// another user's file) is moved aside instead of being shifted. Whatever
// was planted at a new name is swapped out and moved aside (Install).
void VLogFile::shiftNumberedFiles(const VSafeDir& dir) const
{
    const uid_t euid = ::geteuid();
    const auto numbered = [&](int number) { return m_stem + std::to_string(number) + ".log"; };
    const auto rename = [&](const std::string& from, const std::string& to) {
        const VResult renamed = dir.Install(from, dir, to);
        if (!renamed) {
            std::printf("Error renaming log file %s%s to %s%s: %s (%d)\n", m_folder.c_str(), from.c_str(),
                        m_folder.c_str(), to.c_str(), std::strerror(renamed.error), renamed.error);
        }
    };
    for (int i = LOG_MAX_FILES; i >= 2; --i) {
        const std::string older = numbered(i - 1);
        struct stat info;
        if (!dir.Stat(older, &info)) {
            continue;
        }
        if (!IsHistory(info, euid)) {
            dir.MoveAside(older);
        } else if (i == LOG_MAX_FILES) {
            if (!dir.Remove(older)) {
                std::printf("Failed to delete file %s%s\n", m_folder.c_str(), older.c_str());
            }
        } else {
            rename(older, numbered(i));
        }
    }
    rename(m_name, numbered(1));
}

// A user cannot roll over a log it does not own; with no root writer such
// a log would grow without bound, so past twice the limit a user's lines
// stop (said once). Root's next line rolls it over and the lines go on.
bool VLogFile::mayAppend(const Live& live)
{
    const off_t limit = SizeLimit();
    if (!LeftToItsOwner(live.info, live.euid) || live.info.st_size <= 2 * limit) {
        return true;
    }
    if (!m_saidFull.exchange(true)) {
        std::fprintf(stderr,
                     "Log file %s is over twice its limit of %lld bytes and only its owner may roll it "
                     "over: no more lines are written to it\n",
                     m_path.c_str(), static_cast<long long>(limit));
    }
    return false;
}

// One append with a plain system call: the line goes out in one write,
// which O_APPEND keeps whole against the appends of other processes. A
// short write (a full disk) fails like an open: the line is lost.
void VLogFile::write(Live* live, const std::string& line)
{
    if (!live->file.valid()) {
        ReportWriteFailure(m_path, live->file.result());
        return;
    }
    if (!mayAppend(*live)) {
        return;
    }
    const VResult written = WriteAll(live->file.get(), line.data(), line.size());
    const VResult closed = live->file.close();
    const int error = !written ? written.error : closed.error;
    if (error != 0) {
        ReportWriteFailure(m_path, VResult::Failed(error));
    }
}

// Root's lines in a log any user can touch are also kept where none can.
void VLogFile::keepRootCopy(const std::string& line, const Directory& dir)
{
    if (!m_rootCopy || !dir.shared) {
        return;
    }
    m_rootCopy->writeLine(line, LineLock{}, true);
}
