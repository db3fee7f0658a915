#include "document/CharacterDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/FaultyFileSystem.h"
#include "storage/SavePlan.h"
#include "storage/Utf.h"
#include "support/ReasonText.h"
#include "support/TempDir.h"

namespace qm {
namespace {

using test::TempDir;

std::vector<uint8_t> Written(const MacroFile& set) {
    const MacroFile record = RecordToWrite(set);
    return {record.bytes.begin(), record.bytes.end()};
}

// A character folder: mcr.dat with a title and reserved bytes, book 2's first set with
// bytes after a field's zero, a 300-byte cnf.dat.
class Folder : public ::testing::Test {
  protected:
    void SetUp() override {
        MacroFile first;
        first.bytes[3] = 0xAB;  // reserved
        StoreFieldText(first.Title(0), u"ケアル");
        StoreFieldText(first.Line(0, 0), u"/ma \"ケアル\" <t>");
        dir_.Write("mcr.dat", Written(first));
        MacroFile second;
        StoreFieldText(second.Line(2, 1), u"abcdefgh");
        StoreFieldText(second.Line(2, 1), u"xy");  // "xy\0defgh\0"
        dir_.Write("mcr10.dat", Written(second));
        std::vector<uint8_t> cnf(300, 0);
        cnf[250] = 9;
        dir_.Write("cnf.dat", cnf);
    }
    std::unique_ptr<CharacterDocument> Open() {
        auto opened = CharacterDocument::Open(dir_.Text(""), [this] { return now_; });
        EXPECT_FALSE(opened.error);
        return std::move(opened.document);
    }
    std::vector<uint8_t> Disk(const std::string& name) const {
        std::ifstream in(dir_.Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TempDir dir_;
    int64_t now_ = 0;
};

TEST_F(Folder, OpensWithWhatTheDiskHeldAndReportsWhyItCannot) {
    auto doc = Open();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->FieldText({0, 0, 0, 0}), u"ケアル");
    EXPECT_EQ(doc->FieldText({1, 0, 2, 2}), u"xy");
    EXPECT_EQ(doc->Set(0, 0).bytes[3], 0xAB);
    EXPECT_FALSE(doc->IncompatibleMacro());
    EXPECT_FALSE(doc->HadNoMacroFiles());
    EXPECT_FALSE(doc->Modified());
    EXPECT_EQ(doc->OnDisk().state[10], MacroFileState::Present);

    // A folder with a folder where a macro file should be does not open: saving it would
    // lose what could not be read.
    std::filesystem::create_directory(dir_.Path("mcr3.dat"));
    auto bad = CharacterDocument::Open(dir_.Text(""));
    ASSERT_TRUE(bad.error);
    EXPECT_FALSE(bad.document);
    EXPECT_EQ(bad.error->kind, OpenError::Kind::MacroFileUnreadable);
    EXPECT_EQ(bad.error->file, 3);
    EXPECT_EQ(bad.error->problem.kind, MacroFileProblem::Kind::Folder);
    EXPECT_EQ(CharacterDocument::Open(dir_.Text("nowhere")).error->kind,
              OpenError::Kind::NotAFolder);

    // A folder that cannot be listed: its files are found by name, not taken as missing.
    // When its names cannot be looked up either, it does not open: shown empty, it
    // would be saved over.
    std::filesystem::remove(dir_.Path("mcr3.dat"));
    const std::error_code denied = std::make_error_code(std::errc::permission_denied);
    for (const bool lookups : {false, true}) {
        FaultyFileSystem faulty;
        faulty.FailFolderReads(denied, lookups ? denied : std::error_code());
        const ScopedFileSystem use(faulty);
        auto unlisted = CharacterDocument::Open(dir_.Text(""));
        if (!lookups) {
            ASSERT_TRUE(unlisted.document);
            EXPECT_EQ(unlisted.document->FieldText({0, 0, 0, 0}), u"ケアル");
            EXPECT_EQ(unlisted.document->OnDisk().state, doc->OnDisk().state);
            continue;
        }
        ASSERT_TRUE(unlisted.error);
        EXPECT_FALSE(unlisted.document);
        EXPECT_EQ(unlisted.error->kind, OpenError::Kind::MacroFileUnreadable);
        EXPECT_EQ(unlisted.error->file, 0);
        EXPECT_EQ(unlisted.error->problem.kind, MacroFileProblem::Kind::ReadFailed);
        EXPECT_EQ(unlisted.error->problem.cause, denied);
    }

    TempDir empty;
    auto none = CharacterDocument::Open(empty.Text(""));
    ASSERT_TRUE(none.document);
    EXPECT_TRUE(none.document->HadNoMacroFiles());
    EXPECT_FALSE(none.document->IncompatibleMacro());  // nothing there to be incompatible
}

// Edits, undo and redo, each told to the listeners exactly once; the unsaved state
// follows the history back to the clean point.
TEST_F(Folder, EditsUndoAndListenersToldOncePerChange) {
    auto doc = Open();
    std::vector<DocumentChange> told;
    const int id = doc->Subscribe(
        [&](const CharacterDocument&, const DocumentChange& c) { told.push_back(c); });

    const std::vector<uint8_t> before = Written(doc->Set(1, 0));
    EXPECT_TRUE(doc->SetField({1, 0, 2, 2}, u"ab"));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].files, std::vector<int>{10});
    EXPECT_TRUE(told[0].modified);
    EXPECT_TRUE(doc->Modified());

    // Storing what the field already reads changes nothing and tells nobody; so does a
    // text too long for the field.
    EXPECT_TRUE(doc->SetField({1, 0, 2, 2}, u"ab"));
    EXPECT_FALSE(doc->SetField({0, 0, 0, 0}, u"123456789"));
    EXPECT_EQ(told.size(), 1u);

    // Typing with one key joins one step until a pause.
    const StepKey key{nullptr, 0, 1, -1};
    doc->SetField({0, 0, 1, 1}, u"a", key);
    now_ += 100;
    doc->SetField({0, 0, 1, 1}, u"ab", key);
    EXPECT_EQ(told.size(), 3u);
    EXPECT_EQ(told[1].step, told[2].step);
    now_ += ByteHistory::kPauseMs + 1;
    doc->SetField({0, 0, 1, 1}, u"abc", key);
    EXPECT_NE(told[3].step, told[2].step);
    doc->SetColor(5, {1, 2, 3, 4});
    EXPECT_TRUE(told.back().colors);
    EXPECT_EQ(doc->History().Count(), 4u);

    told.clear();
    ASSERT_TRUE(doc->Undo());  // the colour
    ASSERT_TRUE(doc->Undo());  // "abc"
    EXPECT_EQ(doc->FieldText({0, 0, 1, 1}), u"ab");
    ASSERT_TRUE(doc->Undo());  // "a", "ab" at once
    EXPECT_EQ(doc->FieldText({0, 0, 1, 1}), u"");
    ASSERT_TRUE(doc->Undo());
    EXPECT_EQ(Written(doc->Set(1, 0)), before);  // bytes after the zero back too
    EXPECT_FALSE(doc->Undo());
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[0].cause, DocumentChange::Cause::Undo);
    EXPECT_TRUE(told[0].colors);
    EXPECT_FALSE(told.back().modified);
    EXPECT_FALSE(doc->Modified());
    ASSERT_TRUE(doc->Redo());
    EXPECT_EQ(doc->FieldText({1, 0, 2, 2}), u"ab");
    EXPECT_TRUE(doc->Modified());
    EXPECT_EQ(told.size(), 5u);

    // An edit inside an edit is part of the outer one: one step, one word to listeners.
    told.clear();
    {
        CharacterDocument::Edit outer(*doc, u"二つ", {RecordId::Macro(0), RecordId::Macro(1)});
        doc->SetField({0, 0, 5, 0}, u"x");
        doc->SetField({0, 1, 5, 0}, u"y");
        EXPECT_TRUE(told.empty());
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].files, (std::vector<int>{0, 1}));
    EXPECT_EQ(told[0].name, u"二つ");

    doc->Unsubscribe(id);
    doc->SetField({0, 0, 6, 0}, u"z");
    EXPECT_EQ(told.size(), 1u);
}

// The save writes only what changed, keeps reserved bytes and the tails of files, makes
// the saved state clean, and leaves the undone state reachable as unsaved.
TEST_F(Folder, SavePlanWritesWhatChangedAndCleansTheDocument) {
    std::vector<uint8_t> longer = Disk("mcr10.dat");
    longer.push_back(0x5A);
    dir_.Write("mcr10.dat", longer);
    auto doc = Open();
    int saves = 0;
    doc->Subscribe([&](const CharacterDocument&, const DocumentChange& c) {
        saves += c.cause == DocumentChange::Cause::Saved;
    });
    doc->SetField({1, 0, 0, 0}, u"新");
    doc->SetColor(0, {10, 20, 30, 40});
    const auto mcr = Disk("mcr.dat");

    SavePlan plan;
    doc->PlanSave(plan);
    const SaveReport report = plan.Run();
    ASSERT_TRUE(report.AllSaved()) << test::Describe(report.reason);
    doc->Saved(report);
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(doc->Modified());
    // Book 1's missing files are made; mcr.dat is as it was.
    EXPECT_EQ(report.saved.size(), 9u + 1 + 1);
    EXPECT_EQ(Disk("mcr.dat"), mcr);
    const auto set = Disk("mcr10.dat");
    ASSERT_EQ(set.size(), kMacroFileSize + 1);
    EXPECT_EQ(set.back(), 0x5A);
    MacroFile expected = doc->Set(1, 0);
    EXPECT_EQ(std::vector<uint8_t>(set.begin(), set.begin() + kMacroFileSize), Written(expected));
    const auto cnf = Disk("cnf.dat");
    ASSERT_EQ(cnf.size(), 300u);
    EXPECT_EQ(cnf[250], 9);
    EXPECT_EQ(cnf[kTextColorOffset + 2], 30);

    // Back past the save is unsaved; forward again is clean; nothing new to write.
    doc->Undo();
    EXPECT_TRUE(doc->Modified());
    doc->Redo();
    EXPECT_FALSE(doc->Modified());
    SavePlan again;
    doc->PlanSave(again);
    EXPECT_TRUE(again.Empty());
}

// Copies carry every byte of the macros - after each field's zero too - and keep the
// target file's reserved bytes; each is one step in the target, the source untouched.
TEST(CharacterDocumentCopy, SetsAndBooksByteForByte) {
    CharacterDocument from, to;
    CharacterDocument::Edit(from, u"", {RecordId::Macro(13)}).File(13).bytes.fill(0x8A);
    ASSERT_EQ(from.SetBookTitle(1, u"白魔道士"), TitleChange::Stored);
    CharacterDocument::Edit(from, u"", {RecordId::Titles(0)}).Titles().Field(1)[12] = 0x41;
    {
        CharacterDocument::Edit edit(to, u"", {RecordId::Macro(62), RecordId::Macro(60)});
        edit.File(62).bytes[5] = 0x77;  // reserved
        edit.File(60).bytes[100] = 1;
    }
    to.History().Clear();
    int told = 0;
    to.Subscribe([&](const CharacterDocument&, const DocumentChange&) { ++told; });

    to.CopySet(from, 1, 3, 6, 2);
    EXPECT_EQ(told, 1);
    const MacroFile& copied = to.Set(6, 2);
    EXPECT_EQ(copied.bytes[5], 0x77);
    EXPECT_TRUE(std::equal(copied.bytes.begin() + kMacroBlockOffset, copied.bytes.end(),
                           from.Set(1, 3).bytes.begin() + kMacroBlockOffset));
    EXPECT_EQ(from.History().Count(), 3u);  // its own steps only

    to.CopyBook(from, 1, 6);
    EXPECT_EQ(told, 2);
    EXPECT_EQ(to.Set(6, 0).bytes[100], 0);
    EXPECT_EQ(to.Set(6, 3).bytes[kMacroBlockOffset], 0x8A);
    EXPECT_EQ(to.Titles().Title(6), u"白魔道士");  // the title field byte for byte
    EXPECT_TRUE(std::ranges::equal(to.Titles().Field(6), from.Titles().Field(1)));
    EXPECT_EQ(to.History().Count(), 2u);
    to.Undo();
    EXPECT_EQ(to.Titles().Title(6), u"");
    EXPECT_EQ(to.Set(6, 0).bytes[100], 1);
    EXPECT_EQ(to.Set(6, 2).bytes[kMacroBlockOffset], 0x8A);  // the set copy stays

    // A copy onto itself is still a step (the player asked for it).
    to.CopySet(to, 6, 2, 6, 2);
    EXPECT_EQ(told, 4);
}

}  // namespace
}  // namespace qm
