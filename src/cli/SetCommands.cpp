// export and import: a set's backup text, the same bytes the window's drag handle
// writes and its drop reads.

#include <string>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "editor/SetBackup.h"
#include "editor/TextForms.h"
#include "macro/Cp932.h"
#include "storage/SafeFile.h"
#include "storage/Paths.h"

namespace qm::cli {

namespace {

std::u16string ReplaceAll(std::u16string text, std::u16string_view from, std::u16string_view to) {
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::u16string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

// "macro 3 title", "macro 3 line 2"
std::string FieldName(int field) {
    const int macro = field / kFieldsPerMacro + 1, part = field % kFieldsPerMacro;
    return "macro " + std::to_string(macro) +
           (part == 0 ? std::string(" title") : " line " + std::to_string(part));
}

// The fields a restore takes: each text up to a CR LF, at most one set's worth.
std::vector<std::u16string_view> TerminatedFields(std::u16string_view text) {
    std::vector<std::u16string_view> fields;
    std::size_t pos = 0;
    while (fields.size() < std::size_t(kFieldsPerSet)) {
        const std::size_t end = text.find(kCrLf, pos);
        if (end == std::u16string_view::npos) break;
        fields.push_back(text.substr(pos, end - pos));
        pos = end + kCrLf.size();
    }
    return fields;
}

// Tells which fields the restore will skip or change, before it runs.
void ReportFields(std::u16string_view text, bool fromUtf8) {
    const auto fields = TerminatedFields(text);
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const std::size_t capacity =
            (f % kFieldsPerMacro == 0 ? kTitleFieldSize : kLineFieldSize) - 1;
        const std::size_t length = Cp932Length(fields[f]);
        if (length > capacity) {
            Warning(FieldName(int(f)) + " is " + std::to_string(length) + " bytes, more than the " +
                    std::to_string(capacity) + " it can hold; it keeps its old text");
        } else if (fromUtf8 && Cp932Decode(Cp932Encode(fields[f])) != fields[f]) {
            Warning(FieldName(int(f)) + " holds characters the game cannot store; " +
                    "they are written as '?'");
        }
    }
}

// The backup text of the file's bytes, or nothing after an error message.
std::optional<std::u16string> DecodeBackup(std::vector<uint8_t> bytes, const std::string& source,
                                           bool utf8) {
    std::u16string text;
    if (utf8) {
        if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes.erase(bytes.begin(), bytes.begin() + 3);
        }
        text = Utf8ToUtf16(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        if (text.find(u'\uFFFD') != std::u16string::npos) {
            Error(source + " is not valid UTF-8 text");
            return std::nullopt;
        }
        // Line ends as a text editor may leave them: LF or CR LF, both become CR LF.
        text = ReplaceAll(ReplaceAll(std::move(text), u"\r\n", u"\n"), u"\n", kCrLf);
    } else {
        text = Cp932Decode(bytes);
        // Writing undecodable bytes would store "?" in their place: refuse instead.
        if (text.find(u'\uFFFD') != std::u16string::npos) {
            Error(source + " is not CP932 text (for a UTF-8 file, use --utf8)");
            return std::nullopt;
        }
    }
    return text;
}

}  // namespace

int RunExport(const ParsedArgs& args) {
    auto folder = FolderOperand(args.operands[0]);
    auto set = NumberOperand(args.operands[1], "SET", kSetCount);
    if (!folder || !set) return kExitUsage;
    const MacroOnDisk disk = ReadMacroOnDisk(*folder, *set - 1);
    if (disk.state == MacroOnDisk::State::Unreadable) {
        Error("cannot read '" + Utf8(disk.path) + "'");
        return kExitUsage;
    }
    if (disk.state == MacroOnDisk::State::Missing) {
        Note("'" + Utf8(disk.path) + "' does not exist; its set is empty");
    }

    std::vector<uint8_t> bytes;
    if (args.Has("utf8")) {
        const std::u16string text = SetToText(disk.file) + std::u16string(kCrLf);
        const std::string utf8 = Utf16ToUtf8(ReplaceAll(text, kCrLf, u"\n"));
        bytes.assign(utf8.begin(), utf8.end());
    } else {
        bytes = BackupFileBytes(disk.file);  // what the window's drag handle writes
    }

    const bool toStdout = args.operands.size() < 3 || args.operands[2] == "-";
    if (toStdout) {
        OutBytes(bytes);
        if (!FlushOut()) {
            Error("could not write to standard output");
            return kExitUsage;
        }
        return kExitOk;
    }
    const std::string& out = args.operands[2];
    if (!WriteWholeFile(std::filesystem::path(out), bytes)) {
        Error("could not write '" + out + "'");
        return kExitUsage;
    }
    return kExitOk;
}

int RunImport(const ParsedArgs& args) {
    auto folder = FolderOperand(args.operands[0]);
    auto set = NumberOperand(args.operands[1], "SET", kSetCount);
    if (!folder || !set) return kExitUsage;
    const std::string& source = args.operands[2];
    const std::string sourceName = source == "-" ? "standard input" : "'" + source + "'";
    auto bytes = ReadInputFile(source, kMaxBackupFileSize);
    if (!bytes) return kExitUsage;
    const bool utf8 = args.Has("utf8");
    auto text = DecodeBackup(std::move(*bytes), sourceName, utf8);
    if (!text) return kExitUsage;

    MacroOnDisk disk = ReadMacroOnDisk(*folder, *set - 1);
    if (disk.state == MacroOnDisk::State::Unreadable) {
        // Writing over it would lose macros we could not even look at.
        Error("cannot read '" + Utf8(disk.path) + "'; nothing was written");
        return kExitUsage;
    }
    ReportFields(*text, utf8);
    const TextToSetResult result = TextToSet(disk.file, *text);
    if (result.fieldsReached < kFieldsPerSet) {
        Note(sourceName + " holds " + std::to_string(result.fieldsReached) + " of " +
             std::to_string(kFieldsPerSet) + " fields; the others keep their text");
    }
    if (!WriteMacroFile(disk.path, disk.file)) {
        Error("could not write '" + Utf8(disk.path) + "'; it was left unchanged");
        return kExitUsage;
    }
    Note("restored set " + std::to_string(*set) + " into '" + Utf8(disk.path) + "'");
    return kExitOk;
}

}  // namespace qm::cli
