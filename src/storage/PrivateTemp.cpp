#include "storage/PrivateTemp.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>

#include "storage/Utf.h"

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "quillmor-";

Reason TempReason(ReasonKind kind, int err) {
    Reason r;
    r.kind = kind;
    if (err != 0) r.cause = std::error_code(err, std::generic_category());
    return r;
}

struct Folder {
    std::mutex mutex;
    fs::path path;
#ifndef _WIN32
    pid_t owner = 0;  // a forked child that exits must not remove its parent's folder
#endif
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

fs::path SharedTempFolder() {
    std::error_code ec;
    fs::path dir = fs::temp_directory_path(ec);  // $TMPDIR when it names a folder
    if (ec || dir.empty()) dir = "/tmp";
    return dir;
}

#ifndef _WIN32
// "quillmor-<pid>-XXXXXX": the pid of the run that made it, or 0.
pid_t PidOfOurFolder(std::string_view name) {
    if (!name.starts_with(kPrefix)) return 0;
    name.remove_prefix(kPrefix.size());
    const auto dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || name.size() - dash - 1 != 6) return 0;
    pid_t pid = 0;
    for (char c : name.substr(0, dash)) {
        if (c < '0' || c > '9' || pid > 100000000) return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Folders of this user's runs that are gone (killed before they could remove theirs).
void RemoveStaleFolders(const fs::path& base) {
    std::error_code ec;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t pid = PidOfOurFolder(name);
        if (pid <= 0 || pid == ::getpid()) continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        std::error_code ignored;
        fs::remove_all(it->path(), ignored);  // removes links themselves, never their targets
    }
}
#endif

void RemoveAtExit() {
    Folder& folder = TheFolder();
    std::lock_guard lock(folder.mutex);
    if (folder.path.empty()) return;
#ifndef _WIN32
    if (folder.owner != ::getpid()) return;
#endif
    std::error_code ec;
    fs::remove_all(folder.path, ec);
    folder.path.clear();
}

}  // namespace

std::optional<fs::path> PrivateTempFolder(Reason* error) {
    Folder& folder = TheFolder();
    std::lock_guard lock(folder.mutex);
#ifndef _WIN32
    if (!folder.path.empty() && folder.owner == ::getpid()) {
        // Still ours, still a folder only we may enter?
        struct stat st {};
        if (::lstat(folder.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            st.st_uid == ::geteuid() && (st.st_mode & 077) == 0)
            return folder.path;
    }
    const fs::path base = SharedTempFolder();
    RemoveStaleFolders(base);
    std::string pattern =
        (base / (std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {  // mode 0700
        if (error) *error = TempReason(ReasonKind::TempFolder, errno);
        return std::nullopt;
    }
    static const bool registered = std::atexit(RemoveAtExit) == 0;
    (void)registered;
    folder.path = pattern;
    folder.owner = ::getpid();
    return folder.path;
#else
    if (!folder.path.empty()) return folder.path;
    std::error_code ec;
    // Per run, so that one run's exit does not take another's files.
    fs::path path = SharedTempFolder() / (std::string(kPrefix) + std::to_string(_getpid()));
    fs::create_directories(path, ec);
    if (ec) {
        if (error) {
            *error = TempReason(ReasonKind::TempFolder, 0);
            error->cause = ec;
        }
        return std::nullopt;
    }
    static const bool registered = std::atexit(RemoveAtExit) == 0;
    (void)registered;
    folder.path = path;
    return folder.path;
#endif
}

std::optional<fs::path> WritePrivateTempFile(std::string_view name,
                                             std::span<const uint8_t> content, Reason* error) {
#ifdef _WIN32
    constexpr std::string_view kSeparators = "/\\:";
#else
    constexpr std::string_view kSeparators = "/";
#endif
    if (name.empty() || name.find_first_of(kSeparators) != std::string_view::npos || name == "." ||
        name == "..") {
        if (error) *error = TempReason(ReasonKind::TempFile, EINVAL);
        return std::nullopt;
    }
    auto folder = PrivateTempFolder(error);
    if (!folder) return std::nullopt;
    const fs::path path = *folder / std::string(name);
#ifndef _WIN32
    auto fail = [&](int err) -> std::optional<fs::path> {
        if (error) *error = TempReason(ReasonKind::TempFile, err);
        return std::nullopt;
    };
    const int dir = ::open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return fail(errno);
    // Whatever is under the name goes (a link is removed, not followed); the new file is
    // made here and only here.
    if (::unlinkat(dir, path.filename().c_str(), 0) != 0 && errno != ENOENT) {
        const int err = errno;
        ::close(dir);
        return fail(err);
    }
    const int fd = ::openat(dir, path.filename().c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const int openErr = errno;
    ::close(dir);
    if (fd < 0) return fail(openErr);
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(path.c_str());
            return fail(err);
        }
        done += std::size_t(n);
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(path.c_str());
        return fail(err);
    }
    return path;
#else
    std::error_code ec;
    fs::remove(path, ec);
    std::FILE* f = _wfopen(path.c_str(), L"wbx");
    if (!f) {
        if (error) *error = TempReason(ReasonKind::TempFile, errno ? errno : EIO);
        return std::nullopt;
    }
    const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    if (std::fclose(f) != 0 || !ok) {
        fs::remove(path, ec);
        if (error) *error = TempReason(ReasonKind::TempFile, errno ? errno : EIO);
        return std::nullopt;
    }
    return path;
#endif
}

}  // namespace qm
