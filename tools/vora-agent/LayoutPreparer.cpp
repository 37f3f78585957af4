#include "LayoutPreparer.h"

#include "VSafeDir.h"
#include "util.h"
#include "vlog.h"

#include "VoraLayout.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Step
{
    const char* name;
    mode_t mode;
};

constexpr Step kDirectories[] = {
    {kLayoutVendorDir, kDirectoryMode},
    {kLayoutProductDir, kDirectoryMode},
    {kLayoutDataDir, kDirectoryMode},
    {kLayoutUserDir, kMarkerDirectoryMode},
};

std::string Reason(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

// Gives the open log file its owner (as root) and exact mode.
bool Settle(int fd, mode_t mode, const std::string& path, std::vector<std::string>* problems)
{
    if (::geteuid() == 0 && ::fchown(fd, 0, 0) != 0) {
        const int error = errno;
        problems->push_back(Reason("cannot give " + path + " to root", error));
        return false;
    }
    if (::fchmod(fd, mode) != 0) {
        const int error = errno;
        problems->push_back(Reason("cannot set the mode of " + path, error));
        return false;
    }
    return true;
}

// The same for a directory.
bool Settle(const VSafeDir& dir, mode_t mode, std::vector<std::string>* problems)
{
    const uid_t owner = ::geteuid() == 0 ? 0 : static_cast<uid_t>(-1);
    const VResult settled = dir.SetOwnerAndMode(owner, owner, mode);
    if (!settled) {
        problems->push_back(Reason("cannot give " + dir.path() + " its owner and mode", settled.error));
    }
    return static_cast<bool>(settled);
}

// The log root (or this user) already has is kept; anything else standing
// at its name is swapped out for a fresh log and moved aside.
bool PrepareLog(const VSafeDir& user, std::vector<std::string>* problems)
{
    const std::string path = user.path() + "/" + kLogFileName;
    ScopedFd log = user.OpenRegular(kLogFileName, O_RDONLY, VOwners::RootOr(::geteuid()));
    if (!log.valid()) {
        log = user.CreateInPlace(kLogFileName, kSharedLogMode, true);
    }
    if (!log.valid()) {
        problems->push_back(Reason("cannot create " + path, log.error()));
        return false;
    }
    return Settle(log.get(), kSharedLogMode, path, problems);
}

} // namespace

bool LayoutPreparer::run(std::vector<std::string>* problems) const
{
    const std::string root = GetDataRoot();
    VSafeDir dir(root);
    if (!dir.valid()) {
        problems->push_back(Reason("cannot open " + root, dir.openError()));
        return false;
    }
    for (const Step& step : kDirectories) {
        VSafeDir next = dir.SubDirectory(step.name, true, 0700);
        if (!next.valid()) {
            problems->push_back(
                Reason("cannot make or open " + next.path() + " (a link is not followed)", next.openError()));
            return false;
        }
        if (!Settle(next, step.mode, problems)) {
            return false;
        }
        dir = std::move(next);
    }
    return PrepareLog(dir, problems);
}
