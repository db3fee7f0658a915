#pragma once
// Backup files of one set: "Set<n>.txt", the set text in CP932 followed by one more
// CR LF, so that the file ends with an empty line. The window's drag and drop and the
// command line write and read them through this one module, with the same rules.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "editor/TextForms.h"
#include "macro/MacroFile.h"
#include "storage/Reason.h"

namespace qm {

// A set text is under 8 KiB; anything this large is not one.
inline constexpr std::size_t kMaxBackupFileSize = 64 * 1024;

// "Set1.txt" for set index 0 ... "Set10.txt" for index 9.
std::u16string BackupFileName(int setIndex);

// The first field (0 to 139) whose bytes hold CR LF, or -1. Such a field would come back
// as two, shifting every field after it, so a set holding one is not backed up.
int FieldHoldingLineEnd(const MacroFile& set);

// False when the set's backup would be refused by the reader: its bytes start like a
// byte-order mark, or read as UTF-8 text that is no CP932 text. The game may hold such
// bytes; a backup of them could never be restored, so none is written.
bool BackupReadsBack(const MacroFile& set);

// The file's bytes: each field's bytes as stored, each ended by CR LF, then one more
// CR LF. Bytes that are no CP932 text (sequences of the game's own) go as they are, so
// that a restore gives the same bytes back. Check FieldHoldingLineEnd first.
std::vector<uint8_t> BackupFileBytes(const MacroFile& set);

// Why the set's backup would not restore it (LineEndInField, BackupWouldNotReadBack);
// no reason when it would.
Reason BackupRefusal(const MacroFile& set);

// Writes the backup of the set to path (created or replaced). False with a reason, also
// when BackupRefusal gives one.
bool WriteBackupFile(const std::filesystem::path& path, const MacroFile& set,
                     Reason* error = nullptr);

enum class BackupReadError {
    None,
    NotAFile,  // a folder, device or pipe
    Unreadable,
    TooLarge,
    NotSetText,  // a 0 byte, a byte-order mark, or UTF-8 text that is no CP932 text
    NoField,     // no CR LF at all: not one field would be restored
};

// Backups are CP932 (what the drag writes); the command line also reads UTF-8 with LF or
// CR LF line ends, for text edited in a terminal.
enum class BackupEncoding { Cp932, Utf8 };

struct BackupReadResult {
    BackupReadError error = BackupReadError::None;
    std::vector<uint8_t> bytes;       // the set text as CP932 bytes, checked
    std::vector<int> replacedFields;  // UTF-8 only: fields with characters stored as "?"
};

// Reads a backup file. Folders, devices and pipes, files that cannot be read and files
// over kMaxBackupFileSize are refused before anything is read; then DecodeBackupBytes.
BackupReadResult ReadBackupFile(const std::filesystem::path& path,
                                BackupEncoding encoding = BackupEncoding::Cp932);

// The content rules of ReadBackupFile, for bytes that came another way (standard input).
BackupReadResult DecodeBackupBytes(std::vector<uint8_t> bytes, BackupEncoding encoding);

// Restores backup bytes by position, as TextToSet restores text, but byte for byte:
// each CR LF-ended piece goes into the next field when it fits, and the parse goes on.
TextToSetResult BackupBytesToSet(MacroFile& set, std::span<const uint8_t> bytes);

}  // namespace qm
