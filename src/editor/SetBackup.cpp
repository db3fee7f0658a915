#include "editor/SetBackup.h"

#include <algorithm>
#include <system_error>

#include "macro/Cp932.h"
#include "macro/FieldText.h"
#include "storage/SafeFile.h"

namespace qm {

namespace {

constexpr uint8_t kCrLfBytes[] = {'\r', '\n'};

std::span<const uint8_t>::iterator FindCrLf(std::span<const uint8_t> bytes) {
    return std::search(bytes.begin(), bytes.end(), std::begin(kCrLfBytes), std::end(kCrLfBytes));
}

// Valid UTF-8 holding more than ASCII, and no CP932 text: a backup saved by an editor in
// UTF-8, which would otherwise be stored as garbled bytes in every field.
bool LooksLikeUtf8Only(std::span<const uint8_t> bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b < 0x80; })) return false;
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (Utf16ToUtf8(Utf8ToUtf16(raw)) != raw) return false;
    return Cp932Decode(bytes).find(u'\uFFFD') != std::u16string::npos;
}

BackupReadError CheckBackupBytes(std::span<const uint8_t> bytes);

}  // namespace

std::u16string BackupFileName(int setIndex) {
    return u"Set" + Utf8ToUtf16(std::to_string(setIndex + 1)) + u".txt";
}

int FieldHoldingLineEnd(const MacroFile& set) {
    for (int f = 0; f < kFieldsPerSet; ++f) {
        const auto bytes = FieldBytes(SetField(set, f));
        if (FindCrLf(bytes) != bytes.end()) return f;
    }
    return -1;
}

bool BackupReadsBack(const MacroFile& set) {
    return CheckBackupBytes(BackupFileBytes(set)) == BackupReadError::None;
}

std::vector<uint8_t> BackupFileBytes(const MacroFile& set) {
    std::vector<uint8_t> bytes;
    for (int f = 0; f < kFieldsPerSet; ++f) {
        const auto field = FieldBytes(SetField(set, f));
        bytes.insert(bytes.end(), field.begin(), field.end());
        bytes.insert(bytes.end(), std::begin(kCrLfBytes), std::end(kCrLfBytes));
    }
    bytes.insert(bytes.end(), std::begin(kCrLfBytes), std::end(kCrLfBytes));
    return bytes;
}

Reason BackupRefusal(const MacroFile& set) {
    if (const int field = FieldHoldingLineEnd(set); field >= 0)
        return Reason{.kind = ReasonKind::LineEndInField, .number = field};
    if (!BackupReadsBack(set)) return Reason{.kind = ReasonKind::BackupWouldNotReadBack};
    return {};
}

bool WriteBackupFile(const std::filesystem::path& path, const MacroFile& set, Reason* error) {
    if (Reason refusal = BackupRefusal(set)) {
        if (error) *error = std::move(refusal);
        return false;
    }
    return WriteWholeFile(path, BackupFileBytes(set), error);
}

BackupReadResult ReadBackupFile(const std::filesystem::path& path, BackupEncoding encoding) {
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
    return DecodeBackupBytes(std::move(*bytes), encoding);
}

BackupReadResult DecodeBackupBytes(std::vector<uint8_t> bytes, BackupEncoding encoding) {
    BackupReadResult result;
    if (encoding == BackupEncoding::Utf8) {
        if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
            bytes.erase(bytes.begin(), bytes.begin() + 3);
        const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::u16string text = Utf8ToUtf16(raw);
        if (Utf16ToUtf8(text) != raw) {
            result.error = BackupReadError::NotSetText;
            return result;
        }
        // LF or CR LF, as a text editor leaves them, both become CR LF.
        std::u16string crlf;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
            if (text[i] == u'\n') crlf += u'\r';
            crlf += text[i];
        }
        std::size_t pos = 0;
        for (int f = 0; f < kFieldsPerSet; ++f) {
            const std::size_t end = crlf.find(kCrLf, pos);
            if (end == std::u16string::npos) break;
            const std::u16string_view field = std::u16string_view(crlf).substr(pos, end - pos);
            if (DecodeFieldBytes(EncodeFieldText(field)) != field)
                result.replacedFields.push_back(f);
            pos = end + kCrLf.size();
        }
        bytes = EncodeFieldText(crlf);  // tokens go back as the bytes they stand for
    }
    result.error = CheckBackupBytes(bytes);
    if (result.error == BackupReadError::None) result.bytes = std::move(bytes);
    return result;
}

namespace {

BackupReadError CheckBackupBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() > kMaxBackupFileSize) return BackupReadError::TooLarge;
    // Set text is CP932 and never holds a 0 byte; a file saved as UTF-16 (with or without
    // a mark) or as UTF-8 would otherwise overwrite the fields with garbled text.
    const bool utf8Mark =
        bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    const bool utf16Mark = bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) ||
                                                 (bytes[0] == 0xFE && bytes[1] == 0xFF));
    if (utf8Mark || utf16Mark || std::find(bytes.begin(), bytes.end(), 0) != bytes.end() ||
        LooksLikeUtf8Only(bytes))
        return BackupReadError::NotSetText;
    if (FindCrLf(bytes) == bytes.end()) return BackupReadError::NoField;
    return BackupReadError::None;
}

}  // namespace

TextToSetResult BackupBytesToSet(MacroFile& set, std::span<const uint8_t> bytes) {
    TextToSetResult result;
    while (result.fieldsReached < kFieldsPerSet) {
        const auto end = FindCrLf(bytes);
        if (end == bytes.end()) break;
        const auto piece = bytes.first(std::size_t(end - bytes.begin()));
        if (StoreFieldBytes(SetField(set, result.fieldsReached), piece)) ++result.fieldsStored;
        ++result.fieldsReached;
        bytes = bytes.subspan(piece.size() + 2);
    }
    return result;
}

}  // namespace qm
