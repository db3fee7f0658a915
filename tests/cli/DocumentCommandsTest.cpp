// find, replace and copy of the built quillmor-cli on the demo's two characters.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DemoData.h"
#include "macro/BookTitles.h"
#include "macro/Cp932.h"
#include "macro/MacroFile.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class Characters : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(demo::WriteDemoGame(dir_.Path()));
        const fs::path user = dir_.Path() / "USER";
        a_ = (user / demo::kCleanCharacter).string();
        b_ = (user / demo::kDamagedCharacter).string();
    }
    test::Outcome Cli(const std::vector<std::string>& args) {
        test::Outcome run = test::RunProgram(test::ProgramPath(QUILLMOR_CLI_PATH), args);
        EXPECT_TRUE(run.started);
        return run;
    }
    std::string Read(const std::string& folder, const std::string& name) {
        return test::Slurp(fs::path(folder) / name);
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos;
             at = end + 1)
            lines.push_back(text.substr(at, end - at));
        return lines;
    }
    test::TempDir dir_;
    std::string a_, b_;
};

TEST_F(Characters, FindListsEveryFieldAndSaysByItsStatusWhetherAnythingMatched) {
    const test::Outcome both = Cli({"find", "ケアル", a_, b_});
    EXPECT_EQ(both.status, 0) << both.err;
    const auto lines = Lines(both.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], a_ + "\t1\t1\t1\ttitle\tケアル");
    EXPECT_EQ(lines[1], a_ + "\t1\t1\t1\t1\t/ma ケアル <t>");
    std::size_t inB = 0;
    for (const std::string& line : lines) inB += line.starts_with(b_ + "\t");
    EXPECT_GT(inB, 0u);

    const test::Outcome regex = Cli({"find", "--regex", "^/ja .+ <me>$", a_});
    EXPECT_EQ(regex.status, 0);
    for (const std::string& line : Lines(regex.out))
        EXPECT_TRUE(line.ends_with(" <me>") && line.find("\t/ja ") != std::string::npos) << line;

    EXPECT_EQ(Cli({"find", "存在しない言葉", a_}).status, 1);
    EXPECT_EQ(Cli({"find", "--regex", "(", a_}).status, 2);
    const test::Outcome missing = Cli({"find", "ケアル", a_, a_ + "/nowhere"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_FALSE(missing.out.empty());  // the folder that is there is still searched
}

// A replace whose one result is too long writes nothing of that character; one that
// fits rewrites only the files it changes, with fresh digests and their tails kept.
TEST_F(Characters, ReplaceIsAllOrNothingPerCharacter) {
    const std::string before = Read(a_, "mcr.dat");
    const std::string untouched = Read(a_, "mcr5.dat");
    const test::Outcome refused = Cli({"replace", "ケアル", "ケアル" + std::string(50, 'x'), a_});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("more than the 60 it can hold"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("more than the 8 it can hold"), std::string::npos);
    EXPECT_NE(refused.err.find("nothing of '" + a_ + "' was written"), std::string::npos);
    EXPECT_TRUE(refused.out.empty());
    EXPECT_EQ(Read(a_, "mcr.dat"), before);

    const test::Outcome dry = Cli({"replace", "--dry-run", "ケアル", "ケアルガ", a_});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(Lines(dry.out)[0], a_ + "\t1\t1\t1\ttitle\tケアル\tケアルガ");
    EXPECT_EQ(Read(a_, "mcr.dat"), before);

    {
        std::ofstream tail(fs::path(a_) / "mcr.dat", std::ios::binary | std::ios::app);
        tail << "TAIL";
    }
    const test::Outcome done = Cli({"replace", "ケアル", "ケアルガ", a_});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.out, dry.out);
    const std::string after = Read(a_, "mcr.dat");
    ASSERT_EQ(after.size(), kMacroFileSize + 4);
    EXPECT_TRUE(after.ends_with("TAIL"));
    EXPECT_EQ(Cli({"check", a_}).status, 0);
    EXPECT_EQ(Read(a_, "mcr5.dat"), untouched);
    EXPECT_EQ(Cli({"find", "ケアル", a_}).out.find("ケアル\t"), std::string::npos);
    EXPECT_EQ(Cli({"replace", "存在しない言葉", "x", a_}).status, 1);
}

// The target's macros become the source's byte for byte; the target file keeps its
// reserved bytes and its tail; book copies carry all ten sets.
TEST_F(Characters, CopyCarriesEveryByteOfTheMacros) {
    std::string target = Read(b_, "mcr36.dat");  // book 4 set 7: missing
    EXPECT_TRUE(target.empty());
    std::string set = Read(a_, "mcr12.dat");       // book 2 set 3
    set[kMacroBlockOffset + 4 + 20] = char(0x7F);  // a byte after a field's zero, say
    { std::ofstream(fs::path(a_) / "mcr12.dat", std::ios::binary) << set; }
    std::string reserved = Read(b_, "mcr.dat");
    reserved[2] = char(0x42);
    reserved += "END";
    { std::ofstream(fs::path(b_) / "mcr.dat", std::ios::binary) << reserved; }

    const test::Outcome one = Cli({"copy", a_ + ":2:3", b_ + ":1:1"});
    EXPECT_EQ(one.status, 0) << one.err;
    const std::string copied = Read(b_, "mcr.dat");
    ASSERT_EQ(copied.size(), kMacroFileSize + 3);
    EXPECT_EQ(copied[2], 0x42);
    EXPECT_TRUE(copied.ends_with("END"));
    EXPECT_EQ(copied.substr(kMacroBlockOffset, kMacroBlockSize),
              set.substr(kMacroBlockOffset, kMacroBlockSize));
    EXPECT_EQ(Read(b_, "mcr1.dat").size(), kMacroFileSize);  // the others as they were

    const std::u16string firstTitle = ReadBookTitles(fs::path(b_)).Title(0);
    const test::Outcome book = Cli({"copy", a_ + ":2", b_ + ":4"});
    EXPECT_EQ(book.status, 0) << book.err;
    for (int s = 0; s < kSetCount; ++s) {
        const std::string name = "mcr" + std::to_string(30 + s) + ".dat";
        const std::string from = Read(a_, "mcr" + std::to_string(10 + s) + ".dat");
        ASSERT_EQ(from.size(), kMacroFileSize);
        // An empty set makes no file: a missing file reads as empty.
        const std::string to = Read(b_, name);
        if (to.empty())
            EXPECT_EQ(from.substr(kMacroBlockOffset), std::string(kMacroBlockSize, '\0'));
        else
            EXPECT_EQ(to.substr(kMacroBlockOffset), from.substr(kMacroBlockOffset));
    }
    // The book's name comes along; the other names of that title file stay.
    const BookTitles titles = ReadBookTitles(fs::path(b_));
    EXPECT_EQ(titles.Title(3), ReadBookTitles(fs::path(a_)).Title(1));
    EXPECT_FALSE(titles.Title(3).empty());
    EXPECT_EQ(titles.Title(0), firstTitle);
    EXPECT_EQ(Cli({"check", b_}).status, 0);  // the damaged digest is made anew too
    EXPECT_EQ(Cli({"copy", a_ + ":2:3", b_ + ":4"}).status, 2);
    EXPECT_EQ(Cli({"copy", a_ + ":41", b_ + ":4"}).status, 2);
    EXPECT_EQ(Cli({"copy", a_, b_ + ":4"}).status, 2);
}

}  // namespace
}  // namespace qm
