#include "storage/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <io.h>
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
    std::string message(int) const override { return "not a regular file"; }
};

#ifndef _WIN32

std::error_code LastError() {
    return Errno(errno);
}

class PosixFileSystem : public IFileSystem {
  public:
    std::error_code Stat(const fs::path& path, FileStat& out) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return LastError();
        out.kind = S_ISREG(st.st_mode)   ? FileStat::Kind::Regular
                   : S_ISDIR(st.st_mode) ? FileStat::Kind::Directory
                                         : FileStat::Kind::Other;
        out.mode = uint32_t(st.st_mode & 07777);
        out.size = uint64_t(st.st_size);
        out.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        out.inode = uint64_t(st.st_ino);
        out.owner = uint32_t(st.st_uid);
        out.group = uint32_t(st.st_gid);
        out.mayWrite = ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
        return {};
    }

    std::error_code ReadFile(const fs::path& path, std::size_t maxBytes,
                             std::vector<uint8_t>& out) override {
        out.clear();
        // O_NONBLOCK: opening a pipe must not wait for a writer. What was opened is
        // checked, not the path, which may change between a look and the open.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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

    std::error_code CreateNew(const fs::path& path, const FileStat* like,
                              WriteHandle& out) override {
        const mode_t mode = like ? mode_t(like->mode) : 0644;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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
            ::unlink(path.c_str());
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
        return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
    }

    std::error_code Remove(const fs::path& path) override {
        return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
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

// Kept compiling for the Windows build; the Windows port gives it its own calls.
class StdioFileSystem : public IFileSystem {
  public:
    std::error_code Stat(const fs::path& path, FileStat& out) override {
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (ec) return ec;
        if (!fs::exists(status)) return Errno(ENOENT);
        out.kind = fs::is_regular_file(status) ? FileStat::Kind::Regular
                   : fs::is_directory(status)  ? FileStat::Kind::Directory
                                               : FileStat::Kind::Other;
        out.mode = uint32_t(status.permissions());
        out.size = out.IsRegular() ? uint64_t(fs::file_size(path, ec)) : 0;
        out.modifiedNs = int64_t(fs::last_write_time(path, ec).time_since_epoch().count());
        return {};
    }

    std::error_code ReadFile(const fs::path& path, std::size_t maxBytes,
                             std::vector<uint8_t>& out) override {
        out.clear();
        std::error_code ec;
        if (fs::exists(path, ec) && !fs::is_regular_file(path, ec)) return NotRegularFileError();
        std::FILE* f = _wfopen(path.c_str(), L"rb");
        if (!f) return Errno(errno);
        char buffer[65536];
        std::size_t got;
        while (out.size() < maxBytes &&
               (got = std::fread(buffer, 1, std::min(sizeof buffer, maxBytes - out.size()), f)) > 0)
            out.insert(out.end(), buffer, buffer + got);
        const bool failed = std::ferror(f) != 0;
        std::fclose(f);
        if (failed) {
            out.clear();
            return Errno(EIO);
        }
        return {};
    }

    std::error_code CreateNew(const fs::path& path, const FileStat*, WriteHandle& out) override {
        std::FILE* f = _wfopen(path.c_str(), L"wbx");
        if (!f) return Errno(errno);
        out.value = reinterpret_cast<intptr_t>(f);
        return {};
    }

    std::error_code Write(WriteHandle file, std::span<const uint8_t> data) override {
        std::FILE* f = reinterpret_cast<std::FILE*>(file.value);
        if (std::fwrite(data.data(), 1, data.size(), f) != data.size()) return Errno(EIO);
        return {};
    }

    std::error_code Flush(WriteHandle file) override {
        std::FILE* f = reinterpret_cast<std::FILE*>(file.value);
        if (std::fflush(f) != 0 || _commit(_fileno(f)) != 0) return Errno(EIO);
        return {};
    }

    std::error_code Close(WriteHandle file) override {
        return std::fclose(reinterpret_cast<std::FILE*>(file.value)) == 0 ? std::error_code()
                                                                          : Errno(EIO);
    }

    std::error_code Rename(const fs::path& from, const fs::path& to) override {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        return Errno(EACCES);
    }

    std::error_code Remove(const fs::path& path) override {
        std::error_code ec;
        fs::remove(path, ec);
        return ec;
    }

    std::error_code SyncFolder(const fs::path&) override { return {}; }

    std::error_code CreateFolders(const fs::path& folder) override {
        std::error_code ec;
        fs::create_directories(folder, ec);
        return ec;
    }
};

using SystemFs = StdioFileSystem;

#endif

}  // namespace

std::error_code NotRegularFileError() {
    static const StorageCategory category;
    return std::error_code(1, category);
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
