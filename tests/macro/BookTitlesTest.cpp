#include "macro/BookTitles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "macro/Cp932.h"
#include "macro/MacroFolder.h"
#include "storage/SavePlan.h"
#include "support/ReasonText.h"
#include "support/TempDir.h"

namespace qm {
namespace {

using test::TempDir;

// A title file as the game writes it: reserved 01 00 ..., digest, the given fields.
std::vector<uint8_t> TitleFileBytes(
    const std::vector<std::pair<int, std::vector<uint8_t>>>& fields) {
    TitleFile file;
    file.bytes[0] = 1;
    for (const auto& [slot, bytes] : fields)
        std::copy(bytes.begin(), bytes.end(), file.Field(slot).begin());
    UpdateTitleDigest(file);
    return {file.bytes.begin(), file.bytes.end()};
}

std::vector<uint8_t> Cp932(std::u16string_view text) {
    return Cp932Encode(text);
}

SaveReport Save(const TempDir& dir, BookTitles& titles) {
    SavePlan plan;
    PlanBookTitles(plan, dir.Path("c"), titles);
    return plan.Run();
}

// Both halves read; a 15-byte and a double-byte title; a field with bytes after its 0.
TEST(BookTitles, ReadsBothFiles) {
    TempDir dir;
    std::vector<uint8_t> tail = {'A', 'B', 0, 'X', 'Y', 'Z'};
    dir.Write("c/mcr.ttl",
              TitleFileBytes({{0, Cp932(u"123456789012345")}, {2, Cp932(u"白魔道士")}}));
    dir.Write("c/mcr_2.ttl", TitleFileBytes({{2, tail}, {19, Cp932(u"ＢＬＭ予備")}}));
    const BookTitles titles = ReadBookTitles(dir.Path("c"));
    EXPECT_EQ(titles.disk[0].state, TitleFileState::Present);
    EXPECT_EQ(titles.disk[1].state, TitleFileState::Present);
    EXPECT_EQ(titles.Title(0), u"123456789012345");
    EXPECT_EQ(titles.Title(1), u"");
    EXPECT_EQ(titles.Title(2), u"白魔道士");
    EXPECT_EQ(titles.Title(22), u"AB");
    EXPECT_EQ(titles.Title(39), u"ＢＬＭ予備");
    EXPECT_TRUE(titles.UnknownFiles().empty());
    EXPECT_TRUE(TitleFilesToWrite(titles).empty());
}

// Renaming book 23 writes mcr_2.ttl alone, and in it only that field (text and one 0)
// and the digest; the old bytes after the 0 stay.
TEST(BookTitles, WritesOneFieldAndTheDigest) {
    TempDir dir;
    std::vector<uint8_t> field(16, 0);
    const std::string old = "ABCDEFGHIJ";
    std::copy(old.begin(), old.end(), field.begin());
    const std::vector<uint8_t> first = TitleFileBytes({{0, Cp932(u"白")}});
    const std::vector<uint8_t> before = TitleFileBytes({{2, field}, {3, Cp932(u"WHM")}});
    dir.Write("c/mcr.ttl", first);
    dir.Write("c/mcr_2.ttl", before);
    const auto stamp = std::filesystem::last_write_time(dir.Path("c/mcr.ttl"));
    BookTitles titles = ReadBookTitles(dir.Path("c"));
    ASSERT_EQ(titles.SetTitle(22, u"黒"), TitleChange::Stored);
    EXPECT_EQ(TitleFilesToWrite(titles), std::vector<int>{1});
    const SaveReport report = Save(dir, titles);
    ASSERT_TRUE(report.AllSaved()) << test::Describe(report.reason);
    EXPECT_EQ(report.saved, std::vector<std::u16string>{u"mcr_2.ttl"});
    EXPECT_EQ(dir.Read("c/mcr.ttl"), first);
    EXPECT_EQ(std::filesystem::last_write_time(dir.Path("c/mcr.ttl")), stamp);

    const std::vector<uint8_t> after = dir.Read("c/mcr_2.ttl");
    ASSERT_EQ(after.size(), kTitleFileSize);
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i]) changed.push_back(i);
    const std::size_t at = kTitleBlockOffset + 2 * kBookTitleFieldSize;
    for (std::size_t i : changed)
        EXPECT_TRUE((i >= 8 && i < 24) || (i >= at && i < at + 3)) << "byte " << i;
    EXPECT_EQ(
        std::vector<uint8_t>(after.begin() + long(at), after.begin() + long(at) + 16),
        (std::vector<uint8_t>{0x8D, 0x95, 0, 'D', 'E', 'F', 'G', 'H', 'I', 'J', 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ReadBookTitles(dir.Path("c")).Title(22), u"黒");
    // Saved: nothing more to write.
    EXPECT_TRUE(TitleFilesToWrite(titles).empty());
}

// A file whose digest or size is off is neither shown nor written; a missing one reads as
// untitled and is made only once a book of its half is named.
TEST(BookTitles, RefusesFilesOfAnotherLayout) {
    const std::vector<uint8_t> good = TitleFileBytes({{1, Cp932(u"WHM")}});
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;  // empty: no file
        TitleFileState state;
    };
    std::vector<uint8_t> changedByte = good, shorter = good, longer = good, stampOnly = good;
    changedByte[kTitleBlockOffset + 40] ^= 1;
    shorter.pop_back();
    longer.push_back(0);
    stampOnly[kDigestOffset] ^= 0x80;
    const Case cases[] = {
        {"a changed title byte", changedByte, TitleFileState::WrongDigest},
        {"a changed digest byte", stampOnly, TitleFileState::WrongDigest},
        {"343 bytes", shorter, TitleFileState::WrongSize},
        {"345 bytes", longer, TitleFileState::WrongSize},
        {"no file", {}, TitleFileState::Missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.Write("c/acq.dat", {});
        if (!c.bytes.empty()) dir.Write("c/mcr_2.ttl", c.bytes);
        BookTitles titles = ReadBookTitles(dir.Path("c"));
        EXPECT_EQ(titles.disk[1].state, c.state);
        EXPECT_EQ(titles.disk[0].state, TitleFileState::Missing);
        EXPECT_EQ(titles.Title(21), u"");
        const bool missing = c.state == TitleFileState::Missing;
        EXPECT_EQ(titles.UnknownFiles(), missing ? std::vector<int>{} : std::vector<int>{1});
        EXPECT_EQ(titles.SetTitle(25, u"RDM"),
                  missing ? TitleChange::Stored : TitleChange::Unknown);
        ASSERT_TRUE(Save(dir, titles).AllSaved());
        EXPECT_FALSE(dir.Exists("c/mcr.ttl"));
        if (missing) {
            // Made with the game's reserved bytes, as the folder has no mcr.dat.
            const std::vector<uint8_t> made = dir.Read("c/mcr_2.ttl");
            EXPECT_EQ(made, TitleFileBytes({{5, Cp932(u"RDM")}}));
        } else {
            EXPECT_EQ(dir.Read("c/mcr_2.ttl"), c.bytes);
        }
    }
}

// Something by that name that is no file is never opened nor replaced.
TEST(BookTitles, WhatIsNoFileIsLeftAlone) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path("c/mcr.ttl"));
    BookTitles titles = ReadBookTitles(dir.Path("c"));
    EXPECT_EQ(titles.disk[0].state, TitleFileState::Unreadable);
    EXPECT_EQ(titles.SetTitle(0, u"x"), TitleChange::Unknown);
    EXPECT_TRUE(TitleFilesToWrite(titles).empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("c/mcr.ttl")));
}

// A new file takes mcr.dat's reserved bytes; a title named and taken back makes no file;
// a title over 15 bytes leaves the field alone.
TEST(BookTitles, NewFilesAndLimits) {
    TempDir dir;
    MacroFile mcr;
    for (int i = 0; i < 8; ++i) mcr.bytes[std::size_t(i)] = uint8_t(0x10 + i);
    const MacroFile stamped = RecordToWrite(mcr);
    dir.Write("c/mcr.dat", {stamped.bytes.begin(), stamped.bytes.end()});
    BookTitles titles = ReadBookTitles(dir.Path("c"));
    EXPECT_EQ(titles.SetTitle(3, u"1234567890123456"), TitleChange::TooLong);
    EXPECT_EQ(titles.SetTitle(3, u"白魔道士白魔道士"), TitleChange::TooLong);  // 16 bytes
    EXPECT_EQ(titles.SetTitle(40, u"x"), TitleChange::BadBook);
    EXPECT_EQ(titles.SetTitle(30, u"x"), TitleChange::Stored);
    EXPECT_EQ(titles.SetTitle(30, u""), TitleChange::Stored);
    EXPECT_TRUE(TitleFilesToWrite(titles).empty());
    EXPECT_EQ(titles.SetTitle(3, u"白魔道士白魔道"), TitleChange::Stored);  // 14 bytes
    ASSERT_TRUE(Save(dir, titles).AllSaved());
    const std::vector<uint8_t> made = dir.Read("c/mcr.ttl");
    ASSERT_EQ(made.size(), kTitleFileSize);
    EXPECT_TRUE(std::equal(made.begin(), made.begin() + 8, stamped.bytes.begin()));
    EXPECT_FALSE(dir.Exists("c/mcr_2.ttl"));
    // Read with the macro files already read, the same reserved bytes.
    const MacroFolderContent content = ReadMacroFolder(dir.Text("c/"));
    std::filesystem::remove(dir.Path("c/mcr.ttl"));
    EXPECT_EQ(ReadBookTitles(dir.Path("c"), &content).edited[1].bytes[3], 0x13);
}

// Save As into a folder whose title file is of another layout refuses the whole save
// rather than write over it.
TEST(BookTitles, SaveElsewhereRefusesAnUnknownFile) {
    TempDir dir;
    dir.Write("a/mcr.ttl", TitleFileBytes({{0, Cp932(u"A")}}));
    std::vector<uint8_t> odd(100, 7);
    dir.Write("b/mcr.ttl", odd);
    BookTitles titles = ReadBookTitles(dir.Path("a"));
    const BookTitles there = ReadBookTitles(dir.Path("b"));
    SavePlan plan;
    PlanBookTitles(plan, dir.Path("b"), titles, &there.disk);
    EXPECT_EQ(plan.Run().outcome, SaveReport::Outcome::Refused);
    EXPECT_EQ(dir.Read("b/mcr.ttl"), odd);
    // Into an empty folder the file is made.
    std::filesystem::create_directories(dir.Path("e"));
    const BookTitles empty = ReadBookTitles(dir.Path("e"));
    SavePlan copy;
    PlanBookTitles(copy, dir.Path("e"), titles, &empty.disk);
    ASSERT_TRUE(copy.Run().AllSaved());
    EXPECT_EQ(dir.Read("e/mcr.ttl"), dir.Read("a/mcr.ttl"));
    EXPECT_EQ(titles.disk[0].state, TitleFileState::Present);
}

}  // namespace
}  // namespace qm
