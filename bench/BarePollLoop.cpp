// The kernel's floor for an idle dialog: sleep 50 ms, test seven files,
// again, with no toolkit at all. What a wake-up of the bare Qt window costs
// beyond this is the toolkit's event loop.
//
//   vora_bare_poll_loop [DIRECTORY]   tests seven marker names in DIRECTORY
//                                     (default /tmp)
#include <string>
#include <sys/stat.h>
#include <time.h>

int main(int argc, char** argv)
{
    const std::string directory = argc > 1 ? argv[1] : "/tmp";
    std::string paths[7];
    for (int i = 0; i < 7; ++i) {
        paths[i] = directory + "/VUSERALERT_BARE" + std::to_string(i) + ".reference";
    }
    const timespec interval{0, 50 * 1000 * 1000};
    for (;;) {
        nanosleep(&interval, nullptr);
        struct stat info;
        for (const std::string& path : paths) {
            ::stat(path.c_str(), &info);
        }
    }
}
