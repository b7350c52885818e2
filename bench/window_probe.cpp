// Starts a program on the X display in $DISPLAY and reports how long it took
// to map its first top-level window: from just before the fork to the moment
// the server's MapNotify reaches the probe. Optionally runs a command against
// the window, waits for the program to go idle and reports its memory; it
// always ends the program.
//
// usage: window_probe [--timeout S] [--hook COMMAND] [--idle MS] [--settle MS]
//                     [--memory] -- PROGRAM [ARGUMENTS...]
//
// Prints `key=value` lines: mapped_ms, window and title, then with --memory
// rss_kb, pss_kb and private_dirty_kb. Exits non-zero when no window was
// mapped in time, the program ended early or the hook failed.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Options {
    double timeoutSeconds = 30;
    std::string hook;
    int idleMilliseconds = 0;
    int settleMilliseconds = 0;
    bool memory = false;
    std::vector<char*> program;
};

[[noreturn]] void usage() {
    std::fputs("usage: window_probe [--timeout S] [--hook COMMAND] [--idle MS] [--settle MS] "
               "[--memory] -- PROGRAM [ARGUMENTS...]\n",
               stderr);
    std::exit(2);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    int index = 1;
    for (; index < argc && std::strcmp(argv[index], "--") != 0; ++index) {
        const std::string flag = argv[index];
        const bool hasValue = index + 1 < argc;
        if (flag == "--memory")
            options.memory = true;
        else if (flag == "--timeout" && hasValue)
            options.timeoutSeconds = std::atof(argv[++index]);
        else if (flag == "--hook" && hasValue)
            options.hook = argv[++index];
        else if (flag == "--idle" && hasValue)
            options.idleMilliseconds = std::atoi(argv[++index]);
        else if (flag == "--settle" && hasValue)
            options.settleMilliseconds = std::atoi(argv[++index]);
        else
            usage();
    }
    for (++index; index < argc; ++index)
        options.program.push_back(argv[index]);
    if (options.program.empty())
        usage();
    options.program.push_back(nullptr);
    return options;
}

struct Display {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t pidAtom = XCB_NONE;
    xcb_atom_t nameAtom = XCB_NONE;
    xcb_atom_t utf8Atom = XCB_NONE;

    ~Display() {
        if (connection)
            xcb_disconnect(connection);
    }
};

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : XCB_NONE;
}

std::optional<std::string> property(const Display& display, xcb_window_t window, xcb_atom_t name,
                                    xcb_atom_t type) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(display.connection, 0, window, name, type, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(display.connection, cookie, nullptr), &std::free);
    if (!reply || reply->type == XCB_NONE)
        return std::nullopt;
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, std::size_t(xcb_get_property_value_length(reply.get())));
}

// Every top-level window's map reaches us: without a window manager top-level
// windows are children of the root. The round trip makes sure the server has
// the selection before the program starts.
bool connect(Display& display) {
    display.connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(display.connection))
        return false;
    display.root = xcb_setup_roots_iterator(xcb_get_setup(display.connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(display.connection, display.root, XCB_CW_EVENT_MASK, &mask);
    display.pidAtom = atom(display.connection, "_NET_WM_PID");
    display.nameAtom = atom(display.connection, "_NET_WM_NAME");
    display.utf8Atom = atom(display.connection, "UTF8_STRING");
    return !xcb_connection_has_error(display.connection);
}

// A window without _NET_WM_PID still counts: the display is the benchmark's
// own, so nothing else maps windows on it.
bool belongsTo(const Display& display, xcb_window_t window, pid_t pid) {
    const std::optional<std::string> value =
        property(display, window, display.pidAtom, XCB_ATOM_CARDINAL);
    if (!value || value->size() < sizeof(uint32_t))
        return true;
    uint32_t owner = 0;
    std::memcpy(&owner, value->data(), sizeof owner);
    return pid_t(owner) == pid;
}

std::string title(const Display& display, xcb_window_t window) {
    if (auto name = property(display, window, display.nameAtom, display.utf8Atom))
        return *name;
    return property(display, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING).value_or(std::string());
}

// The measured program. Reaped at most once, so no signal ever reaches a
// process that has since taken over its id.
struct Child {
    pid_t pid = -1;
    bool reaped = false;

    bool hasEnded() {
        if (!reaped && waitpid(pid, nullptr, WNOHANG) == pid)
            reaped = true;
        return reaped;
    }

    // Politely first, so a program that saves on SIGTERM may; then for certain.
    void stop() {
        if (hasEnded())
            return;
        kill(pid, SIGTERM);
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(3);
        while (Clock::now() < deadline) {
            if (hasEnded())
                return;
            std::this_thread::sleep_for(milliseconds(20));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        reaped = true;
    }
};

struct Mapping {
    xcb_window_t window = 0;
    Clock::time_point at; // when the event was read, before any further round trip
};

// The first window that is neither a popup nor a tooltip (override-redirect)
// and belongs to the program; none when it ended or the deadline passed.
std::optional<Mapping> waitForMap(Display& display, Child& child, Clock::time_point deadline) {
    pollfd descriptor{xcb_get_file_descriptor(display.connection), POLLIN, 0};
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(display.connection)) {
            std::optional<Mapping> mapped;
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (map->event == display.root && !map->override_redirect)
                    mapped = Mapping{map->window, Clock::now()};
            }
            std::free(event);
            if (mapped && belongsTo(display, mapped->window, child.pid))
                return mapped;
        }
        if (xcb_connection_has_error(display.connection) || child.hasEnded())
            return std::nullopt;
        poll(&descriptor, 1, 20);
    }
    return std::nullopt;
}

// User plus system CPU time in clock ticks, from /proc/PID/stat.
std::optional<long long> cpuTicks(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line))
        return std::nullopt;
    // The command name may hold spaces; the fields after it are plain.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long user = 0, system = 0;
    for (int number = 3; fields >> field; ++number) {
        if (number == 14)
            user = std::atoll(field.c_str());
        if (number == 15) {
            system = std::atoll(field.c_str());
            return user + system;
        }
    }
    return std::nullopt;
}

// Idle means no CPU time used for `quiet` in a row; gives up at the deadline.
bool waitForIdle(pid_t pid, milliseconds quiet, Clock::time_point deadline) {
    std::optional<long long> last = cpuTicks(pid);
    Clock::time_point since = Clock::now();
    while (last && Clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(50));
        const std::optional<long long> now = cpuTicks(pid);
        if (now != last) {
            last = now;
            since = Clock::now();
        } else if (Clock::now() - since >= quiet) {
            return true;
        }
    }
    return false;
}

long long kilobytes(const std::string& path, const std::vector<std::string>& keys) {
    std::ifstream file(path);
    long long total = -1;
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string key;
        long long value = 0;
        if (!(fields >> key >> value))
            continue;
        for (const std::string& wanted : keys) {
            if (key == wanted + ":")
                total = (total < 0 ? 0 : total) + value;
        }
    }
    return total;
}

void reportMemory(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::printf("rss_kb=%lld\n", kilobytes(proc + "/status", {"VmRSS"}));
    std::printf("pss_kb=%lld\n", kilobytes(proc + "/smaps_rollup", {"Pss"}));
    // Only the pages the program has written itself (heap, its own data):
    // unlike Pss and Private_Clean, this does not depend on which other
    // programs happen to have the same libraries mapped.
    std::printf("private_dirty_kb=%lld\n", kilobytes(proc + "/smaps_rollup", {"Private_Dirty"}));
}

int runHook(const std::string& hook, pid_t pid, xcb_window_t window) {
    const pid_t child = fork();
    if (child == 0) {
        setenv("PROBE_PID", std::to_string(pid).c_str(), 1);
        setenv("PROBE_WINDOW", std::to_string(window).c_str(), 1);
        execl("/bin/sh", "sh", "-c", hook.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

Child launch(const Options& options) {
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        execvp(options.program[0], options.program.data());
        std::fprintf(stderr, "window_probe: cannot run %s: %s\n", options.program[0],
                     std::strerror(errno));
        _exit(127);
    }
    return child;
}

// What follows the mapping: the hook, then idle and settle, then memory.
int measureAfterMap(const Options& options, Child& child, xcb_window_t window,
                    Clock::duration timeout) {
    if (!options.hook.empty() && runHook(options.hook, child.pid, window) != 0) {
        std::fputs("window_probe: the hook failed\n", stderr);
        return 1;
    }
    if (options.idleMilliseconds > 0 &&
        !waitForIdle(child.pid, milliseconds(options.idleMilliseconds), Clock::now() + timeout))
        std::fputs("window_probe: the program never went idle; measuring anyway\n", stderr);
    std::this_thread::sleep_for(milliseconds(options.settleMilliseconds));
    if (child.hasEnded()) {
        std::fputs("window_probe: the program ended before it was measured\n", stderr);
        return 1;
    }
    if (options.memory)
        reportMemory(child.pid);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    Display display;
    if (!connect(display)) {
        std::fputs("window_probe: cannot open the display in $DISPLAY\n", stderr);
        return 2;
    }
    std::fflush(stdout);
    const Clock::time_point start = Clock::now();
    Child child = launch(options);
    if (child.pid < 0)
        return 2;
    const auto timeout = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options.timeoutSeconds));
    const std::optional<Mapping> mapped = waitForMap(display, child, start + timeout);
    if (!mapped) {
        std::fprintf(stderr, "window_probe: %s mapped no window\n", options.program[0]);
        child.stop();
        return 1;
    }
    std::printf("mapped_ms=%.1f\n",
                std::chrono::duration<double, std::milli>(mapped->at - start).count());
    std::printf("window=%u\ntitle=%s\n", mapped->window, title(display, mapped->window).c_str());
    std::fflush(stdout);
    const int result = measureAfterMap(options, child, mapped->window, timeout);
    std::fflush(stdout);
    child.stop();
    return result;
}
