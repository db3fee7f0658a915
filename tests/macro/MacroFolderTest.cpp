#include "macro/MacroFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "storage/Paths.h"
#include "storage/Utf.h"
#include "support/TempDir.h"

namespace qm {
namespace {

using test::TempDir;

std::vector<uint8_t> Record(const MacroFile& set) {
    MacroFile written = RecordToWrite(set);
    return {written.bytes.begin(), written.bytes.end()};
}

MacroFile SetWithTitle(std::u16string_view title) {
    MacroFile set;
    StoreFieldText(set.Title(4), title);
    return set;
}

std::string Name(int number) {
    return Utf16ToUtf8(MacroFileName(number));
}

// The books start as zeros without being written; copies and moves carry every byte.
TEST(MacroBooks, StartZeroAndCopyWhole) {
    MacroBooks books;
    bool zero = true;
    for (int n = 0; n < kMacroFileCount; ++n)
        for (uint8_t b : books.File(n).bytes) zero = zero && b == 0;
    EXPECT_TRUE(zero);
    books.File(kMacroFileCount - 1).bytes.back() = 7;
    books.File(0) = SetWithTitle(u"ケアル");
    MacroBooks copy;
    copy = books;
    books.File(kMacroFileCount - 1).bytes.back() = 8;
    EXPECT_EQ(copy.File(kMacroFileCount - 1).bytes.back(), 7);
    EXPECT_EQ(Record(copy.File(0)), Record(SetWithTitle(u"ケアル")));
    const MacroBooks moved = std::move(copy);
    EXPECT_EQ(moved.File(kMacroFileCount - 1).bytes.back(), 7);
}

// Book 1 partly there, two files of book 2 (one cut short), book 40 whole, a folder
// where book 6's first file should be; then which files a save writes after edits.
TEST(MacroFolder, ReadsEveryBookAndWritesOnlyWhatChanges) {
    TempDir dir;
    for (int n : {0, 1, 2}) dir.Write("c/" + Name(n), Record(SetWithTitle(u"b1")));
    dir.Write("c/" + Name(10), Record(SetWithTitle(u"b2")));
    std::vector<uint8_t> shortFile = Record(SetWithTitle(u"cut"));
    shortFile.resize(5000);
    dir.Write("c/" + Name(11), shortFile);
    for (int n = 390; n < 400; ++n) dir.Write("c/" + Name(n), Record(SetWithTitle(u"b40")));
    std::filesystem::create_directories(dir.Path("c/" + Name(50)));
    std::vector<uint8_t> wrongDigest = Record(SetWithTitle(u"bad"));
    wrongDigest[8] ^= 1;
    dir.Write("c/" + Name(395), wrongDigest);
    // Names that are none of the 400 files.
    for (const char* other : {"mcr03.dat", "mcr012.dat", "mcr0.dat", "mcr400.dat", "mcr5.dat.bak",
                              "mcrx.dat", "cnf.dat"})
        dir.Write(std::string("c/") + other, Record(SetWithTitle(u"other")));

    MacroFolderContent disk = ReadMacroFolder(dir.Text("c/"));
    for (int n = 0; n < kMacroFileCount; ++n) {
        const bool present = n <= 2 || n == 10 || n == 11 || n >= 390;
        const MacroFileState expected = present   ? MacroFileState::Present
                                        : n == 50 ? MacroFileState::Unreadable
                                                  : MacroFileState::Missing;
        ASSERT_EQ(disk.state[std::size_t(n)], expected) << n;
    }
    EXPECT_EQ(disk.FirstUnreadable(), 50);
    EXPECT_EQ(disk.size[11], 5000);
    EXPECT_EQ(ReadFieldText(disk.books.Book(39)[9].Title(4)), u"b40");
    EXPECT_EQ(ReadFieldText(disk.books.Book(1)[0].Title(4)), u"b2");

    // Unedited: book 1's missing files, the short file, the wrong digest, the folder.
    MacroBooks edited = disk.books;
    const std::vector<int> always = {3, 4, 5, 6, 7, 8, 9, 11, 50, 395};
    EXPECT_EQ(MacroFilesToWrite(edited, disk), always);

    // Edits in a present file, a missing one of book 12, and an empty set left empty by
    // an edit that wrote only the bytes after a field's end.
    StoreFieldText(edited.Book(39)[0].Line(2, 3), u"/p hi");
    StoreFieldText(edited.Book(11)[2].Title(0), u"new");
    edited.File(200).Line(0, 0)[5] = 0x41;
    // A missing set whose only text is the last line of its last macro holds text.
    StoreFieldText(edited.File(150).Line(kMacrosPerSet - 1, kLinesPerMacro - 1), u"/p end");
    std::vector<int> expected = always;
    expected.insert(expected.end() - 1, {112, 150});
    expected.push_back(390);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(MacroFilesToWrite(edited, disk), expected);

    // Into another folder, the files the open folder has are made even when empty.
    MacroFolderContent source;
    source.state[300] = MacroFileState::Present;
    std::vector<int> elsewhere = expected;
    elsewhere.insert(elsewhere.end() - 2, 300);
    EXPECT_EQ(MacroFilesToWrite(edited, disk, &source), elsewhere);

    // What was written no longer counts as changed.
    for (int n : expected) NoteMacroFileWritten(disk, n, RecordToWrite(edited.File(n)));
    EXPECT_EQ(MacroFilesToWrite(edited, disk), std::vector<int>{});
}

// A folder read into the memory of another gives the same as a fresh read, and the
// books taken for editing hold exactly what the new folder holds, whatever the old ones
// held or were edited into.
TEST(MacroFolder, ReadingIntoTheMemoryOfAnotherFolderLeavesNothingOfIt) {
    TempDir dir;
    for (int n : {0, 1, 5, 12, 399}) dir.Write("a/" + Name(n), Record(SetWithTitle(u"a")));
    std::vector<uint8_t> shortFile = Record(SetWithTitle(u"b-cut"));
    shortFile.resize(3000);
    dir.Write("b/" + Name(5), shortFile);  // where folder a has a whole file
    dir.Write("b/" + Name(7), Record(SetWithTitle(u"b")));

    MacroFolderContent content = ReadMacroFolder(dir.Text("a/"));
    MacroBooks edited;
    AdoptFolderBooks(edited, content);
    EXPECT_EQ(ReadFieldText(edited.File(399).Title(4)), u"a");
    StoreFieldText(edited.File(300).Title(0), u"edit");  // a set no folder has

    ReadMacroFolderInto(dir.Text("b/"), content);
    const MacroFolderContent fresh = ReadMacroFolder(dir.Text("b/"));
    EXPECT_EQ(content.state, fresh.state);
    EXPECT_EQ(content.size, fresh.size);
    AdoptFolderBooks(edited, content);
    for (int n = 0; n < kMacroFileCount; ++n) {
        ASSERT_EQ(content.books.File(n).bytes, fresh.books.File(n).bytes) << n;
        ASSERT_EQ(edited.File(n).bytes, fresh.books.File(n).bytes) << n;
    }
    EXPECT_EQ(ReadFieldText(edited.File(5).Title(4)), u"b-cut");
}

// The books taken for editing copy each set only when it is first reached: whatever then
// happens to the folder's content, or to the books themselves, they hold what the folder
// held when they were taken.
TEST(MacroFolder, BooksTakenForEditingKeepWhatTheFolderHeld) {
    TempDir dir;
    for (int n : {0, 9, 10, 399}) dir.Write("a/" + Name(n), Record(SetWithTitle(u"a")));
    dir.Write("b/" + Name(9), Record(SetWithTitle(u"b")));
    const MacroFolderContent a = ReadMacroFolder(dir.Text("a/"));

    using Step = std::function<void(MacroFolderContent&, MacroBooks&)>;
    const std::vector<std::pair<const char*, Step>> steps = {
        {"the content read again from another folder",
         [&](MacroFolderContent& disk, MacroBooks&) { ReadMacroFolderInto(dir.Text("b/"), disk); }},
        {"the content written after a save",
         [](MacroFolderContent& disk, MacroBooks&) {
             NoteMacroFileWritten(disk, 399, SetWithTitle(u"saved"));
         }},
        {"the content swapped away and replaced",
         [&](MacroFolderContent& disk, MacroBooks&) {
             MacroFolderContent other = ReadMacroFolder(dir.Text("b/"));
             std::swap(disk, other);
             ReadMacroFolderInto(dir.Text("a/"), other);
         }},
        {"the content destroyed",
         [](MacroFolderContent& disk, MacroBooks&) {
             auto gone = std::make_unique<MacroFolderContent>(std::move(disk));
             gone.reset();
             disk = MacroFolderContent{};
         }},
        {"the books moved, then the content changed",
         [](MacroFolderContent& disk, MacroBooks& edited) {
             MacroBooks moved = std::move(edited);
             NoteMacroFileWritten(disk, 0, SetWithTitle(u"saved"));
             edited = std::move(moved);
         }},
        {"the books taken again from another content",
         [&](MacroFolderContent&, MacroBooks& edited) {
             const MacroFolderContent b = ReadMacroFolder(dir.Text("b/"));
             AdoptFolderBooks(edited, b);
             ASSERT_EQ(ReadFieldText(edited.File(9).Title(4)), u"b");
             ASSERT_EQ(edited.File(0).bytes, MacroFile{}.bytes);
             edited = a.books;
         }},
    };
    for (const auto& [what, step] : steps) {
        MacroFolderContent disk = a;
        MacroBooks edited;
        StoreFieldText(edited.File(5).Title(0), u"old");  // a set the folder does not have
        AdoptFolderBooks(edited, disk);
        step(disk, edited);
        const MacroBooks copy = edited;
        for (int n = 0; n < kMacroFileCount; ++n) {
            ASSERT_EQ(edited.File(n).bytes, a.books.File(n).bytes) << what << ", set " << n;
            ASSERT_EQ(copy.File(n).bytes, a.books.File(n).bytes) << what << ", set " << n;
        }
    }
}

// A save skips comparing the sets that were not reached since they were read: whatever
// happened to the books or to what the folder held, it names exactly the sets whose
// bytes differ from the folder's (or whose digest there is wrong).
TEST(MacroFolder, SaveNamesEverySetThatDiffersHoweverItChanged) {
    TempDir dir;
    for (int n = 0; n < 30; ++n) dir.Write("a/" + Name(n), Record(SetWithTitle(u"a")));
    std::vector<uint8_t> badDigest = Record(SetWithTitle(u"bad"));
    badDigest[kDigestOffset] ^= 1;
    dir.Write("a/" + Name(30), badDigest);
    for (int n = 0; n < 30; n += 3) dir.Write("b/" + Name(n), Record(SetWithTitle(u"b")));

    using Step = std::function<void(MacroFolderContent&, MacroBooks&)>;
    const std::vector<std::pair<const char*, Step>> steps = {
        {"nothing", [](MacroFolderContent&, MacroBooks&) {}},
        {"a set written", [](MacroFolderContent&, MacroBooks& e) { e.File(3).bytes[200] ^= 1; }},
        {"a set reached, not changed",
         [](MacroFolderContent&, MacroBooks& e) { (void)e.File(4).Title(0); }},
        {"a book written", [](MacroFolderContent&, MacroBooks& e) { e.Book(2)[5].bytes[300] = 9; }},
        {"a set made empty", [](MacroFolderContent&, MacroBooks& e) { e.MakeEmpty(7); }},
        {"written through a reference kept across a copy",
         [](MacroFolderContent&, MacroBooks& e) {
             MacroFile& set = e.File(8);
             const MacroBooks copy = e;
             set.bytes[400] ^= 1;
         }},
        {"the books moved away and back",
         [](MacroFolderContent&, MacroBooks& e) {
             MacroBooks moved = std::move(e);
             moved.File(9).bytes[500] ^= 1;
             e = std::move(moved);
         }},
        {"the books copied from another folder's",
         [&](MacroFolderContent&, MacroBooks& e) { e = ReadMacroFolder(dir.Text("b/")).books; }},
        {"the folder read again after it changed",
         [&](MacroFolderContent& disk, MacroBooks&) {
             dir.Write("a/" + Name(12), Record(SetWithTitle(u"changed")));
             ReadMacroFolderInto(dir.Text("a/"), disk);
         }},
        {"another folder's content put in its place",
         [&](MacroFolderContent& disk, MacroBooks&) { disk = ReadMacroFolder(dir.Text("b/")); }},
        {"a set saved, then written again",
         [](MacroFolderContent& disk, MacroBooks& e) {
             e.File(13).bytes[600] ^= 1;
             NoteMacroFileWritten(disk, 13, RecordToWrite(e.File(13)));
             e.File(13).bytes[600] ^= 1;
         }},
        {"a set saved with other bytes than the books'",
         [](MacroFolderContent& disk, MacroBooks&) {
             NoteMacroFileWritten(disk, 14, RecordToWrite(SetWithTitle(u"other")));
         }},
    };
    for (const auto& [what, step] : steps) {
        MacroFolderContent disk = ReadMacroFolder(dir.Text("a/"));
        MacroBooks edited;
        AdoptFolderBooks(edited, disk);
        (void)MacroFilesToWrite(edited, disk);  // a save before the change
        step(disk, edited);
        // Read only: reaching a set for writing would make the save compare it.
        const MacroBooks& books = edited;
        const MacroFolderContent& held = disk;
        std::vector<int> expected;
        for (int n = 0; n < kMacroFileCount; ++n) {
            const bool present = held.state[std::size_t(n)] == MacroFileState::Present;
            if (present ? books.File(n).bytes != held.books.File(n).bytes ||
                              !held.StoredDigestMatches(n)
                        : n < kSetCount || SetHasContent(books.File(n)))
                expected.push_back(n);
        }
        EXPECT_EQ(MacroFilesToWrite(edited, disk), expected) << what;
    }
}

}  // namespace
}  // namespace qm
