#pragma once
// Backup files of one set: "Set<n>.txt", the set text in CP932 followed by one more
// CR LF, so that the file ends with an empty line. Any text file can be read back.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "macro/MacroFile.h"

namespace qm {

// A set text is under 8 KiB; anything this large is not one.
inline constexpr std::size_t kMaxBackupFileSize = 64 * 1024;

// "Set1.txt" for set index 0 ... "Set10.txt" for index 9.
std::u16string BackupFileName(int setIndex);

// The file's bytes for the set as stored.
std::vector<uint8_t> BackupFileBytes(const MacroFile& set);

// Writes the backup of the set to path (created or replaced). False with a reason.
bool WriteBackupFile(const std::filesystem::path& path, const MacroFile& set,
                     std::u16string* error = nullptr);

enum class BackupReadError { None, NotAFile, Unreadable, TooLarge, NotSetText };

struct BackupReadResult {
    BackupReadError error = BackupReadError::None;
    std::u16string text;  // decoded from CP932; invalid bytes become U+FFFD
};

// Reads a dropped file as set text. Folders, devices and pipes, files that cannot be
// read and files over kMaxBackupFileSize are refused before anything is decoded.
BackupReadResult ReadBackupFile(const std::filesystem::path& path);

// Why a file was refused, for the user.
std::u16string BackupReadErrorText(BackupReadError error);

}  // namespace qm
