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

}  // namespace qm
