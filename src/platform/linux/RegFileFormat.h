#pragma once
// The registry editor's export format, version 5 ("Windows Registry Editor Version
// 5.00"), held line by line so that a rewrite keeps everything it does not change:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Tavrel\Quillmor]
//   "Myname"="テスト"            text; \\ and \" are the only escapes
//   "TabIndex"=dword:00000002     32-bit number, eight hex digits
//   "Other"=hex(7):41,00,00,00    any type as bytes, continued with a final "\"
//   @="..."                       the key's unnamed value
//   ; comments, [-KEY] and "name"=- deletions, other hives: kept, read as the
//   registry editor would apply them on import.
//
// Text values are kept in memory as CP932 bytes with their terminator, the form the
// program's registry values have everywhere (RegRawValue).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace qm {

class RegFileDocument {
  public:
    static constexpr std::u16string_view kHeader = u"Windows Registry Editor Version 5.00";

    // Nothing when the text does not start with the version 5 header (blank lines
    // before it are allowed). Text without any non-blank line is an empty document.
    static std::optional<RegFileDocument> Parse(std::u16string_view text);

    // The whole file text, lines ended by CR LF.
    std::u16string Serialize() const;

    // The value as the registry would hold it after importing this file.
    std::optional<RegRawValue> Query(std::u16string_view key, std::u16string_view name) const;
    // Changes the line that defines the value, or adds one where the import would
    // apply it last. Only HKEY_LOCAL_MACHINE keys are handled here.
    void Set(std::u16string_view key, std::u16string_view name, const RegRawValue& value);

    // The text form of one value line (without line end), as Set writes it.
    static std::u16string FormatValueLine(std::u16string_view name, const RegRawValue& value);

  private:
    // BrokenKey: a line starting with "[" that names no key. The import skips the values
    // after it, so it ends the key before it for reading and writing alike.
    enum class Kind { Other, Key, DeleteKey, BrokenKey, Value, DeleteValue };
    struct Line {
        Kind kind = Kind::Other;
        std::u16string text;  // as in the file; continuation lines joined by CR LF
        bool localMachine = false;
        std::vector<std::u16string> keyPath;  // Key/DeleteKey: folded levels below the hive
        int section = -1;                     // Value/DeleteValue: index of its key line
        std::u16string name;
        RegRawValue value;
    };

    static Line ParseKeyLine(std::u16string_view text);
    // Index of the line that gives the value its current content, or -1.
    int DefiningLine(const std::vector<std::u16string>& keyPath, std::u16string_view name) const;

    std::vector<Line> lines_;  // after the header line
};

// File bytes to text and back: UTF-16LE with or without a byte-order mark, or UTF-8
// with or without one. Nothing when the bytes are not valid in the encoding found.
std::optional<std::u16string> DecodeRegFileBytes(std::span<const uint8_t> bytes);
// UTF-16LE with a byte-order mark, the registry editor's own export form.
std::vector<uint8_t> EncodeRegFileText(std::u16string_view text);

}  // namespace qm
