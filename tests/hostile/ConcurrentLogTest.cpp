// Eight processes logging to one VAgent.log across many rollovers: every
// line must land, whole, in one of the files. Then root logging while a
// hostile user (uid 4343) keeps planting directories at the log's names,
// and a rollover held up by another process's lock.
#include "FileHelpers.h"
#include "TempAgentRoot.h"
#include "VLogFile.h"
#include "util.h"
#include "vlog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <regex>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kProcesses = 8;
constexpr int kLinesEach = 3000;

[[noreturn]] void LogAndExit(int writer)
{
    LOG_MAX_SIZE = 64 * 1024;
    LOG_MAX_FILES = 200; // more than the run fills: only races may lose lines
    LogStruct log;
    std::memset(&log, 0, sizeof log);
    LogInitEx(&log, nullptr, "Hostile", true, 0);
    for (int line = 0; line < kLinesEach; ++line) {
        LogMsgEx(&log, LOG_FILE, 0, "writer", "w%d l%05d %s", writer, line,
                 "payload-payload-payload-payload");
    }
    _exit(0);
}

} // namespace

TEST(HostileLog, ConcurrentWritersAcrossRolloversKeepLinesWhole)
{
    TempAgentRoot root;
    free(GetUserDataPath());
    std::vector<pid_t> children;
    for (int writer = 0; writer < kProcesses; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            LogAndExit(writer);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    static const std::regex kWhole(R"(\[\d{4}-\d{2}-\d{2}\.\d{2}:\d{2}:\d{2}\])" +
                                   std::string("\\[Hostile:writer") + std::string(32 - 14, ' ') +
                                   R"(\] w(\d) l(\d{5}) payload-payload-payload-payload)");
    std::set<std::pair<int, int>> seen;
    size_t torn = 0;
    size_t files = 0;
    for (const std::string& name : ListDir(root.userDir())) {
        if (name.rfind("VAgent", 0) != 0) {
            continue;
        }
        ++files;
        std::istringstream lines(ReadFile(root.userDir() + name));
        for (std::string line; std::getline(lines, line);) {
            std::smatch match;
            if (!std::regex_match(line, match, kWhole)) {
                ++torn;
                continue;
            }
            seen.emplace(std::stoi(match[1]), std::stoi(match[2]));
        }
    }
    const size_t written = size_t(kProcesses) * kLinesEach;
    const size_t lost = written - seen.size();
    std::printf(
        "%zu lines written by %d processes into %zu files; %zu lost to rollover races (%.3f%%), %zu torn\n",
        written, kProcesses, files, lost, 100.0 * double(lost) / double(written), torn);
    RecordProperty("lines_lost", static_cast<int>(lost));
    EXPECT_EQ(torn, 0u);
    EXPECT_EQ(lost, 0u);   // rollover is serialised between processes
    EXPECT_GT(files, 20u); // the test did roll over many times
}

namespace {

// Lines "r<number> ..." of root found in the files `prefix`*.log of `dir`.
std::set<int> RootLinesIn(const std::string& dir, const std::string& prefix, size_t* largest)
{
    static const std::regex kRootLine(R"(\] r(\d{5}) x+$)");
    std::set<int> seen;
    for (const std::string& name : ListDir(dir)) {
        if (name.rfind(prefix, 0) != 0 || name.size() < 4 || name.substr(name.size() - 4) != ".log") {
            continue;
        }
        const std::string text = ReadFile(dir + name);
        *largest = std::max(*largest, text.size());
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            std::smatch match;
            if (std::regex_search(line, match, kRootLine)) {
                seen.insert(std::stoi(match[1]));
            }
        }
    }
    return seen;
}

} // namespace

// The user renames directories into every name the log uses, as fast as it
// can, while root logs across rollovers. Every line of root lands in the
// shared history and in root's own copy, and no file passes the limit by
// more than a line.
TEST(HostileLog, PlantedDirectoriesAndARenameLoopLoseNoLineOfRoot)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as the agent and to run another user";
    }
    TempAgentRoot root;
    ::chmod(root.root().c_str(), 0755);
    free(GetUserDataPath());
    const pid_t racer = fork();
    ASSERT_GE(racer, 0);
    if (racer == 0) {
        if (::setgid(4343) != 0 || ::setuid(4343) != 0 || ::chdir(root.userDir().c_str()) != 0) {
            _exit(100);
        }
        const char* const names[] = {"VAgent.log", "VAgent1.log", "VAgent2.log", "VAgent3.log",
                                     "VAgent4.log"};
        for (unsigned long i = 0;; ++i) {
            const std::string mine = "p" + std::to_string(i);
            if (::mkdir(mine.c_str(), 0777) != 0 || ::mkdir((mine + "/x").c_str(), 0777) != 0 ||
                ::rename(mine.c_str(), names[i % 5]) != 0) {
                ::rmdir((mine + "/x").c_str());
                ::rmdir(mine.c_str());
            }
        }
    }
    LOG_MAX_SIZE = 2000;
    LOG_MAX_FILES = 400; // more than the run fills: every line stays
    constexpr int kLines = 1500;
    {
        LogStruct log;
        std::memset(&log, 0, sizeof log);
        LogInitEx(&log, nullptr, "Agent", true, 0);
        for (int line = 0; line < kLines; ++line) {
            LogMsgEx(&log, LOG_FILE, 0, "root", "r%05d %s", line, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
        }
        DestroyLock(log.lock);
    }
    ::kill(racer, SIGKILL);
    ::waitpid(racer, nullptr, 0);

    size_t largest = 0;
    const std::set<int> shared = RootLinesIn(root.userDir(), "VAgent", &largest);
    size_t largestCopy = 0;
    const std::set<int> copy = RootLinesIn(root.dataDir(), "VAgent-root", &largestCopy);
    LOG_MAX_SIZE = 4194304;
    LOG_MAX_FILES = 5;
    EXPECT_EQ(shared.size(), size_t(kLines));
    EXPECT_EQ(copy.size(), size_t(kLines));
    EXPECT_LE(largest, 2000u + 100u);
    EXPECT_LE(largestCopy, 2000u + 100u);
}

namespace {

// The first pause of a rollover (held up by another process's lock) logs
// a line from a second thread and waits for it to be written.
std::atomic<bool> g_probed{false};
std::atomic<bool> g_otherThreadWrote{false};
LogStruct* g_probeLog = nullptr;

int ProbeFromInsideTheRollover(useconds_t microseconds)
{
    if (!g_probed.exchange(true)) {
        std::future<void> other = std::async(
            std::launch::async, [] { LogMsgEx(g_probeLog, LOG_FILE, 0, "other", "line of another thread"); });
        g_otherThreadWrote = other.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        if (!g_otherThreadWrote) {
            _exit(3); // the other thread is held behind the rollover
        }
    }
    return ::usleep(microseconds);
}

} // namespace

// A rollover waiting for another process's lock (at most a second) holds
// up no other thread's line: it runs outside the process-local log lock.
TEST(HostileLog, ARolloverWaitingForAnotherProcessHoldsUpNoOtherThread)
{
    TempAgentRoot root;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LogStruct log;
        std::memset(&log, 0, sizeof log);
        LogInitEx(&log, nullptr, "T", true, 0);
        LogMsgEx(&log, LOG_FILE, 0, "f", "%s", std::string(200, 'a').c_str());
        LOG_MAX_SIZE = 100;
        // Another holder of the rollover lock: an open file of its own.
        const int holder = ::open(log.path, O_RDONLY);
        if (holder < 0 || ::flock(holder, LOCK_EX) != 0) {
            _exit(2);
        }
        g_probeLog = &log;
        VLogFile::Clock probing;
        probing.pause = ProbeFromInsideTheRollover;
        VLogFile::ForPath(log.path)->setClock(probing);
        LogMsgEx(&log, LOG_FILE, 0, "f", "line that waits for the rollover");
        const std::string text = ReadFile(log.path);
        const bool both = text.find("line of another thread") != std::string::npos &&
                          text.find("line that waits") != std::string::npos;
        _exit(g_probed && g_otherThreadWrote && both ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a line is missing, 2: no lock, 3: the other thread was held up";
}
