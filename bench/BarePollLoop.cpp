// The kernel's floor for an idle dialog: sleep 50 ms, test seven files,
// again, with no toolkit at all. What a wake-up of the bare Qt window costs
// beyond this is the toolkit's event loop.
#include <sys/stat.h>
#include <time.h>

int main()
{
    const timespec interval{0, 50 * 1000 * 1000};
    for (;;) {
        nanosleep(&interval, nullptr);
        struct stat info;
        for (int i = 0; i < 7; ++i) {
            ::stat("/tmp/vora-bare-reference-marker", &info);
        }
    }
}
