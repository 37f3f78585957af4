#include "LayoutPreparer.h"

#include "VSafeDir.h"
#include "util.h"
#include "vlog.h"

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
    {"Orvel", 0755},
    {"VORA", 0755},
    {"data", 0755},
    {"user", kMarkerDirectoryMode},
};
constexpr mode_t kLogMode = 0622;

std::string Reason(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

// Gives the open file or directory its owner (as root) and exact mode.
bool Settle(int fd, mode_t mode, const std::string& path, std::vector<std::string>* problems)
{
    if (::geteuid() == 0 && ::fchown(fd, 0, 0) != 0) {
        problems->push_back(Reason("cannot give " + path + " to root", errno));
        return false;
    }
    if (::fchmod(fd, mode) != 0) {
        problems->push_back(Reason("cannot set the mode of " + path, errno));
        return false;
    }
    return true;
}

bool PrepareLog(const VSafeDir& user, std::vector<std::string>* problems)
{
    const std::string path = user.path() + "/" + kLogFileName;
    ScopedFd log = user.CreateExclusive(kLogFileName, kLogMode);
    if (!log.valid() && errno == EEXIST) {
        struct stat info;
        VFileStatus status = VFileStatus::Failed;
        log = user.OpenRegular(kLogFileName, O_RDONLY, VOwners::RootOr(::geteuid()), &info, &status);
        if (!log.valid()) {
            problems->push_back(path + " " + VFileStatusText(status) +
                                ": move it away, then run prepare again");
            return false;
        }
    }
    if (!log.valid()) {
        problems->push_back(Reason("cannot create " + path, errno));
        return false;
    }
    return Settle(log.get(), kLogMode, path, problems);
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
        if (!Settle(next.fd(), step.mode, next.path(), problems)) {
            return false;
        }
        dir = std::move(next);
    }
    return PrepareLog(dir, problems);
}
