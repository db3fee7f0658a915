#pragma once
// The first 216 bytes of a character's "cnf.dat": mostly the game's own settings, which
// are carried through untouched, and the 23 colours of the chat and battle log.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "storage/SafeFile.h"

namespace qm {

class SavePlan;

inline constexpr std::size_t kCnfRecordSize = 216;
inline constexpr std::size_t kCnfBackgroundOffset = 56;
inline constexpr std::size_t kTextColorOffset = 80;
inline constexpr int kTextColorCount = 23;

// Byte order of one colour entry in the file.
enum class ColorByte { Blue = 0, Green = 1, Red = 2, Alpha = 3 };

struct TextColor {
    uint8_t blue = 0, green = 0, red = 0, alpha = 0;
    bool operator==(const TextColor&) const = default;
};

struct CnfRecord {
    std::array<uint8_t, kCnfRecordSize> bytes{};
    // Set when the file was there but could not be read: this record is then zeros, and
    // writing it would wipe the game's settings, so SaveCnf refuses it.
    bool readFailed = false;

    // entry 0 to 22; out-of-range entries read as black and are never written.
    TextColor Color(int entry) const;
    void SetColor(int entry, TextColor color);
    uint8_t ColorByteAt(int entry, ColorByte which) const;
    void SetColorByte(int entry, ColorByte which, uint8_t value);
    // The 32-bit signed little-endian value at offset 56 (the chat window background).
    int32_t BackgroundValue() const;
};

// Reads "cnf.dat" in the folder (a path ending in a separator). A missing file gives an
// all-zero record. A file that exists but cannot be read gives an all-zero record marked
// readFailed, with the system's reason in error (if given). A short file fills what it
// has. stored (if given) receives what the file held.
CnfRecord LoadCnf(std::u16string_view folder, std::error_code* error = nullptr,
                  StoredHead* stored = nullptr);
// The same for a folder path in the system's own form.
CnfRecord LoadCnfIn(const std::filesystem::path& folder, std::error_code* error = nullptr,
                    StoredHead* stored = nullptr);

// Writes the 216 bytes over the start of "cnf.dat" in the folder, creating it when
// missing and keeping any bytes past 216. False, with the reason, when the write fails
// or the record came from a file that could not be read.
bool SaveCnf(std::u16string_view folder, const CnfRecord& record, Reason* error = nullptr);

// The same as part of a save plan, added only when the record differs from what stored
// says the file holds (always without stored); stored follows the file once it is
// written. A record from a file that could not be read refuses the plan.
void PlanCnf(SavePlan& plan, std::u16string_view folder, const CnfRecord& record,
             StoredHead* stored);

// The colour tree: four groups, each with a run of entries.
struct TextColorGroup {
    std::u16string_view caption;
    std::u16string_view key;
    int firstEntry;
    int lastEntry;
};
std::span<const TextColorGroup> TextColorGroups();

// Caption of an entry node, e.g. "通常会話(Say)" for 0; empty out of range.
std::u16string_view TextColorCaption(int entry);
// Key of an entry node: the entry number, a space and "node" ("5 node").
std::u16string TextColorNodeKey(int entry);
// The entry of a node key: -1 for a group key (no " node" in it) or a number outside
// 0 to 22; otherwise the decimal number at the start of the key.
int TextColorEntryFromKey(std::u16string_view key);

}  // namespace qm
