#pragma once

#include <string>
#include <vector>

// Whole-file helpers for tests; they throw on failure so a broken fixture
// fails the test loudly.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
void MakeDirs(const std::string& path);
bool PathExists(const std::string& path);
std::vector<std::string> ListDir(const std::string& path); // sorted names, no "." or ".."
