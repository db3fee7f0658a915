#include "storage/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <random>

#include "storage/Paths.h"
#include "storage/SavePlan.h"
#include "storage/Utf.h"

namespace qm {

namespace fs = std::filesystem;

namespace {

// Far beyond any file of the game's that holds a record; a bigger one is not read whole.
constexpr std::size_t kMaxRecordFileBytes = 64u * 1024 * 1024;

std::function<bool(const fs::path&)>& FaultHook() {
    static std::function<bool(const fs::path&)> hook;
    return hook;
}

std::error_code Errno(int err) {
    return std::error_code(err, std::generic_category());
}

fs::path TempPathBeside(const fs::path& path) {
    static std::mt19937 gen{std::random_device{}()};
    fs::path temp = path;
    temp += ".qmtmp" + std::to_string(gen() % 1000000);
    return temp;
}

}  // namespace

void SetSafeFileFaultHook(std::function<bool(const fs::path&)> hook) {
    FaultHook() = std::move(hook);
}

std::u16string FileErrorText(std::error_code error) {
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
            default:
                break;
        }
    }
    return u"書き込みに失敗しました (" + Utf8ToUtf16(error.message()) + u")";
}

std::optional<std::vector<uint8_t>> ReadFileHead(const fs::path& path, std::size_t maxBytes) {
    std::vector<uint8_t> data;
    if (CurrentFileSystem().ReadFile(path, maxBytes, data)) return std::nullopt;
    return data;
}

std::error_code ResolveReplacedFile(const fs::path& path, fs::path& target) {
    target = path;
#ifndef _WIN32
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        target = fs::canonical(path, ec);
        if (ec) return Errno(ENOENT);
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
        if ((st.mode & 0222) == 0) return Errno(EACCES);
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
    // cannot be read, nothing is written.
    std::vector<uint8_t> old;
    if (const std::error_code ec = fs.ReadFile(target, kMaxRecordFileBytes + 1, old)) return ec;
    if (old.size() > kMaxRecordFileBytes) return Errno(EFBIG);
    if (old.size() > record.size())
        content.insert(content.end(), old.begin() + record.size(), old.end());
    return {};
}

std::error_code BeginStagedFile(IFileSystem& fs, const fs::path& target, const ReplaceCheck& check,
                                std::span<const uint8_t> content, StagedFile& out,
                                WriteHandle& file) {
    out.target = target;
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

bool WriteWholeFile(const fs::path& path, std::span<const uint8_t> content, std::u16string* error) {
    SavePlan plan;
    plan.AddFile(path, std::vector<uint8_t>(content.begin(), content.end()),
                 TextFromPath(path.filename()));
    const SaveReport report = plan.Run();
    if (!report.AllSaved() && error) *error = report.reason;
    return report.AllSaved();
}

bool WriteRecordFile(const fs::path& path, std::span<const uint8_t> record, std::u16string* error) {
    SavePlan plan;
    plan.AddRecord(path, record, TextFromPath(path.filename()));
    const SaveReport report = plan.Run();
    if (!report.AllSaved() && error) *error = report.reason;
    return report.AllSaved();
}

}  // namespace qm
