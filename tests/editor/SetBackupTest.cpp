#include "editor/SetBackup.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "editor/TextForms.h"
#include "macro/Cp932.h"
#include "support/TempDir.h"

namespace qm {
namespace {

using test::TempDir;

std::vector<uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(BackupFile, NamedAfterTheSetNumber) {
    EXPECT_EQ(BackupFileName(0), u"Set1.txt");
    EXPECT_EQ(BackupFileName(2), u"Set3.txt");
    EXPECT_EQ(BackupFileName(9), u"Set10.txt");
}

TEST(BackupFile, EmptySetIs141CrLfPairs) {
    std::vector<uint8_t> bytes = BackupFileBytes(MacroFile{});
    ASSERT_EQ(bytes.size(), 282u);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        EXPECT_EQ(bytes[i], '\r');
        EXPECT_EQ(bytes[i + 1], '\n');
    }
}

TEST(BackupFile, Cp932SetTextAndOneMoreCrLf) {
    TempDir dir;
    MacroFile set;
    StoreFieldText(set.Title(0), u"回復");
    StoreFieldText(set.Line(0, 0), u"/ma \"ケアル\" <t>");
    ASSERT_TRUE(WriteBackupFile(dir.Path("Set3.txt"), set));
    std::vector<uint8_t> bytes = dir.Read("Set3.txt");
    std::vector<uint8_t> expected = Cp932Encode(SetToText(set) + u"\r\n");
    EXPECT_EQ(bytes, expected);
    // 回復 in CP932, no byte-order mark in front.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
              (std::vector<uint8_t>{0x89, 0xf1, 0x95, 0x9c, '\r', '\n'}));
    EXPECT_EQ(bytes.size(), 282u + 4 + 16);

    // Read back and restored into another set, it gives the same fields.
    BackupReadResult read = ReadBackupFile(dir.Path("Set3.txt"));
    ASSERT_EQ(read.error, BackupReadError::None);
    MacroFile other;
    TextToSet(other, read.text);
    EXPECT_EQ(SetToText(other), SetToText(set));
}

TEST(BackupFile, WriteIntoAMissingFolderFailsWithAReason) {
    TempDir dir;
    std::u16string error;
    EXPECT_FALSE(WriteBackupFile(dir.Path("missing/Set1.txt"), MacroFile{}, &error));
    EXPECT_FALSE(error.empty());
}

TEST(BackupRead, InvalidCp932BecomesReplacementCharacters) {
    TempDir dir;
    dir.Write("bad.txt", Bytes("a\x81\r\n\xa0"
                               "b\r\n"));
    BackupReadResult read = ReadBackupFile(dir.Path("bad.txt"));
    ASSERT_EQ(read.error, BackupReadError::None);
    EXPECT_NE(read.text.find(u'\xFFFD'), std::u16string::npos);
    EXPECT_TRUE(read.text.starts_with(u"a"));
    EXPECT_TRUE(read.text.ends_with(u"b\r\n"));
}

TEST(BackupRead, RefusesWhatIsNotASmallReadableFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("folder"));
    EXPECT_EQ(ReadBackupFile(dir.Path("folder")).error, BackupReadError::NotAFile);
    EXPECT_EQ(ReadBackupFile(dir.Path("missing.txt")).error, BackupReadError::Unreadable);
    ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadBackupFile(dir.Path("pipe")).error, BackupReadError::NotAFile);

    dir.Write("limit.txt", std::vector<uint8_t>(kMaxBackupFileSize, '\n'));
    EXPECT_EQ(ReadBackupFile(dir.Path("limit.txt")).error, BackupReadError::None);
    dir.Write("large.txt", std::vector<uint8_t>(kMaxBackupFileSize + 1, '\n'));
    BackupReadResult large = ReadBackupFile(dir.Path("large.txt"));
    EXPECT_EQ(large.error, BackupReadError::TooLarge);
    EXPECT_TRUE(large.text.empty());

    if (::geteuid() != 0) {  // root reads anything
        dir.Write("locked.txt", Bytes("x\r\n"));
        std::filesystem::permissions(dir.Path("locked.txt"), std::filesystem::perms::none);
        EXPECT_EQ(ReadBackupFile(dir.Path("locked.txt")).error, BackupReadError::Unreadable);
    }
    for (auto e : {BackupReadError::NotAFile, BackupReadError::Unreadable,
                   BackupReadError::TooLarge, BackupReadError::NotSetText})
        EXPECT_FALSE(BackupReadErrorText(e).empty());
}

TEST(BackupRead, RefusesTextSavedAsUtf16OrWithAUtf8Mark) {
    TempDir dir;
    dir.Write("utf16.txt", {0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0});
    EXPECT_EQ(ReadBackupFile(dir.Path("utf16.txt")).error, BackupReadError::NotSetText);
    dir.Write("utf16-no-mark.txt", {'a', 0, '\r', 0, '\n', 0});
    EXPECT_EQ(ReadBackupFile(dir.Path("utf16-no-mark.txt")).error, BackupReadError::NotSetText);
    dir.Write("utf8.txt", {0xEF, 0xBB, 0xBF, 'a', '\r', '\n'});
    EXPECT_EQ(ReadBackupFile(dir.Path("utf8.txt")).error, BackupReadError::NotSetText);
    dir.Write("plain.txt", Bytes("a\r\n"));
    EXPECT_EQ(ReadBackupFile(dir.Path("plain.txt")).text, u"a\r\n");
}

}  // namespace
}  // namespace qm
