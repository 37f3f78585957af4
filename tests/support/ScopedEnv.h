#pragma once

#include <optional>
#include <string>

// Sets (or unsets, with nullopt) one environment variable for a scope and
// restores the previous state afterwards.
class ScopedEnv final
{
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};
