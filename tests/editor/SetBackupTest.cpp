#include "editor/SetBackup.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    EXPECT_EQ(BackupBytesToSet(other, read.bytes).fieldsStored, kFieldsPerSet);
    EXPECT_EQ(other.bytes, set.bytes);
}

// Every byte value, alone and beside CR or LF, in a title and in a line: a backup gives
// the field's bytes back exactly (the game keeps sequences of its own that are no CP932
// text), and a field holding CR LF, which would come back as two, is refused by name.
TEST(BackupFile, EveryByteValueComesBackOrTheFieldIsNamed) {
    TempDir dir;
    for (int b = 1; b < 256; ++b) {
        const uint8_t c = uint8_t(b);
        const std::vector<std::vector<uint8_t>> shapes = {
            {c}, {c, '\n'}, {'\r', c}, {c, c, 'x'}, {'/', 's', ' ', c, 0x02, 0x02, 0xFD}};
        for (const auto& shape : shapes) {
            for (int field : {b % kFieldsPerSet, 7 * (b % 20) + 1 + b % 6, kFieldsPerSet - 1}) {
                if (shape.size() > SetField(MacroFile{}, field).size() - 1) continue;
                MacroFile set;
                ASSERT_TRUE(StoreFieldBytes(SetField(set, field), shape));
                const bool crlf = shape.size() >= 2 &&
                                  ((shape[0] == '\r' && shape[1] == '\n') ||
                                   (shape[1] == '\r' && shape.size() > 2 && shape[2] == '\n'));
                Reason error;
                if (crlf || FieldHoldingLineEnd(set) >= 0) {
                    EXPECT_TRUE(crlf) << b;
                    EXPECT_EQ(FieldHoldingLineEnd(set), field);
                    EXPECT_FALSE(WriteBackupFile(dir.Path("x.txt"), set, &error));
                    EXPECT_EQ(error, (Reason{.kind = ReasonKind::LineEndInField, .number = field}));
                    continue;
                }
                BackupReadResult read =
                    DecodeBackupBytes(BackupFileBytes(set), BackupEncoding::Cp932);
                ASSERT_EQ(read.error, BackupReadError::None) << "byte " << b << " field " << field;
                MacroFile back;
                EXPECT_EQ(BackupBytesToSet(back, read.bytes).fieldsReached, kFieldsPerSet);
                ASSERT_EQ(back.bytes, set.bytes) << "byte " << b << " field " << field;
            }
        }
    }
}

// Bytes the game may hold (no CP932 text) that the reader would take for another
// encoding: a backup starting like a byte-order mark, or reading as UTF-8 text. Such a
// backup is not written at all, rather than written and never restorable; the same
// bytes where they read as neither are exported and come back.
TEST(BackupFile, ASetThatWouldNotReadBackIsNotWritten) {
    TempDir dir;
    struct Case {
        std::vector<uint8_t> bytes;
        int field;
        bool readsBack;
    };
    const std::vector<Case> cases = {
        {{0xFE, 0xFF, 'a'}, 0, false},
        {{0xFF, 0xFE, 'a'}, 0, false},
        {{0xEF, 0xBB, 0xBF, 'a'}, 0, false},
        {{0xEF, 0xBB, 0xBF, 'a'}, 8, false},
        {{0xFE, 0xFF, 'a'}, 1, true},
        {{0xFF, 0xFE, 'a'}, 139, true},
        {{0xEF, 0xBB, 0xBF, 0x82, 0xA0}, 0, false},
    };
    for (const Case& c : cases) {
        MacroFile set;
        ASSERT_TRUE(StoreFieldBytes(SetField(set, c.field), c.bytes));
        EXPECT_EQ(BackupReadsBack(set), c.readsBack) << c.field;
        Reason error;
        std::filesystem::remove(dir.Path("Set1.txt"));
        EXPECT_EQ(WriteBackupFile(dir.Path("Set1.txt"), set, &error), c.readsBack) << c.field;
        if (!c.readsBack) {
            EXPECT_EQ(error.kind, ReasonKind::BackupWouldNotReadBack);
            EXPECT_FALSE(dir.Exists("Set1.txt"));
            continue;
        }
        const BackupReadResult read = ReadBackupFile(dir.Path("Set1.txt"));
        ASSERT_EQ(read.error, BackupReadError::None);
        MacroFile back;
        BackupBytesToSet(back, read.bytes);
        EXPECT_EQ(back.bytes, set.bytes);
    }
}

// A field holding CR LF would come back as two fields: whichever it is, the first one
// included, the backup is not written and the field is named.
TEST(BackupFile, AFieldHoldingALineEndIsNamedAndNothingIsWritten) {
    TempDir dir;
    for (int field : {0, 1, 7, 139}) {
        MacroFile set;
        ASSERT_TRUE(StoreFieldBytes(SetField(set, field), Bytes("a\r\nb")));
        EXPECT_EQ(FieldHoldingLineEnd(set), field);
        Reason error;
        EXPECT_FALSE(WriteBackupFile(dir.Path("Set1.txt"), set, &error)) << field;
        EXPECT_EQ(error, (Reason{.kind = ReasonKind::LineEndInField, .number = field}));
        EXPECT_FALSE(dir.Exists("Set1.txt"));
    }
    EXPECT_EQ(FieldHoldingLineEnd(MacroFile{}), -1);
}

TEST(BackupFile, WriteIntoAMissingFolderFailsWithAReason) {
    TempDir dir;
    Reason error;
    EXPECT_FALSE(WriteBackupFile(dir.Path("missing/Set1.txt"), MacroFile{}, &error));
    EXPECT_EQ(error.kind, ReasonKind::File);
    EXPECT_EQ(ClassifyFileError(error.cause), FileProblem::NoFolder);
}

TEST(BackupRead, RefusesWhatIsNotASmallReadableFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("folder"));
    EXPECT_EQ(ReadBackupFile(dir.Path("folder")).error, BackupReadError::NotAFile);
    EXPECT_EQ(ReadBackupFile(dir.Path("missing.txt")).error, BackupReadError::Unreadable);
#ifndef _WIN32  // a named pipe in a folder is a POSIX thing
    ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadBackupFile(dir.Path("pipe")).error, BackupReadError::NotAFile);
#endif

    dir.Write("limit.txt", [] {
        std::vector<uint8_t> lineEnds;
        while (lineEnds.size() < kMaxBackupFileSize) lineEnds.insert(lineEnds.end(), {'\r', '\n'});
        return lineEnds;
    }());
    EXPECT_EQ(ReadBackupFile(dir.Path("limit.txt")).error, BackupReadError::None);
    dir.Write("large.txt", std::vector<uint8_t>(kMaxBackupFileSize + 1, '\n'));
    BackupReadResult large = ReadBackupFile(dir.Path("large.txt"));
    EXPECT_EQ(large.error, BackupReadError::TooLarge);
    EXPECT_TRUE(large.bytes.empty());

#ifndef _WIN32               // Windows has no permission bits that forbid reading
    if (::geteuid() != 0) {  // root reads anything
        dir.Write("locked.txt", Bytes("x\r\n"));
        std::filesystem::permissions(dir.Path("locked.txt"), std::filesystem::perms::none);
        EXPECT_EQ(ReadBackupFile(dir.Path("locked.txt")).error, BackupReadError::Unreadable);
    }
#endif
}

// The content rules the window's drop and the command line share.
TEST(BackupRead, RefusesWhatIsNoCp932SetText) {
    const struct {
        std::vector<uint8_t> bytes;
        BackupReadError error;
    } cases[] = {
        {{0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0}, BackupReadError::NotSetText},  // UTF-16
        {{0xFE, 0xFF, 0, 'a', 0, '\r', 0, '\n'}, BackupReadError::NotSetText},
        {{'a', 0, '\r', 0, '\n', 0}, BackupReadError::NotSetText},  // UTF-16, no mark
        {{0xEF, 0xBB, 0xBF, 'a', '\r', '\n'}, BackupReadError::NotSetText},
        {{0xEF, 0xBB, 0xBF, 0x82, 0xA0, '\r', '\n'}, BackupReadError::NotSetText},  // then CP932
        {Bytes("\xE3\x81\x82\r\n"), BackupReadError::NotSetText},  // UTF-8 without a mark
        {Bytes("a\nb\nc\n"), BackupReadError::NoField},            // LF only: no field reached
        {Bytes("no line end"), BackupReadError::NoField},
        {{}, BackupReadError::NoField},
        {Bytes("a\r\n"), BackupReadError::None},
        {Bytes("\x82\xA0\r\n\xFD\x02\r\n"), BackupReadError::None},  // CP932, game bytes
    };
    TempDir dir;
    for (const auto& c : cases) {
        dir.Write("b.txt", c.bytes);
        BackupReadResult read = ReadBackupFile(dir.Path("b.txt"));
        EXPECT_EQ(read.error, c.error) << std::string(c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(read.bytes, c.error == BackupReadError::None ? c.bytes : std::vector<uint8_t>{});
    }
    // UTF-8 for the command line: LF or CR LF line ends, "?" for what CP932 lacks.
    BackupReadResult utf8 = DecodeBackupBytes(Bytes("\xEF\xBB\xBF\xE3\x81\x82\n\xE2\x82\xAC\r\n"),
                                              BackupEncoding::Utf8);
    ASSERT_EQ(utf8.error, BackupReadError::None);
    EXPECT_EQ(utf8.bytes, Bytes("\x82\xA0\r\n?\r\n"));
    EXPECT_EQ(utf8.replacedFields, std::vector<int>{1});
    EXPECT_EQ(DecodeBackupBytes(Bytes("\xFF\r\n"), BackupEncoding::Utf8).error,
              BackupReadError::NotSetText);
}

}  // namespace
}  // namespace qm
