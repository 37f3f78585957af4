// Times a GUI program's start from the X server's side: the time from just
// before exec to the MapNotify of its first top-level window, then ends it.
//
//   vora_map_timer ./VUserAlert -name=x -ok   ->   "37.412" (milliseconds)
//
// Needs a display where nothing else maps windows (an Xvfb of its own);
// exits 1 when no window is mapped within ten seconds.
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct ConnectionCloser
{
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

// Asks for the creation and mapping of the root's children and waits until
// the server has taken the request, so no early map can be missed.
bool WatchRoot(xcb_connection_t* connection)
{
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen == nullptr) {
        return false;
    }
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return true;
}

pid_t Start(char** argv)
{
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    return child;
}

// Milliseconds until the first MapNotify, or a negative value on time-out.
double WaitForMap(xcb_connection_t* connection, double started)
{
    const double deadline = started + 10000;
    pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            std::free(event);
            if (mapped) {
                return NowMs() - started;
            }
        }
        const double left = deadline - NowMs();
        if (left <= 0 || xcb_connection_has_error(connection) != 0) {
            return -1;
        }
        poll(&descriptor, 1, static_cast<int>(left) + 1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    Connection connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get()) != 0 || !WatchRoot(connection.get())) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    const double started = NowMs();
    const pid_t child = Start(argv + 1);
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    const double mapped = WaitForMap(connection.get(), started);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    if (mapped < 0) {
        std::fprintf(stderr, "no window mapped within 10 s\n");
        return 1;
    }
    std::printf("%.3f\n", mapped);
    return 0;
}
