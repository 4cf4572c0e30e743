// Start-up probe: starts programs on the current X display and measures, for
// each run, the time from the start of the process to the mapping of its first
// top-level window, and its resident memory once it has been idle for a while.
//
//   startup_probe [--runs N] [--warmup N] [--idle-ms MS] [--timeout-ms MS]
//                 [--cwd DIR] LABEL=PROGRAM [LABEL=PROGRAM ...]
//
// The programs are run in turn (one run of each, then the next round), so a
// busy moment of a shared machine falls on all of them alike. Each measured
// run prints one line:
//
//   LABEL <tab> startup_ms <tab> idle_rss_kb <tab> cpu_ms
//
// cpu_ms is the CPU time the process had used when its window mapped: less
// disturbed than the wall-clock time by other work on the machine.
//
// A window counts as the program's when its _NET_WM_PID names the process;
// a program that sets no such property is recognised by being the only
// client that maps top-level windows on the display during its run.
#include "ProcStatus.h"

#include <xcb/xcb.h>

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string label;
    std::string path;
};

struct Options {
    int runs = 11;
    int warmup = 1;
    int idleMs = 1500;
    int timeoutMs = 20000;
    std::string cwd;
    std::vector<Program> programs;
};

[[noreturn]] void Usage(const char* why) {
    std::fprintf(stderr,
                 "startup_probe: %s\nusage: startup_probe [--runs N] [--warmup N] [--idle-ms MS] "
                 "[--timeout-ms MS] [--cwd DIR] LABEL=PROGRAM...\n",
                 why);
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage("missing value");
            }
            return argv[++i];
        };
        if (a == "--runs") {
            o.runs = std::atoi(value().c_str());
        } else if (a == "--warmup") {
            o.warmup = std::atoi(value().c_str());
        } else if (a == "--idle-ms") {
            o.idleMs = std::atoi(value().c_str());
        } else if (a == "--timeout-ms") {
            o.timeoutMs = std::atoi(value().c_str());
        } else if (a == "--cwd") {
            o.cwd = value();
        } else if (const auto eq = a.find('='); eq != std::string::npos && eq > 0) {
            o.programs.push_back({a.substr(0, eq), a.substr(eq + 1)});
        } else {
            Usage("unknown argument");
        }
    }
    if (o.programs.empty() || o.runs < 1) {
        Usage("nothing to run");
    }
    return o;
}

// CPU time used so far by every thread of the process, in milliseconds.
double CpuMs(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    double ns = 0;
    if (DIR* d = opendir(tasks.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') {
                continue;
            }
            std::ifstream in(tasks + "/" + e->d_name + "/schedstat");
            double onCpu = 0;
            if (in >> onCpu) {
                ns += onCpu;
            }
        }
        closedir(d);
    }
    return ns / 1e6;
}

class Display {
public:
    Display() {
        conn_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(conn_)) {
            std::fprintf(stderr, "startup_probe: cannot open the X display\n");
            std::exit(1);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_, root_, XCB_CW_EVENT_MASK, &mask);
        pidAtom_ = Atom("_NET_WM_PID");
        xcb_flush(conn_);
    }
    ~Display() { xcb_disconnect(conn_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Waits for a top-level window of `pid` to be mapped; the moment it was
    // seen, or nothing on timeout or when the process ended first.
    std::optional<Clock::time_point> WaitForMap(pid_t pid, Clock::time_point deadline) {
        const int fd = xcb_get_file_descriptor(conn_);
        for (;;) {
            while (xcb_generic_event_t* ev = xcb_poll_for_event(conn_)) {
                const auto now = Clock::now();
                const bool map = (ev->response_type & 0x7f) == XCB_MAP_NOTIFY;
                xcb_window_t w = 0;
                if (map) {
                    w = reinterpret_cast<xcb_map_notify_event_t*>(ev)->window;
                }
                std::free(ev);
                if (map && Owns(w, pid)) {
                    return now;
                }
            }
            if (xcb_connection_has_error(conn_)) {
                return std::nullopt;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                return std::nullopt;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return std::nullopt;
            }
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 50)));
        }
    }

    // Reads and drops whatever events are waiting.
    void Drain() {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(conn_)) {
            std::free(ev);
        }
    }

private:
    xcb_atom_t Atom(const char* name) {
        auto cookie = xcb_intern_atom(conn_, 0, static_cast<uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(conn_, cookie, nullptr);
        const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }

    bool Owns(xcb_window_t w, pid_t pid) {
        auto cookie = xcb_get_property(conn_, 0, w, pidAtom_, XCB_ATOM_CARDINAL, 0, 1);
        xcb_get_property_reply_t* r = xcb_get_property_reply(conn_, cookie, nullptr);
        bool owned = true; // no property: the only client running is ours
        if (r && r->format == 32 && xcb_get_property_value_length(r) >= 4) {
            uint32_t value = 0;
            std::memcpy(&value, xcb_get_property_value(r), sizeof value);
            owned = static_cast<pid_t>(value) == pid;
        }
        std::free(r);
        return owned;
    }

    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0;
};

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

struct Result {
    double startupMs = 0; // process start to first mapped window
    double cpuMs = 0;     // CPU time the process had used by then
    long rssKb = 0;       // resident memory once idle
};

// One run, or nothing when the window never came.
std::optional<Result> RunOnce(Display& display, const Program& p, const Options& o) {
    display.Drain();
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return std::nullopt;
    }
    if (pid == 0) {
        if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) {
            _exit(126);
        }
        // Keep the program's output out of the results.
        if (std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(126);
        }
        execl(p.path.c_str(), p.path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto mapped = display.WaitForMap(pid, start + std::chrono::milliseconds(o.timeoutMs));
    const double cpu = CpuMs(pid);
    if (!mapped) {
        std::fprintf(stderr, "startup_probe: %s showed no window\n", p.label.c_str());
        Stop(pid);
        return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(o.idleMs));
    display.Drain();
    const long rss = RssKb(std::to_string(pid));
    Stop(pid);
    return Result{std::chrono::duration<double, std::milli>(*mapped - start).count(), cpu, rss};
}

} // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    Display display;
    int failures = 0;
    for (int round = 0; round < o.warmup + o.runs; ++round) {
        for (const Program& p : o.programs) {
            const auto r = RunOnce(display, p, o);
            if (!r) {
                ++failures;
                continue;
            }
            if (round >= o.warmup) {
                std::printf("%s\t%.2f\t%ld\t%.2f\n", p.label.c_str(), r->startupMs, r->rssKb,
                            r->cpuMs);
                std::fflush(stdout);
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
