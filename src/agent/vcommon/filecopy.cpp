#include "filecopy.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
        if (!WriteAll(out, buffer, static_cast<size_t>(got))) {
            return false;
        }
    }
}

} // namespace

bool CopyFileInto(const VSafeDir& from, const std::string& name, const VSafeDir& to)
{
    struct stat info;
    const ScopedFd in = from.OpenRegular(name, O_RDONLY, VOwners::RootOr(::geteuid()), &info);
    if (!in.valid()) {
        return false;
    }
    ScopedFd out = to.CreateExclusive(name, info.st_mode & 07777);
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
    ok = out.close() && ok;
    if (!ok) {
        to.Remove(name);
    }
    return ok;
}
