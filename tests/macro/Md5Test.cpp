#include "macro/Md5.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/Cp932.h"

namespace qm {
namespace {

std::string HexOf(std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    return Utf16ToUtf8(Md5Hex(Md5Digest(bytes)));
}

TEST(Md5, Rfc1321Vectors) {
    EXPECT_EQ(HexOf(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(HexOf("a"), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(HexOf("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(HexOf("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
    EXPECT_EQ(HexOf("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
    EXPECT_EQ(HexOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "D174AB98D277D9F5A5611C2C9F419D9F");
    EXPECT_EQ(HexOf("1234567890123456789012345678901234567890123456789012345678901234567890"
                    "1234567890"),
              "57EDF4A22BE3C955AC49DA2E2107B67A");
}

TEST(Md5, PaddingBoundaries) {
    // Lengths around the 56-byte point where the length no longer fits the last block.
    const std::pair<std::size_t, const char*> cases[] = {
        {55, "EF1772B6DFF9A122358552954AD0DF65"}, {56, "3B0C8AC703F828B04C6C197006D17218"},
        {63, "B06521F39153D618550606BE297466D5"}, {64, "014842D480B571495A4A0363793F7367"},
        {65, "C743A45E0D2E6A95CB859ADAE0248435"},
    };
    for (auto [length, expected] : cases) {
        EXPECT_EQ(HexOf(std::string(length, 'a')), expected) << length;
    }
}

TEST(Md5, MacroBlockOfZeros) {
    std::vector<uint8_t> zeros(7600, 0);
    EXPECT_EQ(Utf16ToUtf8(Md5Hex(Md5Digest(zeros))), "4B27CEF26C10554782D0D2E3AAC4F767");
}

}  // namespace
}  // namespace qm
