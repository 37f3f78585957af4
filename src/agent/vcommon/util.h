#pragma once

#include "VoraLayout.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>

// Agent directory layout and small file helpers.
//
// Every function returning `char*` hands back a heap copy (strdup) that the
// caller releases with free(); `UniqueCString` does that for C++ callers.
//
// The layout hangs below two roots, as the file system hierarchy wants for
// an add-on package: the install root "/opt" and the data root "/var/opt"
// (a packager may choose others: CMake's VORA_INSTALL_ROOT and
// VORA_DATA_ROOT; names and modes are in the generated VoraLayout.h). The
// environment variable VORA_AGENT_ROOT replaces both when set and not
// empty (read on every call):
//   install dir   <install root>/Orvel/VORA/bin/     /opt/Orvel/VORA/bin/
//   data dir      <data root>/Orvel/VORA/data/       /var/opt/Orvel/VORA/data/
//                 (or .../data-EJB-<n>/ for a load-testing instance)
//   per-user dir  <data dir>user/                    the shared marker directory
// The per-user directory is made sticky and writable for everyone (01777):
// the root agent and every user's dialog exchange markers there, and no
// user can remove or replace another's files. Missing directories are made
// through VSafeDir with their exact modes (the umask does not narrow them,
// no link is followed below the deepest one that exists).

struct FreeDeleter
{
    void operator()(char* p) const { std::free(p); }
};
using UniqueCString = std::unique_ptr<char, FreeDeleter>;

inline constexpr const char* kDefaultInstallRoot = VORA_INSTALL_ROOT;
inline constexpr const char* kDefaultDataRoot = VORA_DATA_ROOT;
inline constexpr const char* kAgentRootVariable = "VORA_AGENT_ROOT";
inline constexpr const char* kLoadTestingVariable = "VEJBINSTANCE";

// The roots the directories are formed from: VORA_AGENT_ROOT when set and
// not empty, else the defaults above.
std::string GetInstallRoot();
std::string GetDataRoot();

char* GetInstalledPath(bool changeDir);
char* GetAppDataPath();
char* GetUserDataPath();

// (flag, instance number) from VEJBINSTANCE: the flag is set only when the
// variable starts with exactly one decimal integer ("3" -> (true, 3),
// " 12abc" -> (true, 12), "abc" -> (false, 0)).
std::pair<bool, int> LoadTestingInstance();

bool IsSmbUrl(const char* text);
bool IsHttpOrHttpsUrl(const char* text);

bool CreateDirAndFullPath(const char* path, unsigned int* error);
bool CreateDir(const char* path, unsigned int* error);
bool ChangeWorkingDir(const char* path);
bool FileExists(const char* path);
bool FileSize(const char* path, unsigned long long* size);

void ExpandFilePath(char* path, int size);
void ExpandFilePathEx(char* path, int size, bool relativeToData);
