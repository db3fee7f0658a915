#include "macro/Cp932.h"

#include <gtest/gtest.h>

#include "macro/Md5.h"

namespace qm {
namespace {

std::u16string Decode(std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> v(bytes);
    return Cp932Decode(v);
}
std::vector<uint8_t> Encode(std::u16string_view text) {
    return Cp932Encode(text);
}

TEST(Cp932, MicrosoftMappingsDifferFromPlainShiftJis) {
    struct Row {
        uint8_t lead, trail;
        char16_t unicode;
    };
    const Row rows[] = {
        {0x81, 0x5F, u'\uFF3C'},  // full-width reverse solidus
        {0x81, 0x60, u'\uFF5E'},  // full-width tilde, not the wave dash
        {0x81, 0x61, u'\u2225'},  // parallel to
        {0x81, 0x7C, u'\uFF0D'},  // full-width hyphen-minus
        {0x87, 0x40, u'\u2460'},  // NEC special row: circled one
        {0xFA, 0x40, u'\u2170'},  // IBM extension: small roman numeral one
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Decode({r.lead, r.trail}), std::u16string(1, r.unicode)) << int(r.trail);
        EXPECT_EQ(Encode(std::u16string(1, r.unicode)), (std::vector<uint8_t>{r.lead, r.trail}))
            << int(r.unicode);
    }
}

TEST(Cp932, WhereTheSystemsDisagreeBothGiveTheTablesForm) {
    for (const Cp932Difference& row : Cp932EncodeDifferences()) {
        std::vector<uint8_t> expected(row.bytes, row.bytes + row.length);
        if (row.length == 0) expected.push_back('?');
        expected.push_back('x');
        EXPECT_EQ(Encode(std::u16string(1, row.unicode) + u"x"), expected)
            << std::hex << int(row.unicode);
    }
    for (uint8_t b : Cp932UndecodableBytes())
        EXPECT_EQ(Decode({b, 'A'}), u"\uFFFDA") << std::hex << int(b);
}

// Every character and every byte sequence, converted one by one, hashed: the same
// digests on Linux and on Windows mean the same bytes for every text. A changed digest
// means a changed mapping; dump both sides' conversions and compare them to find it.
// Cp932Length, which takes a short cut for ASCII, counts what the conversion gives.
TEST(Cp932, WholeMappingIsTheSameOnEverySystem) {
    std::vector<uint8_t> encoded;
    for (uint32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        const std::u16string text(1, char16_t(c));
        const auto bytes = Encode(text);
        ASSERT_EQ(Cp932Length(text), bytes.size()) << std::hex << c;
        encoded.push_back(uint8_t(bytes.size()));
        encoded.insert(encoded.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(Md5Hex(Md5Digest(encoded)), u"E1706B67C658C971937873F0571E807F");

    std::vector<uint8_t> decoded;
    auto add = [&](const std::u16string& text) {
        decoded.push_back(uint8_t(text.size()));
        for (char16_t c : text) decoded.insert(decoded.end(), {uint8_t(c), uint8_t(c >> 8)});
    };
    for (int b = 0; b < 256; ++b) add(Decode({uint8_t(b)}));
    for (int lead = 0x80; lead < 0x100; ++lead)
        for (int trail = 0; trail < 0x100; ++trail) add(Decode({uint8_t(lead), uint8_t(trail)}));
    EXPECT_EQ(Md5Hex(Md5Digest(decoded)), u"71E4AD140EC5B886808462071F485490");
}

TEST(Cp932, SingleBytesAndControlBytesPassThrough) {
    EXPECT_EQ(Decode({0xB1}), u"\uFF71");  // half-width katakana A
    EXPECT_EQ(Encode(u"\uFF71"), (std::vector<uint8_t>{0xB1}));
    for (uint8_t b : {0x1A, 0x1C, 0x7F, 0x0D, 0x0A}) {
        EXPECT_EQ(Decode({b}), std::u16string(1, char16_t(b)));
        EXPECT_EQ(Encode(std::u16string(1, char16_t(b))), (std::vector<uint8_t>{b}));
    }
    EXPECT_EQ(Decode({'/', 'p', ' ', 'O', 'K'}), u"/p OK");
}

TEST(Cp932, OddSingleBytesDecodeToOneCharacterWithoutLosingTheRest) {
    // 0x80, 0xA0 and 0xFD are not text in CP932; whatever they become, each is one
    // character and the following text survives.
    for (uint8_t b : {0x80, 0xA0, 0xFD}) {
        std::u16string text = Decode({b, 'A'});
        ASSERT_EQ(text.size(), 2u) << int(b);
        EXPECT_EQ(text[1], u'A');
    }
}

TEST(Cp932, InvalidAndTruncatedSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(Decode({0x82}), u"\uFFFD");  // lead byte cut off at the end
    EXPECT_EQ(Decode({'a', 0x82}), u"a\uFFFD");
    EXPECT_EQ(Decode({0x82, 0x20, 'b'}).back(), u'b');  // bad trail byte: resynchronises
    EXPECT_EQ(Decode({0x82, 0xA0}), u"\u3042");         // hiragana A, for comparison
}

TEST(Cp932, CharactersWithoutCp932FormBecomeQuestionMarks) {
    EXPECT_EQ(Encode(u"a\u00E9b"), (std::vector<uint8_t>{'a', '?', 'b'}));
    EXPECT_EQ(Encode(u"\U0001F600x"), (std::vector<uint8_t>{'?', 'x'}));  // surrogate pair
    EXPECT_EQ(Encode(std::u16string(u"\xD800z")), (std::vector<uint8_t>{'?', 'z'}));  // lone
    EXPECT_EQ(Cp932Length(u"ケアル"), 6u);
}

TEST(Cp932, Utf8RoundTrip) {
    std::u16string text = u"セット１ abc \U0001F600";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf8ToUtf16("\xFF"
                          "a"),
              u"\uFFFDa");
}

}  // namespace
}  // namespace qm
