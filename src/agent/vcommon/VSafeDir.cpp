#include "VSafeDir.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iterator>
#include <sys/random.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kNoFollow = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// "/a/b/" -> "/a/b": a trailing slash would make open() follow a link in
// the last component.
std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A file another user could have planted must be a plain file with one
// name: a hard link to a root-owned file has root as its owner.
VResult Check(const struct stat& info, const VOwners& owners)
{
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
        return VResult::Failed(EINVAL, VResult::Kind::NotRegular);
    }
    return owners.trusts(info.st_uid) ? VResult::Ok() : VResult::Failed(EPERM, VResult::Kind::ForeignOwner);
}

// The failure of an open or a lookup, with its kind: ENOENT -> Missing,
// ELOOP (a link met with O_NOFOLLOW) -> NotRegular, EACCES -> Failed.
VResult OpenFailure(int error)
{
    switch (error) {
    case ENOENT:
        return VResult::Failed(error, VResult::Kind::Missing);
    case ELOOP:  // a link (O_NOFOLLOW)
    case EISDIR: // a directory opened for writing
    case ENXIO:  // a FIFO without reader, opened for writing
    case ENODEV:
        return VResult::Failed(error, VResult::Kind::NotRegular);
    default:
        return VResult::Failed(error);
    }
}

// Reads at most `maxBytes` from the descriptor; TooLarge when more follows.
VResult ReadAll(int fd, size_t maxBytes, std::string* content)
{
    content->clear();
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return VResult::FromErrno();
        }
        if (got == 0) {
            return VResult::Ok();
        }
        if (content->size() + static_cast<size_t>(got) > maxBytes) {
            content->append(buffer, maxBytes - content->size());
            return VResult::Failed(EFBIG, VResult::Kind::TooLarge);
        }
        content->append(buffer, static_cast<size_t>(got));
    }
}

// Whether Take may go on with the entry found: not of an untrusted owner,
// not a second name of a file, not declined by the caller, and with
// `plain` a regular file.
VResult Admit(const struct stat& found, const VOwners& owners, bool plain,
              const std::function<bool(const struct stat&)>& ready)
{
    if (!owners.trusts(found.st_uid)) {
        return VResult::Failed(EPERM, VResult::Kind::ForeignOwner);
    }
    if (S_ISREG(found.st_mode) && found.st_nlink != 1) {
        return VResult::Failed(EINVAL, VResult::Kind::NotRegular);
    }
    if (ready && !ready(found)) {
        return VResult::Failed(ECANCELED);
    }
    if (plain && !S_ISREG(found.st_mode)) {
        return VResult::Failed(EINVAL, VResult::Kind::NotRegular);
    }
    return VResult::Ok();
}

} // namespace

VSafeDir::VSafeDir(const std::string& path) : m_path(path)
{
    const std::string target = WithoutTrailingSlashes(path);
    m_fd = ScopedFd(::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    m_openError = m_fd.error();
}

VSafeDir::VSafeDir(ScopedFd fd, int openError, std::string path)
    : m_fd(std::move(fd)), m_openError(openError), m_path(std::move(path))
{
}

VSafeDir::VSafeDir(VSafeDir&& other) noexcept
    : m_fd(std::move(other.m_fd)), m_openError(other.m_openError), m_path(std::move(other.m_path))
{
}

VSafeDir& VSafeDir::operator=(VSafeDir&& other) noexcept
{
    m_fd = std::move(other.m_fd);
    m_openError = other.m_openError;
    m_path = std::move(other.m_path);
    return *this;
}

std::string VSafeDir::ChildPath(const std::string& name) const
{
    return m_path.empty() || m_path.back() == '/' ? m_path + name : m_path + "/" + name;
}

VSafeDir VSafeDir::SubDirectory(const std::string& name, bool create, mode_t mode) const
{
    const std::string path = ChildPath(name);
    if (!valid()) {
        return VSafeDir(ScopedFd::Failed(EBADF), EBADF, path);
    }
    const bool made = create && ::mkdirat(m_fd.get(), name.c_str(), mode) == 0;
    if (create && !made && errno != EEXIST) {
        const int error = errno;
        return VSafeDir(ScopedFd::Failed(error), error, path);
    }
    ScopedFd sub(::openat(m_fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (sub.valid() && made && ::fchmod(sub.get(), mode) != 0) {
        const int error = errno;
        return VSafeDir(ScopedFd::Failed(error), error, path);
    }
    const int error = sub.error();
    return VSafeDir(std::move(sub), error, path);
}

VSafeDir VSafeDir::MakeDirectories(const std::string& path, mode_t mode, mode_t lastMode)
{
    // The deepest directory that exists is opened by path; below it every
    // component is made and opened relative to its parent.
    std::string existing = WithoutTrailingSlashes(path);
    std::vector<std::string> missing;
    struct stat info;
    while (::stat(existing.c_str(), &info) != 0 && errno == ENOENT) {
        const size_t slash = existing.find_last_of('/');
        if (slash == std::string::npos) {
            missing.push_back(existing);
            existing = ".";
            break;
        }
        missing.push_back(existing.substr(slash + 1));
        existing = slash == 0 ? "/" : existing.substr(0, slash);
    }
    VSafeDir dir(existing);
    if (!dir.valid() && missing.empty()) {
        dir.m_path = path;
    }
    for (auto name = missing.rbegin(); name != missing.rend(); ++name) {
        if (name->empty()) {
            continue;
        }
        dir = dir.SubDirectory(*name, true, std::next(name) == missing.rend() ? lastMode : mode);
    }
    if (dir.valid()) {
        dir.m_path = path;
    }
    return dir;
}

VResult VSafeDir::SetOwnerAndMode(uid_t owner, gid_t group, mode_t mode) const
{
    if (!valid()) {
        return VResult::Failed(EBADF);
    }
    if ((owner != static_cast<uid_t>(-1) || group != static_cast<gid_t>(-1)) &&
        ::fchown(m_fd.get(), owner, group) != 0) {
        return VResult::FromErrno();
    }
    return VResult::Of(::fchmod(m_fd.get(), mode) == 0);
}

VResult VSafeDir::CanWrite() const
{
    if (!valid()) {
        return VResult::Failed(EBADF);
    }
    return VResult::Of(::faccessat(m_fd.get(), ".", W_OK | X_OK, AT_EACCESS) == 0);
}

long VSafeDir::MaxNameLength() const
{
    return valid() ? ::fpathconf(m_fd.get(), _PC_NAME_MAX) : -1;
}

bool VSafeDir::IsCurrent() const
{
    struct stat held;
    struct stat current;
    return valid() && ::fstat(m_fd.get(), &held) == 0 && held.st_nlink != 0 &&
           ::stat(m_path.c_str(), &current) == 0 && held.st_ino == current.st_ino &&
           held.st_dev == current.st_dev;
}

VResult VSafeDir::Stat(const std::string& name, struct stat* info) const
{
    if (!valid()) {
        return VResult::Failed(EBADF);
    }
    if (::fstatat(m_fd.get(), name.c_str(), info, AT_SYMLINK_NOFOLLOW) != 0) {
        return OpenFailure(errno);
    }
    return VResult::Ok();
}

bool VSafeDir::Exists(const std::string& name) const
{
    struct stat info;
    return static_cast<bool>(Stat(name, &info));
}

bool VSafeDir::IsPlainFileOf(const std::string& name, uid_t owner) const
{
    struct stat info;
    return Stat(name, &info) && S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == owner;
}

ScopedFd VSafeDir::OpenRegular(const std::string& name, int access, const VOwners& owners,
                               struct stat* info) const
{
    if (!valid()) {
        return ScopedFd::Failed(EBADF);
    }
    ScopedFd file(::openat(m_fd.get(), name.c_str(), access | kNoFollow));
    if (!file.valid()) {
        return ScopedFd::Failed(OpenFailure(file.error()));
    }
    struct stat own;
    struct stat* target = info != nullptr ? info : &own;
    if (::fstat(file.get(), target) != 0) {
        return ScopedFd::Failed(errno);
    }
    const VResult checked = Check(*target, owners);
    return checked ? std::move(file) : ScopedFd::Failed(checked);
}

ScopedFd VSafeDir::CreateExclusive(const std::string& name, mode_t mode, int extraFlags) const
{
    if (!valid()) {
        return ScopedFd::Failed(EBADF);
    }
    ScopedFd file(
        ::openat(m_fd.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | kNoFollow | extraFlags, mode));
    if (file.valid() && ::fchmod(file.get(), mode) != 0) {
        const int error = errno;
        ::unlinkat(m_fd.get(), name.c_str(), 0);
        return ScopedFd::Failed(error);
    }
    return file;
}

ScopedFd VSafeDir::CreateInPlace(const std::string& name, mode_t mode, bool replace) const
{
    const std::string temporary = RandomName(".vsafe-");
    ScopedFd file = CreateExclusive(temporary, mode, O_APPEND);
    if (!file.valid()) {
        return file;
    }
    const VResult placed = replace ? Install(temporary, *this, name)
                                   : VResult::Of(::renameat2(m_fd.get(), temporary.c_str(), m_fd.get(),
                                                             name.c_str(), RENAME_NOREPLACE) == 0);
    if (!placed) {
        ::unlinkat(m_fd.get(), temporary.c_str(), 0);
        return ScopedFd::Failed(placed.error);
    }
    return file;
}

ScopedFd VSafeDir::OpenAppend(const std::string& name, mode_t mode, const VOwners& owners,
                              struct stat* info) const
{
    // The file is there nearly always (a log line, a second answer line):
    // opened first, created only when missing. Two rounds, since the entry
    // may appear or vanish between the two calls.
    for (int round = 0; round < 2; ++round) {
        struct stat own;
        struct stat* target = info != nullptr ? info : &own;
        ScopedFd file = OpenRegular(name, O_WRONLY | O_APPEND, owners, target);
        if (file.result().kind != VResult::Kind::Missing) {
            return file;
        }
        ScopedFd created = CreateExclusive(name, mode, O_APPEND);
        if (created.valid() && ::fstat(created.get(), target) != 0) {
            *target = {};
        }
        if (created.valid() || created.error() != EEXIST) {
            return created.valid() ? std::move(created) : ScopedFd::Failed(OpenFailure(created.error()));
        }
    }
    return ScopedFd::Failed(EEXIST);
}

VRead VSafeDir::ReadFile(const std::string& name, const VOwners& owners, size_t maxBytes) const
{
    VRead read;
    const ScopedFd file = OpenRegular(name, O_RDONLY, owners, &read.info);
    read.result = file.valid() ? ReadAll(file.get(), maxBytes, &read.content) : file.result();
    return read;
}

VTake VSafeDir::Take(const std::string& name, const VOwners& owners, size_t maxBytes,
                     const std::function<bool(const struct stat& found)>& ready) const
{
    VTake take;
    take.read.result = Stat(name, &take.read.info);
    if (take.read.result) {
        take.read.result = Admit(take.read.info, owners, maxBytes != 0, ready);
    }
    if (!take.read.result) {
        take.removed = take.read.result;
        return take;
    }
    if (maxBytes == 0) {
        take.removed = Remove(name);
        return take;
    }
    const std::string taken = RandomName(".vsafe-taken-");
    take.removed = Rename(name, taken);
    if (take.removed) {
        take.read = ReadFile(taken, owners, maxBytes);
        Remove(taken);
    }
    return take;
}

VResult VSafeDir::Publish(const std::string& name, const std::string& content, mode_t mode, uid_t owner,
                          gid_t group, struct stat* published) const
{
    const std::string temporary = RandomName(".vsafe-");
    ScopedFd file = CreateExclusive(temporary, mode);
    if (!file.valid()) {
        return VResult::Failed(file.error());
    }
    VResult done = WriteAll(file.get(), content.data(), content.size());
    if (done && (owner != static_cast<uid_t>(-1) || group != static_cast<gid_t>(-1))) {
        done = VResult::Of(::fchown(file.get(), owner, group) == 0);
    }
    if (done && published != nullptr) {
        done = VResult::Of(::fstat(file.get(), published) == 0);
    }
    const VResult closed = file.close();
    if (done && closed) {
        done = Rename(temporary, name);
        // A directory planted at the name (a file cannot replace one): the
        // two are exchanged in one step, where the caller may (root in a
        // sticky directory), and the directory is moved aside from the
        // temporary name. Removing it first would lose to a user who makes
        // it again in a loop.
        if (!done && (done.error == EISDIR || done.error == ENOTEMPTY || done.error == EEXIST)) {
            done = VResult::Of(
                ::renameat2(m_fd.get(), temporary.c_str(), m_fd.get(), name.c_str(), RENAME_EXCHANGE) == 0);
            if (done) {
                MoveAside(temporary);
                return done;
            }
        }
    } else if (done) {
        done = closed;
    }
    if (!done) {
        ::unlinkat(m_fd.get(), temporary.c_str(), 0);
        errno = done.error; // for callers that still report errno
    }
    return done;
}

VResult VSafeDir::Remove(const std::string& name) const
{
    if (!valid()) {
        return VResult::Failed(EBADF);
    }
    if (::unlinkat(m_fd.get(), name.c_str(), 0) == 0 || errno == ENOENT) {
        return VResult::Ok();
    }
    if (errno != EISDIR) {
        return VResult::FromErrno();
    }
    if (::unlinkat(m_fd.get(), name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
        return VResult::Ok();
    }
    if (errno != ENOTEMPTY && errno != EEXIST) {
        return VResult::FromErrno();
    }
    // A directory with something in it: its name is freed all the same.
    return MoveAside(name);
}

VResult VSafeDir::MoveAside(const std::string& name) const
{
    if (!valid()) {
        return VResult::Failed(EBADF);
    }
    return VResult::Of(::renameat(m_fd.get(), name.c_str(), m_fd.get(), RandomName(kMovedPrefix).c_str()) ==
                       0);
}

VResult VSafeDir::Rename(const std::string& from, const std::string& to) const
{
    return Rename(from, *this, to);
}

VResult VSafeDir::Rename(const std::string& from, const VSafeDir& toDir, const std::string& to) const
{
    if (!valid() || !toDir.valid()) {
        return VResult::Failed(EBADF);
    }
    return VResult::Of(::renameat(m_fd.get(), from.c_str(), toDir.m_fd.get(), to.c_str()) == 0);
}

VResult VSafeDir::Install(const std::string& from, const VSafeDir& toDir, const std::string& to) const
{
    if (!valid() || !toDir.valid()) {
        return VResult::Failed(EBADF);
    }
    // The target may be planted again between two calls: a few rounds.
    VResult last = VResult::Failed(EEXIST);
    for (int round = 0; round < 4; ++round) {
        if (::renameat2(m_fd.get(), from.c_str(), toDir.m_fd.get(), to.c_str(), RENAME_NOREPLACE) == 0) {
            return VResult::Ok();
        }
        if (errno != EEXIST) {
            return VResult::FromErrno();
        }
        if (toDir.IsPlainFileOf(to, ::geteuid())) {
            return VResult::Failed(EEXIST); // this user's own file: never swapped out
        }
        // Swapped: `from` now holds what stood at `to`.
        if (::renameat2(m_fd.get(), from.c_str(), toDir.m_fd.get(), to.c_str(), RENAME_EXCHANGE) == 0) {
            MoveAside(from);
            return VResult::Ok();
        }
        last = VResult::FromErrno();
        if (last.error != ENOENT) {
            return last;
        }
    }
    return last;
}

std::string VSafeDir::RandomName(const char* prefix)
{
    unsigned char bytes[8] = {};
    size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t got = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break; // O_EXCL still keeps a guessed name from being used
        }
        filled += static_cast<size_t>(got);
    }
    char hex[2 * sizeof bytes + 1];
    for (size_t i = 0; i < sizeof bytes; ++i) {
        std::snprintf(hex + 2 * i, 3, "%02x", bytes[i]);
    }
    return std::string(prefix) + hex;
}

VSafeDir VSafeDir::OpenParent(const std::string& path, std::string* name)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        *name = path;
        return VSafeDir(".");
    }
    *name = path.substr(slash + 1);
    return VSafeDir(slash == 0 ? "/" : path.substr(0, slash));
}

VResult WriteAll(int fd, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd, data + done, size - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return VResult::Failed(written == 0 ? ENOSPC : errno);
        }
        done += static_cast<size_t>(written);
    }
    return VResult::Ok();
}
