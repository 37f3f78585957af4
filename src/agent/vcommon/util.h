#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

// Agent directory layout and small file helpers.
//
// Every function returning `char*` hands back a heap copy (strdup) that the
// caller releases with free(); `UniqueCString` does that for C++ callers.
//
// The layout hangs below one root, "/Library/Application Support" unless the
// environment variable VORA_AGENT_ROOT names another one (read on every call):
//   install dir   <root>/Orvel/VORA/bin/
//   data dir      <root>/Orvel/VORA/data/          (or .../data-EJB-<n>/)
//   per-user dir  <data dir>user/

struct FreeDeleter
{
    void operator()(char* p) const { std::free(p); }
};
using UniqueCString = std::unique_ptr<char, FreeDeleter>;

inline constexpr const char* kDefaultAgentRoot = "/Library/Application Support";
inline constexpr const char* kAgentRootVariable = "VORA_AGENT_ROOT";
inline constexpr const char* kLoadTestingVariable = "VEJBINSTANCE";

// The root the directories are formed from: VORA_AGENT_ROOT when set and not
// empty, else kDefaultAgentRoot.
std::string GetAgentRoot();

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
