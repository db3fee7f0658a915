#include "storage/SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

#include "storage/Paths.h"
#include "storage/SavePlan.h"
#include "storage/Utf.h"

namespace qm {

namespace fs = std::filesystem;

namespace {

std::function<bool(const fs::path&)>& FaultHook() {
    static std::function<bool(const fs::path&)> hook;
    return hook;
}

std::error_code Errno(int err) {
    return std::error_code(err, std::generic_category());
}

// Temporary files have one pattern per target, "<name>.qmtmp-<pid>-<n>", so that those
// a killed save left behind are recognised, and whose they were.
constexpr std::string_view kTempMark = ".qmtmp-";

fs::path TempPathBeside(const fs::path& path) {
    static std::mt19937 gen{std::random_device{}()};
    fs::path temp = path;
#ifndef _WIN32
    temp +=
        std::string(kTempMark) + std::to_string(::getpid()) + "-" + std::to_string(gen() % 1000000);
#else
    temp += std::string(kTempMark) + "0-" + std::to_string(gen() % 1000000);
#endif
    return temp;
}

// Removes the temporary files of earlier saves of target whose process is gone. A save
// running now in another process keeps its own.
void RemoveStaleTemps(IFileSystem& fs, const fs::path& target) {
    const std::string prefix = target.filename().string() + std::string(kTempMark);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code ec;
    std::vector<fs::path> stale;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || it->is_symlink(typeError)) continue;
#ifndef _WIN32
        const std::string rest = name.substr(prefix.size());
        const long pid = std::strtol(rest.c_str(), nullptr, 10);
        if (pid <= 0 || pid == long(::getpid())) continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
#endif
        stale.push_back(it->path());
    }
    for (const fs::path& path : stale) fs.Remove(path);
}

}  // namespace

void SetSafeFileFaultHook(std::function<bool(const fs::path&)> hook) {
    FaultHook() = std::move(hook);
}

std::u16string FileErrorText(std::error_code error) {
    if (error == NotRegularFileError())
        return u"通常のファイルではありません（デバイスやパイプなど）";
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        // strerror is in the C locale's language; name the usual cases in Japanese.
        switch (error.value()) {
            case EACCES:
            case EPERM:
            case EROFS:
                return u"書き込みが許可されていません";
            case ENOSPC:
#ifdef EDQUOT
            case EDQUOT:
#endif
                return u"ディスクの空き容量が足りません";
            case ENOENT:
            case ENOTDIR:
                return u"フォルダが見つかりません";
            case EISDIR:
                return u"同じ名前のフォルダがあります";
            case EFBIG:
                return u"ファイルが大きすぎます";
            case ELOOP:
                return u"リンクが循環しています";
            default:
                break;
        }
    }
    return u"書き込みに失敗しました (" + Utf8ToUtf16(error.message()) + u")";
}

std::optional<std::vector<uint8_t>> ReadFileHead(const fs::path& path, std::size_t maxBytes,
                                                 std::error_code* cause) {
    std::vector<uint8_t> data;
    if (const std::error_code ec = CurrentFileSystem().ReadFile(path, maxBytes, data)) {
        if (cause) *cause = ec;
        return std::nullopt;
    }
    return data;
}

std::error_code ResolveReplacedFile(const fs::path& path, fs::path& target) {
    target = path;
#ifndef _WIN32
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        target = fs::canonical(path, ec);
        if (ec) return ec.value() == ELOOP ? ec : Errno(ENOENT);
    }
#endif
    return {};
}

std::error_code CheckReplaceable(IFileSystem& fs, const fs::path& target, bool folderMayBeMissing,
                                 ReplaceCheck& out) {
    out.existing.reset();
    FileStat st;
    if (const std::error_code ec = fs.Stat(target, st); !ec) {
        if (st.IsDirectory()) return Errno(EISDIR);
        // Only a regular file is replaced: never a device (root could replace the
        // system's own) nor a pipe.
        if (!st.IsRegular()) return NotRegularFileError();
        // A file nobody may write is a player's way of protecting it (root included);
        // one this user may not write is not replaced just because the folder allows it.
        if ((st.mode & 0222) == 0 || !st.mayWrite) return Errno(EACCES);
        out.existing = st;
        return {};
    } else if (ec != std::errc::no_such_file_or_directory) {
        return ec;
    }
    if (folderMayBeMissing) return {};
    const fs::path folder = target.parent_path();
    FileStat folderStat;
    if (fs.Stat(folder.empty() ? fs::path(".") : folder, folderStat) || !folderStat.IsDirectory())
        return Errno(ENOENT);
    return {};
}

std::error_code ComposeRecordFile(IFileSystem& fs, const fs::path& target,
                                  std::span<const uint8_t> record, std::vector<uint8_t>& content) {
    content.assign(record.begin(), record.end());
    FileStat st;
    if (const std::error_code ec = fs.Stat(target, st)) {
        if (ec == std::errc::no_such_file_or_directory) return {};
        return ec;
    }
    if (st.IsDirectory()) return Errno(EISDIR);
    // The bytes past the record belong to the game and go into the new file too; if they
    // cannot be read, nothing is written. Bounded: a longer file is none of the game's.
    const std::size_t limit = record.size() + kMaxBytesPastRecord;
    std::vector<uint8_t> old;
    if (const std::error_code ec = fs.ReadFile(target, limit + 1, old)) return ec;
    if (old.size() > limit) return Errno(EFBIG);
    if (old.size() > record.size())
        content.insert(content.end(), old.begin() + record.size(), old.end());
    return {};
}

std::error_code BeginStagedFile(IFileSystem& fs, const fs::path& target, const ReplaceCheck& check,
                                std::span<const uint8_t> content, StagedFile& out,
                                WriteHandle& file) {
    out.target = target;
    RemoveStaleTemps(fs, target);
    out.temp = TempPathBeside(target);
    if (const std::error_code ec =
            fs.CreateNew(out.temp, check.existing ? &*check.existing : nullptr, file))
        return ec;
    if (const std::error_code ec = fs.Write(file, content)) {
        fs.Close(file);
        fs.Remove(out.temp);
        return ec;
    }
    return {};
}

std::error_code CommitStagedFile(IFileSystem& fs, const StagedFile& staged) {
    if (FaultHook() && !FaultHook()(staged.temp)) {
        fs.Remove(staged.temp);
        return Errno(EIO);
    }
    const std::error_code ec = fs.Rename(staged.temp, staged.target);
    if (ec) fs.Remove(staged.temp);
    return ec;
}

void DiscardStagedFile(IFileSystem& fs, const StagedFile& staged) {
    fs.Remove(staged.temp);
}

namespace {

bool Outcome(const SaveReport& report, std::u16string* error, WriteCause* cause) {
    if (!report.AllSaved() && error) *error = report.reason;
    if (cause) *cause = {report.cause, report.folderSync};
    return report.AllSaved();
}

}  // namespace

bool WriteWholeFile(const fs::path& path, std::span<const uint8_t> content, std::u16string* error,
                    WriteCause* cause) {
    SavePlan plan;
    plan.AddFile(path, std::vector<uint8_t>(content.begin(), content.end()),
                 TextFromPath(path.filename()));
    return Outcome(plan.Run(), error, cause);
}

bool WriteRecordFile(const fs::path& path, std::span<const uint8_t> record, std::u16string* error,
                     WriteCause* cause) {
    SavePlan plan;
    plan.AddRecord(path, record, TextFromPath(path.filename()));
    return Outcome(plan.Run(), error, cause);
}

}  // namespace qm
