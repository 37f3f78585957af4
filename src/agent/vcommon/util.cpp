#include "util.h"

#include "VCmdFileUtils.h"
#include "filecopy.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <libgen.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kPathBuffer = 1024;
constexpr size_t kExpandBuffer = 4096;

// snprintf into a fixed buffer; output longer than the buffer is cut, as the
// directory rules require.
template <size_t N, typename... Args>
void FormatInto(char (&buffer)[N], const char* format, Args... args)
{
    std::snprintf(buffer, N, format, args...);
}

std::string WithoutSlash(std::string path)
{
    if (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A load-testing instance starts from a copy of the main instance's
// configuration, made only when its directory is created here. Both
// directories are opened without following a link, and the copies are
// created exclusively: nothing planted in the new directory is written
// through.
void PrepareLoadTestingDir(const char* dataDir, const std::string& instanceDir)
{
    if (VCmdFileUtils::file_exists(instanceDir)) {
        return;
    }
    // A directory that exists already keeps what it has ("data-EJB-3"
    // there -> nothing copied). Its parent is the administrator's alone:
    // one that appears between the check and mkdir comes from another run
    // of ours, and each file is copied by whichever run creates it first
    // (the other's exclusive create fails).
    std::string name;
    const VSafeDir parent = VSafeDir::OpenParent(WithoutSlash(instanceDir), &name);
    if (parent.Exists(name)) {
        return;
    }
    const VSafeDir to = parent.SubDirectory(name, true, kDirectoryMode);
    if (!to.valid()) {
        return;
    }
    const VSafeDir from(dataDir);
    for (const char* name : {"arn.conf", "arn_auto.conf"}) {
        if (from.Exists(name)) {
            CopyFileInto(from, name, to);
        }
    }
}

void CreateIfMissing(const char* path, mode_t lastMode)
{
    if (!FileExists(path)) {
        VSafeDir::MakeDirectories(path, kDirectoryMode, lastMode);
    }
}

} // namespace

std::string RootOr(const char* fallback)
{
    const char* root = std::getenv(kAgentRootVariable);
    if (root != nullptr && root[0] != '\0') {
        return root;
    }
    return fallback;
}

std::string GetInstallRoot()
{
    return RootOr(kDefaultInstallRoot);
}

std::string GetDataRoot()
{
    return RootOr(kDefaultDataRoot);
}

char* GetInstalledPath(bool changeDir)
{
    char buffer[kPathBuffer];
    FormatInto(buffer, "%s" VORA_INSTALL_SUBDIR, GetInstallRoot().c_str());
    if (changeDir) {
        ChangeWorkingDir(buffer);
    }
    return strdup(buffer);
}

char* GetAppDataPath()
{
    char buffer[kPathBuffer];
    FormatInto(buffer, "%s" VORA_DATA_SUBDIR, GetDataRoot().c_str());

    const std::pair<bool, int> instance = LoadTestingInstance();
    if (instance.first) {
        // "<root>/Orvel/VORA/data/" -> "<root>/Orvel/VORA/data-EJB-3/"
        std::string instanceDir(buffer);
        if (!instanceDir.empty() && instanceDir.back() == '/') {
            instanceDir.pop_back();
        }
        instanceDir += "-EJB-" + boost::lexical_cast<std::string>(instance.second) + "/";
        PrepareLoadTestingDir(buffer, instanceDir);
        FormatInto(buffer, "%s", instanceDir.c_str());
    }

    CreateIfMissing(buffer, kDirectoryMode);
    return strdup(buffer);
}

char* GetUserDataPath()
{
    const UniqueCString dataPath(GetAppDataPath());
    char buffer[kPathBuffer];
    FormatInto(buffer, "%s" VORA_USER_SUBDIR, dataPath ? dataPath.get() : "");
    // Made here, it is the shared marker directory: whatever the umask.
    CreateIfMissing(buffer, kMarkerDirectoryMode);
    return strdup(buffer);
}

std::pair<bool, int> LoadTestingInstance()
{
    const char* value = std::getenv(kLoadTestingVariable);
    if (value == nullptr) {
        return {false, 0};
    }
    // sscanf("%d") semantics without its undefined overflow: leading blanks
    // and a sign are accepted, digits are required, the rest is ignored.
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value, &end, 10);
    if (end == value) {
        return {false, 0};
    }
    if (number > INT_MAX) {
        return {true, INT_MAX};
    }
    if (number < INT_MIN) {
        return {true, INT_MIN};
    }
    return {true, static_cast<int>(number)};
}

bool IsSmbUrl(const char* text)
{
    return text != nullptr && strncasecmp(text, "smb://", 6) == 0;
}

bool IsHttpOrHttpsUrl(const char* text)
{
    return text != nullptr &&
           (std::strncmp(text, "http://", 7) == 0 || std::strncmp(text, "https://", 8) == 0);
}

bool CreateDirAndFullPath(const char* path, unsigned int* error)
{
    if (path == nullptr) {
        return false;
    }
    char self[kPathBuffer];
    FormatInto(self, "%s", path);
    char parent[kPathBuffer];
    FormatInto(parent, "%s", self);
    const char* parentDir = dirname(parent);
    if (std::strcmp(parentDir, ".") != 0 && std::strcmp(parentDir, "/") != 0 &&
        std::strcmp(parentDir, self) != 0) {
        CreateDirAndFullPath(parentDir, nullptr);
    }
    return CreateDir(self, error);
}

bool CreateDir(const char* path, unsigned int* error)
{
    if (path == nullptr) {
        return false;
    }
    if (mkdir(path, 0775) == 0 || errno == EEXIST) {
        return true;
    }
    if (error != nullptr) {
        *error = static_cast<unsigned int>(errno);
    }
    return false;
}

bool ChangeWorkingDir(const char* path)
{
    return path != nullptr && chdir(path) == 0;
}

bool FileExists(const char* path)
{
    struct stat info;
    return path != nullptr && stat(path, &info) == 0;
}

bool FileSize(const char* path, unsigned long long* size)
{
    if (path == nullptr) {
        errno = EINVAL;
        return false;
    }
    struct stat info;
    if (stat(path, &info) != 0) {
        return false;
    }
    if (size != nullptr) {
        *size = static_cast<unsigned long long>(info.st_size);
    }
    return true;
}

void ExpandFilePath(char* path, int size)
{
    ExpandFilePathEx(path, size, true);
}

void ExpandFilePathEx(char* path, int size, bool relativeToData)
{
    if (path == nullptr || path[0] == '\0' || size <= 0) {
        return;
    }
    char copy[kExpandBuffer];
    FormatInto(copy, "%s", path);

    char result[kExpandBuffer];
    if (copy[0] != '/' && !IsSmbUrl(copy) && !IsHttpOrHttpsUrl(copy) && relativeToData) {
        const UniqueCString dataPath(GetAppDataPath());
        FormatInto(result, "%s%s", dataPath ? dataPath.get() : "", copy);
    } else {
        FormatInto(result, "%s", copy);
    }

    const size_t limit = static_cast<size_t>(size) - 1;
    const size_t length = std::min(std::strlen(result), limit);
    std::memcpy(path, result, length);
    path[length] = '\0';
}
