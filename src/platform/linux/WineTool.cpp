#include "platform/linux/WineTool.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

#include "macro/Cp932.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace qm {

namespace fs = std::filesystem;

fs::path FindOnPath(std::string_view program) {
#ifndef _WIN32
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string_view dirs(path);
    while (true) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty()) {
            fs::path candidate = fs::path(dir) / program;
            std::error_code ec;
            if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos) break;
        dirs.remove_prefix(colon + 1);
    }
#else
    (void)program;
#endif
    return {};
}

int RunAndWait(const fs::path& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& extraEnvironment,
               std::chrono::milliseconds timeout) {
#ifndef _WIN32
    std::vector<std::string> environment;
    for (char** e = environ; e && *e; ++e) {
        const std::string_view entry(*e);
        const std::string_view name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& extra : extraEnvironment)
            if (std::string_view(extra).substr(0, extra.find('=')) == name) replaced = true;
        if (!replaced) environment.emplace_back(entry);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    // Its own process group, so that a hanging tool can be stopped with all it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    const int rc =
        ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) return -1;

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto pause = std::chrono::milliseconds(5);
    while (true) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(50)) pause *= 2;
    }
#else
    (void)program, (void)arguments, (void)extraEnvironment, (void)timeout;
    return -1;
#endif
}

WineRegTool::WineRegTool(fs::path wine, std::chrono::milliseconds timeout)
    : wine_(std::move(wine)), timeout_(timeout) {}

bool WineRegTool::Available() {
    if (wine_.empty()) wine_ = FindOnPath("wine");
#ifndef _WIN32
    return !wine_.empty() && ::access(wine_.c_str(), X_OK) == 0;
#else
    return false;
#endif
}

bool WineRegTool::Run(const fs::path& prefix, const std::vector<std::string>& arguments,
                      Reason* error) {
    if (!Available()) {
        if (error) *error = Reason{.kind = ReasonKind::WineMissing};
        return false;
    }
    const int status =
        RunAndWait(wine_, arguments, {"WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all"}, timeout_);
    if (status == 0) return true;
    // A negative status: it could not be run.
    if (error)
        *error = Reason{.kind = ReasonKind::WineToolFailed, .number = status < 0 ? -1 : status};
    return false;
}

bool WineRegTool::Import(const fs::path& prefix, const fs::path& regFile, Reason* error) {
    return Run(prefix, {"reg", "import", regFile.string(), "/reg:32"}, error);
}

bool WineRegTool::Export(const fs::path& prefix, std::u16string_view key, const fs::path& regFile,
                         Reason* error) {
    return Run(prefix,
               {"reg", "export", "HKEY_LOCAL_MACHINE\\" + Utf16ToUtf8(key), regFile.string(),
                "/reg:32", "/y"},
               error);
}

}  // namespace qm
