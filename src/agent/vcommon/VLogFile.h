#pragma once

#include "VSafeDir.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

// The file side of one log path: everything the log keeps between lines,
// in one object per path, as a rotating sink keeps its own state.
//
// It owns the log's directory (held open: one openat per line instead of
// a path walk, and no component swapped under a line), who may roll the
// log over, the rollover lock, root's own copy and the clock it waits by.
// Every line takes one road:
//
//   open the live log -> roll it over if it is due -> write the line
//
// The log lives in the shared directory, where root (the agent) and every
// user's dialog write, so every access goes through VSafeDir: by name
// relative to the directory, never through a link, never blocking on a
// FIFO.
//
// Who may write what:
//   root   appends only to a live log that root owns. Whatever else stands
//          at the log's name (another user's file, a link, a FIFO, a
//          directory) is swapped out for a fresh log made under a random
//          name (VSafeDir::CreateInPlace), so no planted name can stop it;
//          the same holds for the numbered files at rollover. When the
//          log's directory is open to other users, root's lines also go to
//          a root-only copy in the directory above, where no user can
//          touch them;
//   users  append to a live log of root or of their own, create it (0622,
//          so every user can append and only root can read it) when it is
//          missing, and leave rollover of a log they do not own to its
//          owner. So that a log only dialogs write cannot grow without
//          bound, a user stops appending to a log it may not roll over once
//          it is more than twice LOG_MAX_SIZE, and says so once on
//          standard error.
//
// Numbered files lie beside the live one, named after the file's own name:
//   "/a/b.d/VAgent.log" -> "/a/b.d/VAgent1.log" ... "/a/b.d/VAgent4.log"
class VLogFile final
{
public:
    // How the log waits: a second before its one retry of an open refused
    // for lack of permission, 10 ms at a time (a second at most) for
    // another process that holds the rollover lock.
    struct Clock
    {
        unsigned (*sleep)(unsigned seconds) = ::sleep;
        int (*pause)(useconds_t microseconds) = ::usleep;
    };

    // The process-local mutex a handle holds around one line's open and
    // append; `used` false writes unserialised.
    struct LineLock
    {
        bool used = false;
        pthread_mutex_t* mutex = nullptr;
    };

    // The object of `path` (a full path) that every handle of this process
    // on that path shares. The objects of the last 8 paths are kept; an
    // older path gets a fresh object (its once-only waits and notes anew).
    static std::shared_ptr<VLogFile> ForPath(const std::string& path);

    // `mode`: of a live log it creates. A log `withRootCopy` keeps root's
    // lines in a root-only copy too when its directory is open to others.
    VLogFile(std::string path, mode_t mode, bool withRootCopy);
    VLogFile(const VLogFile&) = delete;
    VLogFile& operator=(const VLogFile&) = delete;

    // One line for the file: open, roll over if due (only `rollIfDue`),
    // write. Failures are said on standard output and lose the line; a
    // user's stop at twice the limit is said once on standard error.
    void writeLine(const std::string& line, const LineLock& lock, bool rollIfDue);
    // Rolls the log over when it is larger than LOG_MAX_SIZE, or always
    // with `force`. A size that cannot be taken is said, unless the log is
    // missing.
    void rollOver(bool force);

    const std::string& path() const { return m_path; }
    // The test seam: tests count or watch the waits (also of root's copy).
    void setClock(const Clock& clock);

private:
    struct Directory
    {
        VSafeDir dir;
        bool shared = false; // others may make entries in it
    };
    struct Live;

    std::shared_ptr<const Directory> directory(bool reopen);
    Live open(std::shared_ptr<const Directory>* dir);
    Live openOnce(const Directory& dir);
    bool due(const Live& live) const;
    void rollByName(std::shared_ptr<const Directory>* dir, bool force);
    void roll(const VSafeDir& dir, const struct stat& info, int lockFd, bool force);
    void shiftNumberedFiles(const VSafeDir& dir) const;
    bool holdRolloverLock(int fd);
    bool mayAppend(const Live& live);
    void write(Live* live, const std::string& line);
    void keepRootCopy(const std::string& line, const Directory& dir);

    const std::string m_path;
    std::string m_folder; // m_path up to its last "/" ("" without one)
    std::string m_name;   // the live file's name in m_folder
    std::string m_stem;   // numbered names: m_stem + n + ".log"
    const mode_t m_mode;
    Clock m_clock;
    std::unique_ptr<VLogFile> m_rootCopy;

    std::mutex m_directoryMutex;
    std::shared_ptr<const Directory> m_directory;

    std::atomic<bool> m_retryUsed{false}; // the one EACCES retry was taken
    std::atomic<bool> m_gaveUp{false};    // a rollover lock held for over a second
    std::atomic<bool> m_saidFull{false};  // the stop at twice the limit was said
};
