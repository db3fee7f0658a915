#include "cli/CliCommon.h"

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
        ArgumentError("'" + Shown(path) + "' is not a folder");
        return std::nullopt;
    }
    return path;
}

namespace {

// The reason for a message on the terminal.
std::string ProblemText(const MacroFileProblem& problem) {
    using Kind = MacroFileProblem::Kind;
    switch (problem.kind) {
        case Kind::NotRegular:
            return "not a regular file";
        case Kind::Folder:
            return "a folder, not a file";
        case Kind::DanglingLink:
            return problem.cause ? problem.cause.message() : "a link to nothing";
        case Kind::TooLarge:
            return "not a macro file (" + std::to_string(problem.size) + " bytes)";
        case Kind::ReadFailed:
            break;
    }
    return problem.cause.message();
}

}  // namespace

MacroOnDisk ReadMacroOnDisk(const std::filesystem::path& folder, int index) {
    // The folder reader the window and the document use, for one file.
    MacroFileRead read = ReadMacroFolderFile(folder, index);
    MacroOnDisk disk;
    disk.path = folder / Utf16ToUtf8(MacroFileName(index));
    disk.size = read.size;
    disk.file = read.file;
    switch (read.state) {
        case MacroFileState::Missing:
            break;
        case MacroFileState::Present:
            disk.state = MacroOnDisk::State::Present;
            break;
        case MacroFileState::Unreadable:
            disk.state = MacroOnDisk::State::Unreadable;
            disk.problem = ProblemText(read.problem);
            break;
    }
    return disk;
}

std::string CannotRead(const MacroOnDisk& disk) {
    return "cannot read '" + Shown(disk.path) + "'" +
           (disk.problem.empty() ? std::string() : ": " + disk.problem);
}

bool WriteMacroOnDisk(MacroOnDisk& disk, WriteCause& cause) {
    UpdateMacroDigest(disk.file);
    return WriteRecordFile(disk.path, disk.file.bytes, nullptr, &cause);
}

std::string CannotWrite(const std::filesystem::path& path, const WriteCause& cause) {
    std::string why = cause.failure ? cause.failure.message() : std::string();
    if (cause.failure == std::errc::file_too_large) why = "not a macro file (too large)";
    return "could not write '" + Shown(path) + "'" + (why.empty() ? "" : ": " + why);
}

bool WrittenDurably(const std::filesystem::path& path, const WriteCause& cause) {
    if (!cause.folderSync) return true;
    Warning("'" + Shown(path) + "' was replaced, but its folder could not be synced (" +
            cause.folderSync.message() + "); it may not survive a power cut");
    return false;
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
