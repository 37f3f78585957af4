// Eight processes logging to one VAgent.log across many rollovers: every
// line must land, whole, in one of the files.
#include "FileHelpers.h"
#include "TempAgentRoot.h"
#include "util.h"
#include "vlog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <sstream>
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
