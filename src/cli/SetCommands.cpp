// export and import: a set's backup text, the same bytes the window's drag handle
// writes and its drop reads.

#include <algorithm>
#include <filesystem>
#include <string>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "editor/SetBackup.h"
#include "editor/TextForms.h"
#include "macro/Cp932.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"

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

// Tells which fields the restore will skip or change, before it runs.
void ReportFields(const BackupReadResult& read) {
    std::span<const uint8_t> rest(read.bytes);
    for (int f = 0; f < kFieldsPerSet; ++f) {
        static constexpr uint8_t kLineEnd[] = {'\r', '\n'};
        const auto end =
            std::search(rest.begin(), rest.end(), std::begin(kLineEnd), std::end(kLineEnd));
        if (end == rest.end()) break;
        const std::size_t length = std::size_t(end - rest.begin());
        const std::size_t capacity =
            (f % kFieldsPerMacro == 0 ? kTitleFieldSize : kLineFieldSize) - 1;
        if (length > capacity) {
            Warning(FieldName(f) + " is " + std::to_string(length) + " bytes, more than the " +
                    std::to_string(capacity) + " it can hold; it keeps its old text");
        } else if (std::find(read.replacedFields.begin(), read.replacedFields.end(), f) !=
                   read.replacedFields.end()) {
            Warning(FieldName(f) + " holds characters the game cannot store; " +
                    "they are written as '?'");
        }
        rest = rest.subspan(length + 2);
    }
}

// Why a backup was refused.
std::string RefusalText(BackupReadError error, const std::string& source, bool utf8) {
    switch (error) {
        case BackupReadError::NotAFile:
            return source + " is not a regular file";
        case BackupReadError::TooLarge:
            return source + " is larger than " + std::to_string(kMaxBackupFileSize) +
                   " bytes; it is not a set backup";
        case BackupReadError::NotSetText:
            return utf8 ? source + " is not valid UTF-8 text"
                        : source + " is not CP932 text (for a UTF-8 file, use --utf8)";
        case BackupReadError::NoField:
            return source + " holds no line ended by a line break; it is not a set backup";
        case BackupReadError::Unreadable:
        case BackupReadError::None:
            break;
    }
    return "cannot read " + source;
}

}  // namespace

int RunExport(const ParsedArgs& args) {
    auto folder = FolderOperand(args.operands[0]);
    auto set = NumberOperand(args.operands[1], "SET", kSetCount);
    auto book = BookOption(args);
    if (!folder || !set || !book) return kExitUsage;
    RemoveStaleTempFiles(CurrentFileSystem(), *folder);
    const MacroOnDisk disk = ReadMacroOnDisk(*folder, MacroFileNumber(*book, *set - 1));
    if (disk.state == MacroOnDisk::State::Unreadable) {
        Error(CannotRead(disk));
        return kExitUsage;
    }
    if (disk.state == MacroOnDisk::State::Missing) {
        Note("'" + Shown(disk.path) + "' does not exist; its set is empty");
    }
    if (const int field = FieldHoldingLineEnd(disk.file); field >= 0) {
        // It would come back as two fields and shift every field after it.
        Error(FieldName(field) + " holds a line break (CR LF), which a backup cannot carry; " +
              "nothing was written");
        return kExitUsage;
    }
    if (!args.Has("utf8") && !BackupReadsBack(disk.file)) {
        Error(
            "the set holds bytes that are no Shift_JIS text and would read back as another "
            "encoding, so its backup could not be restored; nothing was written");
        return kExitUsage;
    }

    std::vector<uint8_t> bytes;
    if (args.Has("utf8")) {
        const std::u16string text = SetToText(disk.file) + std::u16string(kCrLf);
        const std::string utf8 = Utf16ToUtf8(ReplaceAll(text, kCrLf, u"\n"));
        bytes.assign(utf8.begin(), utf8.end());
    } else {
        bytes = BackupFileBytes(disk.file);  // what the window's drag handle writes
    }

    const bool toStdout = args.operands.size() < 3 || args.operands[2] == "-" ||
                          IsStandardOutputStream(PathOperand(args.operands[2]));
    if (toStdout) {
        OutBytes(bytes);
        if (!FlushOut()) {
            Error("could not write to standard output");
            return kExitUsage;
        }
        return kExitOk;
    }
    const std::filesystem::path out = PathOperand(args.operands[2]);
    WriteCause cause;
    if (!WriteWholeFile(out, bytes, nullptr, &cause)) {
        Error(CannotWrite(out, cause));
        return kExitUsage;
    }
    if (!WrittenDurably(out, cause)) return kExitProblem;
    return kExitOk;
}

int RunImport(const ParsedArgs& args) {
    auto folder = FolderOperand(args.operands[0]);
    auto set = NumberOperand(args.operands[1], "SET", kSetCount);
    auto book = BookOption(args);
    if (!folder || !set || !book) return kExitUsage;
    const std::string& source = args.operands[2];
    const std::filesystem::path sourcePath = PathOperand(source);
    const std::string sourceName = source == "-" ? "standard input" : "'" + Shown(sourcePath) + "'";
    const bool utf8 = args.Has("utf8");
    const BackupEncoding encoding = utf8 ? BackupEncoding::Utf8 : BackupEncoding::Cp932;
    // The window's drop and this command share one reader and its rules.
    BackupReadResult read;
    if (source == "-") {
        auto bytes = ReadStandardInput(kMaxBackupFileSize);
        if (!bytes) return kExitUsage;
        read = DecodeBackupBytes(std::move(*bytes), encoding);
    } else {
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(sourcePath, ec))) {
            ArgumentError(sourceName + " does not exist");
            return kExitUsage;
        }
        read = ReadBackupFile(sourcePath, encoding);
    }
    if (read.error != BackupReadError::None) {
        Error(RefusalText(read.error, sourceName, utf8) + "; nothing was written");
        return kExitUsage;
    }

    MacroOnDisk disk = ReadMacroOnDisk(*folder, MacroFileNumber(*book, *set - 1));
    if (disk.state == MacroOnDisk::State::Unreadable) {
        // Writing over it would lose macros we could not even look at.
        Error(CannotRead(disk) + "; nothing was written");
        return kExitUsage;
    }
    ReportFields(read);
    const TextToSetResult result = BackupBytesToSet(disk.file, read.bytes);
    if (result.fieldsReached < kFieldsPerSet) {
        Note(sourceName + " holds " + std::to_string(result.fieldsReached) + " of " +
             std::to_string(kFieldsPerSet) + " fields; the others keep their text");
    }
    WriteCause cause;
    if (!WriteMacroOnDisk(disk, cause)) {
        Error(CannotWrite(disk.path, cause) + "; it was left unchanged");
        return kExitUsage;
    }
    if (!WrittenDurably(disk.path, cause)) return kExitProblem;
    Note("restored set " + std::to_string(*set) + " into '" + Shown(disk.path) + "'");
    return kExitOk;
}

}  // namespace qm::cli
