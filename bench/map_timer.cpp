// pulsakor-map-timer: starts a program on the X display in DISPLAY and prints
// the milliseconds from its start until its first top-level window is mapped,
// then ends it. Without a window manager every top-level window is a child of
// the root window, so the root's MapNotify events tell the moment exactly;
// polling for the window would add its own interval to every measurement.
//
// It prints two numbers: the wall-clock time, and the processor time the
// program's threads had used by then (from /proc). The second hardly depends
// on what else the machine is doing.
//
// Usage: pulsakor-map-timer PROGRAM [ARGUMENTS...]
// Exits 1 when the display cannot be opened, the program cannot be started,
// or no window appears within 30 seconds.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>

namespace {

constexpr std::chrono::seconds kTimeout{30};

using Clock = std::chrono::steady_clock;

// The processor time in milliseconds that all threads of `process` have run,
// from each thread's schedstat (nanoseconds on the processor first).
double ProcessorMilliseconds(pid_t process)
{
    const std::string folder = "/proc/" + std::to_string(process) + "/task";
    DIR *tasks = opendir(folder.c_str());
    if (!tasks)
        return 0;
    double nanoseconds = 0;
    while (const dirent *task = readdir(tasks)) {
        if (task->d_name[0] == '.')
            continue;
        const std::string path = folder + '/' + task->d_name + "/schedstat";
        if (FILE *file = std::fopen(path.c_str(), "r")) {
            unsigned long long running = 0;
            if (std::fscanf(file, "%llu", &running) == 1)
                nanoseconds += double(running);
            std::fclose(file);
        }
    }
    closedir(tasks);
    return nanoseconds / 1e6;
}

void EndChild(pid_t child)
{
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

// Waits for a MapNotify of a child of `root`; false on timeout or a broken
// connection.
bool WaitForMap(xcb_connection_t *connection, xcb_window_t root, Clock::time_point deadline)
{
    const int fd = xcb_get_file_descriptor(connection);
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY
                                && reinterpret_cast<xcb_map_notify_event_t *>(event)->event == root;
            std::free(event);
            if (mapped)
                return true;
        }
        if (xcb_connection_has_error(connection))
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready{fd, POLLIN, 0};
        poll(&ready, 1, int(left.count()));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "map-timer: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(connection,
                      xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK,
                                                           &mask));

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("map-timer: fork");
        return 1;
    }
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("map-timer: exec");
        _exit(127);
    }
    const bool mapped = WaitForMap(connection, root, start + kTimeout);
    const Clock::time_point end = Clock::now();
    const double processor = ProcessorMilliseconds(child);
    EndChild(child);
    xcb_disconnect(connection);
    if (!mapped) {
        std::fprintf(stderr, "map-timer: %s mapped no window\n", argv[1]);
        return 1;
    }
    std::printf("%.3f %.3f\n", std::chrono::duration<double, std::milli>(end - start).count(),
                processor);
    return 0;
}
