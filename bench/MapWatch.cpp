// Starts a program and prints, on one line, the milliseconds until its first top-level
// window is mapped, its resident memory in KiB (with that of its child processes) a
// given time after that, and the CPU milliseconds it had used when mapped:
//
//   quillmor_mapwatch DELAY_MS PROGRAM [ARG...]
//
// The program is ended with SIGTERM afterwards. Exit status 1 when it ended or mapped
// nothing within 20 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long WindowPid(Display* dpy, Window window) {
    static const Atom kPid = XInternAtom(dpy, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(dpy, window, kPid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data != nullptr) XFree(data);
    return pid;
}

// CPU time a process has used so far, in milliseconds, summed over its threads.
double CpuMs(pid_t pid) {
    double ns = 0;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream in(task.path() / "schedstat");
        double onCpu = 0;
        if (in >> onCpu) ns += onCpu;
    }
    return ns / 1e6;
}

// Parent process id and resident KiB of one process, from /proc.
bool ReadStatus(pid_t pid, pid_t& parent, long& rssKib) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    if (!in) return false;
    parent = -1;
    rssKib = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "PPid:") fields >> parent;
        if (key == "VmRSS:") fields >> rssKib;
    }
    return true;
}

// The process and all its descendants.
long TreeRssKib(pid_t root) {
    std::vector<std::pair<pid_t, pid_t>> parents;  // (pid, parent)
    std::vector<std::pair<pid_t, long>> rss;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        pid_t parent = -1;
        long kib = 0;
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        if (!ReadStatus(pid, parent, kib)) continue;
        parents.emplace_back(pid, parent);
        rss.emplace_back(pid, kib);
    }
    std::vector<pid_t> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i)
        for (const auto& [pid, parent] : parents)
            if (parent == tree[i]) tree.push_back(pid);
    long total = 0;
    for (pid_t pid : tree)
        for (const auto& [p, kib] : rss)
            if (p == pid) total += kib;
    return total;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: quillmor_mapwatch DELAY_MS PROGRAM [ARG...]\n");
        return 2;
    }
    const int delayMs = std::atoi(argv[1]);
    Display* dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) {
        std::fprintf(stderr, "quillmor_mapwatch: no X display\n");
        return 2;
    }
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(dpy));
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    // A window counts once it carries the program's process id: Qt sets _NET_WM_PID
    // before mapping.
    Clock::time_point mapped{};
    double cpuMs = 0;
    bool found = false;
    while (!found && Clock::now() - start < std::chrono::seconds(20)) {
        if (XPending(dpy) == 0) {
            pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
            poll(&fd, 1, 20);
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) break;
            continue;
        }
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type != MapNotify || event.xmap.override_redirect) continue;
        if (WindowPid(dpy, event.xmap.window) != child) continue;
        mapped = Clock::now();
        cpuMs = CpuMs(child);
        found = true;
    }
    if (!found) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        std::fprintf(stderr, "quillmor_mapwatch: %s mapped no window\n", argv[2]);
        return 1;
    }
    std::this_thread::sleep_until(mapped + std::chrono::milliseconds(delayMs));
    const long rssKib = TreeRssKib(child);
    const double ms = std::chrono::duration<double, std::milli>(mapped - start).count();

    kill(child, SIGTERM);
    for (int i = 0; i < 200 && waitpid(child, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (kill(child, 0) == 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    std::printf("%.1f %ld %.1f\n", ms, rssKib, cpuMs);
    XCloseDisplay(dpy);
    return 0;
}
