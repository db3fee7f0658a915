#include "cli/CliCommon.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "macro/Cp932.h"
#include "storage/SafeFile.h"
#include "storage/Paths.h"

namespace qm::cli {

namespace {

void Message(std::string_view kind, std::string_view message) {
    std::string line = "quillmor-cli: ";
    line += kind;
    line += message;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

void Out(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
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

std::optional<std::u16string> FolderOperand(const std::string& arg) {
    std::error_code ec;
    const std::filesystem::path path(arg);
    if (arg.empty() || !std::filesystem::is_directory(path, ec)) {
        ArgumentError("'" + arg + "' is not a folder");
        return std::nullopt;
    }
    std::u16string folder = Utf8ToUtf16(arg);
    const std::u16string_view sep = PathSeparator();
    if (!folder.ends_with(sep) && !folder.ends_with(u'/')) folder += sep;
    return folder;
}

MacroOnDisk ReadMacroOnDisk(std::u16string_view folder, int index) {
    MacroOnDisk disk;
    disk.path = std::u16string(folder) + MacroFileName(index);
    if (!FileExists(disk.path)) {
        // A folder by that name is not a macro file either, but it is no missing one.
        std::error_code ec;
        if (std::filesystem::exists(PathFromText(disk.path), ec)) {
            disk.state = MacroOnDisk::State::Unreadable;
        }
        return disk;
    }
    auto head = ReadFileHead(PathFromText(disk.path), kMacroFileSize);
    if (!head) {
        disk.state = MacroOnDisk::State::Unreadable;
        return disk;
    }
    disk.state = MacroOnDisk::State::Present;
    disk.size = head->size();
    std::copy(head->begin(), head->end(), disk.file.bytes.begin());
    return disk;
}

std::optional<std::vector<uint8_t>> ReadInputFile(const std::string& arg, std::size_t limit) {
    std::vector<uint8_t> data;
    std::FILE* in = nullptr;
    const bool fromStdin = arg == "-";
    if (fromStdin) {
        in = stdin;
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(std::filesystem::path(arg), ec)) {
            Error("'" + arg + "' is a folder, not a file");
            return std::nullopt;
        }
        if (!std::filesystem::exists(std::filesystem::path(arg), ec)) {
            ArgumentError("'" + arg + "' does not exist");
            return std::nullopt;
        }
        in = std::fopen(arg.c_str(), "rb");
        if (!in) {
            Error("cannot open '" + arg + "'");
            return std::nullopt;
        }
    }
    const std::string name = fromStdin ? std::string("standard input") : "'" + arg + "'";
    uint8_t buffer[65536];
    bool tooLarge = false;
    while (true) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, in);
        data.insert(data.end(), buffer, buffer + n);
        if (data.size() > limit) {
            tooLarge = true;
            break;
        }
        if (n < sizeof buffer) break;
    }
    const bool failed = std::ferror(in) != 0;
    if (!fromStdin) std::fclose(in);
    if (failed) {
        Error("cannot read " + name);
        return std::nullopt;
    }
    if (tooLarge) {
        Error(name + " is larger than " + std::to_string(limit) + " bytes");
        return std::nullopt;
    }
    return data;
}

}  // namespace qm::cli
