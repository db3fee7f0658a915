#pragma once
// UTF-8 <-> UTF-16 for the command line, native file names on Linux and messages.

#include <string>
#include <string_view>

namespace qm {

// Unpaired surrogates and malformed UTF-8 become U+FFFD; never throws.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace qm
