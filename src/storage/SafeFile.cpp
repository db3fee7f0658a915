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

#ifdef _WIN32
#include <windows.h>
#endif

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

// Temporary files are named ".qmtmp-<pid>-<n>" beside their target, so that those a
// killed run left behind are recognised, and whose they were. The name is short and
// does not repeat the target's: a target name near the system's 255-byte limit still
// gets one. Older runs named them "<target>.qmtmp-<pid>-<n>"; those are recognised too.
constexpr std::string_view kTempMark = ".qmtmp-";

#ifdef _WIN32
// Where a link finally leads; empty when it leads nowhere.
fs::path FinalPath(const fs::path& link) {
    HANDLE h = CreateFileW(link.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::wstring buffer(1024, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()), 0);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()), 0);
    }
    CloseHandle(h);
    if (n == 0 || n >= buffer.size()) return {};
    buffer.resize(n);
    return fs::path(buffer);
}
#endif

long OwnProcessId() {
#ifdef _WIN32
    return long(GetCurrentProcessId());
#else
    return long(::getpid());
#endif
}

bool ProcessIsGone(long pid) {
    if (pid > 0x7fffffffL) return true;  // above any process id the system hands out
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such id
    const bool exited = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return exited;
#else
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
#endif
}

[[maybe_unused]] long LeadingNumber(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

[[maybe_unused]] long LeadingNumber(const std::wstring& text) {
    return std::wcstol(text.c_str(), nullptr, 10);
}

fs::path TempPathBeside(const fs::path& path) {
    static std::mt19937 gen{std::random_device{}()};
    return path.parent_path() / (std::string(kTempMark) + std::to_string(OwnProcessId()) + "-" +
                                 std::to_string(gen() % 1000000));
}

// The process id in a temporary file's name, or 0 when the name is none of ours: it
// ends in ".qmtmp-<digits>-<digits>".
template <class Char>
long TempFileOwner(const std::basic_string<Char>& name) {
    const std::basic_string<Char> mark(kTempMark.begin(), kTempMark.end());
    const std::size_t at = name.rfind(mark);
    if (at == std::basic_string<Char>::npos) return 0;
    const std::size_t start = at + mark.size();
    const std::size_t dash = name.find(Char('-'), start);
    auto digits = [&](std::size_t from, std::size_t to) {
        if (from >= to || to - from > 18) return false;
        for (std::size_t i = from; i < to; ++i)
            if (name[i] < Char('0') || name[i] > Char('9')) return false;
        return true;
    };
    if (dash == std::basic_string<Char>::npos || !digits(start, dash) ||
        !digits(dash + 1, name.size()))
        return 0;
    return LeadingNumber(name.substr(start, dash - start));
}

}  // namespace

void SetSafeFileFaultHook(std::function<bool(const fs::path&)> hook) {
    FaultHook() = std::move(hook);
}

// Names compare in the system's own form (wide on Windows, where a name need not fit the
// ANSI code page). A process that runs now keeps its files, this one included: they may
// be a save under way.
bool IsStaleTempFile(const ListedEntry& entry) {
    const long pid = TempFileOwner(entry.name);
    return pid > 0 && entry.type == EntryType::Regular && ProcessIsGone(pid);
}

void RemoveStaleTempFiles(IFileSystem& fs, const fs::path& folder) {
    // Through the folder's own listing: a game folder holds 400 files, and making a path
    // of each name cost more than the listing itself.
    std::error_code error;
    const std::unique_ptr<IFolderReader> reader = fs.OpenFolder(folder, error);
    std::vector<ListedEntry> entries;
    if (!reader || reader->List(entries)) return;
    for (const ListedEntry& entry : entries)
        if (IsStaleTempFile(entry)) fs.Remove(folder / entry.name);
}

FileProblem ClassifyFileError(std::error_code error) {
    if (error == NotRegularFileError()) return FileProblem::NotRegular;
    if (error == TooLongFileError()) return FileProblem::TooLongForGame;
#ifdef _WIN32
    // System codes are Win32's there, not errno values.
    if (error.category() != std::generic_category()) return FileProblem::Other;
#else
    if (error.category() != std::generic_category() && error.category() != std::system_category())
        return FileProblem::Other;
#endif
    switch (error.value()) {
        case EACCES:
        case EPERM:
            return FileProblem::Denied;
        case EROFS:
            return FileProblem::ReadOnlyDrive;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return FileProblem::NoSpace;
        case ENOENT:
        case ENOTDIR:
            return FileProblem::NoFolder;
        case EISDIR:
            return FileProblem::FolderInTheWay;
        case EFBIG:
            return FileProblem::TooLarge;
        case ENAMETOOLONG:
            return FileProblem::NameTooLong;
        case ELOOP:
            return FileProblem::LinkLoop;
        case EEXIST:
            return FileProblem::NameTaken;
#ifdef _WIN32
        case EBUSY:
            return FileProblem::InUse;
#endif
        default:
            return FileProblem::Other;
    }
}

std::u16string SystemErrorText(std::error_code error) {
#ifdef _WIN32
    // The system's own text, in its language; message() would give it in the ANSI code
    // page, which is no UTF-8.
    if (error.category() == std::system_category()) {
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, DWORD(error.value()), 0,
                                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::u16string message;
        if (text != nullptr) {
            message.assign(reinterpret_cast<const char16_t*>(text), n);
            LocalFree(text);
        }
        while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                                    message.back() == u' ' || message.back() == u'.'))
            message.pop_back();
        if (!message.empty()) return message;
    }
#endif
    return Utf8ToUtf16(error.message());
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
#ifdef _WIN32
    // A symbolic link or junction is a reparse point; the standard library of MinGW
    // does not see links at all.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        target = FinalPath(path);
        if (target.empty()) return Errno(ENOENT);
    }
#else
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
#ifndef _WIN32
    // A file no longer than the record has nothing past it to keep (nearly every file).
    // Windows reads it anyway: a file another program holds open is refused here, before
    // any file of the save is replaced, rather than at its rename.
    if (st.IsRegular() && st.size <= record.size()) return {};
#endif
    // The bytes past the record belong to the game and go into the new file too; if they
    // cannot be read, nothing is written. Bounded: a longer file is none of the game's.
    const std::size_t limit = record.size() + kMaxBytesPastRecord;
    std::vector<uint8_t> old;
    if (const std::error_code ec = fs.ReadFile(target, limit + 1, old)) return ec;
    if (old.size() > limit) return TooLongFileError();
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

namespace {

bool Outcome(const SaveReport& report, Reason* error, WriteCause* cause) {
    if (!report.AllSaved() && error) *error = report.reason;
    if (cause) *cause = {report.cause, report.folderSync};
    return report.AllSaved();
}

}  // namespace

bool WriteWholeFile(const fs::path& path, std::span<const uint8_t> content, Reason* error,
                    WriteCause* cause) {
    SavePlan plan;
    plan.AddFile(path, std::vector<uint8_t>(content.begin(), content.end()),
                 TextFromPath(path.filename()));
    return Outcome(plan.Run(), error, cause);
}

bool WriteRecordFile(const fs::path& path, std::span<const uint8_t> record, Reason* error,
                     WriteCause* cause) {
    SavePlan plan;
    plan.AddRecord(path, record, TextFromPath(path.filename()));
    return Outcome(plan.Run(), error, cause);
}

}  // namespace qm
