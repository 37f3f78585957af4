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
VFileStatus Check(const struct stat& info, const VOwners& owners)
{
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
        return VFileStatus::NotRegular;
    }
    return owners.trusts(info.st_uid) ? VFileStatus::Ok : VFileStatus::ForeignOwner;
}

VFileStatus StatusOfOpenError(int error)
{
    switch (error) {
    case ENOENT:
        return VFileStatus::Missing;
    case ELOOP:  // a link (O_NOFOLLOW)
    case EISDIR: // a directory opened for writing
    case ENXIO:  // a FIFO without reader, opened for writing
    case ENODEV:
        return VFileStatus::NotRegular;
    default:
        return VFileStatus::Failed;
    }
}

void Set(VFileStatus* target, VFileStatus value)
{
    if (target != nullptr) {
        *target = value;
    }
}

} // namespace

const char* VFileStatusText(VFileStatus status)
{
    switch (status) {
    case VFileStatus::Ok:
        return "ok";
    case VFileStatus::Missing:
        return "does not exist";
    case VFileStatus::NotRegular:
        return "is a link, a directory, a FIFO or a file with several names, not a plain file";
    case VFileStatus::ForeignOwner:
        return "belongs to a user who may not write it";
    case VFileStatus::TooLarge:
        return "is larger than allowed";
    case VFileStatus::Failed:
        break;
    }
    return "cannot be used";
}

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
    return VResult::Of(::fstatat(m_fd.get(), name.c_str(), info, AT_SYMLINK_NOFOLLOW) == 0);
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

ScopedFd VSafeDir::OpenRegular(const std::string& name, int access, const VOwners& owners, struct stat* info,
                               VFileStatus* status) const
{
    if (!valid()) {
        Set(status, VFileStatus::Failed);
        return ScopedFd::Failed(EBADF);
    }
    ScopedFd file(::openat(m_fd.get(), name.c_str(), access | kNoFollow));
    if (!file.valid()) {
        Set(status, StatusOfOpenError(file.error()));
        return file;
    }
    struct stat own;
    struct stat* target = info != nullptr ? info : &own;
    if (::fstat(file.get(), target) != 0) {
        Set(status, VFileStatus::Failed);
        return ScopedFd::Failed(errno);
    }
    const VFileStatus checked = Check(*target, owners);
    Set(status, checked);
    if (checked != VFileStatus::Ok) {
        return ScopedFd::Failed(checked == VFileStatus::ForeignOwner ? EPERM : EINVAL);
    }
    return file;
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
                              VFileStatus* status, struct stat* info) const
{
    // The file is there nearly always (a log line, a second answer line):
    // opened first, created only when missing. Two rounds, since the entry
    // may appear or vanish between the two calls.
    for (int round = 0; round < 2; ++round) {
        VFileStatus existing = VFileStatus::Failed;
        struct stat own;
        struct stat* target = info != nullptr ? info : &own;
        ScopedFd file = OpenRegular(name, O_WRONLY | O_APPEND, owners, target, &existing);
        if (existing != VFileStatus::Missing) {
            Set(status, existing);
            return file;
        }
        ScopedFd created = CreateExclusive(name, mode, O_APPEND);
        if (created.valid() && ::fstat(created.get(), target) != 0) {
            *target = {};
        }
        if (created.valid() || created.error() != EEXIST) {
            Set(status, created.valid() ? VFileStatus::Ok : StatusOfOpenError(created.error()));
            return created;
        }
    }
    Set(status, VFileStatus::Failed);
    return ScopedFd::Failed(EEXIST);
}

VFileStatus VSafeDir::ReadFile(const std::string& name, const VOwners& owners, size_t maxBytes,
                               std::string* content, struct stat* info, int* error) const
{
    VFileStatus status = VFileStatus::Failed;
    const ScopedFd file = OpenRegular(name, O_RDONLY, owners, info, &status);
    if (!file.valid()) {
        if (error != nullptr) {
            *error = file.error();
        }
        return status;
    }
    status = ReadAll(file.get(), maxBytes, content);
    if (error != nullptr) {
        *error = status == VFileStatus::Failed ? errno : 0;
    }
    return status;
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

VFileStatus ReadAll(int fd, size_t maxBytes, std::string* content)
{
    content->clear();
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return VFileStatus::Failed;
        }
        if (got == 0) {
            return VFileStatus::Ok;
        }
        if (content->size() + static_cast<size_t>(got) > maxBytes) {
            content->append(buffer, maxBytes - content->size());
            return VFileStatus::TooLarge;
        }
        content->append(buffer, static_cast<size_t>(got));
    }
}
