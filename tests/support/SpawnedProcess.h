#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A child process started with exact argument bytes (no text decoding in
// between), an explicit environment, and optionally as another user with a
// numeric uid (groups cleared, gid = uid: no account needed). Standard
// output and error go to one file, readable while it runs. Ended with
// SIGTERM (then SIGKILL) if still running when the object goes.
class SpawnedProcess final
{
public:
    struct Options
    {
        std::vector<std::string> arguments;   // program path first
        std::vector<std::string> environment; // "NAME=value"
        uid_t uid = static_cast<uid_t>(-1);
    };

    explicit SpawnedProcess(const Options& options);
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // Waits up to `timeoutMs` for the end; true when it ended.
    bool wait(int timeoutMs);
    bool running();
    void signal(int number) const;
    // Valid after wait() returned true.
    bool exitedNormally() const { return m_exited; }
    int exitCode() const { return m_exitCode; }
    int termSignal() const { return m_signal; }
    std::string output() const;

private:
    bool reap(int options);

    pid_t m_pid = -1;
    std::string m_outputPath;
    bool m_finished = false;
    bool m_exited = false;
    int m_exitCode = -1;
    int m_signal = 0;
};

// The environment of this process as "NAME=value" entries, without the
// names given, with the additions appended.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& additions,
                                         const std::vector<std::string>& removals = {});
