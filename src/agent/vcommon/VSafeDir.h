#pragma once

#include "ScopedFd.h"
#include "VResult.h"

#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// File access in a directory that other local users may write into (the
// shared marker directory, the log's directory). The agent runs as root and
// the dialogs as users, so every access here follows the same rules:
//
// - it works relative to a descriptor of the directory, by entry name;
// - it never follows a link (O_NOFOLLOW, AT_SYMLINK_NOFOLLOW) and never
//   blocks on a FIFO or a device (O_NONBLOCK, and only regular files are
//   read or written: fstat after open);
// - it creates temporaries exclusively (O_EXCL) under unpredictable names;
// - it tells the caller who owns what it read (a VRead's info), so that a file
//   planted by another user is never trusted.
//
// Examples, with "d" a VSafeDir of the marker directory:
//   d.ReadFile("VUSERALERT_YES.abc", VOwners::RootOr(1000), 65536)
//     link to /etc/shadow       -> result {NotRegular, ELOOP} (nothing read)
//     FIFO                      -> result {NotRegular, EINVAL} (no hang)
//     regular file of uid 1001  -> result {ForeignOwner, EPERM}, info.st_uid 1001
//   d.Take("VUSERALERT_MESG.abc", VOwners::RootOr(1000), 65536)
//     the agent's message       -> read {Ok, "text"}, removed Ok
//     root's, in a sticky dir   -> read Ok (unread), removed EPERM: still there
//   d.Publish("VUSERALERT_EXIT.abc", "", 0644, 1000, 1000)
//     writes ".vsafe-<random>", gives it to uid 1000, renames it into place.
//
// Nothing else in the program holds the directory's descriptor: every
// operation on an entry of a shared directory is a method here.
//
// No method throws; every failure comes back as a VResult (its kind and the
// errno of the call that failed), in a VRead or VTake, the result() of a
// ScopedFd, or openError().

// A whole file read: the outcome, what was read (for TooLarge its first
// bytes) and the fstat of the file opened, also when it was refused for its
// owner or type (zeros when nothing was opened).
struct VRead
{
    VResult result;
    std::string content;
    struct stat info = {};
};

// What VSafeDir::Take did with an entry: `read` as for ReadFile, its info the
// entry found, and `removed`: Ok when the entry is gone from its name, else
// why it still stands there (the refusal itself when it was left alone).
struct VTake
{
    VRead read;
    VResult removed;
};

// Owners a caller trusts: anyone, or root and one more user.
struct VOwners
{
    bool anyone = true;
    uid_t user = 0;

    static VOwners Anyone() { return VOwners{}; }
    static VOwners RootOr(uid_t uid) { return VOwners{false, uid}; }
    bool trusts(uid_t owner) const { return anyone || owner == 0 || owner == user; }
};

class VSafeDir final
{
public:
    VSafeDir() = default;
    // Opens the directory itself without following a link in its last
    // component; the components above it are the administrator's.
    explicit VSafeDir(const std::string& path);
    VSafeDir(VSafeDir&& other) noexcept;
    VSafeDir& operator=(VSafeDir&& other) noexcept;
    VSafeDir(const VSafeDir&) = delete;
    VSafeDir& operator=(const VSafeDir&) = delete;

    bool valid() const { return m_fd.valid(); }
    // errno of the failed open, 0 after a successful one.
    int openError() const { return m_openError; }
    const std::string& path() const { return m_path; }

    // --- directories ---

    // A directory inside this one, never through a link. With `create`, a
    // missing one is made and given exactly `mode` (fchmod: the umask does
    // not narrow it); an existing one keeps its mode.
    VSafeDir SubDirectory(const std::string& name, bool create = false, mode_t mode = 0755) const;
    // Opens `path`, making every missing directory on the way with exactly
    // `mode` and the last one with `lastMode`. The directories above the
    // deepest one that exists are the administrator's; that one is opened
    // without following a link in its last component, and the ones made
    // below it are made and opened relative to their parent, never through
    // a link.
    //   MakeDirectories("/var/opt/Orvel/VORA/data/user/", 0755, 01777)
    static VSafeDir MakeDirectories(const std::string& path, mode_t mode, mode_t lastMode);
    // Gives this directory `owner`/`group` (unless -1) and exactly `mode`.
    VResult SetOwnerAndMode(uid_t owner, gid_t group, mode_t mode) const;
    // Whether this process may create and remove entries here.
    VResult CanWrite() const;
    // The longest entry name the file system takes here; -1 when unknown.
    long MaxNameLength() const;
    // Whether the directory held is still the one `path()` names now (it
    // was not removed, nor replaced by another directory or a link).
    bool IsCurrent() const;

    // --- entries ---

    // lstat of an entry: links, FIFOs and directories exist too; a missing
    // one is {Missing, ENOENT}.
    VResult Stat(const std::string& name, struct stat* info) const;
    bool Exists(const std::string& name) const;
    // Whether the entry is a plain file (one name, not a link) of `owner`.
    bool IsPlainFileOf(const std::string& name, uid_t owner) const;

    // Opens an existing regular file of a trusted owner. `access` is
    // O_RDONLY, O_WRONLY or O_RDWR, optionally with O_APPEND. A failed
    // open's descriptor carries its result(): {Missing, ENOENT},
    // {ForeignOwner, EPERM}, {NotRegular, ELOOP or EINVAL} for a link, FIFO
    // or file with several names. `info` (when given) receives the fstat of
    // the file opened, also of one refused for its owner or type.
    ScopedFd OpenRegular(const std::string& name, int access, const VOwners& owners,
                         struct stat* info = nullptr) const;
    // Opens a regular file for appending, creating it with exactly `mode`
    // (the umask does not narrow it) when missing. An existing entry must be
    // a regular file of a trusted owner with a single link; the refusals
    // are OpenRegular's. `info` (when given) receives the fstat of the file.
    ScopedFd OpenAppend(const std::string& name, mode_t mode, const VOwners& owners,
                        struct stat* info = nullptr) const;
    // Creates a new regular file for writing with exactly `mode`, failing
    // (EEXIST) when the name exists.
    ScopedFd CreateExclusive(const std::string& name, mode_t mode, int extraFlags = 0) const;
    // Creates a new file of exactly `mode` under a random hidden name and
    // renames it to `name`. Without `replace` an entry already at `name`
    // wins (EEXIST, the new file is removed); with it, whatever stands at
    // `name` is moved aside (Install). Opened for appending.
    ScopedFd CreateInPlace(const std::string& name, mode_t mode, bool replace) const;

    // Reads a whole regular file of a trusted owner, at most `maxBytes`
    // (TooLarge, EFBIG when more follows).
    VRead ReadFile(const std::string& name, const VOwners& owners, size_t maxBytes) const;
    // Takes an entry away from its name, for the one consumer of a command
    // left in a shared directory. Found without following a link, it is
    // left alone when its owner is not trusted or it is a second name of a
    // file; `ready` (when given) may then still decline it (false: left as
    // it is, {Failed, ECANCELED}). With `maxBytes` 0 it is removed (a
    // directory too, as Remove does). Otherwise it must be a plain file: it
    // is renamed to a hidden random name, so that a file published at the
    // name meanwhile stays there, and then read (at most `maxBytes`) and
    // removed.
    //   a flag of the trusted user         -> read Ok, removed Ok
    //   a directory, with maxBytes         -> read {NotRegular, EINVAL}, left
    //   root's, where only owners remove   -> read Ok (nothing read), removed EPERM
    VTake Take(const std::string& name, const VOwners& owners, size_t maxBytes,
               const std::function<bool(const struct stat& found)>& ready = nullptr) const;
    // Writes `content` to a new file under a random hidden name, gives it
    // `owner`/`group` when those are not -1, and renames it over `name` (a
    // directory standing there is first renamed to a hidden random name).
    // `published` (when given) receives the new file's fstat, taken before
    // the rename: its device, inode and owner tell it from whatever stands
    // at the name later.
    VResult Publish(const std::string& name, const std::string& content, mode_t mode, uid_t owner = -1,
                    gid_t group = -1, struct stat* published = nullptr) const;

    // Removes the entry (an empty directory too; one with something in it
    // is renamed to a hidden random name); a missing one is not an error.
    VResult Remove(const std::string& name) const;
    // Renames an entry, within this directory or into `to`'s; an entry at
    // the new name is replaced as rename(2) does.
    VResult Rename(const std::string& from, const std::string& to) const;
    VResult Rename(const std::string& from, const VSafeDir& toDir, const std::string& to) const;
    // Renames `from` to `to` in `toDir` without ever replacing what stands
    // there: that is swapped out atomically and moved aside to a hidden
    // random name. A user racing to plant something at `to` cannot keep
    // `from` from arriving. A plain file of this process's own user at `to`
    // is never swapped out (EEXIST): another process of the same user put
    // it there.
    VResult Install(const std::string& from, const VSafeDir& toDir, const std::string& to) const;
    // Renames the entry to a hidden random name ("<prefix><16 hex>").
    VResult MoveAside(const std::string& name) const;

    // "<prefix><16 hex digits>" from the kernel's random source.
    static std::string RandomName(const char* prefix);
    // The prefix of every name MoveAside gives.
    static constexpr const char* kMovedPrefix = ".vsafe-moved-";

    // Splits "/a/b/c.log" into a VSafeDir of "/a/b" and "c.log"; a name
    // without "/" lies in the working directory.
    static VSafeDir OpenParent(const std::string& path, std::string* name);

private:
    VSafeDir(ScopedFd fd, int openError, std::string path);
    std::string ChildPath(const std::string& name) const;

    ScopedFd m_fd{-1};
    int m_openError = 0;
    std::string m_path;
};

// Writes all of `data`, going on after short writes and EINTR. A write of
// nothing reports ENOSPC.
VResult WriteAll(int fd, const char* data, size_t size);
