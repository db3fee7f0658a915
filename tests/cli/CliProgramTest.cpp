// Runs the built quillmor-cli and checks its output, exit status and the files it
// leaves, against the core functions the window uses.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "DemoData.h"
#include "config/CnfRecord.h"
#include "editor/SetBackup.h"
#include "editor/TextForms.h"
#include "macro/AcqNames.h"
#include "macro/Cp932.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"
#include "macro/Md5.h"
#include "platform/Interfaces.h"
#include "preview/ChatInterpreter.h"
#include "preview/MacroSampleSetup.h"
#include "preview/RandomSource.h"
#include "storage/SafeFile.h"
#include "support/Process.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qm {
namespace {

using test::Outcome;
using test::Slurp;
using test::TempDir;
namespace fs = std::filesystem;

Outcome Spawn(const fs::path& program, const std::vector<std::string>& args,
              const fs::path& stdinFile = {}) {
    Outcome run = test::RunProgram(program, args, stdinFile);
    if (!run.started) ADD_FAILURE() << "cannot start " << program;
    return run;
}

Outcome Cli(const std::vector<std::string>& args, const fs::path& stdinFile = {}) {
    return Spawn(test::ProgramPath(QUILLMOR_CLI_PATH), args, stdinFile);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0, end;
    while ((end = text.find('\n', pos)) != std::string::npos) {
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

// A demo game written by the generator; Folder() is its clean character.
class DemoGame : public ::testing::Test {
  protected:
    void SetUp() override {
        Outcome demo = Spawn(test::ProgramPath(QUILLMOR_DEMO_PATH), {dir_.Path().string()});
        ASSERT_EQ(demo.status, 0) << demo.err;
        user_ = dir_.Path() / "FINAL FANTASY XI" / "USER";
    }
    std::string Folder(const char* character = demo::kCleanCharacter) const {
        return (user_ / character).string();
    }
    fs::path File(const std::string& name) const { return fs::path(Folder()) / name; }
    std::vector<uint8_t> Read(const std::string& name) const { return Bytes(Slurp(File(name))); }
    MacroFile Macro(int index) const {
        return ReadMacroFile(TextFromPath(fs::path(Folder())) + u"/", MacroFileName(index));
    }

    TempDir dir_;
    fs::path user_;
};

// The demo's clean character has books 1, 2 and 40 (file numbers 0-19 and 390-399), and
// both title files, which check lists after the macro files.
constexpr std::size_t kDemoTitleFiles = 2;
std::vector<int> DemoFileNumbers() {
    std::vector<int> numbers;
    for (int n = 0; n < 20; ++n) numbers.push_back(n);
    for (int n = 390; n < 400; ++n) numbers.push_back(n);
    return numbers;
}

TEST_F(DemoGame, CheckListsBookOneAlwaysAndOtherBooksWhereTheirFilesAre) {
    Outcome clean = Cli({"check", Folder()});
    EXPECT_EQ(clean.status, 0) << clean.err;
    auto lines = Lines(clean.out);
    const std::vector<int> numbers = DemoFileNumbers();
    ASSERT_EQ(lines.size(), numbers.size() + kDemoTitleFiles);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_TRUE(lines[i].starts_with(File(Utf16ToUtf8(MacroFileName(numbers[i]))).string() +
                                         "\tpresent\t"))
            << lines[i];
        EXPECT_TRUE(lines[i].ends_with("\tOK")) << lines[i];
    }

    // A missing file of book 1 is still listed; one of book 2 is not.
    fs::remove(File("mcr4.dat"));
    fs::remove(File("mcr14.dat"));
    Outcome both = Cli({"check", Folder(), Folder(demo::kDamagedCharacter)});
    EXPECT_EQ(both.status, 1);
    lines = Lines(both.out);
    ASSERT_EQ(lines.size(), numbers.size() - 1 + 10 + 2 * kDemoTitleFiles);
    EXPECT_EQ(lines[4], File("mcr4.dat").string() + "\tmissing\t-\t-\t-");
    EXPECT_TRUE(lines[14].starts_with(File("mcr15.dat").string() + "\t")) << lines[14];
    const std::size_t damaged = numbers.size() - 1 + kDemoTitleFiles;
    EXPECT_TRUE(lines[damaged].starts_with(
        (fs::path(Folder(demo::kDamagedCharacter)) / "mcr.dat").string() + "\tpresent\t"));
    EXPECT_TRUE(lines[damaged].ends_with("\tMISMATCH"));
}

TEST_F(DemoGame, BookOptionChoosesTheFileOfThatBook) {
    // Book 40, set 10 is mcr399.dat.
    Outcome run = Cli({"export", "--book", "40", Folder(), "10"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Bytes(run.out), BackupFileBytes(Macro(399)));
    EXPECT_NE(Cp932Decode(Bytes(run.out)).find(u"mcr399.dat"), std::u16string::npos);

    // Into book 12, set 3, which has no file yet: only mcr112.dat is made.
    const fs::path backup = dir_.Path() / "b2s1.txt";
    ASSERT_EQ(Cli({"export", "--book", "2", Folder(), "1", backup.string()}).status, 0);
    EXPECT_EQ(Bytes(Slurp(backup)), BackupFileBytes(Macro(10)));
    run = Cli({"import", Folder(), "--book", "12", "3", backup.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(SetToText(Macro(112)), SetToText(Macro(10)));
    EXPECT_EQ(Lines(Cli({"check", Folder()}).out).size(),
              DemoFileNumbers().size() + 1 + kDemoTitleFiles);

    const std::vector<std::string> preview = {"preview", "--seed", "3", "--clock",
                                              "2024-05-01T13:45:00"};
    auto withBook = preview;
    withBook.insert(withBook.end(), {"--book", "40", Folder(), "10", "1"});
    run = Cli(withBook);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("mcr399.dat"), std::string::npos) << run.out;

    for (const char* bad : {"0", "41", "x"}) {
        run = Cli({"export", "--book", bad, Folder(), "1"});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("--book must be a number from 1 to 40"), std::string::npos);
    }
}

TEST_F(DemoGame, FixRewritesOnlyTheDigestOfTheDamagedFile) {
    // Flip one byte of a line in mcr3.dat and give the file a tail the game may keep.
    std::vector<uint8_t> damaged = Read("mcr3.dat");
    damaged[28 + 380 * 2 + 5] ^= 0x01;
    damaged.insert(damaged.end(), {'T', 'A', 'I', 'L'});
    std::ofstream(File("mcr3.dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(damaged.data()), std::streamsize(damaged.size()));
    // And a wrong digest in the last file of book 40.
    std::vector<uint8_t> last = Read("mcr399.dat");
    last[10] ^= 0xFF;
    std::ofstream(File("mcr399.dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(last.data()), std::streamsize(last.size()));
    const std::vector<int> numbers = DemoFileNumbers();
    std::vector<std::vector<uint8_t>> before;
    for (int n : numbers) before.push_back(Read(Utf16ToUtf8(MacroFileName(n))));

    Outcome check = Cli({"check", Folder()});
    EXPECT_EQ(check.status, 1);
    auto lines = Lines(check.out);
    ASSERT_EQ(lines.size(), numbers.size() + kDemoTitleFiles);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const bool bad = numbers[i] == 3 || numbers[i] == 399;
        EXPECT_TRUE(lines[i].ends_with(bad ? "\tMISMATCH" : "\tOK")) << lines[i];
    }

    Outcome fix = Cli({"fix", Folder()});
    EXPECT_EQ(fix.status, 0) << fix.err;
    ASSERT_EQ(Lines(fix.out).size(), 2u);
    EXPECT_TRUE(fix.out.starts_with(File("mcr3.dat").string() + "\tfixed\t"));
    EXPECT_TRUE(Lines(fix.out)[1].starts_with(File("mcr399.dat").string() + "\tfixed\t"));

    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto after = Read(Utf16ToUtf8(MacroFileName(numbers[i])));
        if (numbers[i] != 3) {
            if (numbers[i] != 399) {
                EXPECT_EQ(after, before[i]) << "file " << numbers[i];
            }
            continue;
        }
        ASSERT_EQ(after.size(), damaged.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (i < 8 || i >= 24) {
                ASSERT_EQ(after[i], damaged[i]) << "byte " << i;
            }
        }
        const Md5Bytes digest =
            Md5Digest(std::span<const uint8_t>(after).subspan(24, kMacroBlockSize));
        EXPECT_TRUE(std::equal(digest.begin(), digest.end(), after.begin() + 8));
    }
    EXPECT_EQ(Cli({"check", Folder()}).status, 0);
    Outcome again = Cli({"fix", Folder()});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "");
}

// books lists the demo's titles; title changes one field and the digest of one file, and
// refuses what the field or the file cannot take without writing anything.
TEST_F(DemoGame, BooksAndTitleUseTheTitleFiles) {
    Outcome books = Cli({"books", Folder()});
    EXPECT_EQ(books.status, 0) << books.err;
    auto lines = Lines(books.out);
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[0], "1\t白魔道士\t10");
    EXPECT_EQ(lines[2], "3\tBLM\t0");
    EXPECT_EQ(lines[20], "21\t合成・釣り\t0");
    EXPECT_EQ(lines[22], "23\t\t0");
    EXPECT_EQ(lines[39], "40\t予備\t10");

    const std::vector<uint8_t> first = Read("mcr.ttl"), before = Read("mcr_2.ttl");
    Outcome set = Cli({"title", Folder(), "23", "黒魔道士"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(Read("mcr.ttl"), first);
    const std::vector<uint8_t> after = Read("mcr_2.ttl");
    ASSERT_EQ(after.size(), 344u);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool field = i >= 24 + 2 * 16 && i < 24 + 2 * 16 + 9;  // 8 bytes and the 0
        if (!field && (i < 8 || i >= 24)) {
            EXPECT_EQ(after[i], before[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(Lines(Cli({"books", Folder()}).out)[22], "23\t黒魔道士\t0");

    const struct {
        std::string book, text, reason;
    } refused[] = {
        {"23", "1234567890123456", "16 bytes in CP932"},
        {"24", "白魔道士白魔道士", "16 bytes in CP932"},
        {"5", "한국", "no CP932 form"},
#ifndef _WIN32  // Windows hands arguments over as UTF-16: bad bytes arrive as U+FFFD
        {"5", "\xff\xfe", "not valid UTF-8"},
#endif
        {"41", "x", "BOOK must be a number from 1 to 40"},
        {"0", "x", "BOOK must be a number from 1 to 40"},
    };
    for (const auto& c : refused) {
        Outcome run = Cli({"title", Folder(), c.book, c.text});
        EXPECT_EQ(run.status, 2) << c.text;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
    EXPECT_EQ(Read("mcr.ttl"), first);
    EXPECT_EQ(Read("mcr_2.ttl"), after);

    // A second title file one byte longer: its books show no titles and it is never
    // written; fix leaves it, but restamps the first file, whose digest is wrong.
    std::vector<uint8_t> longer = after;
    longer.push_back(0);
    std::ofstream(File("mcr_2.ttl"), std::ios::binary)
        .write(reinterpret_cast<const char*>(longer.data()), std::streamsize(longer.size()));
    std::vector<uint8_t> stale = first;
    stale[24 + 16] = 'X';  // book 2's title, without a new digest
    std::ofstream(File("mcr.ttl"), std::ios::binary)
        .write(reinterpret_cast<const char*>(stale.data()), std::streamsize(stale.size()));
    books = Cli({"books", Folder()});
    EXPECT_EQ(books.status, 1);
    EXPECT_NE(books.err.find("is 345 bytes, not 344"), std::string::npos) << books.err;
    EXPECT_EQ(Lines(books.out)[22], "23\t\t0");
    EXPECT_EQ(Lines(books.out)[1], "2\t\t10");  // a wrong digest: not shown either
    Outcome title = Cli({"title", Folder(), "30", "x"});
    EXPECT_EQ(title.status, 2);
    EXPECT_NE(title.err.find("not known to follow the title file layout"), std::string::npos);

    Outcome check = Cli({"check", Folder()});
    EXPECT_EQ(check.status, 1);
    lines = Lines(check.out);
    ASSERT_EQ(lines.size(), DemoFileNumbers().size() + 2);
    EXPECT_TRUE(lines[lines.size() - 2].starts_with(File("mcr.ttl").string() + "\tpresent\t"));
    EXPECT_TRUE(lines[lines.size() - 2].ends_with("\tMISMATCH"));
    EXPECT_TRUE(lines.back().ends_with("\tSIZE"));
    Outcome fix = Cli({"fix", Folder()});
    EXPECT_EQ(fix.status, 1);
    EXPECT_EQ(Lines(fix.out).size(), 1u);
    EXPECT_TRUE(fix.out.starts_with(File("mcr.ttl").string() + "\tfixed\t")) << fix.out;
    EXPECT_NE(fix.err.find("mcr_2.ttl"), std::string::npos);
    EXPECT_EQ(Read("mcr_2.ttl"), longer);
    const std::vector<uint8_t> fixed = Read("mcr.ttl");
    EXPECT_TRUE(std::equal(fixed.begin() + 24, fixed.end(), stale.begin() + 24));
    EXPECT_EQ(Lines(Cli({"books", Folder()}).out)[1], "2\tXiイト\t10");
}

TEST(CliFolder, MissingAndShortFilesAreToldApartAndShortOnesAreNotFixed) {
    TempDir dir;
    MacroFile whole;
    ASSERT_TRUE(WriteMacroFile(TextFromPath(dir.Path("mcr.dat")), whole));
    const std::vector<uint8_t> shortFile(100, 0x41);
    dir.Write("mcr1.dat", shortFile);

    Outcome check = Cli({"check", dir.Path().string() + "/"});
    EXPECT_EQ(check.status, 1);
    auto lines = Lines(check.out);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_TRUE(lines[0].ends_with("\tOK"));
    EXPECT_TRUE(lines[1].ends_with("\tSHORT"));
    EXPECT_EQ(lines[2], dir.Path().string() + "/mcr2.dat\tmissing\t-\t-\t-");

    Outcome fix = Cli({"fix", dir.Path().string()});
    EXPECT_EQ(fix.status, 1);
    EXPECT_NE(fix.err.find("mcr1.dat"), std::string::npos);
    EXPECT_EQ(dir.Read("mcr1.dat"), shortFile);
    EXPECT_FALSE(dir.Exists("mcr2.dat"));  // fix never creates files
}

TEST(CliMd5, DigestOfTheBodyOnlyAndShortFilesRefused) {
    TempDir dir;
    std::vector<uint8_t> file(kMacroFileSize + 10);
    for (std::size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 7);
    dir.Write("mcr5.dat", file);
    const Md5Bytes expected =
        Md5Digest(std::span<const uint8_t>(file).subspan(24, kMacroBlockSize));
    Outcome run = Cli({"md5", dir.Path("mcr5.dat").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Utf16ToUtf8(Md5Hex(expected)) + "\n");

    file.resize(kMacroFileSize - 1);
    dir.Write("cut.dat", file);
    run = Cli({"md5", dir.Path("cut.dat").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("7623"), std::string::npos);
}

TEST(CliExport, EmptySetIs141LineEndsAndALineBreakInAFieldIsRefused) {
    TempDir dir;
    Outcome run = Cli({"export", dir.Path().string(), "4"});
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.out.size(), 282u);
    for (std::size_t i = 0; i < run.out.size(); i += 2) ASSERT_EQ(run.out.substr(i, 2), "\r\n");
    EXPECT_FALSE(dir.Exists("mcr3.dat"));

    // A field holding CR LF would come back as two fields: refused, by name.
    MacroFile set;
    const uint8_t broken[] = {'a', '\r', '\n', 'b'};
    ASSERT_TRUE(StoreFieldBytes(set.Line(2, 3), broken));
    ASSERT_TRUE(WriteMacroFile(TextFromPath(dir.Path("mcr3.dat")), set));
    run = Cli({"export", dir.Path().string(), "4", dir.Path("Set4.txt").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("macro 3 line 4 holds a line break"), std::string::npos) << run.err;
    EXPECT_FALSE(dir.Exists("Set4.txt"));
}

TEST_F(DemoGame, ExportIsTheWindowsBackupAndUtf8IsTheSameText) {
    const MacroFile set1 = Macro(0);
    Outcome run = Cli({"export", Folder(), "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Bytes(run.out), BackupFileBytes(set1));

    Outcome toFile = Cli({"export", Folder(), "1", (dir_.Path() / "Set1.txt").string()});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(Slurp(dir_.Path() / "Set1.txt"), run.out);

    Outcome utf8 = Cli({"export", "--utf8", Folder(), "1"});
    EXPECT_EQ(utf8.status, 0);
    std::u16string text = Cp932Decode(Bytes(run.out));
    std::u16string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, u"\r\n") == 0)
            ++i, lf += u'\n';
        else
            lf += text[i];
    }
    EXPECT_EQ(utf8.out, Utf16ToUtf8(lf));
}

TEST_F(DemoGame, ImportIntoAnotherSetReproducesItByteForByte) {
    const fs::path backup = dir_.Path() / "Set2.txt";
    ASSERT_EQ(Cli({"export", Folder(), "2", backup.string()}).status, 0);
    // The target file has bytes past its record, which must survive.
    std::vector<uint8_t> target = Read("mcr6.dat");
    target.insert(target.end(), {1, 2, 3});
    std::ofstream(File("mcr6.dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(target.data()), std::streamsize(target.size()));
    const auto set2Before = Read("mcr1.dat");

    Outcome run = Cli({"import", Folder(), "7", backup.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Cli({"export", Folder(), "7"}).out, Slurp(backup));
    const auto after = Read("mcr6.dat");
    ASSERT_EQ(after.size(), kMacroFileSize + 3);
    EXPECT_EQ(std::vector<uint8_t>(after.end() - 3, after.end()), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Cli({"check", Folder()}).status, 0);  // fresh digest
    EXPECT_EQ(Read("mcr1.dat"), set2Before);

    // The UTF-8 form, with CR LF line ends as a Windows editor saves it, comes back too.
    std::string utf8 = Cli({"export", "--utf8", Folder(), "3"}).out;
    std::string crlf;
    for (char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::ofstream(dir_.Path() / "u.txt", std::ios::binary) << "\xEF\xBB\xBF" << crlf;
    run = Cli({"import", "--utf8", Folder(), "9", (dir_.Path() / "u.txt").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Cli({"export", Folder(), "9"}).out, Cli({"export", Folder(), "3"}).out);
}

// A folder name outside the ANSI code page, and a backup piped through standard input:
// on Windows the one needs the wide command line, the other binary streams.
TEST_F(DemoGame, JapaneseFolderAndStandardStreamsCarryEveryByte) {
    const fs::path japanese = user_ / u8"日本のキャラ";
    fs::rename(Folder(), japanese);
    const std::string folder = Utf16ToUtf8(TextFromPath(japanese)) + "/";

    Outcome exported = Cli({"export", folder, "2"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(Bytes(exported.out),
              BackupFileBytes(ReadMacroFile(TextFromPath(japanese) + u"/", MacroFileName(1))));
    std::ofstream(dir_.Path() / "set2.txt", std::ios::binary) << exported.out;

    Outcome imported = Cli({"import", folder, "8", "-"}, dir_.Path() / "set2.txt");
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(Cli({"export", folder, "8"}).out, exported.out);

    Outcome check = Cli({"check", folder});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_TRUE(check.out.starts_with(folder + "mcr.dat\tpresent\t")) << check.out;
}

TEST_F(DemoGame, ImportSkipsTooLongFieldsAndRefusesWhatIsNoSetText) {
    const MacroFile before = Macro(0);
    ASSERT_NE(ReadFieldText(before.Line(0, 1)), u"");
    // One byte over the limit each: a 9-byte title, a 61-byte line.
    std::ofstream(dir_.Path() / "a.txt", std::ios::binary)
        << "T1\r\nline1\r\n"
        << std::string(61, 'x') << "\r\nline3\r\n\r\n\r\n\r\n"
        << "123456789\r\n";
    Outcome run = Cli({"import", Folder(), "1", (dir_.Path() / "a.txt").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("macro 1 line 2 is 61 bytes, more than the 60"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("macro 2 title is 9 bytes, more than the 8"), std::string::npos)
        << run.err;
    const MacroFile after = Macro(0);
    EXPECT_EQ(ReadFieldText(after.Title(0)), u"T1");
    EXPECT_EQ(ReadFieldText(after.Line(0, 1)), ReadFieldText(before.Line(0, 1)));
    EXPECT_EQ(ReadFieldText(after.Line(0, 2)), u"line3");
    EXPECT_EQ(ReadFieldText(after.Title(1)), ReadFieldText(before.Title(1)));
    EXPECT_EQ(ReadFieldText(after.Line(1, 0)), ReadFieldText(before.Line(1, 0)));

    // What the window's drop refuses, the command refuses too, and writes nothing.
    const auto file = Read("mcr.dat");
    const std::string refused[] = {
        std::string("a\0\r\n", 4),      // a 0 byte
        std::string("a\0\r\0\n\0", 6),  // UTF-16 without a mark
        "\xEF\xBB\xBF"
        "a\r\n",             // a UTF-8 mark
        "\xE3\x81\x82\r\n",  // UTF-8 text
        "a\nb\nc\n",         // LF only: not one field reached
    };
    for (const auto& content : refused) {
        std::ofstream(dir_.Path() / "bad.txt", std::ios::binary | std::ios::trunc) << content;
        run = Cli({"import", Folder(), "1", (dir_.Path() / "bad.txt").string()});
        EXPECT_EQ(run.status, 2) << content;
        EXPECT_NE(run.err.find("nothing was written"), std::string::npos) << run.err;
        EXPECT_EQ(Read("mcr.dat"), file);
    }
}

// What the window's preview paints for the same folder, seed and time.
std::string PainterLines(const std::string& folder, int set, int macro, const std::string& name,
                         uint64_t seed, const LocalDateTime& now) {
    const std::u16string f = TextFromPath(fs::path(folder)) + u"/";
    const MacroFile file = ReadMacroFile(f, MacroFileName(set - 1));
    std::vector<std::u16string> lines;
    for (int k = 0; k < kLinesPerMacro; ++k)
        lines.push_back(ReadFieldText(file.Line(macro - 1, k)));
    const CnfRecord cnf = LoadCnf(f);
    SeededRandom random(seed);
    std::string text;
    for (const auto& line :
         RunMacroPreview(Utf8ToUtf16(name), lines, ReadAcqNames(f), random, now)) {
        const TextColor c = cnf.Color(line.colourEntry);
        char rgb[8];
        std::snprintf(rgb, sizeof rgb, "%02X%02X%02X", c.red, c.green, c.blue);
        text += std::string(rgb) + "\t" + Utf16ToUtf8(line.text) + "\n";
    }
    return text;
}

TEST_F(DemoGame, PreviewMatchesThePainterForTheSameSeed) {
    const LocalDateTime now{2024, 5, 1, 13, 45, 0};
    // A macro of our own that uses every random draw, next to the demo's own ones.
    const std::string folder = Folder();
    MacroFile set = Macro(9);
    const char16_t* lines[] = {u"/p <t> <pos> <tp>", u"/random", u"/sea",
                               u"/playtime",         u"/clock",  u"hi <me>"};
    for (int k = 0; k < 6; ++k) ASSERT_TRUE(StoreFieldText(set.Line(19, k), lines[k]));
    ASSERT_TRUE(WriteMacroFile(TextFromPath(File("mcr9.dat")), set));

    std::set<std::string> seen;
    for (uint64_t seed : {1ull, 2ull, 77ull, 123456789ull}) {
        for (auto [s, m] : {std::pair{1, 1}, {1, 2}, {10, 20}}) {
            Outcome run =
                Cli({"preview", folder, std::to_string(s), std::to_string(m), "--seed",
                     std::to_string(seed), "--name", "タロ", "--clock", "2024-05-01T13:45:00"});
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out, PainterLines(folder, s, m, "タロ", seed, now))
                << "seed " << seed << " set " << s << " macro " << m;
            if (s == 10) seen.insert(run.out);
        }
    }
    EXPECT_GT(seen.size(), 1u);  // the seed does reach the draws
}

TEST(CliChat, MatchesTheInterpreterAndAPreviewWithoutNames) {
    const std::vector<std::string> lines = {"/ma ケアル <t>", "/p <pos> <tp>", "/cm sh",
                                            "hello",          "/random",       "tab\there"};
    const LocalDateTime now{2030, 1, 2, 3, 4, 5};
    std::vector<std::string> args = {
        "chat", "--seed", "42", "--name", "Taro", "--clock", "2030-01-02 03:04:05", "--"};
    args.insert(args.end(), lines.begin(), lines.end());
    Outcome run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;

    SeededRandom random(42);
    MacroSample sample = MakeMacroSample(u"Taro", {}, random);
    for (const auto& line : lines) PrintMacroLine(sample, Utf8ToUtf16(line), random, now);
    std::string expected;
    for (const auto& out : sample.output) {
        std::string text = Utf16ToUtf8(out.text);
        if (auto tab = text.find('\t'); tab != std::string::npos) text.replace(tab, 1, "\u2409");
        expected += std::to_string(out.colourEntry) + "\t" + text + "\n";
    }
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(Lines(run.out).size(), 5u);  // the tab cannot split a line

    // Given target, position and TP replace the drawn ones.
    run = Cli({"chat", "--target", "Bob", "--pos", "(C-7)", "--tp", "150", "/p <t> <pos> <tp>"});
    EXPECT_EQ(run.out, "3\t(Myname) Bob (C-7) 150%\n");

    // The same seed gives the same lines as a preview of a folder without acq.dat.
    TempDir dir;
    MacroFile set;
    for (int k = 0; k < 6; ++k) ASSERT_TRUE(StoreFieldText(set.Line(0, k), Utf8ToUtf16(lines[k])));
    ASSERT_TRUE(WriteMacroFile(TextFromPath(dir.Path("mcr.dat")), set));
    Outcome preview = Cli({"preview", "--seed", "42", "--name", "Taro", "--clock",
                           "2030-01-02T03:04:05", dir.Path().string(), "1", "1"});
    std::string chatTexts, previewTexts;
    for (const auto& l : Lines(Cli(args).out)) chatTexts += l.substr(l.find('\t')) + "\n";
    for (const auto& l : Lines(preview.out)) previewTexts += l.substr(l.find('\t')) + "\n";
    // A control byte in a file reads as its token; the argument's tab shows as a glyph.
    chatTexts.replace(chatTexts.find("\u2409"), 3, "\u27E609\u27E7");
    EXPECT_EQ(previewTexts, chatTexts);
}

TEST(CliUsage, BadArgumentsExitWithTwoAndAUsageLine) {
    TempDir dir;
    const std::string d = dir.Path().string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frob"},
        {"md5"},
        {"md5", d + "/none.dat"},
        {"md5", d},
        {"check"},
        {"fix", "--utf8", d},
        {"export", d, "0"},
        {"export", d, "11"},
        {"export", d, "1x"},
        {"export", d + "/nowhere", "1"},
        {"import", d, "1"},
        {"import", d, "1", d + "/none.txt"},
        {"preview", d, "1", "21"},
        {"preview", "--seed", "-1", d, "1", "1"},
        {"preview", d, "1", "1", "--seed"},
        {"chat"},
        {"chat", "--tp", "40000", "x"},
        {"chat", "--clock", "2023-02-29T00:00:00", "x"},
        {"chat", "--bogus", "x"},
        {"chat", "1", "2", "3", "4", "5", "6", "7"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += " " + a;
        Outcome run = Cli(args);
        EXPECT_TRUE(run.exited) << shown;
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_NE(run.err.find("usage: quillmor-cli"), std::string::npos) << shown << run.err;
        EXPECT_EQ(run.out, "") << shown;
    }
    for (const char* command : {"md5", "check", "export", "import", "fix", "preview", "chat"}) {
        Outcome run = Cli({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_TRUE(run.out.starts_with(std::string("usage: quillmor-cli ") + command)) << command;
    }
}

// A folder named in Latin-1 (no UTF-8): every command reaches its files by the name's
// own bytes, and nothing is written anywhere else.
TEST(CliNativePaths, AFolderNameThatIsNoUtf8) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names are UTF-16: no name holds bytes that are no text";
#endif
    TempDir dir;
    const fs::path folder = dir.Path() / "caf\xE9 \xFF";
    fs::create_directory(folder);
    MacroFile set;
    ASSERT_TRUE(StoreFieldText(set.Title(0), u"T"));
    for (int k = 0; k < kSetCount; ++k)
        ASSERT_TRUE(WriteRecordFile(folder / Utf16ToUtf8(MacroFileName(k)), [&] {
            UpdateMacroDigest(set);
            return set.bytes;
        }()));
    auto damaged = Bytes(Slurp(folder / "mcr3.dat"));
    damaged[9] ^= 1;
    std::ofstream(folder / "mcr3.dat", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(damaged.data()), std::streamsize(damaged.size()));

    Outcome check = Cli({"check", folder.string()});
    EXPECT_EQ(check.status, 1) << check.err;
    auto lines = Lines(check.out);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0].substr(0, lines[0].find('\t')), (folder / "mcr.dat").string());
    for (int k = 0; k < kSetCount; ++k)
        EXPECT_TRUE(lines[k].ends_with(k == 3 ? "\tMISMATCH" : "\tOK")) << lines[k];
    Outcome fix = Cli({"fix", folder.string()});
    EXPECT_EQ(fix.status, 0) << fix.err;
    EXPECT_EQ(Lines(fix.out).size(), 1u);
    EXPECT_EQ(Cli({"check", folder.string()}).status, 0);

    const fs::path backup = dir.Path() / "b\xE9.txt";
    ASSERT_EQ(Cli({"export", folder.string(), "1", backup.string()}).status, 0);
    Outcome import = Cli({"import", folder.string(), "6", backup.string()});
    EXPECT_EQ(import.status, 0) << import.err;
    EXPECT_EQ(Slurp(folder / "mcr5.dat"), Slurp(folder / "mcr.dat"));
    EXPECT_EQ(Cli({"preview", "--seed", "1", folder.string(), "6", "1"}).status, 0);
    EXPECT_EQ(Cli({"md5", (folder / "mcr5.dat").string()}).status, 0);
    EXPECT_EQ(dir.Count(), 2u);  // the folder and the backup: no folder of a mangled name
    std::size_t files = 0;
    for (auto it = fs::directory_iterator(folder); it != fs::directory_iterator(); ++it) ++files;
    EXPECT_EQ(files, 10u);  // and no temporary file left
}

// A pipe, a link to an endless device and a huge file in place of macro files: read by
// no command (a pipe would block, the device never end), each reported with its reason.
TEST(CliHostileFiles, WhatIsNoMacroFileIsNeverRead) {
#ifdef _WIN32
    GTEST_SKIP() << "named pipes in a folder and links to devices are POSIX";
#else
    TempDir dir;
    const fs::path folder = dir.Path("c");
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo((folder / "mcr.dat").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder / "mcr1.dat");
    std::ofstream(folder / "mcr2.dat", std::ios::binary) << "x";
    fs::resize_file(folder / "mcr2.dat", kMaxMacroFileSize + 1);
    std::ofstream(dir.Path("b.txt"), std::ios::binary) << "T\r\n";
    const std::string check = Cli({"check", folder.string()}).out;
    for (const char* name : {"mcr.dat", "mcr1.dat", "mcr2.dat"})
        EXPECT_NE(check.find((folder / name).string() + "\tunreadable"), std::string::npos)
            << check;
    Outcome fix = Cli({"fix", folder.string()});
    EXPECT_EQ(fix.status, 2);
    EXPECT_NE(fix.err.find("not a regular file"), std::string::npos) << fix.err;
    EXPECT_NE(fix.err.find("not a macro file"), std::string::npos) << fix.err;
    for (const char* set : {"1", "2", "3"}) {
        Outcome import = Cli({"import", folder.string(), set, dir.Path("b.txt").string()});
        EXPECT_EQ(import.status, 2) << set;
        EXPECT_NE(import.err.find("cannot read"), std::string::npos) << import.err;
    }
    EXPECT_TRUE(fs::is_fifo(folder / "mcr.dat"));
    EXPECT_TRUE(fs::is_symlink(folder / "mcr1.dat"));
#endif
}

}  // namespace
}  // namespace qm
