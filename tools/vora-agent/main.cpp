#include "StandIn.h"

#include "vora/alert.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

// The library's notes (a marker the dialog never took, removed; an earlier
// answer it cannot clear) as our own lines on standard error.
void PrintNote(const char* line, void*)
{
    std::fprintf(stderr, "vora-agent: %s\n", line);
}

} // namespace

int main(int argc, char** argv)
{
    vora_alert_set_log(PrintNote, nullptr);
    // Only as the first argument: after a command, "--version" may be a
    // value meant for the dialog.
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vora-agent %s (build %s)\n", VORA_VERSION, VORA_BUILD_NUMBER);
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::perror("vora-agent: standard output");
            return 1;
        }
        return 0;
    }
    QCoreApplication application(argc, argv);
    return StandIn(QCoreApplication::arguments()).run();
}
