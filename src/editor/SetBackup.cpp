#include "editor/SetBackup.h"

#include <algorithm>

#include <system_error>

#include "editor/TextForms.h"
#include "macro/Cp932.h"
#include "storage/SafeFile.h"

namespace qm {

std::u16string BackupFileName(int setIndex) {
    return u"Set" + Utf8ToUtf16(std::to_string(setIndex + 1)) + u".txt";
}

std::vector<uint8_t> BackupFileBytes(const MacroFile& set) {
    std::u16string text = SetToText(set);
    text += kCrLf;
    return Cp932Encode(text);
}

bool WriteBackupFile(const std::filesystem::path& path, const MacroFile& set,
                     std::u16string* error) {
    std::vector<uint8_t> bytes = BackupFileBytes(set);
    return WriteWholeFile(path, bytes, error);
}

BackupReadResult ReadBackupFile(const std::filesystem::path& path) {
    BackupReadResult result;
    std::error_code ec;
    // Only a regular file: reading a pipe or a device could block or never end.
    std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status)) {
        result.error = std::filesystem::exists(status) ? BackupReadError::NotAFile
                                                       : BackupReadError::Unreadable;
        return result;
    }
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        result.error = BackupReadError::Unreadable;
        return result;
    }
    if (size > kMaxBackupFileSize) {
        result.error = BackupReadError::TooLarge;
        return result;
    }
    // One byte more than allowed, in case the file grew since it was measured.
    auto bytes = ReadFileHead(path, kMaxBackupFileSize + 1);
    if (!bytes) {
        result.error = BackupReadError::Unreadable;
        return result;
    }
    if (bytes->size() > kMaxBackupFileSize) {
        result.error = BackupReadError::TooLarge;
        return result;
    }
    // Set text is CP932 and never holds a 0 byte; a file saved as UTF-16 or UTF-8 with a
    // byte-order mark would otherwise overwrite all 140 fields with garbled text.
    const bool utf8Mark =
        bytes->size() >= 3 && (*bytes)[0] == 0xEF && (*bytes)[1] == 0xBB && (*bytes)[2] == 0xBF;
    if (utf8Mark || std::find(bytes->begin(), bytes->end(), uint8_t(0)) != bytes->end()) {
        result.error = BackupReadError::NotSetText;
        return result;
    }
    result.text = Cp932Decode(*bytes);
    return result;
}

std::u16string BackupReadErrorText(BackupReadError error) {
    switch (error) {
        case BackupReadError::None:
            return {};
        case BackupReadError::NotAFile:
            return u"ファイルではありません。";
        case BackupReadError::Unreadable:
            return u"ファイルを読み込めませんでした。";
        case BackupReadError::TooLarge:
            return u"ファイルが大きすぎます（64KBまで）。セットのバックアップではありません。";
        case BackupReadError::NotSetText:
            return u"シフトJISのテキストではありません。セットのバックアップではありません。";
    }
    return {};
}

}  // namespace qm
