#include "storage/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

namespace qm {

namespace fs = std::filesystem;

namespace {

std::error_code Errno(int err) {
    return std::error_code(err, std::generic_category());
}

class StorageCategory : public std::error_category {
  public:
    const char* name() const noexcept override { return "quillmor-storage"; }
    std::string message(int code) const override {
        return code == 2 ? "far longer than any file of the game" : "not a regular file";
    }
};

#ifndef _WIN32

std::error_code LastError() {
    return Errno(errno);
}

// A path too long for one system call is reached through its folder: a temporary file
// beside a target whose path is near the limit has a longer one.
class AtPath {
  public:
    explicit AtPath(const fs::path& path) {
        if (path.native().size() < PATH_MAX) {
            name_ = path.c_str();
            return;
        }
#ifdef O_PATH
        constexpr int kFolderOnly = O_PATH;
#else
        constexpr int kFolderOnly = O_RDONLY;
#endif
        folder_ = ::open(path.parent_path().c_str(), kFolderOnly | O_DIRECTORY | O_CLOEXEC);
        if (folder_ < 0) error_ = errno;
        leaf_ = path.filename().native();
        name_ = leaf_.c_str();
    }
    ~AtPath() {
        if (folder_ >= 0) ::close(folder_);
    }
    AtPath(const AtPath&) = delete;
    AtPath& operator=(const AtPath&) = delete;

    int Folder() const {
        return folder_ >= 0 ? folder_ : AT_FDCWD;
    }
    const char* Name() const {
        return name_;
    }
    // Why the folder could not be opened (0: it was, or was not needed).
    std::error_code Error() const {
        return error_ ? Errno(error_) : std::error_code();
    }

  private:
    int folder_ = -1;
    int error_ = 0;
    std::string leaf_;
    const char* name_ = nullptr;
};

FileStat::Kind KindOfMode(mode_t mode) {
    return S_ISREG(mode)   ? FileStat::Kind::Regular
           : S_ISDIR(mode) ? FileStat::Kind::Directory
                           : FileStat::Kind::Other;
}

// The read behind both ReadInto: what was opened is checked, on its own descriptor, before
// a byte is read. Closes fd.
std::error_code ReadOpenFile(int fd, std::span<uint8_t> into, uint64_t maxSize, ReadFacts& facts) {
    struct stat st {};
    std::error_code result;
    if (::fstat(fd, &st) != 0) {
        result = LastError();
    } else {
        facts.kind = KindOfMode(st.st_mode);
        facts.size = uint64_t(st.st_size);
        if (!S_ISREG(st.st_mode))
            result = NotRegularFileError();
        else if (facts.size > maxSize)
            result = TooLongFileError();
    }
    while (!result && facts.got < into.size()) {
        const ssize_t n = ::read(fd, into.data() + facts.got, into.size() - facts.got);
        if (n < 0) {
            if (errno == EINTR) continue;
            result = LastError();
        } else if (n == 0) {
            break;
        } else {
            facts.got += std::size_t(n);
        }
    }
    ::close(fd);
    return result;
}

EntryType EntryTypeOfMode(mode_t mode) {
    return S_ISREG(mode)   ? EntryType::Regular
           : S_ISDIR(mode) ? EntryType::Directory
           : S_ISLNK(mode) ? EntryType::Link
                           : EntryType::Other;
}

// The folder's descriptor: readable when the folder may be listed, else (Linux) one that
// only finds names in it, which a folder without read permission still allows.
class PosixFolderReader : public IFolderReader {
  public:
    // listError: why the folder was opened only for look-ups (0: it may be listed).
    PosixFolderReader(int fd, int listError) : fd_(fd), listError_(listError) {}
    ~PosixFolderReader() override { ::close(fd_); }
    PosixFolderReader(const PosixFolderReader&) = delete;
    PosixFolderReader& operator=(const PosixFolderReader&) = delete;

    std::error_code List(std::vector<ListedEntry>& out) override {
        out.clear();
        if (listError_) return Errno(listError_);
        // The listing reads through a descriptor of its own, which closedir closes.
        const int listing = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        if (listing < 0) return LastError();
        DIR* dir = ::fdopendir(listing);
        if (!dir) {
            const std::error_code err = LastError();
            ::close(listing);
            return err;
        }
        ::rewinddir(dir);
        std::error_code result;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (!entry) {
                if (errno != 0) result = LastError();
                break;
            }
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            ListedEntry& e = out.emplace_back();
            e.name.assign(name);
            switch (entry->d_type) {
                case DT_REG:
                    e.type = EntryType::Regular;
                    break;
                case DT_DIR:
                    e.type = EntryType::Directory;
                    break;
                case DT_LNK:
                    e.type = EntryType::Link;
                    break;
                case DT_UNKNOWN: {
                    // Some file systems do not say in the listing.
                    struct stat st {};
                    e.type = ::fstatat(fd_, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                                 ? EntryTypeOfMode(st.st_mode)
                                 : EntryType::Other;
                    break;
                }
                default:
                    e.type = EntryType::Other;
                    break;
            }
        }
        ::closedir(dir);
        if (result) out.clear();
        return result;
    }

    std::error_code Look(const Name& name, bool followLinks, EntryType& type) override {
        struct stat st {};
        if (::fstatat(fd_, name.c_str(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
            return LastError();
        type = EntryTypeOfMode(st.st_mode);
        return {};
    }

    std::error_code ReadInto(const Name& name, std::span<uint8_t> into, uint64_t maxSize,
                             ReadFacts& facts) override {
        facts = {};
        // O_NONBLOCK: opening a pipe must not wait for a writer.
        const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return LastError();
        return ReadOpenFile(fd, into, maxSize, facts);
    }

  private:
    int fd_;
    int listError_;
};

class PosixFileSystem : public IFileSystem {
  public:
    std::error_code Stat(const fs::path& path, FileStat& out) override {
        const AtPath at(path);
        if (at.Error()) return at.Error();
        struct stat st {};
        if (::fstatat(at.Folder(), at.Name(), &st, 0) != 0) return LastError();
        out.kind = KindOfMode(st.st_mode);
        out.mode = uint32_t(st.st_mode & 07777);
        out.size = uint64_t(st.st_size);
        out.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        out.inode = uint64_t(st.st_ino);
        out.owner = uint32_t(st.st_uid);
        out.group = uint32_t(st.st_gid);
        out.mayWrite = ::faccessat(at.Folder(), at.Name(), W_OK, AT_EACCESS) == 0;
        return {};
    }

    std::error_code ReadFile(const fs::path& path, std::size_t maxBytes,
                             std::vector<uint8_t>& out) override {
        out.clear();
        // O_NONBLOCK: opening a pipe must not wait for a writer. What was opened is
        // checked, not the path, which may change between a look and the open.
        const AtPath at(path);
        if (at.Error()) return at.Error();
        const int fd = ::openat(at.Folder(), at.Name(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return LastError();
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            const std::error_code err = ::fstat(fd, &st) != 0 ? LastError() : NotRegularFileError();
            ::close(fd);
            return err;
        }
        // The buffer follows the file's size (one byte more, to see that it ended), not
        // the limit, which may be far larger than any real file.
        const std::size_t capacity = std::size_t(st.st_size) + 1;
        out.resize(std::min(capacity, maxBytes));
        std::size_t done = 0;
        std::error_code result;
        while (done < maxBytes) {
            if (done == out.size()) out.resize(std::min(maxBytes, out.size() * 2));
            const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                result = LastError();
                break;
            }
            if (n == 0) break;
            done += std::size_t(n);
        }
        ::close(fd);
        out.resize(result ? 0 : done);
        return result;
    }

    std::error_code ReadInto(const fs::path& path, std::span<uint8_t> into, uint64_t maxSize,
                             ReadFacts& facts) override {
        facts = {};
        const AtPath at(path);
        if (at.Error()) return at.Error();
        const int fd = ::openat(at.Folder(), at.Name(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return LastError();
        return ReadOpenFile(fd, into, maxSize, facts);
    }

    std::unique_ptr<IFolderReader> OpenFolder(const fs::path& folder,
                                              std::error_code& error) override {
        error.clear();
        const char* path = folder.empty() ? "." : folder.c_str();
        int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int listError = 0;
#ifdef O_PATH
        if (fd < 0 && errno == EACCES) {
            // May not be read, but maybe searched: its files can still be found by name.
            listError = EACCES;
            fd = ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
#endif
        if (fd < 0) {
            error = LastError();
            return nullptr;
        }
        return std::make_unique<PosixFolderReader>(fd, listError);
    }

    std::error_code CreateNew(const fs::path& path, const FileStat* like,
                              WriteHandle& out) override {
        const mode_t mode = like ? mode_t(like->mode) : 0644;
        const AtPath at(path);
        if (at.Error()) return at.Error();
        const int fd =
            ::openat(at.Folder(), at.Name(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) return LastError();
        // The replaced file keeps its owner and group (root saving a player's folder must
        // leave the player's files the player's); whoever may not give a file away keeps
        // the new one, as the system decides.
        if (like && (uid_t(like->owner) != ::geteuid() || gid_t(like->group) != ::getegid()))
            (void)::fchown(fd, uid_t(like->owner), gid_t(like->group));
        // open() applies the umask; the replaced file's own bits are what the player chose.
        if (::fchmod(fd, mode) != 0) {
            const std::error_code err = LastError();
            ::close(fd);
            ::unlinkat(at.Folder(), at.Name(), 0);
            return err;
        }
        out.value = fd;
        return {};
    }

    std::error_code Write(WriteHandle file, std::span<const uint8_t> data) override {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(int(file.value), data.data() + done, data.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return LastError();
            }
            done += std::size_t(n);
        }
        return {};
    }

    std::error_code Flush(WriteHandle file) override {
        return ::fsync(int(file.value)) == 0 ? std::error_code() : LastError();
    }

    std::error_code Close(WriteHandle file) override {
        return ::close(int(file.value)) == 0 ? std::error_code() : LastError();
    }

    std::error_code Rename(const fs::path& from, const fs::path& to) override {
        const AtPath source(from), target(to);
        if (source.Error()) return source.Error();
        if (target.Error()) return target.Error();
        return ::renameat(source.Folder(), source.Name(), target.Folder(), target.Name()) == 0
                   ? std::error_code()
                   : LastError();
    }

    std::error_code Remove(const fs::path& path) override {
        const AtPath at(path);
        if (at.Error()) return at.Error();
        return ::unlinkat(at.Folder(), at.Name(), 0) == 0 ? std::error_code() : LastError();
    }

    std::error_code SyncFolder(const fs::path& folder) override {
        const int fd =
            ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return LastError();
        std::error_code result;
        if (::fsync(fd) != 0) result = LastError();
        ::close(fd);
        return result;
    }

    std::error_code CreateFolders(const fs::path& folder) override {
        std::error_code ec;
        fs::create_directories(folder, ec);
        return ec;
    }
};

using SystemFs = PosixFileSystem;

#else

// Win32 errors as the portable codes FileErrorText names; others as they are.
std::error_code Win32Error(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return Errno(ENOENT);
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return Errno(EACCES);
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Errno(EBUSY);
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Errno(ENOSPC);
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return Errno(EEXIST);
        default:
            return std::error_code(int(code), std::system_category());
    }
}

std::error_code LastError() {
    return Win32Error(GetLastError());
}

// The file system through the wide Win32 calls: names outside the ANSI code page work,
// files other programs hold open are reported as busy, and a read-only file shows no
// write permission, so the safe writer leaves it alone.
// Opens a file to read. What was opened is checked, not the path, which may change
// between a look and the open: only a file on a disk is read, never a console, a pipe or
// a folder (backup semantics let a folder open, to be refused here as Linux refuses it).
// On success `h` is open and `facts` holds its kind and size.
std::error_code OpenToRead(const fs::path& path, HANDLE& h, ReadFacts& facts) {
    h = CreateFileW(path.c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    const bool known = GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
                       GetFileSizeEx(h, &size);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (known) facts.kind = FileStat::Kind::Directory;
        CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
        return NotRegularFileError();
    }
    facts.kind = FileStat::Kind::Regular;
    facts.size = uint64_t(size.QuadPart);
    return {};
}

class Win32FileSystem : public IFileSystem {
  public:
    std::error_code Stat(const fs::path& path, FileStat& out) override {
        // No access asked and every sharing allowed: works on files others hold open.
        // Links are followed.
        HANDLE h =
            CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return LastError();
        // A device or a pipe tells nothing more: it is neither file nor folder.
        if (GetFileType(h) != FILE_TYPE_DISK) {
            CloseHandle(h);
            out = FileStat{};
            out.kind = FileStat::Kind::Other;
            return {};
        }
        BY_HANDLE_FILE_INFORMATION info{};
        const bool ok = GetFileInformationByHandle(h, &info);
        const std::error_code err = ok ? std::error_code() : LastError();
        CloseHandle(h);
        if (err) return err;
        out.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileStat::Kind::Directory
                                                                      : FileStat::Kind::Regular;
        out.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
        out.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        const uint64_t ticks = (uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) |
                               info.ftLastWriteTime.dwLowDateTime;
        out.modifiedNs = int64_t(ticks) * 100;
        out.inode = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        out.attributes = info.dwFileAttributes;
        out.mayWrite = true;
        if (out.IsRegular()) {
            // The access rules may deny this user writing the file while the folder lets
            // the file be replaced. A file another program holds open is still ours to
            // write (the rename then says it is busy).
            HANDLE probe = CreateFileW(path.c_str(), FILE_WRITE_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
            if (probe != INVALID_HANDLE_VALUE)
                CloseHandle(probe);
            else if (GetLastError() == ERROR_ACCESS_DENIED)
                out.mayWrite = false;
        }
        return {};
    }

    std::error_code ReadFile(const fs::path& path, std::size_t maxBytes,
                             std::vector<uint8_t>& out) override {
        out.clear();
        HANDLE h = INVALID_HANDLE_VALUE;
        ReadFacts facts;
        if (std::error_code error = OpenToRead(path, h, facts)) return error;
        // The buffer follows the file's size (one byte more, to see that it ended), not
        // the limit, which may be far larger than any real file.
        const std::size_t capacity = std::size_t(facts.size) + 1;
        out.resize(std::min(capacity, maxBytes));
        std::size_t done = 0;
        std::error_code result;
        while (done < maxBytes) {
            if (done == out.size()) out.resize(std::min(maxBytes, out.size() * 2));
            DWORD got = 0;
            const DWORD want = DWORD(std::min<std::size_t>(out.size() - done, 1u << 30));
            if (!::ReadFile(h, out.data() + done, want, &got, nullptr)) {
                result = LastError();
                break;
            }
            if (got == 0) break;
            done += got;
        }
        CloseHandle(h);
        out.resize(result ? 0 : done);
        return result;
    }

    std::error_code ReadInto(const fs::path& path, std::span<uint8_t> into, uint64_t maxSize,
                             ReadFacts& facts) override {
        facts = {};
        HANDLE h = INVALID_HANDLE_VALUE;
        if (std::error_code error = OpenToRead(path, h, facts)) return error;
        std::error_code result;
        if (facts.size > maxSize) result = TooLongFileError();
        while (!result && facts.got < into.size()) {
            DWORD got = 0;
            const DWORD want = DWORD(std::min<std::size_t>(into.size() - facts.got, 1u << 30));
            if (!::ReadFile(h, into.data() + facts.got, want, &got, nullptr)) {
                result = LastError();
                break;
            }
            if (got == 0) break;
            facts.got += got;
        }
        CloseHandle(h);
        return result;
    }

    std::error_code CreateNew(const fs::path& path, const FileStat* like,
                              WriteHandle& out) override {
        // The replaced file's hidden, system and archive marks go to the new one.
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        const DWORD attributes =
            like && (like->attributes & kept) ? (like->attributes & kept) : FILE_ATTRIBUTE_NORMAL;
        HANDLE h =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (h == INVALID_HANDLE_VALUE) return LastError();
        out.value = reinterpret_cast<intptr_t>(h);
        return {};
    }

    std::error_code Write(WriteHandle file, std::span<const uint8_t> data) override {
        HANDLE h = reinterpret_cast<HANDLE>(file.value);
        std::size_t done = 0;
        while (done < data.size()) {
            DWORD written = 0;
            const DWORD chunk = DWORD(std::min<std::size_t>(data.size() - done, 1u << 30));
            if (!WriteFile(h, data.data() + done, chunk, &written, nullptr)) return LastError();
            if (written == 0) return Errno(EIO);
            done += written;
        }
        return {};
    }

    std::error_code Flush(WriteHandle file) override {
        return FlushFileBuffers(reinterpret_cast<HANDLE>(file.value)) ? std::error_code()
                                                                      : LastError();
    }

    std::error_code Close(WriteHandle file) override {
        return CloseHandle(reinterpret_cast<HANDLE>(file.value)) ? std::error_code() : LastError();
    }

    // WRITE_THROUGH: the call returns once the rename itself is on the disk, which is
    // what a folder sync does elsewhere.
    std::error_code Rename(const fs::path& from, const fs::path& to) override {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD code = GetLastError();
        // Windows says "access denied" also for a file another program holds open (the
        // game does while it runs); say which it is.
        if (code == ERROR_ACCESS_DENIED) {
            HANDLE probe = CreateFileW(to.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
            if (probe != INVALID_HANDLE_VALUE)
                CloseHandle(probe);
            else if (GetLastError() == ERROR_SHARING_VIOLATION)
                return Errno(EBUSY);
        }
        return Win32Error(code);
    }

    std::error_code Remove(const fs::path& path) override {
        return DeleteFileW(path.c_str()) ? std::error_code() : LastError();
    }

    std::error_code SyncFolder(const fs::path&) override { return {}; }

    std::error_code CreateFolders(const fs::path& folder) override {
        std::error_code ec;
        fs::create_directories(folder, ec);
        return ec;
    }
};

using SystemFs = Win32FileSystem;

#endif

}  // namespace

namespace {

const StorageCategory& Storage() {
    static const StorageCategory category;
    return category;
}

}  // namespace

std::error_code NotRegularFileError() {
    return std::error_code(1, Storage());
}

std::error_code TooLongFileError() {
    return std::error_code(2, Storage());
}

namespace {

EntryType EntryTypeOfStatus(const fs::file_status& status) {
    switch (status.type()) {
        case fs::file_type::regular:
            return EntryType::Regular;
        case fs::file_type::directory:
            return EntryType::Directory;
        case fs::file_type::symlink:
            return EntryType::Link;
        default:
            return EntryType::Other;
    }
}

// A folder read through its path, for a system without a reader of its own: each name is
// joined to the folder's path.
class PathFolderReader : public IFolderReader {
  public:
    PathFolderReader(IFileSystem& fs, fs::path folder) : fs_(fs), folder_(std::move(folder)) {}

    std::error_code List(std::vector<ListedEntry>& out) override {
        out.clear();
        std::error_code ec;
        for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
            ListedEntry& e = out.emplace_back();
            e.name = it->path().filename().native();
            std::error_code typeError;
            e.type = it->is_symlink(typeError)        ? EntryType::Link
                     : it->is_directory(typeError)    ? EntryType::Directory
                     : it->is_regular_file(typeError) ? EntryType::Regular
                                                      : EntryType::Other;
        }
        if (ec) out.clear();
        return ec;
    }

    std::error_code Look(const Name& name, bool followLinks, EntryType& type) override {
        std::error_code ec;
        const fs::path path = folder_ / name;
        const fs::file_status status =
            followLinks ? fs::status(path, ec) : fs::symlink_status(path, ec);
        if (ec) return ec;
        if (!fs::exists(status)) return Errno(ENOENT);
        type = EntryTypeOfStatus(status);
        return {};
    }

    std::error_code ReadInto(const Name& name, std::span<uint8_t> into, uint64_t maxSize,
                             ReadFacts& facts) override {
        return fs_.ReadInto(folder_ / name, into, maxSize, facts);
    }

  private:
    IFileSystem& fs_;
    fs::path folder_;
};

}  // namespace

std::unique_ptr<IFolderReader> IFileSystem::OpenFolder(const fs::path& folder,
                                                       std::error_code& error) {
    const fs::path path = folder.empty() ? fs::path(".") : folder;
    error.clear();
    if (!fs::is_directory(path, error)) {
        if (!error) error = Errno(ENOTDIR);
        return nullptr;
    }
    return std::make_unique<PathFolderReader>(*this, path);
}

namespace {

IFileSystem*& Current() {
    static IFileSystem* current = &SystemFileSystem();
    return current;
}

}  // namespace

IFileSystem& SystemFileSystem() {
    static SystemFs system;
    return system;
}

IFileSystem& CurrentFileSystem() {
    return *Current();
}

ScopedFileSystem::ScopedFileSystem(IFileSystem& fs) : previous_(Current()) {
    Current() = &fs;
}

ScopedFileSystem::~ScopedFileSystem() {
    Current() = previous_;
}

}  // namespace qm
