#include "platform/linux/RegFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "macro/Cp932.h"
#include "settings/Registry.h"
#include "settings/ToolPreferences.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "support/Env.h"
#include "support/TempDir.h"

namespace qm {
namespace {

constexpr Hive HKLM = Hive::LocalMachine;
constexpr std::u16string_view kKey = u"SOFTWARE\\Tavrel\\Quillmor";

std::vector<uint8_t> Utf8Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

// The file's text as lines, whatever encoding it was written in.
std::vector<std::u16string> FileLines(const test::TempDir& dir, const std::string& name) {
    auto text = DecodeRegFileBytes(dir.Read(name));
    EXPECT_TRUE(text.has_value());
    std::vector<std::u16string> lines;
    std::u16string line;
    for (char16_t c : text.value_or(u"")) {
        if (c == u'\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != u'\r') {
            line.push_back(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

bool HasLine(const std::vector<std::u16string>& lines, std::u16string_view line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class RegFile : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path file = dir.Path("config/quillmor/registry.reg");
    void TearDown() override { SetSafeFileFaultHook(nullptr); }
};

TEST_F(RegFile, ReadingAMissingKeyCreatesNoFileAndNoFolder) {
    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 5), 5);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, u"Myname"), u"Myname");
    EXPECT_FALSE(dir.Exists("config"));

    ASSERT_TRUE(RegWriteValue(reg, HKLM, u"SOFTWARE\\Other", u"X", REG_DWORD_TYPE, 1));
    const auto before = dir.Read("config/quillmor/registry.reg");
    EXPECT_EQ(RegReadValue(reg, HKLM, u"SOFTWARE\\Missing\\Key", u"X", REG_DWORD_TYPE, 8), 8);
    EXPECT_EQ(dir.Read("config/quillmor/registry.reg"), before);
}

TEST_F(RegFile, WritesInTheEditorsImportFormatAndSurviveAReload) {
    {
        RegFileBackend reg(file);
        ASSERT_TRUE(RegWriteValue(reg, HKLM, u"SOFTWARE\\A\\B\\C", u"Count", REG_DWORD_TYPE, 10));
        ASSERT_TRUE(RegWriteValue(reg, HKLM, u"SOFTWARE\\A\\B\\C", u"Name", REG_SZ_TYPE, u"x"));
        ASSERT_TRUE(RegWriteValue(reg, HKLM, u"SOFTWARE\\A", u"Top", REG_DWORD_TYPE, -1));
    }
    const auto bytes = dir.Read("config/quillmor/registry.reg");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);  // UTF-16LE with its byte-order mark
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes[2], 'W');
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(FileLines(dir, "config/quillmor/registry.reg"),
              (std::vector<std::u16string>{u"Windows Registry Editor Version 5.00", u"",
                                           u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B\\C]",
                                           u"\"Count\"=dword:0000000a", u"\"Name\"=\"x\"", u"",
                                           u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]",
                                           u"\"Top\"=dword:ffffffff"}));

    RegFileBackend again(file);
    EXPECT_EQ(RegReadValue(again, HKLM, u"SOFTWARE\\A\\B\\C", u"Count", REG_DWORD_TYPE, 0), 10);
    EXPECT_EQ(RegReadValue(again, HKLM, u"SOFTWARE\\A", u"Top", REG_DWORD_TYPE, 0), -1);
}

TEST_F(RegFile, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    RegFileBackend reg(file);
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 1));
    EXPECT_EQ(RegReadValue(reg, HKLM, u"software\\TAVREL\\quillmor", u"TABINDEX", 4, 0), 1);
    ASSERT_TRUE(RegWriteValue(reg, HKLM, u"Software\\tavrel\\QUILLMOR", u"tabindex", 4, 3));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 0), 3);
    EXPECT_EQ(FileLines(dir, "config/quillmor/registry.reg"),
              (std::vector<std::u16string>{u"Windows Registry Editor Version 5.00", u"",
                                           u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tavrel\\Quillmor]",
                                           u"\"TabIndex\"=dword:00000003"}));
}

TEST_F(RegFile, TextRoundTripsJapaneseEscapesAndLineBreaks) {
    const std::u16string japanese = u"テスト～①髙 C:\\Users\\\"名前\"";
    const std::u16string twoLines = u"一行目\r\n二行目";
    {
        RegFileBackend reg(file);
        ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, japanese));
        ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Lines", REG_SZ_TYPE, twoLines));
        ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Empty", REG_SZ_TYPE, u""));
    }
    const auto lines = FileLines(dir, "config/quillmor/registry.reg");
    EXPECT_TRUE(HasLine(lines, u"\"Myname\"=\"テスト～①髙 C:\\\\Users\\\\\\\"名前\\\"\""));
    EXPECT_TRUE(HasLine(lines, u"\"Empty\"=\"\""));
    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, u""), japanese);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Lines", REG_SZ_TYPE, u""), twoLines);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Empty", REG_SZ_TYPE, u"d"), u"");
}

TEST_F(RegFile, ContentItDoesNotChangeSurvivesAWrite) {
    const std::string original =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; written by hand\r\n"
        "[HKEY_CURRENT_USER\\Software\\Elsewhere]\r\n"
        "\"Keep\"=\"me\"\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tavrel\\Quillmor]\r\n"
        "\"TabIndex\"=dword:00000001\r\n"
        "\"Paths\"=hex(7):41,00,00,00,42,00,00,00,\\\r\n"
        "  00,00\r\n"
        "\"Path\"=hex(2):25,00,54,00,00,00\r\n"
        "@=\"unnamed\"\r\n"
        "this line means nothing here\r\n"
        "\"Odd\"=qword:0000000000000001\r\n"
        "\r\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n";
    dir.Write("config/quillmor/registry.reg", Utf8Bytes(original));
    const auto before = FileLines(dir, "config/quillmor/registry.reg");

    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Path", REG_SZ_TYPE, u""), u"%T");
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"", REG_SZ_TYPE, u""), u"unnamed");
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 2));
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"CaptureMode", REG_DWORD_TYPE, 1));
    ASSERT_TRUE(RegWriteValue(reg, HKLM, u"SOFTWARE\\New", u"N", REG_DWORD_TYPE, 1));

    auto after = FileLines(dir, "config/quillmor/registry.reg");
    for (const auto& line : before) {
        if (line != u"\"TabIndex\"=dword:00000001") {
            EXPECT_TRUE(HasLine(after, line)) << Utf16ToUtf8(line);
        }
    }
    EXPECT_TRUE(HasLine(after, u"\"TabIndex\"=dword:00000002"));
    EXPECT_FALSE(HasLine(after, u"\"TabIndex\"=dword:00000001"));
    // The new value joins its key's section, not the end of the file.
    const auto at = std::find(after.begin(), after.end(), u"\"CaptureMode\"=dword:00000001");
    ASSERT_NE(at, after.end());
    EXPECT_EQ(*(at - 1), u"\"Odd\"=qword:0000000000000001");
    EXPECT_EQ(RegReadValue(reg, HKLM, u"SOFTWARE\\New", u"N", REG_DWORD_TYPE, 0), 1);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 0), 2);
}

TEST_F(RegFile, DeletionLinesAreAppliedAsAnImportWould) {
    dir.Write("config/quillmor/registry.reg",
              Utf8Bytes("Windows Registry Editor Version 5.00\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K\\Sub]\n\"A\"=dword:00000001\n"
                        "\"B\"=dword:00000002\n\"B\"=-\n\n"
                        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n"));
    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, u"SOFTWARE\\K\\Sub", u"A", REG_DWORD_TYPE, 0), 0);
    EXPECT_EQ(RegReadValue(reg, HKLM, u"SOFTWARE\\K\\Sub", u"B", REG_DWORD_TYPE, 0), 0);
    // Written after the deletion, the value must come after it in the file too.
    ASSERT_TRUE(RegWriteValue(reg, HKLM, u"SOFTWARE\\K\\Sub", u"A", REG_DWORD_TYPE, 5));
    RegFileBackend again(file);
    EXPECT_EQ(RegReadValue(again, HKLM, u"SOFTWARE\\K\\Sub", u"A", REG_DWORD_TYPE, 0), 5);
    const auto lines = FileLines(dir, "config/quillmor/registry.reg");
    EXPECT_EQ(lines.back(), u"\"A\"=dword:00000005");
}

TEST_F(RegFile, ADamagedFileIsSetAsideAndDefaultsAreRead) {
    const std::vector<uint8_t> garbage{'P', 'K', 3, 4, 0, 0, 0xFF, 0x10};
    dir.Write("config/quillmor/registry.reg", garbage);
    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 7), 7);
    EXPECT_EQ(dir.Read("config/quillmor/registry.reg.damaged"), garbage);
    EXPECT_EQ(reg.SetAsideFile(), dir.Path("config/quillmor/registry.reg.damaged"));
    EXPECT_FALSE(dir.Exists("config/quillmor/registry.reg"));
    const std::vector<StoreNotice> notices = reg.TakeNotice();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].reason.kind, ReasonKind::SettingsFileSetAside);
    EXPECT_EQ(notices[0].reason.subject,
              TextFromPath(dir.Path("config/quillmor/registry.reg.damaged")));
    EXPECT_TRUE(reg.TakeNotice().empty());

    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 1));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 7), 1);

    // A second damaged file never replaces the first one set aside.
    dir.Write("config/quillmor/registry.reg", Utf8Bytes("[HKEY_LOCAL_MACHINE\\X]\n"));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 7), 7);
    EXPECT_EQ(dir.Read("config/quillmor/registry.reg.damaged"), garbage);
    EXPECT_TRUE(dir.Exists("config/quillmor/registry.reg.damaged-2"));
}

TEST_F(RegFile, InvalidEncodingCountsAsDamage) {
    // Right header, but Shift_JIS bytes where UTF-8 is expected.
    auto bytes = Utf8Bytes("Windows Registry Editor Version 5.00\r\n\"A\"=\"");
    bytes.insert(bytes.end(), {0x83, 0x41, '"', '\r', '\n'});
    dir.Write("config/quillmor/registry.reg", bytes);
    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"A", REG_SZ_TYPE, u"d"), u"d");
    EXPECT_TRUE(dir.Exists("config/quillmor/registry.reg.damaged"));
}

TEST_F(RegFile, AnInterruptedWriteLeavesThePreviousFile) {
    RegFileBackend reg(file);
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, u"前の名前"));
    const auto before = dir.Read("config/quillmor/registry.reg");
    SetSafeFileFaultHook([](const std::filesystem::path&) { return false; });
    EXPECT_FALSE(RegWriteValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, u"新しい名前"));
    EXPECT_EQ(reg.LastError().kind, ReasonKind::SettingsFileUnwritable);
    SetSafeFileFaultHook(nullptr);
    EXPECT_EQ(dir.Read("config/quillmor/registry.reg"), before);
    EXPECT_EQ(dir.Count(), 1u);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, u""), u"前の名前");
}

TEST_F(RegFile, AFileThatCannotBeReadIsNeverReplaced) {
    std::filesystem::create_directories(file);  // a folder where the file should be
    dir.Write("config/quillmor/registry.reg/inside", {1, 2, 3});
    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 4), 4);
    const std::vector<StoreNotice> notices = reg.TakeNotice();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].startsEmpty);
    EXPECT_FALSE(RegWriteValue(reg, HKLM, kKey, u"TabIndex", REG_DWORD_TYPE, 1));
    EXPECT_TRUE(reg.LastError());
    EXPECT_TRUE(reg.TakeNotice().empty());  // the same trouble is told once
    EXPECT_EQ(dir.Read("config/quillmor/registry.reg/inside"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(RegFile, ReadsUtf16WithoutMarkAndUtf8WithMark) {
    const std::u16string text =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tavrel\\Quillmor]\r\n\"Myname\"=\"名前\"\r\n";
    auto utf16 = EncodeRegFileText(text);
    utf16.erase(utf16.begin(), utf16.begin() + 2);
    dir.Write("config/quillmor/registry.reg", utf16);
    RegFileBackend reg(file);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, u""), u"名前");

    auto utf8 = Utf8Bytes("\xEF\xBB\xBF");
    const auto body = Utf16ToUtf8(text);
    utf8.insert(utf8.end(), body.begin(), body.end());
    dir.Write("config/quillmor/registry.reg", utf8);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Myname", REG_SZ_TYPE, u""), u"名前");
    EXPECT_TRUE(reg.SetAsideFile().empty());
}

TEST_F(RegFile, PreferencesRoundTripThroughTheFile) {
    ToolPreferences prefs;
    prefs.TabIndex = 3;
    prefs.Myname = u"ほげ";
    prefs.CaptureInterval = 2500;
    prefs.CapturePath = u"/home/プレイヤー/ピクチャ";
    prefs.CaptureStartSE = u"/usr/share/sounds/a \"b\".wav";
    {
        RegFileBackend reg(file);
        EXPECT_TRUE(SavePreferences(reg, prefs));
    }
    RegFileBackend reg(file);
    EXPECT_EQ(LoadPreferences(reg), prefs);
}

TEST(RegFileDocument, KeepsTrackOfSectionsAcrossSeveralChanges) {
    auto doc = RegFileDocument::Parse(
        u"Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"X\"=dword:00000001\n\n"
        u"[HKEY_LOCAL_MACHINE\\B]\n\"Y\"=dword:00000002\n");
    ASSERT_TRUE(doc);
    RegRawValue three{REG_DWORD_TYPE, {3, 0, 0, 0}};
    doc->Set(u"A", u"New", three);  // inserted before B's lines
    doc->Set(u"B", u"Y", three);
    doc->Set(u"B", u"Z", three);
    EXPECT_EQ(doc->Query(u"B", u"Y")->data, three.data);
    EXPECT_EQ(doc->Query(u"a", u"new")->data, three.data);
    EXPECT_EQ(doc->Serialize(),
              u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"
              u"\"X\"=dword:00000001\r\n\"New\"=dword:00000003\r\n\r\n[HKEY_LOCAL_MACHINE\\B]\r\n"
              u"\"Y\"=dword:00000003\r\n\"Z\"=dword:00000003\r\n");
}

// The import skips what follows a "[" line that names no key; a value set into the key
// above must land before that line, read back after a reparse, and not add a line per save.
TEST(RegFileDocument, ABrokenKeyLineEndsTheKeyForWritingAsForReading) {
    const std::u16string head =
        u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
        u"\"A\"=dword:00000001\r\n";
    for (std::u16string broken : {u"[HKEY_LOCAL_MACHINE\\K", u"[", u"[HKLM\\K] x", u" [junk"}) {
        SCOPED_TRACE(Utf16ToUtf8(broken));
        auto doc = RegFileDocument::Parse(head + broken + u"\r\n\"B\"=dword:00000002\r\n");
        ASSERT_TRUE(doc);
        EXPECT_FALSE(doc->Query(u"K", u"B"));  // as the import would apply it
        const RegRawValue seven{REG_DWORD_TYPE, {7, 0, 0, 0}};
        doc->Set(u"K", u"B", seven);
        doc->Set(u"K", u"C", seven);
        const std::u16string once = doc->Serialize();
        auto again = RegFileDocument::Parse(once);
        ASSERT_TRUE(again);
        for (const char16_t* name : {u"B", u"C"}) {
            auto value = again->Query(u"K", name);
            ASSERT_TRUE(value);
            EXPECT_EQ(value->data, seven.data);
        }
        ASSERT_TRUE(again->Query(u"K", u"A"));
        again->Set(u"K", u"B", seven);
        EXPECT_EQ(again->Serialize(), once);
        EXPECT_LT(once.find(u"\"C\""), once.rfind(broken));
    }
}

// A file cut short inside a byte list ends on a line that still ends with "\": a value
// added after it must not become that list's continuation.
TEST(RegFileDocument, AValueAddedAfterAByteListCutShortReadsBack) {
    const std::u16string head =
        u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
        u"\"Bin\"=hex(7):41,00,\\";
    const RegRawValue five{REG_DWORD_TYPE, {5, 0, 0, 0}};
    for (const char16_t* end : {u"", u"  ", u"\r\n", u" \r\n\r\n"}) {
        SCOPED_TRACE(Utf16ToUtf8(end));
        auto doc = RegFileDocument::Parse(head + end);
        ASSERT_TRUE(doc);
        const auto bin = doc->Query(u"K", u"Bin");
        ASSERT_TRUE(bin);
        for (const char16_t* name : {u"", u"New"}) doc->Set(u"K", name, five);
        doc->Set(u"Other", u"X", five);
        const std::u16string once = doc->Serialize();
        auto again = RegFileDocument::Parse(once);
        ASSERT_TRUE(again);
        for (auto [key, name] : {std::pair{u"K", u""}, {u"K", u"New"}, {u"Other", u"X"}}) {
            auto value = again->Query(key, name);
            ASSERT_TRUE(value) << Utf16ToUtf8(name);
            EXPECT_EQ(value->data, five.data);
        }
        EXPECT_EQ(again->Query(u"K", u"Bin")->data, bin->data);
        again->Set(u"K", u"New", five);
        EXPECT_EQ(again->Serialize(), once);
    }
}

TEST(RegFileDocument, LongByteValuesWrapAndReadBack) {
    RegRawValue bin{3, std::vector<uint8_t>(100, 0xAB)};
    const auto line = RegFileDocument::FormatValueLine(u"Bin", bin);
    EXPECT_NE(line.find(u",\\\r\n  ab"), std::u16string::npos);
    auto doc = RegFileDocument::Parse(u"Windows Registry Editor Version 5.00\r\n[HKLM\\K]\r\n" +
                                      line + u"\r\n\"After\"=dword:00000001\r\n");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Query(u"K", u"Bin")->data, bin.data);
    EXPECT_TRUE(doc->Query(u"K", u"After"));
}

// The registry editor ends a byte-list line with "\" once it reaches 76 characters with
// its comma, and goes on indented by two; the last byte has no comma and never wraps.
TEST_F(RegFile, ByteListsWrapWhereTheRegistryEditorWrapsThem) {
    struct Row {
        const char16_t* name;
        uint32_t type;
        std::vector<std::size_t> bytesPerLine;
    };
    const Row rows[] = {
        {u"Bin", 3, {22}},             // 75 characters: fits
        {u"Bin", 3, {22, 1}},          // the 22nd comma reaches column 76
        {u"Bin", 3, {22, 25, 3}},      // continuation lines hold 25
        {u"Bi", 3, {23, 25}},          // 78 with the comma: one more fits below 76 first
        {u"Q", 0xb, {22, 25, 25, 1}},  // the type's parentheses count too
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> bytes;
        std::vector<std::u16string> expected;
        static constexpr char16_t kHex[] = u"0123456789abcdef";
        for (std::size_t n : row.bytesPerLine) {
            std::u16string line = expected.empty() ? u"" : u"  ";
            for (std::size_t i = 0; i < n; ++i) {
                const auto b = static_cast<uint8_t>(bytes.size() * 37 + 11);
                bytes.push_back(b);
                line += std::u16string{kHex[b >> 4], kHex[b & 15], u','};
            }
            expected.push_back(line + u"\\");
        }
        expected.front().insert(
            0, u"\"" + std::u16string(row.name) + u"\"=" + (row.type == 3 ? u"hex:" : u"hex(b):"));
        expected.back().resize(expected.back().size() - 2);  // no comma, no "\"
        SCOPED_TRACE(Utf16ToUtf8(expected.front()));

        std::filesystem::remove(file);
        RegFileBackend reg(file);
        ASSERT_TRUE(reg.Set(HKLM, kKey, row.name, RegRawValue{row.type, bytes}));
        const auto lines = FileLines(dir, "config/quillmor/registry.reg");
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(std::vector<std::u16string>(lines.begin() + 3, lines.end()), expected);
        for (const auto& line : lines) EXPECT_LE(line.size(), 80u);
        EXPECT_EQ(RegFileBackend(file).Query(HKLM, kKey, row.name)->data, bytes);
    }
}

TEST(RegFileDefaultPath, FollowsTheSettingsFolderOfTheUser) {
    test::ScopedEnv env;
#ifdef _WIN32
    env.Set("APPDATA", "C:\\Users\\p\\AppData\\Roaming");
    EXPECT_EQ(RegFileBackend::DefaultPath(),
              std::filesystem::path(L"C:\\Users\\p\\AppData\\Roaming\\quillmor\\registry.reg"));
    env.Set("APPDATA", "relative");  // not absolute: ignored
    EXPECT_TRUE(RegFileBackend::DefaultPath().empty());
    env.Set("APPDATA", std::nullopt);
#else
    env.Set("HOME", "/home/p");
    env.Set("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(RegFileBackend::DefaultPath(), "/cfg/quillmor/registry.reg");
    env.Set("XDG_CONFIG_HOME", "relative/cfg");  // not absolute: ignored
    EXPECT_EQ(RegFileBackend::DefaultPath(), "/home/p/.config/quillmor/registry.reg");
    env.Set("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(RegFileBackend::DefaultPath(), "/home/p/.config/quillmor/registry.reg");
    env.Set("HOME", std::nullopt);
#endif
    EXPECT_TRUE(RegFileBackend::DefaultPath().empty());
    RegFileBackend nowhere(RegFileBackend::DefaultPath());
    EXPECT_FALSE(RegWriteValue(nowhere, HKLM, kKey, u"A", REG_DWORD_TYPE, 1));
}

}  // namespace
}  // namespace qm
