// Code page 932 both ways: one round settles every text, and the length the fields are
// measured with is the length of the encoding.

#include "FuzzCheck.h"
#include "macro/Cp932.h"

using namespace qm;
using qm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const std::u16string decoded = Cp932Decode(bytes);
    const std::vector<uint8_t> encoded = Cp932Encode(decoded);
    Check(Cp932Length(decoded) == encoded.size(), "length of decoded bytes");
    Check(Cp932Encode(Cp932Decode(encoded)) == encoded, "decoded bytes settle after one round");

    // The same bytes as UTF-16 text, unpaired surrogates and all.
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(char16_t(data[i] | data[i + 1] << 8));
    const std::vector<uint8_t> fromText = Cp932Encode(text);
    Check(Cp932Length(text) == fromText.size(), "length of text");
    Check(Cp932Encode(Cp932Decode(fromText)) == fromText, "encoded text settles after one round");
    return 0;
}
