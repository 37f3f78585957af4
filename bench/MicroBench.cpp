// Micro-benchmarks of the hot paths, each beside the floor it is measured
// against (scripts/bench.sh runs them; docs/performance.md explains them).
#include "AgentConfig.h"
#include "StreamReader.h"
#include "VUAConfig.h"
#include "VUAMarkerMgr.h"
#include "VuaAPI.h"
#include "VuaAPIOpaque.h"
#include "util.h"
#include "vlog.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string BenchRoot()
{
    static const std::string root = [] {
        char pattern[] = "/tmp/vora-bench-XXXXXX";
        const std::string path = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        setenv("VORA_AGENT_ROOT", path.c_str(), 1);
        unsetenv("VEJBINSTANCE");
        return path;
    }();
    return root;
}

const char* const kTypicalLine =
    "VUserAlert:  --name [Editor 2.1] new message: Downloading 48 MB, append: no;";

// The seven existence tests of one poll tick with no marker present.
void PollTickThroughTheFacade(benchmark::State& state)
{
    BenchRoot();
    VuaAPI api;
    api.setup({"VUserAlert", "-name=bench", "-ok"});
    for (auto _ : state) {
        benchmark::DoNotOptimize(api.checkCommand(MARKER_EXIT));
        benchmark::DoNotOptimize(api.checkMessage());
        benchmark::DoNotOptimize(api.checkCommand(MARKER_SHOWOK));
        benchmark::DoNotOptimize(api.checkCommand(MARKER_PROGON));
        benchmark::DoNotOptimize(api.checkCommand(MARKER_PROGOFF));
        benchmark::DoNotOptimize(api.checkCommand(MARKER_FINISH));
        benchmark::DoNotOptimize(api.checkTimeoutCommand());
    }
}
BENCHMARK(PollTickThroughTheFacade);

void PollTickRawStat(benchmark::State& state)
{
    BenchRoot();
    const VUAMarkerMgr markers(std::string("rawstat"));
    std::vector<std::string> paths;
    for (const VUA_MarkerType type : {MARKER_EXIT, MARKER_MESG, MARKER_SHOWOK, MARKER_PROGON, MARKER_PROGOFF,
                                      MARKER_FINISH, MARKER_SETTIMEOUT}) {
        paths.push_back(markers.GetFilePath(type));
    }
    struct stat info;
    for (auto _ : state) {
        for (const std::string& path : paths) {
            benchmark::DoNotOptimize(::stat(path.c_str(), &info));
        }
    }
}
BENCHMARK(PollTickRawStat);

void LogLineToFile(benchmark::State& state)
{
    BenchRoot();
    LOG_MAX_SIZE = 1 << 30;
    LogStruct log;
    std::memset(&log, 0, sizeof log);
    LogInitEx(&log, (BenchRoot() + "/bench.log").c_str(), "VUserAlert", true, 0);
    for (auto _ : state) {
        LogMsgEx(&log, LOG_FILE, 0, "-[VuaAPI logMessage:]", "%s", kTypicalLine);
    }
    DestroyLock(log.lock);
    unlink(log.path);
}
BENCHMARK(LogLineToFile);

void LogLineRawAppend(benchmark::State& state)
{
    const std::string path = BenchRoot() + "/raw.log";
    const std::string line =
        std::string("[2026-12-08.01:02:03][VUserAlert:-[VuaAPI logMessage:]] ") + kTypicalLine + "\n";
    struct stat info;
    for (auto _ : state) {
        ::stat(path.c_str(), &info);
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
        benchmark::DoNotOptimize(::write(fd, line.data(), line.size()));
        ::close(fd);
    }
    unlink(path.c_str());
}
BENCHMARK(LogLineRawAppend);

void ScrubTypicalLine(benchmark::State& state)
{
    const std::string line =
        std::string(kTypicalLine) + " mapping smb://svc:pw@fileserver/share " + std::string(1900, 'x') + "\n";
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScrubSMBPasswords(line));
    }
}
BENCHMARK(ScrubTypicalLine);

void ScrubWorstCaseLine(benchmark::State& state)
{
    std::string line;
    while (line.size() < 2048) {
        line += "//u:!ENC!p!ENC!@password=";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScrubSMBPasswords(line));
    }
}
BENCHMARK(ScrubWorstCaseLine);

void ParseMultiMessage100Pages(benchmark::State& state)
{
    std::string value = "PRE";
    for (int page = 0; page < 100; ++page) {
        value += (page ? "^^" : "") + std::to_string(page) + "^Package " + std::to_string(page) +
                 "^Install the package now^10";
    }
    bool phase = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseMultiMessage(value, phase));
    }
}
BENCHMARK(ParseMultiMessage100Pages);

void AgentConfigLoad500Lines(benchmark::State& state)
{
    BenchRoot();
    AgentConfig config;
    {
        std::ofstream out(config.systemFilePath);
        for (int line = 0; line < 500; ++line) {
            out << (line % 5 == 0 ? "companyname=Acme" : "splashtext=line " + std::to_string(line)) << "\n";
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(config.Load());
    }
}
BENCHMARK(AgentConfigLoad500Lines);

const std::string& TenMegabyteFile()
{
    static const std::string path = [] {
        const std::string file = BenchRoot() + "/ten.txt";
        std::ofstream out(file);
        const std::string line(99, 'l');
        for (int i = 0; i < 100000; ++i) {
            out << line << "\n";
        }
        return file;
    }();
    return path;
}

void StreamReader10MB(benchmark::State& state)
{
    for (auto _ : state) {
        auto reader = StreamReader::init(QString::fromStdString(TenMegabyteFile()));
        size_t lines = 0;
        while (reader->nextLine()) {
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(StreamReader10MB)->Unit(benchmark::kMillisecond);

void Getline10MB(benchmark::State& state)
{
    for (auto _ : state) {
        std::ifstream in(TenMegabyteFile());
        size_t lines = 0;
        for (std::string line; std::getline(in, line);) {
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(Getline10MB)->Unit(benchmark::kMillisecond);

// The same with each line made a QString, as the reader must.
void GetlineDecoded10MB(benchmark::State& state)
{
    for (auto _ : state) {
        std::ifstream in(TenMegabyteFile());
        size_t characters = 0;
        for (std::string line; std::getline(in, line);) {
            characters += static_cast<size_t>(QString::fromUtf8(line.data(), qsizetype(line.size())).size());
        }
        benchmark::DoNotOptimize(characters);
    }
}
BENCHMARK(GetlineDecoded10MB)->Unit(benchmark::kMillisecond);

// One 10 MB line: each chunk read must not search the whole line again.
void StreamReaderOneLongLine(benchmark::State& state)
{
    static const std::string path = [] {
        const std::string file = BenchRoot() + "/long.txt";
        std::ofstream(file) << std::string(10 * 1000 * 1000, 'l') << "\n";
        return file;
    }();
    for (auto _ : state) {
        auto reader = StreamReader::init(QString::fromStdString(path));
        benchmark::DoNotOptimize(reader->nextLine());
    }
}
BENCHMARK(StreamReaderOneLongLine)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
