#pragma once
// Runs a program as a shell would, with its standard input from a file (or nothing) and
// its standard output and error collected, on Linux and on Windows.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "storage/Utf.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

#include "support/TempDir.h"

namespace qm::test {

struct Outcome {
    bool started = false;
    bool exited = false;  // false: killed by a signal
    int status = -1;
    std::string out, err;
};

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A program named by a path, or by a bare file name beside the running test program.
inline std::filesystem::path ProgramPath(const char* built) {
    std::filesystem::path path(built);
    if (path.is_absolute()) return path;
#ifdef _WIN32
    std::wstring self(4096, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    return std::filesystem::path(self).parent_path() / path;
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / path;
#endif
}

#ifdef _WIN32

// One argument quoted so that the C runtime's parser gives it back unchanged.
inline std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

inline HANDLE InheritableFile(const std::filesystem::path& path, bool write) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Arguments are UTF-8.
inline Outcome RunProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& args,
                          const std::filesystem::path& stdinFile = {}) {
    TempDir io;
    Outcome run;
    std::wstring commandLine = QuoteArgument(program.wstring());
    for (const auto& a : args) {
        const std::u16string wide = Utf8ToUtf16(a);
        commandLine += L" " + QuoteArgument(std::wstring(wide.begin(), wide.end()));
    }
    if (stdinFile.empty()) io.Write("empty", {});
    HANDLE in = InheritableFile(stdinFile.empty() ? io.Path("empty") : stdinFile, false);
    HANDLE out = InheritableFile(io.Path("out"), true);
    HANDLE err = InheritableFile(io.Path("err"), true);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info{};
    // Wine's process start has been seen to fail now and then on a loaded machine; a
    // program that cannot be started at all fails every try.
    bool created = false;
    for (int attempt = 0; attempt < 3 && !created; ++attempt) {
        if (attempt > 0) Sleep(250);
        created = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                 CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    }
    if (created) {
        run.started = true;
        WaitForSingleObject(info.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        run.exited = true;
        run.status = int(code);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    for (HANDLE h : {in, out, err})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (run.started) {
        run.out = Slurp(io.Path("out"));
        run.err = Slurp(io.Path("err"));
    }
    return run;
}

#else

inline Outcome RunProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& args,
                          const std::filesystem::path& stdinFile = {}) {
    TempDir io;
    const std::filesystem::path out = io.Path("out"), err = io.Path("err");
    const std::string input = stdinFile.empty() ? std::string("/dev/null") : stdinFile.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Outcome run;
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return run;
    run.started = true;
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    run.exited = WIFEXITED(wstatus);
    run.status = run.exited ? WEXITSTATUS(wstatus) : -WTERMSIG(wstatus);
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
}

#endif

}  // namespace qm::test
