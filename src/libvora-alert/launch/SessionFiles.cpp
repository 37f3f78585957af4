#include "SessionFiles.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace vora::launch {

namespace {

struct DirectoryClose
{
    void operator()(DIR* directory) const { ::closedir(directory); }
};

// Entries read from one directory at most: /tmp/.X11-unix is writable by
// everyone, and a user filling it must not hold the agent's launch.
constexpr int kMaxEntries = 4096;

// `visit` for each name in `directory` that starts with `prefix`, in the
// first kMaxEntries entries.
template <typename Visit>
void ForEachName(const std::string& directory, const std::string& prefix, Visit visit)
{
    const std::unique_ptr<DIR, DirectoryClose> listing(::opendir(directory.c_str()));
    if (!listing) {
        return;
    }
    int read = 0;
    for (const dirent* entry = nullptr; read < kMaxEntries && (entry = ::readdir(listing.get())) != nullptr;
         ++read) {
        const std::string name = entry->d_name;
        if (name.rfind(prefix, 0) == 0) {
            visit(name);
        }
    }
}

// The number after `prefix` when the rest of `name` is that number as
// written ("wayland-12" -> 12; "wayland-1.lock", "wayland-", "wayland-00"
// -> -1: "wayland-00" is not the name "wayland-0" would be).
long NumberAfter(const std::string& name, const std::string& prefix)
{
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos ||
        (digits.size() > 1 && digits[0] == '0')) {
        return -1;
    }
    return std::strtol(digits.c_str(), nullptr, 10);
}

// lstat of `path`: the entry itself, a link never followed.
bool Owned(const std::string& path, uid_t uid, mode_t type, struct stat* status)
{
    return ::lstat(path.c_str(), status) == 0 && (status->st_mode & S_IFMT) == type && status->st_uid == uid;
}

// The lowest N of the sockets PREFIX-N she owns in `directory`; -1 when none.
long LowestOwnedSocket(const std::string& directory, const std::string& prefix, uid_t uid)
{
    long lowest = -1;
    ForEachName(directory, prefix, [&](const std::string& name) {
        const long number = NumberAfter(name, prefix);
        struct stat status = {};
        if (number >= 0 && (lowest < 0 || number < lowest) &&
            Owned(directory + "/" + name, uid, S_IFSOCK, &status)) {
            lowest = number;
        }
    });
    return lowest;
}

// The newest of RUNTIME/.mutter-Xwaylandauth.* she owns (Xwayland writes
// a new one each time it starts).
std::string NewestMutterCookie(const std::string& runtimeDir, uid_t uid)
{
    std::string newest;
    struct timespec newestTime = {};
    ForEachName(runtimeDir, ".mutter-Xwaylandauth.", [&](const std::string& name) {
        const std::string path = runtimeDir + "/" + name;
        struct stat status = {};
        if (Owned(path, uid, S_IFREG, &status) &&
            (newest.empty() || status.st_mtim.tv_sec > newestTime.tv_sec ||
             (status.st_mtim.tv_sec == newestTime.tv_sec && status.st_mtim.tv_nsec > newestTime.tv_nsec))) {
            newest = path;
            newestTime = status.st_mtim;
        }
    });
    return newest;
}

} // namespace

std::string WaylandSocket(const std::string& runtimeDir, uid_t uid)
{
    const long number = LowestOwnedSocket(runtimeDir, "wayland-", uid);
    return number < 0 ? std::string() : "wayland-" + std::to_string(number);
}

std::string XDisplayOfSockets(uid_t uid, const std::string& socketDirectory)
{
    // Only the system's socket directory: root's, sticky, not a link.
    struct stat directory = {};
    if (!Owned(socketDirectory, 0, S_IFDIR, &directory) || (directory.st_mode & S_ISVTX) == 0) {
        return std::string();
    }
    const long number = LowestOwnedSocket(socketDirectory, "X", uid);
    return number < 0 ? std::string() : ":" + std::to_string(number);
}

std::string XCookie(const std::string& runtimeDir, const std::string& home, uid_t uid)
{
    if (!runtimeDir.empty()) {
        const std::string mutter = NewestMutterCookie(runtimeDir, uid);
        if (!mutter.empty()) {
            return mutter;
        }
    }
    std::vector<std::string> candidates;
    if (!runtimeDir.empty()) {
        candidates.push_back(runtimeDir + "/gdm/Xauthority");
    }
    if (!home.empty()) {
        candidates.push_back(home + (home.back() == '/' ? "" : "/") + ".Xauthority");
    }
    for (const std::string& path : candidates) {
        struct stat status = {};
        if (Owned(path, uid, S_IFREG, &status)) {
            return path;
        }
    }
    return std::string();
}

} // namespace vora::launch
