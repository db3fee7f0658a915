#include "platform/linux/WinePrefix.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <system_error>

#include "platform/Registry.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {

namespace fs = std::filesystem;

bool IsWinePrefix(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_regular_file(folder / "system.reg", ec);
}

fs::path FindWinePrefix(const char* winePrefixVariable, const char* home,
                        std::u16string_view remembered) {
    if (winePrefixVariable && *winePrefixVariable && IsWinePrefix(winePrefixVariable))
        return winePrefixVariable;
    if (!remembered.empty() && IsWinePrefix(PathFromText(remembered)))
        return PathFromText(remembered);
    if (home && *home && IsWinePrefix(fs::path(home) / ".wine")) return fs::path(home) / ".wine";
    return {};
}

std::vector<fs::path> WinePrefixCandidates(const char* winePrefixVariable, const char* home,
                                           std::u16string_view remembered) {
    std::vector<fs::path> found;
    auto add = [&found](const fs::path& folder) {
        if (IsWinePrefix(folder) && std::find(found.begin(), found.end(), folder) == found.end())
            found.push_back(folder);
    };
    if (winePrefixVariable && *winePrefixVariable) add(winePrefixVariable);
    if (!remembered.empty()) add(PathFromText(remembered));
    if (home && *home) add(fs::path(home) / ".wine");
    return found;
}

bool DrivesReach(const fs::path& prefix, const fs::path& folder) {
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(folder, ec);
    if (ec || target.empty()) return false;
    for (fs::directory_iterator it(prefix / "dosdevices", ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Drives only ("c:"), not the device names beside them ("com1", "c::").
        if (name.size() != 2 || name[1] != ':') continue;
        std::error_code linkError;
        const fs::path drive = fs::canonical(it->path(), linkError);
        if (linkError) continue;
        auto [d, t] = std::mismatch(drive.begin(), drive.end(), target.begin(), target.end());
        // A drive whose path ends in a separator ("/") has an empty last component.
        if (d == drive.end() || (std::next(d) == drive.end() && d->empty())) return true;
    }
    return false;
}

#ifndef _WIN32

namespace {

std::string Hex(unsigned long long value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llx", value);
    return buffer;
}

// The folder name Debian's Wine writes into the prefix, if it is a plain name.
std::optional<std::string> DebianServerRoot(const fs::path& prefix) {
    auto bytes = ReadFileHead(prefix / "wineserver", 256);
    if (!bytes) return std::nullopt;
    std::string name(bytes->begin(), bytes->end());
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' '))
        name.pop_back();
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return std::nullopt;
    return name;
}

bool LockHeld(const fs::path& lockFile) {
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // Missing: no server. There but closed to us: assume the worst.
        std::error_code ec;
        return fs::exists(lockFile, ec) || ec;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    // An open-file-description query also sees locks this very process holds.
    int rc = ::fcntl(fd, F_OFD_GETLK, &lock);
    if (rc != 0) {
        lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = 1;
        rc = ::fcntl(fd, F_GETLK, &lock);
    }
    ::close(fd);
    return rc != 0 || lock.l_type != F_UNLCK;
}

}  // namespace

std::vector<fs::path> WineServerFolders(const fs::path& prefix, const fs::path& tmpRoot) {
    struct stat st {};
    if (::stat(prefix.c_str(), &st) != 0) return {};
    const std::string server = "server-" + Hex(static_cast<unsigned long long>(st.st_dev)) + "-" +
                               Hex(static_cast<unsigned long long>(st.st_ino));
    std::vector<fs::path> folders{tmpRoot / (".wine-" + std::to_string(::getuid())) / server};
    if (auto root = DebianServerRoot(prefix)) folders.push_back(tmpRoot / *root / server);
    return folders;
}

bool WineServerRunning(const fs::path& prefix, const fs::path& tmpRoot) {
    for (const auto& folder : WineServerFolders(prefix, tmpRoot))
        if (LockHeld(folder / "lock")) return true;
    return false;
}

#else

std::vector<fs::path> WineServerFolders(const fs::path&, const fs::path&) {
    return {};
}
bool WineServerRunning(const fs::path&, const fs::path&) {
    return false;
}

#endif

bool IsWindowsDrivePath(std::u16string_view path) {
    if (path.size() < 2 || path[1] != u':') return false;
    const char16_t d = path[0];
    if (!((d >= u'a' && d <= u'z') || (d >= u'A' && d <= u'Z'))) return false;
    return path.size() == 2 || path[2] == u'\\' || path[2] == u'/';
}

std::optional<std::u16string> WinePathToNative(const fs::path& prefix,
                                               std::u16string_view windowsPath) {
    if (!IsWindowsDrivePath(windowsPath)) return std::nullopt;
    char16_t drive = windowsPath[0];
    if (drive >= u'A' && drive <= u'Z') drive = char16_t(drive - u'A' + u'a');
    const fs::path link = prefix / "dosdevices" / (std::string(1, char(drive)) + ":");
    std::error_code ec;
    fs::path current = fs::canonical(link, ec);
    bool matching = !ec;
    if (ec) current = link;

    std::u16string_view rest = windowsPath.substr(2);
    const bool finalSeparator = !rest.empty() && (rest.back() == u'\\' || rest.back() == u'/');
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = rest.find_first_of(u"\\/", start);
        if (end == std::u16string_view::npos) end = rest.size();
        const std::u16string_view component = rest.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == u".") continue;
        if (component == u"..") {
            if (current.has_relative_path()) current = current.parent_path();
            continue;
        }
        const fs::path exact = current / PathFromText(component);
        if (!matching || fs::exists(fs::symlink_status(exact, ec))) {
            current = exact;
            continue;
        }
        // Wine looks for the name without regard to case.
        std::optional<fs::path> found;
        for (fs::directory_iterator it(current, ec), end_; !ec && it != end_; it.increment(ec)) {
            if (RegNamesEqual(TextFromPath(it->path().filename()), component)) {
                found = it->path();
                break;
            }
        }
        if (found) {
            current = *found;
        } else {
            current = exact;
            matching = false;
        }
    }
    std::u16string native = TextFromPath(current);
    if (finalSeparator && !native.ends_with(u'/')) native += u'/';
    return native;
}

}  // namespace qm
