#include "VSafeDir.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

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
    m_openError = m_fd.valid() ? 0 : errno;
}

VSafeDir::VSafeDir(ScopedFd fd, int openError, std::string path)
    : m_fd(std::move(fd)), m_openError(openError), m_path(std::move(path))
{
}

VSafeDir VSafeDir::SubDirectory(const std::string& name, bool create, mode_t mode) const
{
    const std::string path = m_path.empty() || m_path.back() == '/' ? m_path + name : m_path + "/" + name;
    if (!valid()) {
        return VSafeDir(ScopedFd(-1), EBADF, path);
    }
    if (create && ::mkdirat(fd(), name.c_str(), mode) != 0 && errno != EEXIST) {
        return VSafeDir(ScopedFd(-1), errno, path);
    }
    ScopedFd sub(::openat(fd(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const int error = sub.valid() ? 0 : errno;
    return VSafeDir(std::move(sub), error, path);
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

bool VSafeDir::Stat(const std::string& name, struct stat* info) const
{
    return valid() && ::fstatat(fd(), name.c_str(), info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool VSafeDir::Exists(const std::string& name) const
{
    struct stat info;
    return Stat(name, &info);
}

ScopedFd VSafeDir::OpenRegular(const std::string& name, int access, const VOwners& owners, struct stat* info,
                               VFileStatus* status) const
{
    if (!valid()) {
        errno = EBADF;
        Set(status, VFileStatus::Failed);
        return ScopedFd(-1);
    }
    ScopedFd file(::openat(fd(), name.c_str(), access | kNoFollow));
    if (!file.valid()) {
        Set(status, StatusOfOpenError(errno));
        return file;
    }
    struct stat own;
    struct stat* target = info != nullptr ? info : &own;
    if (::fstat(file.get(), target) != 0) {
        Set(status, VFileStatus::Failed);
        return ScopedFd(-1);
    }
    const VFileStatus checked = Check(*target, owners);
    Set(status, checked);
    if (checked != VFileStatus::Ok) {
        errno = checked == VFileStatus::ForeignOwner ? EPERM : EINVAL;
        return ScopedFd(-1);
    }
    return file;
}

ScopedFd VSafeDir::CreateExclusive(const std::string& name, mode_t mode, int extraFlags) const
{
    if (!valid()) {
        errno = EBADF;
        return ScopedFd(-1);
    }
    ScopedFd file(::openat(fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | kNoFollow | extraFlags, mode));
    if (file.valid() && ::fchmod(file.get(), mode) != 0) {
        const int error = errno;
        ::unlinkat(fd(), name.c_str(), 0);
        errno = error;
        return ScopedFd(-1);
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
        if (created.valid() || errno != EEXIST) {
            Set(status, created.valid() ? VFileStatus::Ok : StatusOfOpenError(errno));
            return created;
        }
    }
    Set(status, VFileStatus::Failed);
    return ScopedFd(-1);
}

VFileStatus VSafeDir::ReadFile(const std::string& name, const VOwners& owners, size_t maxBytes,
                               std::string* content, struct stat* info) const
{
    VFileStatus status = VFileStatus::Failed;
    const ScopedFd file = OpenRegular(name, O_RDONLY, owners, info, &status);
    if (!file.valid()) {
        return status;
    }
    return ReadAll(file.get(), maxBytes, content);
}

bool VSafeDir::Publish(const std::string& name, const std::string& content, mode_t mode, uid_t owner,
                       gid_t group) const
{
    const std::string temporary = RandomName(".vsafe-");
    ScopedFd file = CreateExclusive(temporary, mode);
    if (!file.valid()) {
        return false;
    }
    bool ok = WriteAll(file.get(), content.data(), content.size());
    if (ok && (owner != static_cast<uid_t>(-1) || group != static_cast<gid_t>(-1))) {
        ok = ::fchown(file.get(), owner, group) == 0;
    }
    ok = file.release() && ok;
    if (ok && ::renameat(fd(), temporary.c_str(), fd(), name.c_str()) == 0) {
        return true;
    }
    // A directory planted at the name (a file cannot replace one): moved
    // out of the way, where the caller may (root in a sticky directory).
    if (ok && (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST) && MoveAside(name) &&
        ::renameat(fd(), temporary.c_str(), fd(), name.c_str()) == 0) {
        return true;
    }
    const int error = errno;
    ::unlinkat(fd(), temporary.c_str(), 0);
    errno = error;
    return false;
}

bool VSafeDir::Remove(const std::string& name) const
{
    if (!valid()) {
        errno = EBADF;
        return false;
    }
    if (::unlinkat(fd(), name.c_str(), 0) == 0 || errno == ENOENT) {
        return true;
    }
    if (errno == EISDIR) {
        if (::unlinkat(fd(), name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
            return true;
        }
        // A directory with something in it: its name is freed all the same.
        return (errno == ENOTEMPTY || errno == EEXIST) && MoveAside(name);
    }
    return false;
}

bool VSafeDir::MoveAside(const std::string& name) const
{
    return ::renameat(fd(), name.c_str(), fd(), RandomName(".vsafe-moved-").c_str()) == 0;
}

bool VSafeDir::Rename(const std::string& from, const std::string& to) const
{
    if (!valid()) {
        errno = EBADF;
        return false;
    }
    return ::renameat(fd(), from.c_str(), fd(), to.c_str()) == 0;
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

bool WriteAll(int fd, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd, data + done, size - done);
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
    return true;
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
