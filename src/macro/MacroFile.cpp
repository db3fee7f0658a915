#include "macro/MacroFile.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "macro/Cp932.h"
#include "macro/FieldText.h"
#include "macro/Md5.h"
#include "storage/FileSystem.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"

namespace qm {

std::u16string MacroFileName(int number) {
    if (number <= 0) return u"mcr.dat";
    std::u16string digits;
    for (; number > 0; number /= 10) digits.insert(digits.begin(), char16_t(u'0' + number % 10));
    return u"mcr" + digits + u".dat";
}

bool FileExists(std::u16string_view path) {
    if (path.empty() || path.find_first_of(u"*?") != std::u16string_view::npos) return false;
    return FileExistsAt(PathFromText(path));
}

bool FileExistsAt(const std::filesystem::path& path) {
    if (path.empty()) return false;
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return false;
    return !std::filesystem::is_directory(status);
}

MacroFile ReadMacroFile(std::u16string_view folder, std::u16string_view name,
                        std::error_code* error) {
    MacroFile file;
    const std::u16string path = std::u16string(folder) + std::u16string(name);
    if (path.find_first_of(u"*?") != std::u16string::npos) return file;
    // One open: the opened file tells whether it is a regular file and how long it is.
    ReadFacts facts;
    const std::error_code cause =
        CurrentFileSystem().ReadInto(PathFromText(path), file.bytes, kMaxMacroFileSize, facts);
    if (!cause) return file;
    file = MacroFile{};
    // Nothing there (a dangling link too), or a folder: an empty set.
    const bool missing =
        cause == std::errc::no_such_file_or_directory || cause == std::errc::not_a_directory ||
        cause == std::errc::too_many_symbolic_link_levels ||
        (cause == NotRegularFileError() && facts.kind == FileStat::Kind::Directory);
    if (!missing && error)
        *error =
            cause == TooLongFileError() ? std::make_error_code(std::errc::file_too_large) : cause;
    return file;
}

bool WriteMacroFile(std::u16string_view path, MacroFile& file, Reason* error) {
    UpdateMacroDigest(file);
    return WriteRecordFile(PathFromText(path), file.bytes, error);
}

void UpdateMacroDigest(MacroFile& file) {
    Md5Bytes digest = Md5Digest(file.Block());
    std::copy(digest.begin(), digest.end(), file.bytes.begin() + kDigestOffset);
}

void CopyMacros(const MacroFile& from, MacroFile& into) {
    std::copy(from.bytes.begin() + kMacroBlockOffset, from.bytes.end(),
              into.bytes.begin() + kMacroBlockOffset);
}

bool MacroDigestMismatch(MacroFile& file) {
    std::array<uint8_t, 16> stored;
    std::copy_n(file.bytes.begin() + kDigestOffset, 16, stored.begin());
    UpdateMacroDigest(file);
    return !std::equal(stored.begin(), stored.end(), file.bytes.begin() + kDigestOffset);
}

std::span<const uint8_t> FieldBytes(std::span<const uint8_t> field) {
    auto end = std::find(field.begin(), field.end(), uint8_t(0));
    return std::span<const uint8_t>(field.begin(), end);
}

std::u16string ReadFieldText(std::span<const uint8_t> field) {
    return DecodeFieldBytes(FieldBytes(field));
}

bool StoreEditedText(std::span<uint8_t> field, std::u16string_view text) {
    if (ReadFieldText(field) == text) return true;
    return StoreFieldText(field, text);
}

bool StoreFieldText(std::span<uint8_t> field, std::u16string_view text) {
    return StoreFieldBytes(field, EncodeFieldText(text));
}

bool StoreFieldBytes(std::span<uint8_t> field, std::span<const uint8_t> bytes) {
    if (field.empty() || bytes.size() > field.size() - 1) return false;
    std::copy(bytes.begin(), bytes.end(), field.begin());
    field[bytes.size()] = 0;
    return true;
}

}  // namespace qm
