#pragma once
// Code page 932 (Microsoft's Shift_JIS), the encoding of every text the game stores.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Utf.h"

namespace qm {

// Decodes CP932 bytes. Each invalid or truncated sequence becomes U+FFFD; never throws.
std::u16string Cp932Decode(std::span<const uint8_t> bytes);

// Encodes to CP932. A character with no CP932 form becomes "?"; unpaired surrogates too.
std::vector<uint8_t> Cp932Encode(std::u16string_view text);

// Byte count of the CP932 form of the text (what the fixed-width fields limit).
std::size_t Cp932Length(std::u16string_view text);

// Where the system converters disagree, the form this program uses on both systems: the
// C library's on Linux. Windows adds look-alikes and the private-use and control
// characters for 0x80, 0xA0 and 0xFD-0xFF; the C library has a few one-way mappings
// (U+301C WAVE DASH to 81 60) that Windows lacks. The Windows conversion applies these
// rows; the tests check them against both.
struct Cp932Difference {
    char16_t unicode;
    uint8_t length;  // 0: no CP932 form, encoded as "?"
    uint8_t bytes[2];
};
std::span<const Cp932Difference> Cp932EncodeDifferences();
// Bytes that are no character, though Windows decodes them to U+0080 or private use.
std::span<const uint8_t> Cp932UndecodableBytes();

}  // namespace qm
