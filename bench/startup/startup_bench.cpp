// Start-up benchmark driver. For each program given, in interleaved rounds: launch it,
// time the launch until its first top-level window is mapped (the X server's MapNotify,
// matched by the window's _NET_WM_PID), then stop it by its PID. Prints every time, the
// median per program and the ratio of each program's median to the first one's.
// A program given as name=+path is also checked, one second after its window appeared,
// for web engine helper processes, a loaded web engine library and a loaded GStreamer.
//
// Usage: startup_bench <rounds> <name>=[+]<program> ...   (under an X server, e.g. Xvfb)
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Program {
    std::string name;
    std::string path;
    bool checkWeb = false;
    std::vector<double> ms;
    bool webSeen = false;
    bool gstSeen = false;
    bool networkSeen = false;
};

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return result;
}

long windowPid(xcb_connection_t* c, xcb_window_t w, xcb_atom_t pidAtom) {
    auto cookie = xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    long pid = -1;
    if (reply != nullptr && xcb_get_property_value_length(reply) >= 4)
        pid = *static_cast<std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return pid;
}

long parentOf(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    long ppid = -1;
    rest >> state >> ppid;
    return ppid;
}

std::string mapsOf(long pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    return std::string((std::istreambuf_iterator<char>(maps)), {});
}

// True when a web engine helper descends from `root` or the engine is loaded into it.
bool webEngineRunning(long root) {
    const std::string text = mapsOf(root);
    if (text.find("libQt6WebEngine") != std::string::npos)
        return true;
    DIR* proc = opendir("/proc");
    bool found = false;
    while (dirent* entry = readdir(proc)) {
        const long pid = std::atol(entry->d_name);
        if (pid <= 0)
            continue;
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        std::getline(comm, name);
        if (name.rfind("QtWebEngine", 0) != 0)
            continue;
        for (long p = pid; p > 1; p = parentOf(p)) {
            if (p == root) {
                found = true;
                break;
            }
        }
    }
    closedir(proc);
    return found;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <rounds> <name>=[+]<program> ...\n", argv[0]);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto eq = arg.find('=');
        Program p;
        p.name = arg.substr(0, eq);
        p.path = arg.substr(eq + 1);
        if (!p.path.empty() && p.path[0] == '+') {
            p.checkWeb = true;
            p.path.erase(0, 1);
        }
        programs.push_back(p);
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X server\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");
    xcb_flush(c);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    for (int round = 0; round < rounds; ++round) {
        for (Program& p : programs) {
            char* args[] = {p.path.data(), nullptr};
            pid_t pid = 0;
            const auto start = std::chrono::steady_clock::now();
            if (posix_spawn(&pid, p.path.c_str(), nullptr, nullptr, args, environ) != 0) {
                std::fprintf(stderr, "cannot start %s\n", p.path.c_str());
                return 1;
            }
            double ms = -1;
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            while (ms < 0) {
                xcb_generic_event_t* event = xcb_poll_for_event(c);
                if (event == nullptr) {
                    if (poll(&fd, 1, 20000) <= 0)
                        break;
                    continue;
                }
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                    auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    const auto now = std::chrono::steady_clock::now();
                    if (!map->override_redirect && windowPid(c, map->window, pidAtom) == pid)
                        ms = std::chrono::duration<double, std::milli>(now - start).count();
                }
                std::free(event);
            }
            if (p.checkWeb) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
                p.webSeen = p.webSeen || webEngineRunning(pid);
                const std::string maps = mapsOf(pid);
                p.gstSeen = p.gstSeen || maps.find("libgstreamer") != std::string::npos;
                p.networkSeen = p.networkSeen || maps.find("libQt6Network") != std::string::npos;
            }
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            if (ms < 0) {
                std::fprintf(stderr, "%s: no window within 20 s\n", p.name.c_str());
                return 1;
            }
            p.ms.push_back(ms);
            std::printf("round %d %-10s %8.1f ms\n", round + 1, p.name.c_str(), ms);
            std::fflush(stdout);
        }
    }
    const double base = median(programs.front().ms);
    for (const Program& p : programs) {
        std::printf("median %-10s %8.1f ms  ratio %.2fx", p.name.c_str(), median(p.ms),
                    median(p.ms) / base);
        if (p.checkWeb)
            std::printf("  web engine before the browser was shown: %s; GStreamer before the "
                        "first play: %s; Qt Network before the first search: %s",
                        p.webSeen ? "YES" : "none", p.gstSeen ? "YES" : "none",
                        p.networkSeen ? "YES" : "none");
        std::printf("\n");
    }
    xcb_disconnect(c);
    return 0;
}
