#pragma once
// The game's macro file: 7624 bytes, an 8-byte reserved area, the MD5 digest of the
// rest, then twenty 380-byte macros (four reserved bytes, six 61-byte lines, a 9-byte
// title, one reserved byte). Held in memory in exactly the file's layout.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Reason.h"

namespace qm {

inline constexpr std::size_t kMacroFileSize = 7624;
inline constexpr std::size_t kDigestOffset = 8;
inline constexpr std::size_t kMacroBlockOffset = 24;
inline constexpr std::size_t kMacroBlockSize = 7600;
inline constexpr std::size_t kMacroEntrySize = 380;
inline constexpr std::size_t kLineFieldSize = 61;
inline constexpr std::size_t kTitleFieldSize = 9;
inline constexpr int kMacrosPerSet = 20;
inline constexpr int kLinesPerMacro = 6;
inline constexpr int kSetCount = 10;
// Bytes past the record are the game's and are kept, up to 1 MiB; a longer file is no
// macro file, and reading or rewriting it whole could exhaust memory (a link to an
// endless device, a huge file).
inline constexpr std::size_t kMaxMacroFileSize = kMacroFileSize + (std::size_t(1) << 20);

// A 380-byte view of one macro inside a MacroFile.
class MacroEntry {
  public:
    explicit MacroEntry(std::span<uint8_t, kMacroEntrySize> bytes) : bytes_(bytes) {}
    // line 0 to 5
    std::span<uint8_t> Line(int line) const {
        return bytes_.subspan(4 + kLineFieldSize * std::size_t(line), kLineFieldSize);
    }
    std::span<uint8_t> Title() const { return bytes_.subspan(370, kTitleFieldSize); }

  private:
    std::span<uint8_t, kMacroEntrySize> bytes_;
};

struct MacroFile {
    std::array<uint8_t, kMacroFileSize> bytes{};

    MacroEntry Entry(int macro) {
        return MacroEntry(std::span<uint8_t, kMacroEntrySize>(
            bytes.data() + kMacroBlockOffset + kMacroEntrySize * std::size_t(macro),
            kMacroEntrySize));
    }
    std::span<uint8_t> Line(int macro, int line) { return Entry(macro).Line(line); }
    std::span<uint8_t> Title(int macro) { return Entry(macro).Title(); }
    std::span<const uint8_t> Line(int macro, int line) const {
        return std::span<const uint8_t>(bytes).subspan(kMacroBlockOffset +
                                                           kMacroEntrySize * std::size_t(macro) +
                                                           4 + kLineFieldSize * std::size_t(line),
                                                       kLineFieldSize);
    }
    std::span<const uint8_t> Title(int macro) const {
        return std::span<const uint8_t>(bytes).subspan(
            kMacroBlockOffset + kMacroEntrySize * std::size_t(macro) + 370, kTitleFieldSize);
    }
    std::span<const uint8_t> Block() const {
        return std::span<const uint8_t>(bytes).subspan(kMacroBlockOffset, kMacroBlockSize);
    }
    std::span<const uint8_t> StoredDigest() const {
        return std::span<const uint8_t>(bytes).subspan(kDigestOffset, 16);
    }
};

// One book: index 0 is set 1, index k is set k + 1. Book 1 lives in "mcr.dat" ...
// "mcr9.dat"; the files of all books are in MacroFolder.h.
using MacroBook = std::array<MacroFile, kSetCount>;

// The file of file number n (see MacroFileNumber): "mcr.dat" for 0, "mcr<n>.dat" otherwise.
std::u16string MacroFileName(int number);

// True only for a non-empty path without "*" or "?" that names an existing file, not a folder.
bool FileExists(std::u16string_view path);
// The same for a path in the system's own form (no wildcard rule: the name is not text).
bool FileExistsAt(const std::filesystem::path& path);

// Reads up to 7624 bytes of folder + name into a zero-filled record; a missing file is an
// empty set. When the file exists but cannot be read, the record is all zero and
// error (if given) holds the system's reason (file_too_large for a file far larger than
// a macro file), so the caller can refuse to overwrite it later.
MacroFile ReadMacroFile(std::u16string_view folder, std::u16string_view name,
                        std::error_code* error = nullptr);

// Stamps a fresh digest into the record and writes its 7624 bytes over the start of the
// file, keeping any bytes past them, atomically. False with a reason on failure.
bool WriteMacroFile(std::u16string_view path, MacroFile& file, Reason* error = nullptr);

void UpdateMacroDigest(MacroFile& file);

// Makes `into` hold the macros of `from` byte for byte (auto-translate phrases and the
// bytes after each field's end included); `into` keeps its own reserved bytes.
void CopyMacros(const MacroFile& from, MacroFile& into);

// True when the stored digest differs from the digest of the block. Leaves the record
// carrying the recomputed digest, as a write would.
bool MacroDigestMismatch(MacroFile& file);

// The field's text up to its first 0 byte (the whole field when there is none): CP932
// text, with the game's auto-translate phrases and any other bytes that are no CP932
// text as tokens (see FieldText.h). StoreFieldText of what this returns gives the same
// bytes.
std::u16string ReadFieldText(std::span<const uint8_t> field);

// The bytes ReadFieldText decodes, undecoded: what a backup carries, so that byte
// sequences of the game's own that are no CP932 text come back unchanged.
std::span<const uint8_t> FieldBytes(std::span<const uint8_t> field);

// StoreFieldText of bytes already in the field's encoding.
bool StoreFieldBytes(std::span<uint8_t> field, std::span<const uint8_t> bytes);

// The text of an edit box going back into its field: stored (as StoreFieldText) only when
// it differs from what the field reads as, so that an untouched field keeps its bytes
// after the 0 as well.
bool StoreEditedText(std::span<uint8_t> field, std::u16string_view text);

// Writes the text's bytes (CP932, tokens as their bytes) and one 0 byte when they fit in the field
// less one byte; otherwise leaves the field as it was. Bytes after the new 0 keep their old values.
// Returns whether the text was stored.
bool StoreFieldText(std::span<uint8_t> field, std::u16string_view text);

}  // namespace qm
