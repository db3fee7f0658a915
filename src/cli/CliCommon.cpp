#include "cli/CliCommon.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "macro/Cp932.h"
#include "storage/CommandLine.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"

namespace qm::cli {

namespace {

void Message(std::string_view kind, std::string_view message) {
    std::string line = "quillmor-cli: ";
    line += kind;
    line += message;
    line += '\n';
    WriteStdText(stderr, line);
}

}  // namespace

void Out(std::string_view text) {
    WriteStdText(stdout, text);
}

void OutBytes(std::span<const uint8_t> bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

bool FlushOut() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void Error(std::string_view message) {
    Message("error: ", message);
}
void Warning(std::string_view message) {
    Message("warning: ", message);
}
void Note(std::string_view message) {
    Message("", message);
}

namespace {
bool argumentErrorSeen = false;
}

void ArgumentError(std::string_view message) {
    argumentErrorSeen = true;
    Error(message);
}
bool ArgumentErrorSeen() {
    return argumentErrorSeen;
}

std::string Utf8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

std::string ForDisplay(std::u16string_view text) {
    std::u16string shown(text);
    for (char16_t& c : shown) {
        if (c < 0x20) {
            c = char16_t(0x2400 + c);
        } else if (c == 0x7F) {
            c = u'\u2421';
        }
    }
    return Utf16ToUtf8(shown);
}

std::string Hex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::optional<int> NumberOperand(const std::string& text, const char* what, int high) {
    auto value = ParseInteger(text, 1, high);
    if (!value) {
        ArgumentError(std::string(what) + " must be a number from 1 to " + std::to_string(high) +
                      ", not '" + text + "'");
        return std::nullopt;
    }
    return int(*value);
}

std::optional<int> BookOption(const ParsedArgs& args) {
    const std::string* text = args.Value("book");
    if (!text) return 0;
    auto book = ParseInteger(*text, 1, kBookCount);
    if (!book) {
        ArgumentError("--book must be a number from 1 to " + std::to_string(kBookCount) +
                      ", not '" + *text + "'");
        return std::nullopt;
    }
    return int(*book) - 1;
}

std::filesystem::path PathOperand(const std::string& arg) {
    return PathFromArgument(arg);
}

std::string Shown(const std::filesystem::path& path) {
    return Utf16ToUtf8(TextFromPath(path));
}

std::optional<std::filesystem::path> FolderOperand(const std::string& arg) {
    std::error_code ec;
    const std::filesystem::path path = PathOperand(arg);
    if (arg.empty() || !std::filesystem::is_directory(path, ec)) {
        if (ec == std::errc::filename_too_long)
            ArgumentError("'" + Shown(path) + "' is a longer path than the system takes");
        else
            ArgumentError("'" + Shown(path) + "' is not a folder");
        return std::nullopt;
    }
    return path;
}

MacroOnDisk ReadMacroOnDisk(const std::filesystem::path& folder, int index) {
    MacroOnDisk disk;
    disk.path = folder / Utf16ToUtf8(MacroFileName(index));
    auto unreadable = [&](std::string problem) {
        disk.state = MacroOnDisk::State::Unreadable;
        disk.problem = std::move(problem);
        return disk;
    };
    // Only a regular file of a sane size is read: a pipe would block, a link to a device
    // could give an endless tail.
    std::error_code ec;
    const auto status = std::filesystem::status(disk.path, ec);
    if (ec == std::errc::filename_too_long)
        return unreadable("the path is longer than the system takes");
    if (ec || !std::filesystem::exists(status)) {
        // A dangling link or a loop is no missing file either.
        std::error_code ignored;
        if (std::filesystem::exists(std::filesystem::symlink_status(disk.path, ignored)))
            return unreadable(ec ? ec.message() : "a link to nothing");
        return disk;
    }
    if (std::filesystem::is_directory(status)) return unreadable("a folder, not a file");
    if (!std::filesystem::is_regular_file(status)) return unreadable("not a regular file");
    // One read through one descriptor takes the record and what follows it: a file
    // replaced between two reads would otherwise give a mix that never was on disk.
    std::error_code cause;
    auto whole = ReadFileHead(disk.path, kMaxMacroFileSize + 1, &cause);
    if (!whole) return unreadable(cause.message());
    if (whole->size() > kMaxMacroFileSize)
        return unreadable("not a macro file (longer than " + std::to_string(kMaxMacroFileSize) +
                          " bytes)");
    disk.state = MacroOnDisk::State::Present;
    disk.size = std::min(whole->size(), kMacroFileSize);
    std::copy(whole->begin(), whole->begin() + std::ptrdiff_t(disk.size), disk.file.bytes.begin());
    disk.tail.assign(whole->begin() + std::ptrdiff_t(disk.size), whole->end());
    return disk;
}

std::vector<uint8_t> ContentToWrite(const MacroOnDisk& disk) {
    std::vector<uint8_t> content(disk.file.bytes.begin(), disk.file.bytes.end());
    content.insert(content.end(), disk.tail.begin(), disk.tail.end());
    return content;
}

std::string CannotRead(const MacroOnDisk& disk) {
    return "cannot read '" + Shown(disk.path) + "'" +
           (disk.problem.empty() ? std::string() : ": " + disk.problem);
}

bool WriteMacroOnDisk(MacroOnDisk& disk, WriteCause& cause) {
    UpdateMacroDigest(disk.file);
    return WriteWholeFile(disk.path, ContentToWrite(disk), nullptr, &cause);
}

std::string CannotWrite(const std::filesystem::path& path, const WriteCause& cause) {
    std::string why = cause.failure ? cause.failure.message() : std::string();
    if (cause.failure == TooLongFileError()) why = "not a macro file (too large)";
    if (cause.failure == std::errc::file_too_large) why = "the file size limit is exceeded";
    if (cause.failure == std::errc::filename_too_long) why = "the path is too long for the system";
    return "could not write '" + Shown(path) + "'" + (why.empty() ? "" : ": " + why);
}

std::string SaveFailure(const SaveReport& report) {
    const Reason& r = report.reason;
    const std::string part = "'" + Utf8(report.failed) + "'";
    const std::string cause = r.cause ? r.cause.message() : std::string("unknown cause");
    switch (r.kind) {
        case ReasonKind::File:
            if (r.cause == TooLongFileError()) return part + ": not a game file (too large)";
            return part + ": " + cause;
        case ReasonKind::FileUnreadable:
            return part + " could not be read, so it cannot be rewritten: " + cause;
        case ReasonKind::ColorsUnread:
            return part +
                   " could not be read when the folder was opened; its colours are not saved";
        case ReasonKind::TitleFileUnknown:
            return part + " cannot be read as a book title file; it is not rewritten";
        case ReasonKind::LineEndInField:
            return part + ": a field holds a line end";
        default:
            break;
    }
    std::string text = part + " was not saved";
    if (r.cause) text += ": " + cause;
    if (!r.detail.empty()) text += " (" + Utf8(r.detail) + ")";
    return text;
}

bool WrittenDurably(const std::filesystem::path& path, const WriteCause& cause) {
    if (!cause.folderSync) return true;
    Warning("'" + Shown(path) + "' was replaced, but its folder could not be synced (" +
            cause.folderSync.message() + "); it may not survive a power cut");
    return false;
}

bool FolderWrittenDurably(const std::filesystem::path& folder, std::error_code folderSync) {
    if (!folderSync) return true;
    Warning("the files were replaced, but the folder '" + Shown(folder) +
            "' could not be synced (" + folderSync.message() + "); they may not survive a " +
            "power cut");
    return false;
}

bool IsStandardOutputStream(const std::filesystem::path& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    struct stat named {
    }, out{};
    if (::stat(path.c_str(), &named) != 0 || ::fstat(STDOUT_FILENO, &out) != 0) return false;
    if (!S_ISFIFO(out.st_mode) && !S_ISCHR(out.st_mode) && !S_ISSOCK(out.st_mode)) return false;
    return named.st_dev == out.st_dev && named.st_ino == out.st_ino;
#endif
}

std::string ShownField(const std::filesystem::path& path) {
    // The path's own bytes, so that a script gets back a name that is no UTF-8; only the
    // control bytes become pictures (they are never part of a UTF-8 sequence).
    std::string field;
    for (const char c : ArgumentFromPath(path)) {
        const auto byte = uint8_t(c);
        if (byte < 0x20 || byte == 0x7F)
            field +=
                Utf16ToUtf8(std::u16string(1, byte == 0x7F ? u'\u2421' : char16_t(0x2400 + byte)));
        else
            field += c;
    }
    return field;
}

std::optional<std::vector<uint8_t>> ReadStandardInput(std::size_t limit) {
    std::vector<uint8_t> data;
    uint8_t buffer[65536];
    while (data.size() <= limit) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
        data.insert(data.end(), buffer, buffer + n);
        if (n < sizeof buffer) break;
    }
    if (std::ferror(stdin)) {
        Error("cannot read standard input");
        return std::nullopt;
    }
    if (data.size() > limit) {
        Error("standard input is larger than " + std::to_string(limit) + " bytes");
        return std::nullopt;
    }
    return data;
}

}  // namespace qm::cli
