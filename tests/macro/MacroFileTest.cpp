#include "macro/MacroFile.h"

#include <gtest/gtest.h>

#include <fstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "macro/AcqNames.h"
#include "macro/Cp932.h"
#include "macro/Md5.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "support/TempDir.h"

namespace qm {
namespace {

using test::TempDir;

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(MacroFileName, NamesTheFilesOfEveryBook) {
    EXPECT_EQ(MacroFileName(0), u"mcr.dat");
    EXPECT_EQ(MacroFileName(1), u"mcr1.dat");
    EXPECT_EQ(MacroFileName(9), u"mcr9.dat");
    EXPECT_EQ(MacroFileName(10), u"mcr10.dat");    // book 2, set 1
    EXPECT_EQ(MacroFileName(100), u"mcr100.dat");  // book 11, set 1
    EXPECT_EQ(MacroFileName(112), u"mcr112.dat");  // book 12, set 3
    EXPECT_EQ(MacroFileName(399), u"mcr399.dat");  // book 40, set 10
}

TEST(MacroFileLayout, FieldsSitAtTheirOffsets) {
    MacroFile f;
    EXPECT_EQ(f.Line(0, 0).data() - f.bytes.data(), 28);
    EXPECT_EQ(f.Line(19, 5).data() - f.bytes.data(), 28 + 380 * 19 + 61 * 5);
    EXPECT_EQ(f.Title(3).data() - f.bytes.data(), 394 + 380 * 3);
    EXPECT_EQ(f.Title(19).size(), 9u);
}

TEST(FieldText, TitleAndLineCapacities) {
    MacroFile f;
    EXPECT_TRUE(StoreFieldText(f.Title(0), u"ケアル４"));  // 8 bytes
    EXPECT_EQ(f.Title(0)[8], 0);
    EXPECT_EQ(ReadFieldText(f.Title(0)), u"ケアル４");
    EXPECT_FALSE(StoreFieldText(f.Title(0), u"ケアル４a"));  // 9 bytes: field unchanged
    EXPECT_EQ(ReadFieldText(f.Title(0)), u"ケアル４");

    std::u16string sixty(30, u'あ');
    EXPECT_TRUE(StoreFieldText(f.Line(0, 0), sixty));
    EXPECT_EQ(f.Line(0, 0)[60], 0);
    EXPECT_EQ(ReadFieldText(f.Line(0, 0)), sixty);
    EXPECT_FALSE(StoreFieldText(f.Line(0, 1), sixty + u"x"));  // 61 bytes
    EXPECT_EQ(ReadFieldText(f.Line(0, 1)), u"");
}

TEST(FieldText, ShorterTextKeepsOldBytesAfterItsZero) {
    MacroFile f;
    ASSERT_TRUE(StoreFieldText(f.Line(2, 0), u"abcdefg"));
    ASSERT_TRUE(StoreFieldText(f.Line(2, 0), u"xy"));
    auto field = f.Line(2, 0);
    EXPECT_EQ(std::vector<uint8_t>(field.begin(), field.begin() + 8),
              (std::vector<uint8_t>{'x', 'y', 0, 'd', 'e', 'f', 'g', 0}));
    EXPECT_EQ(ReadFieldText(field), u"xy");
    // The leftover bytes are part of the digest.
    MacroFile other;
    ASSERT_TRUE(StoreFieldText(other.Line(2, 0), u"xy"));
    UpdateMacroDigest(f);
    UpdateMacroDigest(other);
    EXPECT_NE(f.StoredDigest()[0] + 256 * f.StoredDigest()[1],
              other.StoredDigest()[0] + 256 * other.StoredDigest()[1]);
    // Clearing writes one zero byte.
    ASSERT_TRUE(StoreFieldText(field, u""));
    EXPECT_EQ(field[0], 0);
    EXPECT_EQ(field[1], 'y');
}

TEST(FieldText, FieldWithoutZeroReadsFullWidthAndBadBytesDoNotCrash) {
    MacroFile f;
    std::fill(f.Title(0).begin(), f.Title(0).end(), uint8_t('A'));
    EXPECT_EQ(ReadFieldText(f.Title(0)), std::u16string(9, u'A'));
    auto line = f.Line(0, 0);
    line[0] = 0x82;  // a lead byte followed by the terminator
    line[1] = 0;
    EXPECT_EQ(ReadFieldText(line), u"\u27E682\u27E7");
}

TEST(FileExistsTest, FoldersAndWildcardsAreNotFiles) {
    TempDir dir;
    dir.Write("a.dat", Bytes("x"));
    EXPECT_TRUE(FileExists(dir.Text("a.dat")));
    EXPECT_FALSE(FileExists(dir.Text("")));
    EXPECT_FALSE(FileExists(dir.Text("missing.dat")));
    EXPECT_FALSE(FileExists(dir.Text("a.da?")));
    EXPECT_FALSE(FileExists(dir.Text("*.dat")));
    EXPECT_FALSE(FileExists(u""));
}

class MacroFileIo : public ::testing::Test {
  protected:
    TempDir dir;
    std::u16string folder = dir.Text("");
};

TEST_F(MacroFileIo, MissingFileReadsAsZeros) {
    MacroFile f = ReadMacroFile(folder, u"mcr.dat");
    for (uint8_t b : f.bytes) ASSERT_EQ(b, 0);
    EXPECT_TRUE(MacroDigestMismatch(f));  // a zero digest never matches
}

TEST_F(MacroFileIo, UneditedRoundTripIsByteIdentical) {
    MacroFile f;
    for (int i = 0; i < 8; ++i) f.bytes[i] = uint8_t(0xA0 + i);  // reserved bytes kept
    StoreFieldText(f.Title(0), u"回復");
    StoreFieldText(f.Line(0, 0), u"/ma ケアル <t>");
    f.bytes[24] = 7;  // reserved byte of macro 1
    UpdateMacroDigest(f);
    std::vector<uint8_t> original(f.bytes.begin(), f.bytes.end());
    dir.Write("mcr.dat", original);

    MacroFile read = ReadMacroFile(folder, u"mcr.dat");
    EXPECT_FALSE(MacroDigestMismatch(read));
    ASSERT_TRUE(WriteMacroFile(folder + u"mcr.dat", read));
    EXPECT_EQ(dir.Read("mcr.dat"), original);
}

TEST_F(MacroFileIo, ShortFileReadsPartlyAndMismatches) {
    dir.Write("mcr.dat", std::vector<uint8_t>(100, 1));
    MacroFile f = ReadMacroFile(folder, u"mcr.dat");
    EXPECT_EQ(f.bytes[99], 1);
    EXPECT_EQ(f.bytes[100], 0);
    EXPECT_TRUE(MacroDigestMismatch(f));
}

TEST_F(MacroFileIo, LongFileKeepsItsTailAfterWrite) {
    std::vector<uint8_t> content(9000);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = uint8_t(i * 7);
    dir.Write("mcr3.dat", content);
    MacroFile f = ReadMacroFile(folder, u"mcr3.dat");
    StoreFieldText(f.Title(5), u"new");
    ASSERT_TRUE(WriteMacroFile(folder + u"mcr3.dat", f));
    std::vector<uint8_t> written = dir.Read("mcr3.dat");
    ASSERT_EQ(written.size(), 9000u);
    EXPECT_TRUE(std::equal(written.begin() + 7624, written.end(), content.begin() + 7624));
    // Against the original bytes, not the program's own reading of them: only the digest
    // and the new title differ, up to the record's last byte.
    const std::size_t title = 394 + 380 * 5;
    for (std::size_t i = 0; i < 7624; ++i) {
        if ((i >= 8 && i < 24) || (i >= title && i < title + 4)) continue;
        ASSERT_EQ(written[i], content[i]) << "byte " << i;
    }
    MacroFile again = ReadMacroFile(folder, u"mcr3.dat");
    EXPECT_FALSE(MacroDigestMismatch(again));
    EXPECT_EQ(ReadFieldText(again.Title(5)), u"new");
}

TEST_F(MacroFileIo, AFileOverAMebibytePastTheRecordIsNoMacroFile) {
    for (std::size_t size : {kMaxMacroFileSize, kMaxMacroFileSize + 1}) {
        dir.Write("mcr.dat", std::vector<uint8_t>(100, 1));
        std::filesystem::resize_file(dir.Path("mcr.dat"), size);
        std::error_code error;
        MacroFile f = ReadMacroFile(folder, u"mcr.dat", &error);
        EXPECT_EQ(!error, size == kMaxMacroFileSize) << size;
        EXPECT_EQ(f.bytes[0], size == kMaxMacroFileSize ? 1 : 0);
    }
}

TEST_F(MacroFileIo, InterruptedWriteLeavesOldFileIntact) {
    std::vector<uint8_t> old(7624, 0x55);
    dir.Write("mcr.dat", old);
    MacroFile f;
    StoreFieldText(f.Title(0), u"x");
    SetSafeFileFaultHook([](const std::filesystem::path&) { return false; });
    Reason error;
    EXPECT_FALSE(WriteMacroFile(folder + u"mcr.dat", f, &error));
    SetSafeFileFaultHook(nullptr);
    EXPECT_EQ(error.kind, ReasonKind::File);
    EXPECT_EQ(dir.Read("mcr.dat"), old);
    EXPECT_EQ(dir.Count(), 1u);  // no temporary file left behind
}

TEST_F(MacroFileIo, ReplacedFileKeepsItsModeAndLink) {
#ifdef _WIN32
    // Mode bits are POSIX's, and Wine makes no symbolic links to follow; the marks that
    // Windows keeps on a file stay.
    dir.Write("mcr.dat", std::vector<uint8_t>(7624, 1));
    const DWORD marks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(dir.Path("mcr.dat").c_str(), marks));
    MacroFile f;
    ASSERT_TRUE(WriteMacroFile(folder + u"mcr.dat", f));
    EXPECT_EQ(dir.Read("mcr.dat")[0], 0);
    EXPECT_EQ(GetFileAttributesW(dir.Path("mcr.dat").c_str()) & (marks | FILE_ATTRIBUTE_READONLY),
              marks);
#else
    MacroFile f;
    dir.Write("shared/mcr.dat", std::vector<uint8_t>(7624, 1));
    std::filesystem::create_symlink(dir.Path("shared/mcr.dat"), dir.Path("mcr.dat"));
    std::filesystem::permissions(dir.Path("shared/mcr.dat"), std::filesystem::perms(0664));
    ::umask(022);
    ASSERT_TRUE(WriteMacroFile(folder + u"mcr.dat", f));
    // The link still points at the shared file, which got the new bytes and kept its mode.
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("mcr.dat")));
    EXPECT_EQ(dir.Read("shared/mcr.dat")[0], 0);
    EXPECT_EQ(std::filesystem::status(dir.Path("shared/mcr.dat")).permissions(),
              std::filesystem::perms(0664));
#endif
}

TEST_F(MacroFileIo, ReadOnlyFileIsLeftAlone) {
    // Even for an account that could replace it (the folder is writable).
    dir.Write("mcr.dat", std::vector<uint8_t>(7624, 1));
    std::filesystem::permissions(dir.Path("mcr.dat"),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    MacroFile f;
    StoreFieldText(f.Title(0), u"x");
    Reason error;
    EXPECT_FALSE(WriteMacroFile(folder + u"mcr.dat", f, &error));
    EXPECT_EQ(error.kind, ReasonKind::File);
    EXPECT_EQ(dir.Read("mcr.dat"), std::vector<uint8_t>(7624, 1));
    EXPECT_EQ(dir.Count(), 1u);
}

#ifdef _WIN32
// The game keeps its files open while it runs; Windows then refuses the replacement.
TEST_F(MacroFileIo, FileHeldOpenByAnotherProgramIsLeftAloneWithTheReason) {
    dir.Write("mcr.dat", std::vector<uint8_t>(7624, 1));
    HANDLE held = CreateFileW(dir.Path("mcr.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    MacroFile f;
    Reason error;
    EXPECT_FALSE(WriteMacroFile(folder + u"mcr.dat", f, &error));
    CloseHandle(held);
    EXPECT_EQ(ClassifyFileError(error.cause), FileProblem::InUse);
    EXPECT_EQ(dir.Read("mcr.dat"), std::vector<uint8_t>(7624, 1));
    EXPECT_EQ(dir.Count(), 1u);
}
#endif

TEST(FieldText, UntouchedBoxTextKeepsBytesThatDoNotDecodeBack) {
    MacroFile f;
    auto line = f.Line(0, 0);
    const uint8_t game[] = {'/', 's', ' ', 0xFD, 0x02, 0x02, 0x01, 0x0E, 0xFD};  // not CP932 text
    std::copy(std::begin(game), std::end(game), line.begin());
    std::vector<uint8_t> before(line.begin(), line.end());
    EXPECT_TRUE(StoreEditedText(line, ReadFieldText(line)));
    EXPECT_EQ(std::vector<uint8_t>(line.begin(), line.end()), before);
    EXPECT_TRUE(StoreEditedText(line, u"/s hi"));
    EXPECT_EQ(ReadFieldText(line), u"/s hi");
}

TEST_F(MacroFileIo, WriteIntoMissingFolderFailsWithReason) {
    MacroFile f;
    Reason error;
    EXPECT_FALSE(WriteMacroFile(folder + u"nope/mcr.dat", f, &error));
    EXPECT_EQ(error.kind, ReasonKind::File);
}

TEST_F(MacroFileIo, AcqNamesKeepOneExtraEntry) {
    EXPECT_TRUE(ReadAcqNames(folder).empty());
    std::vector<uint8_t> content(24 + 16 * 3, 0);
    for (int k = 0; k < 3; ++k) content[24 + 16 * k] = uint8_t('A' + k);
    dir.Write("acq.dat", content);
    AcqNames names = ReadAcqNames(folder);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[2][0], 'C');
    EXPECT_EQ(names[3], AcqEntry{});

    content.push_back('Z');  // an incomplete fifth entry
    dir.Write("acq.dat", content);
    names = ReadAcqNames(folder);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[3][0], 'Z');

    dir.Write("acq.dat", std::vector<uint8_t>(24, 1));  // header only
    EXPECT_EQ(ReadAcqNames(folder).size(), 1u);
}

TEST_F(MacroFileIo, HugeAcqFileIsCapped) {
    dir.Write("acq.dat", std::vector<uint8_t>(3 << 20, 'n'));
    AcqNames names = ReadAcqNames(folder);
    EXPECT_LE(names.size() * 16, kAcqReadLimit + 16);
}

}  // namespace
}  // namespace qm
