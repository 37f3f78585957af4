#include "SpawnedProcess.h"

#include "FileHelpers.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::string NameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

} // namespace

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& additions,
                                         const std::vector<std::string>& removals)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        bool drop = false;
        for (const std::string& name : removals) {
            drop = drop || NameOf(text) == name;
        }
        for (const std::string& addition : additions) {
            drop = drop || NameOf(text) == NameOf(addition);
        }
        if (!drop) {
            result.push_back(text);
        }
    }
    result.insert(result.end(), additions.begin(), additions.end());
    return result;
}

SpawnedProcess::SpawnedProcess(const Options& options)
{
    char path[] = "/tmp/vora-spawn-XXXXXX";
    const int out = ::mkstemp(path);
    if (out < 0) {
        throw std::runtime_error("mkstemp failed");
    }
    m_outputPath = path;
    ::fchmod(out, 0666);
    std::vector<std::string> arguments = options.arguments;
    std::vector<std::string> environment = options.environment;
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);

    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        if (options.uid != static_cast<uid_t>(-1)) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(options.uid) != 0 || ::setuid(options.uid) != 0) {
                ::_exit(126);
            }
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out);
    if (m_pid < 0) {
        throw std::runtime_error("fork failed");
    }
}

SpawnedProcess::~SpawnedProcess()
{
    // SIGTERM first, so that programs end through their exit path (leak
    // checks included); SIGKILL when that does not end them.
    if (!m_finished && m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        if (!wait(10000)) {
            ::kill(m_pid, SIGKILL);
            reap(0);
        }
    }
    ::unlink(m_outputPath.c_str());
}

bool SpawnedProcess::reap(int options)
{
    int status = 0;
    const pid_t got = ::waitpid(m_pid, &status, options);
    if (got != m_pid) {
        return false;
    }
    m_finished = true;
    m_exited = WIFEXITED(status);
    m_exitCode = m_exited ? WEXITSTATUS(status) : -1;
    m_signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return true;
}

bool SpawnedProcess::wait(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_finished) {
        if (reap(WNOHANG)) {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool SpawnedProcess::running()
{
    return !m_finished && !reap(WNOHANG);
}

void SpawnedProcess::signal(int number) const
{
    if (!m_finished) {
        ::kill(m_pid, number);
    }
}

std::string SpawnedProcess::output() const
{
    return ReadFile(m_outputPath);
}
