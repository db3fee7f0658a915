#include "storage/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include "storage/Utf.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {

namespace {

std::function<bool(const std::filesystem::path&)>& FaultHook() {
    static std::function<bool(const std::filesystem::path&)> hook;
    return hook;
}

std::u16string Reason(int err) {
    // strerror is in the C locale's language; name the usual cases in Japanese.
    switch (err) {
        case EACCES:
        case EPERM:
        case EROFS:
            return u"書き込みが許可されていません";
        case ENOSPC:
        case EDQUOT:
            return u"ディスクの空き容量が足りません";
        case ENOENT:
        case ENOTDIR:
            return u"フォルダが見つかりません";
        case EISDIR:
            return u"同じ名前のフォルダがあります";
        default:
            return u"書き込みに失敗しました (" + Utf8ToUtf16(std::strerror(err)) + u")";
    }
}

std::filesystem::path TempPathBeside(const std::filesystem::path& path) {
    static std::mt19937 gen{std::random_device{}()};
    std::filesystem::path temp = path;
    temp += ".qmtmp" + std::to_string(gen() % 1000000);
    return temp;
}

bool Fail(std::u16string* error, int err) {
    if (error) *error = Reason(err);
    return false;
}

#ifndef _WIN32
bool WriteAll(int fd, std::span<const uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}
#endif

}  // namespace

void SetSafeFileFaultHook(std::function<bool(const std::filesystem::path&)> hook) {
    FaultHook() = std::move(hook);
}

std::optional<std::vector<uint8_t>> ReadFileHead(const std::filesystem::path& path,
                                                 std::size_t maxBytes) {
    // stdio rather than iostreams: a read error must not look like the end of the file.
    std::FILE* f = std::fopen(path.string().c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> data(maxBytes);
    std::size_t got = std::fread(data.data(), 1, maxBytes, f);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    data.resize(got);
    return data;
}

bool WriteWholeFile(const std::filesystem::path& given, std::span<const uint8_t> content,
                    std::u16string* error) {
#ifndef _WIN32
    // A link is followed: the file it names gets the new content, and the link stays.
    std::filesystem::path path = given;
    std::error_code ec;
    if (std::filesystem::is_symlink(given, ec)) {
        std::filesystem::path target = std::filesystem::canonical(given, ec);
        if (ec) return Fail(error, ENOENT);
        path = target;
    }
    // Keep the permissions of the file being replaced; a file nobody may write (a
    // player's way of protecting it) is not replaced.
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Fail(error, EISDIR);
        if ((st.st_mode & 0222) == 0) return Fail(error, EACCES);
        mode = st.st_mode & 07777;
    }
    std::filesystem::path temp = TempPathBeside(path);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return Fail(error, errno);
    // open() applies the umask; the replaced file's own bits are what the player chose.
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, content) || ::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return Fail(error, err);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return Fail(error, err);
    }
    if (FaultHook() && !FaultHook()(temp)) {
        ::unlink(temp.c_str());
        return Fail(error, EIO);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return Fail(error, err);
    }
    // Make the rename itself durable.
    std::filesystem::path dir = path.parent_path();
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
#else
    const std::filesystem::path& path = given;
    std::filesystem::path temp = TempPathBeside(path);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return Fail(error, EACCES);
        out.write(reinterpret_cast<const char*>(content.data()), std::streamsize(content.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return Fail(error, ENOSPC);
        }
    }
    if (FaultHook() && !FaultHook()(temp)) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        return Fail(error, EIO);
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        return Fail(error, EACCES);
    }
    return true;
#endif
}

bool WriteRecordFile(const std::filesystem::path& path, std::span<const uint8_t> record,
                     std::u16string* error) {
    std::vector<uint8_t> content(record.begin(), record.end());
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return Fail(error, EISDIR);
    if (std::filesystem::exists(path, ec)) {
        // The bytes past the record belong to the game and go into the new file too; if
        // they cannot be read, nothing is written.
        std::FILE* f = std::fopen(path.string().c_str(), "rb");
        if (!f) return Fail(error, errno);
        if (std::fseek(f, long(record.size()), SEEK_SET) == 0) {
            char buffer[65536];
            std::size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                content.insert(content.end(), buffer, buffer + got);
        }
        bool failed = std::ferror(f) != 0;
        std::fclose(f);
        if (failed) return Fail(error, EIO);
    }
    return WriteWholeFile(path, content, error);
}

}  // namespace qm
