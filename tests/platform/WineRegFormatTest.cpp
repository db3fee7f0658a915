#include "platform/linux/WineRegFormat.h"

#include <gtest/gtest.h>

#include "macro/Cp932.h"

namespace qm {
namespace {

using std::chrono::system_clock;

// 2026-12-07 05:44:14 UTC: 1796622254 s since 1970, FILETIME 0x1dd860dfdb6598e.
const system_clock::time_point kNow =
    system_clock::time_point(std::chrono::nanoseconds(int64_t(1796622254) * 1000000000 + 26587000));

const std::string kFile =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Classes\\\\.txt] 1700000000\n"
    "#time=1d9000000000000\n"
    "#class=\"text\"\n"
    "@=\"txtfile\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\PlayOnline\\\\InstallFolder] 1700000001\n"
    "#time=1d9000000000001\n"
    "\"0001\"=\"C:\\\\Program Files (x86)\\\\\\x30c6\\x30b9\\x30c8\\\\\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000002\n"
    "#time=1d9000000000002\n"
    "\"0000\"=dword:00000001\n"
    "\"0007\"=dword:ffffffff\n"
    "\"0011\"=dword:00000002\n"
    "\"Bytes\"=hex:01,02,ff\n"
    "\"Links\"=hex(7):41,00,00,00,42,00,00,00,00,00,41,00,00,00,42,00,00,00,00,00,41,00,\\\n"
    "  00,00,42,00,00,00,00,00\n"
    "\"Path\"=str(2):\"%SystemRoot%\\\\x\"\n"
    "\"Say\"=\"\\x00e9a\\tb\\\"c\\\\d\\x20acz\"\n"
    "\n"
    "[Software\\\\Wine] 1700000003\n"
    "#time=1d9000000000003\n"
    "\"Version\"=\"8.0\"\n";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

RegRawValue Dword(uint32_t n) {
    return {REG_DWORD_TYPE, {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}};
}

std::u16string Text(const std::optional<RegRawValue>& v) {
    if (!v || v->data.empty()) return u"<none>";
    return Cp932Decode(std::span(v->data.data(), v->data.size() - 1));
}

TEST(WineRegDocumentTest, RewritesEveryUnchangedByteAsRead) {
    for (const std::string& text : {kFile, kFile.substr(0, kFile.size() - 1), kFile + "\n\n"}) {
        auto doc = WineRegDocument::Parse(text);
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->Serialize(), text);
    }
    EXPECT_FALSE(WineRegDocument::Parse("Windows Registry Editor Version 5.00\r\n"));
    EXPECT_FALSE(WineRegDocument::Parse("REGEDIT4\n"));
    EXPECT_FALSE(WineRegDocument::Parse(""));
}

TEST(WineRegDocumentTest, FileSavedWithCrLfReadsAndWritesTheSame) {
    std::string crlf;
    for (char c : kFile) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    auto doc = WineRegDocument::Parse(crlf);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Serialize(), crlf);
    const std::u16string key = u"Software\\Wow6432Node\\PlayOnline\\SQUARE\\FinalFantasyXI";
    EXPECT_EQ(doc->Query(key, u"0007")->data, Dword(0xFFFFFFFF).data);
    ASSERT_TRUE(doc->Query(key, u"Links"));
    EXPECT_EQ(doc->Query(key, u"Links")->data.size(), 15u);  // the continued hex value whole
    // Replacing the continued value leaves no stray piece of it behind.
    ASSERT_TRUE(doc->Set(key, u"Links", Dword(5), kNow));
    const std::string written = doc->Serialize();
    EXPECT_EQ(written.find("\n") - 1, written.find("\r\n"));
    auto again = WineRegDocument::Parse(written);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Query(key, u"Links")->data, Dword(5).data);
    EXPECT_EQ(again->Query(key, u"0007")->data, Dword(0xFFFFFFFF).data);
    EXPECT_EQ(written.find("\r\r"), std::string::npos);
    std::size_t lineEnds = 0, lfs = 0;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] == '\n') {
            ++lfs;
            if (i > 0 && written[i - 1] == '\r') ++lineEnds;
        }
    }
    EXPECT_EQ(lineEnds, lfs);  // every line ends in CR LF
}

TEST(WineRegDocumentTest, ReadsEachValueFormWithWineEscapes) {
    auto doc = *WineRegDocument::Parse(kFile);
    const std::u16string key = u"Software\\Wow6432Node\\PlayOnline\\SQUARE\\FinalFantasyXI";
    EXPECT_EQ(doc.Query(key, u"0007")->data, Dword(0xFFFFFFFF).data);
    EXPECT_EQ(doc.Query(key, u"0007")->type, REG_DWORD_TYPE);
    EXPECT_EQ(doc.Query(key, u"Bytes")->data, (std::vector<uint8_t>{1, 2, 0xFF}));
    EXPECT_EQ(doc.Query(key, u"Bytes")->type, 3u);
    // A value continued over two lines, UTF-16 in the file, CP932 in memory.
    auto links = doc.Query(key, u"Links");
    ASSERT_TRUE(links);
    EXPECT_EQ(links->type, 7u);
    EXPECT_EQ(links->data,
              (std::vector<uint8_t>{'A', 0, 'B', 0, 0, 'A', 0, 'B', 0, 0, 'A', 0, 'B', 0, 0}));
    EXPECT_EQ(doc.Query(key, u"Path")->type, 2u);
    EXPECT_EQ(Text(doc.Query(key, u"Path")), u"%SystemRoot%\\x");
    EXPECT_EQ(Text(doc.Query(u"Software\\Wow6432Node\\PlayOnline\\InstallFolder", u"0001")),
              u"C:\\Program Files (x86)\\テスト\\");
    EXPECT_EQ(Text(doc.Query(u"Software\\Classes\\.txt", u"")), u"txtfile");
    EXPECT_FALSE(doc.Query(key, u"0018"));
    EXPECT_FALSE(doc.Query(u"Software\\Wow6432Node\\PlayOnline", u"0000"));

    // Characters CP932 lacks are checked on the text itself.
    EXPECT_EQ(WineRegDocument::Unescape("\\x00e9a\\tb\\\"c\\\\d\\x20acz\"tail", true),
              u"\u00e9a\tb\"c\\d\u20acz");
    EXPECT_EQ(WineRegDocument::Unescape("a\\0b\\x41\\101\\q", false),
              std::u16string(u"a\0bAAq", 6));
}

TEST(WineRegDocumentTest, KeysAndNamesIgnoreCase) {
    auto doc = *WineRegDocument::Parse(kFile);
    EXPECT_TRUE(doc.Query(u"SOFTWARE\\wow6432node\\PLAYONLINE\\square\\finalfantasyxi", u"0000"));
    EXPECT_EQ(Text(doc.Query(u"software\\wine", u"VERSION")), u"8.0");
    EXPECT_TRUE(doc.HasKey(u"software\\WOW6432NODE\\playonline"));  // implied by its sub-keys
    EXPECT_FALSE(doc.HasKey(u"Software\\Wow6432Node\\PlayOnlin"));
}

// Keys are found by their parsed, case-folded path, whether the file spells them with
// escapes, raw UTF-8, doubled separators or in another case; a "[" line that goes on a
// hex value is no key.
TEST(WineRegDocumentTest, FindsEveryKeyHoweverTheFileSpellsIt) {
    const std::string longLevel(600, 'k');
    const struct {
        std::string inFile;  // between the brackets
        std::u16string asked;
    } keys[] = {
        {"Software\\\\PlayOnline", u"SOFTWARE\\playonline"},
        {"Esc\\\\\\x30c6\\x30b9\\x30c8", u"esc\\テスト"},
        {"Utf8\\\\caf\xc3\xa9", u"UTF8\\CAF\u00c9"},
        {"Fold\\\\\\x00e9t\\x00e9", u"fold\\\u00c9T\u00c9"},
        {"\\\\Lead\\\\\\\\Twice\\\\", u"lead\\twice"},
        {"Oct\\\\\\101bc", u"oct\\abc"},
        {"Odd\\\\q\\q", u"odd\\qq"},
        {"Br]acket", u"br]acket"},
        {"Long\\\\" + longLevel, u"long\\" + std::u16string(600, u'K')},
    };
    std::string text = "WINE REGISTRY Version 2\n#arch=win32\n\n";
    for (const auto& key : keys) text += "[" + key.inFile + "] 1\n\"v\"=dword:00000001\n\n";
    text +=
        "[Hex] 1\n\"h\"=hex:01,\\\n[Not\\\\A\\\\Key]\\\n  02\n"
        "[After\\\\Hex] 1\n\"v\"=dword:00000001\n";
    const auto doc = WineRegDocument::Parse(text);
    ASSERT_TRUE(doc);
    for (const auto& key : keys) {
        SCOPED_TRACE(key.inFile);
        EXPECT_TRUE(doc->HasKey(key.asked));
        ASSERT_TRUE(doc->Query(key.asked, u"V"));
        EXPECT_EQ(doc->Query(key.asked, u"v")->data, Dword(1).data);
        // Each ancestor is implied by the key below it.
        for (std::size_t sep = key.asked.find(u'\\'); sep != std::u16string::npos;
             sep = key.asked.find(u'\\', sep + 1))
            EXPECT_TRUE(doc->HasKey(key.asked.substr(0, sep)));
    }
    EXPECT_FALSE(doc->HasKey(u"Not"));
    EXPECT_TRUE(doc->Query(u"after\\hex", u"v"));
    EXPECT_FALSE(doc->HasKey(u"Esc\\テス"));
    EXPECT_FALSE(doc->HasKey(u"Long\\" + std::u16string(599, u'K')));
}

TEST(WineRegDocumentTest, ChangingAValueTouchesOnlyItsLineAndItsKeysStamps) {
    auto doc = *WineRegDocument::Parse(kFile);
    doc.Set(u"SOFTWARE\\WOW6432NODE\\PlayOnline\\Square\\FinalFantasyXI", u"0007", Dword(1), kNow);
    auto before = Lines(kFile);
    auto after = Lines(doc.Serialize());
    ASSERT_EQ(before.size(), after.size());
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed.push_back(i);
    ASSERT_EQ(changed.size(), 3u);
    EXPECT_EQ(after[changed[0]],
              "[Software\\\\Wow6432Node\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1796622254");
    EXPECT_EQ(after[changed[1]], "#time=1dd860dfdb6598e");
    EXPECT_EQ(after[changed[2]], "\"0007\"=dword:00000001");
}

TEST(WineRegDocumentTest, NewValuesGoInNameOrderAndNewKeysAreSpeltLikeTheirAncestor) {
    auto doc = *WineRegDocument::Parse(kFile);
    doc.Set(u"Software\\Wow6432Node\\PlayOnline\\SQUARE\\FinalFantasyXI", u"0010", Dword(3), kNow);
    doc.Set(u"SOFTWARE\\WOW6432NODE\\PlayOnlineUS\\SquareEnix\\FinalFantasyXI", u"0001",
            Dword(1280), kNow);
    const std::string text = doc.Serialize();
    EXPECT_NE(text.find("\"0007\"=dword:ffffffff\n\"0010\"=dword:00000003\n\"0011\""),
              std::string::npos);
    EXPECT_TRUE(text.ends_with(
        "\"Version\"=\"8.0\"\n"
        "\n"
        "[Software\\\\Wow6432Node\\\\PlayOnlineUS\\\\SquareEnix\\\\FinalFantasyXI] 1796622254\n"
        "#time=1dd860dfdb6598e\n"
        "\"0001\"=dword:00000500\n"))
        << text;
    // What was written reads back, from the text as well.
    auto again = *WineRegDocument::Parse(text);
    EXPECT_EQ(
        again.Query(u"Software\\Wow6432Node\\PlayOnlineUS\\SquareEnix\\FinalFantasyXI", u"0001")
            ->data,
        Dword(1280).data);
    // A file that did not end with a line end still gets a whole new section.
    auto cut = *WineRegDocument::Parse(kFile.substr(0, kFile.size() - 1));
    cut.Set(u"Software\\New", u"x", Dword(0), kNow);
    EXPECT_TRUE(
        cut.Serialize().ends_with("\"Version\"=\"8.0\"\n\n[Software\\\\New] 1796622254\n"
                                  "#time=1dd860dfdb6598e\n\"x\"=dword:00000000\n"));
    EXPECT_FALSE(cut.Set(u"", u"x", Dword(0), kNow));
}

TEST(WineRegDocumentTest, TextWrittenWithEscapesReadsBackTheSame) {
    auto doc = *WineRegDocument::Parse("WINE REGISTRY Version 2\n");
    const std::u16string tricky = u"C:\\ゲーム\\\"引用\"\tタブ\nA";
    RegRawValue text{REG_SZ_TYPE, Cp932Encode(tricky)};
    text.data.push_back(0);
    doc.Set(u"Software\\T", u"名前\"x", text, kNow);
    const std::string written = doc.Serialize();
    EXPECT_NE(written.find("\"\\x540d\\x524d\\\"x\"=\"C:\\\\\\x30b2"), std::string::npos)
        << written;
    for (char c : written) EXPECT_LT(static_cast<unsigned char>(c), 0x80);  // ASCII only
    auto again = *WineRegDocument::Parse(written);
    EXPECT_EQ(Text(again.Query(u"software\\t", u"名前\"X")), tricky);

    // A zero before a digit cannot be written "\0", which would swallow the digit.
    const std::u16string zeros(
        u"a\0"
        u"1\0",
        4);
    EXPECT_EQ(WineRegDocument::Unescape(WineRegDocument::Escape(zeros, true), true), zeros);
    EXPECT_EQ(WineRegDocument::Escape(u"\u00e9a", true), "\\x00e9a");
}

// Wine ends a byte-list line with "\" once the line with its comma passes column 76, and
// goes on indented by two; the last byte has no comma and never wraps.
TEST(WineRegDocumentTest, ByteListsWrapWhereWineWrapsThem) {
    struct Row {
        std::string name;
        uint32_t type;
        std::vector<std::size_t> bytesPerLine;
    };
    const Row rows[] = {
        {"Bin", 3, {23}},             // 78 characters: the last byte needs no comma
        {"Bin", 3, {23, 1}},          // at 76 with its comma it goes on; at 79 it wraps
        {"Bin", 3, {23, 25, 2}},      // continuation lines hold 25
        {"Bin1", 3, {22, 1}},         // 77 with the comma: past the column
        {"Q", 0xb, {22, 25, 25, 3}},  // the type's parentheses count too
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> bytes;
        std::string expected;
        for (std::size_t n : row.bytesPerLine) {
            expected += expected.empty()
                            ? "\"" + row.name + "\"=" + (row.type == 3 ? "hex:" : "hex(b):")
                            : "\\\n  ";
            for (std::size_t i = 0; i < n; ++i) {
                const auto b = static_cast<uint8_t>(bytes.size() * 37 + 11);
                bytes.push_back(b);
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02x,", b);
                expected += hex;
            }
        }
        expected.back() = '\n';  // the last byte has no comma
        SCOPED_TRACE(expected);

        auto doc = *WineRegDocument::Parse(kFile);
        const std::u16string name(row.name.begin(), row.name.end());
        ASSERT_TRUE(doc.Set(u"Software\\Wine", name, RegRawValue{row.type, bytes}, kNow));
        const std::string text = doc.Serialize();
        EXPECT_NE(text.find("\n" + expected), std::string::npos) << text;
        EXPECT_EQ(WineRegDocument::Parse(text)->Query(u"Software\\Wine", name)->data, bytes);
    }
}

// A file Wine or an editor saved with CR LF gets CR LF on every line a write adds: a new
// value, a new key's lines, and the continuation lines of a long byte list.
TEST(WineRegDocumentTest, LinesAddedToACrLfFileEndInCrLf) {
    auto crlf = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            if (c == '\n') out += '\r';
            out += c;
        }
        return out;
    };
    const std::u16string game = u"Software\\Wow6432Node\\PlayOnline\\SQUARE\\FinalFantasyXI";
    const RegRawValue longList{3, std::vector<uint8_t>(60, 0x5a)};
    auto lf = *WineRegDocument::Parse(kFile);
    auto doc = *WineRegDocument::Parse(crlf(kFile));
    for (WineRegDocument* d : {&lf, &doc}) {
        ASSERT_TRUE(d->Set(game, u"0010", Dword(3), kNow));   // a new value
        ASSERT_TRUE(d->Set(game, u"Bytes", longList, kNow));  // replaced, now continued
        ASSERT_TRUE(d->Set(game, u"Long", longList, kNow));   // a new continued value
        ASSERT_TRUE(d->Set(u"Software\\New\\Key", u"x", longList, kNow));  // a new key
    }
    const std::string written = doc.Serialize();
    EXPECT_EQ(written, crlf(lf.Serialize()));
    EXPECT_NE(written.find("\"0007\"=dword:ffffffff\r\n\"0010\"=dword:00000003\r\n"),
              std::string::npos);
    EXPECT_NE(written.find("5a,5a,\\\r\n  5a,"), std::string::npos);
    EXPECT_NE(written.find("\"Version\"=\"8.0\"\r\n\r\n[Software\\\\New\\\\Key] 1796622254\r\n"
                           "#time=1dd860dfdb6598e\r\n\"x\"=hex:5a,"),
              std::string::npos);
    EXPECT_TRUE(written.ends_with(",5a\r\n"));
    for (std::size_t i = 1; i < written.size(); ++i)
        EXPECT_TRUE(written[i] != '\n' || written[i - 1] == '\r') << "bare LF at " << i;
    auto again = *WineRegDocument::Parse(written);
    EXPECT_EQ(again.Query(u"Software\\New\\Key", u"x")->data, longList.data);
    EXPECT_EQ(again.Query(game, u"Long")->data, longList.data);
}

TEST(WineRegDocumentTest, TellsTheArchitecture) {
    EXPECT_TRUE(WineRegDocument::Parse(kFile)->IsWin64());
    EXPECT_FALSE(WineRegDocument::Parse("WINE REGISTRY Version 2\n#arch=win32\n\n"
                                        "[Software\\\\Wow6432Node\\\\X] 1\n")
                     ->IsWin64());
    // Older prefixes have no arch line; the 32-bit view's key tells.
    EXPECT_TRUE(WineRegDocument::Parse("WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node] 1\n")
                    ->IsWin64());
    EXPECT_FALSE(
        WineRegDocument::Parse("WINE REGISTRY Version 2\n\n[Software\\\\Wine] 1\n")->IsWin64());
}

}  // namespace
}  // namespace qm
