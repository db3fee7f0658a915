// Tokens: the game's auto-translate phrases and bytes that are no CP932 text keep their
// exact bytes through every edit and every text form.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/LineOps.h"
#include "editor/LostCharacters.h"
#include "editor/SetBackup.h"
#include "editor/TextForms.h"
#include "macro/FieldText.h"
#include "macro/MacroFile.h"
#include "preview/LogPieces.h"
#include "storage/Utf.h"

namespace qm {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kPhrase = {0xFD, 0x02, 0x02, 0x01, 0x0D, 0xFD};
const Bytes kJapanesePhrase = {0xFD, 0x02, 0x01, 0x10, 0x20, 0xFD};

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes Ascii(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

struct FieldCase {
    const char* name;
    Bytes bytes;
    std::size_t fieldSize;  // 61 a line, 9 a title
};

std::vector<FieldCase> Cases() {
    return {
        {"phrase at the start", Join({kPhrase, Ascii(" <t>")}), 61},
        {"phrase in the middle", Join({Ascii("/p "), kPhrase, Ascii(" <t>")}), 61},
        {"phrase at the end", Join({Ascii("/p "), kPhrase}), 61},
        {"two side by side", Join({Ascii("/s "), kPhrase, kJapanesePhrase, Ascii("!")}), 61},
        {"phrase ending at byte 60", Join({Bytes(54, 'a'), kPhrase}), 61},
        {"phrase in a title", Join({Ascii("a"), kPhrase}), 9},
        {"japanese around a phrase", Join({{0x83, 0x50}, kPhrase, {0x82, 0xA0}}), 61},
        {"stray FD", Join({Ascii("a"), {0xFD}, Ascii("b")}), 61},
        {"80", Join({Ascii("a"), {0x80}, Ascii("b")}), 61},
        {"A0", Join({Ascii("a"), {0xA0}, Ascii("b")}), 61},
        {"FE and FF", Join({{0xFE}, Ascii("b"), {0xFF}}), 61},
        {"lead byte cut at the end", Join({Ascii("ab"), {0x82}}), 61},
        {"lead byte with a bad trail", Join({Ascii("a"), {0x82, 0x20}, Ascii("b")}), 61},
        {"NEC row duplicate", Join({Ascii("a"), {0x87, 0x90}, Ascii("b")}), 61},
        {"control byte", Join({Ascii("a"), {0x0D}, Ascii("b")}), 61},
    };
}

Bytes Stored(const std::u16string& text, std::size_t fieldSize, bool* fits = nullptr) {
    Bytes field(fieldSize, 0xEE);
    const bool ok = StoreFieldText(field, text);
    if (fits) *fits = ok;
    return Bytes(field.begin(), std::find(field.begin(), field.end(), uint8_t(0)));
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

// Every token's bytes appear, in order, in what an edit stored.
void ExpectTokensKept(const std::u16string& original, const Bytes& stored, const char* edit) {
    for (const FieldToken& token : FindFieldTokens(original))
        EXPECT_TRUE(Contains(stored, token.bytes)) << edit;
}

TEST(FieldTokens, EveryEditKeepsEveryTokensBytes) {
    for (const FieldCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        Bytes field(c.fieldSize, 0);
        std::copy(c.bytes.begin(), c.bytes.end(), field.begin());
        const std::u16string text = ReadFieldText(field);
        // Readable: no replacement character, no control character.
        EXPECT_EQ(text.find(u'\uFFFD'), std::u16string::npos);
        EXPECT_TRUE(std::none_of(text.begin(), text.end(), [](char16_t ch) { return ch < 0x20; }));
        EXPECT_EQ(Stored(text, c.fieldSize), c.bytes);
        EXPECT_EQ(FieldTextLength(text), c.bytes.size());
        EXPECT_TRUE(UnencodableCharacters(text).empty());

        const auto tokens = FindFieldTokens(text);
        ASSERT_FALSE(tokens.empty());
        for (const FieldToken& token : tokens) {
            // Typing just before and after a token, at each of its ends.
            for (std::size_t at : {token.begin, token.end}) {
                std::u16string typed = text;
                typed.insert(at, u"!");  // no trail byte: cannot join a cut lead byte
                bool fits = false;
                const Bytes bytes = Stored(typed, 61 + 9, &fits);
                ASSERT_TRUE(fits);
                ExpectTokensKept(text, bytes, "typing");
                EXPECT_EQ(ReadFieldText(Join({bytes, {0}})).substr(0, at + 1),
                          typed.substr(0, at + 1));
            }
            // Removing the token whole leaves exactly the bytes around it.
            std::u16string removed = text;
            removed.erase(token.begin, token.end - token.begin);
            Bytes expected = c.bytes;
            const auto where = std::search(expected.begin(), expected.end(), token.bytes.begin(),
                                           token.bytes.end());
            expected.erase(where, where + std::ptrdiff_t(token.bytes.size()));
            EXPECT_EQ(Stored(removed, c.fieldSize), expected);
        }

        // Enter at every caret position (the box never has its caret inside a token, but
        // the split must not cut one either way), then joining back.
        for (std::size_t caret = 0; caret <= text.size(); ++caret) {
            MacroLines lines{text};
            ASSERT_TRUE(SplitLineAtCaret(lines, 0, int(caret)).consumed);
            for (const std::u16string& line : lines)
                EXPECT_TRUE(UnencodableCharacters(line).empty()) << caret;
            EXPECT_EQ(Stored(lines[0] + lines[1], c.fieldSize), c.bytes);
            JoinWithLineBelow(lines, 0, int(lines[0].size()));
            EXPECT_EQ(lines[0], text);
        }

        // A byte limit never keeps a part of a token.
        for (std::size_t limit = 0; limit <= c.bytes.size(); ++limit) {
            const std::u16string cut = TruncateToCp932Bytes(text, limit);
            EXPECT_LE(FieldTextLength(cut), limit);
            EXPECT_TRUE(UnencodableCharacters(cut).empty());
            EXPECT_EQ(text.substr(0, cut.size()), cut);
        }

        // The clipboard's macro and set text, the backup in both encodings.
        MacroFile set;
        const bool title = c.fieldSize == kTitleFieldSize;
        std::copy(c.bytes.begin(), c.bytes.end(),
                  title ? set.Title(3).begin() : set.Line(3, 2).begin());
        const auto macro = TextToMacro(
            MacroToText(ReadFieldText(set.Title(3)), {u"", u"", ReadFieldText(set.Line(3, 2))}));
        ASSERT_TRUE(macro);
        EXPECT_EQ(Stored(title ? macro->title : macro->lines[2], c.fieldSize), c.bytes);
        MacroFile pasted;
        TextToSet(pasted, SetToText(set));
        EXPECT_EQ(pasted.bytes, set.bytes);
        const std::string utf8 = Utf16ToUtf8(SetToText(set));
        const BackupReadResult read =
            DecodeBackupBytes(Bytes(utf8.begin(), utf8.end()), BackupEncoding::Utf8);
        ASSERT_EQ(read.error, BackupReadError::None);
        EXPECT_TRUE(read.replacedFields.empty());
        MacroFile restored;
        BackupBytesToSet(restored, read.bytes);
        EXPECT_EQ(restored.bytes, set.bytes);
    }
}

TEST(FieldTokens, OnlyTheFormsAFieldReadsAsAreTokens) {
    // Lower case, a zero byte, a printable byte in raw form, a cut form: text, whose
    // brackets have no CP932 form and are asked about.
    for (const std::u16string text :
         {u"\u27E6AT-02-02-01-0d\u27E7", u"\u27E6AT-02-00-01-0D\u27E7", u"\u27E641\u27E7",
          u"\u27E6AT-02-02-01-0D", u"\u27E6FD \u27E7", u"\u27E6\u27E7"}) {
        EXPECT_TRUE(FindFieldTokens(text).empty()) << Utf16ToUtf8(text);
        EXPECT_EQ(UnencodableCharacters(text).substr(0, 1), u"\u27E6") << Utf16ToUtf8(text);
    }
    EXPECT_EQ(EncodeFieldText(u"/p \u27E6AT-02-02-01-0D\u27E7"), Join({Ascii("/p "), kPhrase}));
}

TEST(FieldTokens, PreviewShowsAPhraseBetweenBraces) {
    const auto pieces = LogPieces(u"Taro : \u27E6AT-02-02-01-0D\u27E7 \u27E6FD\u27E7");
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[1], (LogPiece{LogPieceKind::PhraseOpen, u"{"}));
    EXPECT_EQ(pieces[2].text, u"AT-02-02-01-0D");
    EXPECT_EQ(pieces[3].kind, LogPieceKind::PhraseClose);
    EXPECT_EQ(LogText(u"a\u27E6AT-02-02-01-0D\u27E7\u27E6FD\u27E7"),
              u"a{AT-02-02-01-0D}\u27E6FD\u27E7");
}

}  // namespace
}  // namespace qm
