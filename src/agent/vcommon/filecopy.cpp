#include "filecopy.h"

#include "ScopedFd.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string DestinationPath(const char* from, const char* to)
{
    struct stat info;
    if (::stat(to, &info) != 0 || !S_ISDIR(info.st_mode)) {
        return to;
    }
    std::string source(from);
    const size_t slash = source.find_last_of('/');
    const std::string base = slash == std::string::npos ? source : source.substr(slash + 1);
    std::string target(to);
    if (!target.empty() && target.back() != '/') {
        target += '/';
    }
    return target + base;
}

bool CopyContents(int in, int out)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return false;
            }
            done += put;
        }
    }
}

} // namespace

bool CopyFilePreserving(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr) {
        return false;
    }
    ScopedFd in(::open(from, O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        return false;
    }
    struct stat info;
    if (::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }

    const std::string target = DestinationPath(from, to);
    ScopedFd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, info.st_mode & 07777));
    if (!out.valid()) {
        return false;
    }
    bool ok = CopyContents(in.get(), out.get());
    if (ok) {
        // Ownership can only be kept by a privileged caller; cp -p ignores
        // that failure as well.
        if (::fchown(out.get(), info.st_uid, info.st_gid) != 0) {
            errno = 0;
        }
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        ok = ::fchmod(out.get(), info.st_mode & 07777) == 0 && ::futimens(out.get(), times) == 0;
    }
    ok = out.release() && ok;
    if (!ok) {
        ::unlink(target.c_str());
    }
    return ok;
}
