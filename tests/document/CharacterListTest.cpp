#include "document/CharacterList.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <fstream>
#include <optional>

#include "macro/MacroFolder.h"
#include "storage/FaultyFileSystem.h"
#include "storage/Paths.h"
#include "storage/Utf.h"
#include "support/TempDir.h"

namespace qm {
namespace {

std::vector<std::string> Names(const std::vector<CharacterFolder>& list) {
    std::vector<std::string> names;
    for (const CharacterFolder& c : list) names.push_back(Utf16ToUtf8(c.name));
    return names;
}

std::vector<uint8_t> TitleFileBytes(std::u16string_view firstTitle) {
    TitleFile file;
    StoreFieldText(file.Field(0), firstTitle);
    const TitleFile record = TitleRecordToWrite(file);
    return {record.bytes.begin(), record.bytes.end()};
}

// Which subfolders are characters', and in which order they come.
TEST(CharacterList, FindsTheFoldersThatHoldMacroFilesOrColours) {
    test::TempDir dir;
    const std::vector<uint8_t> bytes(16, 1);
    const struct {
        const char* folder;
        std::vector<std::string> files;
    } folders[] = {
        {"book1", {"mcr.dat"}},
        {"Book2only", {"mcr10.dat"}},
        {"colours", {"cnf.dat"}},
        {"last", {"mcr399.dat", "mcr.ttl"}},
        {"empty", {}},
        {"titlesOnly", {"mcr.ttl", "mcr_2.ttl", "acq.dat"}},
        {"notMacroNames", {"mcr400.dat", "mcr01.dat", "mcr0.dat", "mcrx.dat", "mcr1.dat.bak"}},
        {"キャラ", {"mcr.dat"}},
    };
    for (const auto& f : folders) {
        std::filesystem::create_directories(dir.Path("USER/" + std::string(f.folder)));
        for (const std::string& file : f.files)
            dir.Write("USER/" + std::string(f.folder) + "/" + file, bytes);
    }
    dir.Write("USER/aFile", bytes);                                             // no folder
    std::filesystem::create_directories(dir.Path("USER/folderNamed/mcr.dat"));  // no file
    std::vector<std::string> expected = {"book1", "Book2only", "colours", "last", "キャラ"};
#ifndef _WIN32
    // A link to a character folder is one; a pipe or a device in a file's place is none,
    // and none of them is opened.
    std::filesystem::create_directory_symlink("book1", dir.Path("USER/linked"));
    std::filesystem::create_directories(dir.Path("USER/pipe"));
    ASSERT_EQ(::mkfifo(dir.Path("USER/pipe/mcr.dat").c_str(), 0600), 0);
    std::filesystem::create_directories(dir.Path("USER/device"));
    std::filesystem::create_symlink("/dev/zero", dir.Path("USER/device/cnf.dat"));
    std::filesystem::create_symlink("/dev/null", dir.Path("USER/devlink"));
    std::filesystem::create_symlink("nowhere", dir.Path("USER/dangling"));
    // A name that is no UTF-8 has no text that opens it.
    const std::filesystem::path notUtf8 = dir.Path("USER") / std::string("bad\xff");
    std::filesystem::create_directories(notUtf8);
    std::ofstream(notUtf8 / "mcr.dat") << "x";
    expected.insert(expected.begin() + 4, "linked");
#endif

    for (const std::u16string& user : {dir.Text("USER"), dir.Text("USER/")}) {
        ListError error{ListError::Kind::Failed};
        const auto list = ListCharacterFolders(user, &error);
        EXPECT_FALSE(error);
        EXPECT_EQ(Names(list), expected);
        for (const CharacterFolder& c : list)
            EXPECT_EQ(c.folder, dir.Text("USER/" + Utf16ToUtf8(c.name) + "/"));
    }
}

enum class Title {
    None,
    Good,
    Short,
    Long,
    BadDigest,
    Folder,
    Pipe,
    Dangling,
    LinkToGood,
    LinkToDevice
};

void MakeTitleFile(const test::TempDir& dir, const std::string& name, Title kind) {
    const std::vector<uint8_t> good = TitleFileBytes(u"回復");
    std::vector<uint8_t> bad = good;
    bad.back() ^= 1;
    switch (kind) {
        case Title::None:
            break;
        case Title::Good:
            dir.Write(name, good);
            break;
        case Title::Short:
            dir.Write(name, std::vector<uint8_t>(good.begin(), good.end() - 1));
            break;
        case Title::Long: {
            std::vector<uint8_t> longer = good;
            longer.resize(2000, 0);
            dir.Write(name, longer);
            break;
        }
        case Title::BadDigest:
            dir.Write(name, bad);
            break;
        case Title::Folder:
            std::filesystem::create_directories(dir.Path(name));
            break;
#ifndef _WIN32
        case Title::Pipe:
            ASSERT_EQ(::mkfifo(dir.Path(name).c_str(), 0600), 0);
            break;
        case Title::Dangling:
            std::filesystem::create_symlink("nowhere", dir.Path(name));
            break;
        case Title::LinkToGood:
            dir.Write(name + ".real", good);
            std::filesystem::create_symlink(dir.Path(name + ".real"), dir.Path(name));
            break;
        case Title::LinkToDevice:
            std::filesystem::create_symlink("/dev/zero", dir.Path(name));
            break;
#else
        default:
            break;
#endif
    }
}

// Each character comes with its titles exactly as ReadBookTitles reads them, whatever is in
// a title file's place, through the system's file system and through one a test puts in
// place.
TEST(CharacterList, ReadsEachCharactersTitlesAsTheFolderHoldsThem) {
    test::TempDir dir;
    const std::vector<uint8_t> mcrDat = {7, 6, 5, 4, 3, 2, 1, 0, 9};
    const struct {
        Title first, second;
        bool mcrDat = true;  // else cnf.dat only: a missing title file gets the game's bytes
    } rows[] = {
        {Title::Good, Title::None},        {Title::None, Title::Good},
        {Title::None, Title::None, false}, {Title::Short, Title::Long},
        {Title::BadDigest, Title::None},   {Title::Folder, Title::Good},
#ifndef _WIN32
        {Title::Pipe, Title::Dangling},    {Title::LinkToGood, Title::LinkToDevice},
        {Title::Pipe, Title::None, false},
#endif
    };
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        const std::string folder = "USER/c" + std::to_string(r) + "/";
        dir.Write(folder + (rows[r].mcrDat ? "mcr.dat" : "cnf.dat"), mcrDat);
        MakeTitleFile(dir, folder + "mcr.ttl", rows[r].first);
        MakeTitleFile(dir, folder + "mcr_2.ttl", rows[r].second);
    }
    FaultyFileSystem passing;
    for (bool system : {true, false}) {
        std::optional<ScopedFileSystem> scoped;
        if (!system) scoped.emplace(passing);
        const auto list = ListCharacterFolders(dir.Text("USER"));
        ASSERT_EQ(list.size(), std::size(rows));
        for (const CharacterFolder& c : list) {
            const BookTitles direct = ReadBookTitles(PathFromText(c.folder));
            EXPECT_EQ(c.titles.edited, direct.edited) << Utf16ToUtf8(c.name);
            for (std::size_t f = 0; f < kTitleFileCount; ++f) {
                const TitleFileOnDisk &got = c.titles.disk[f], &want = direct.disk[f];
                EXPECT_TRUE(got.state == want.state && got.size == want.size &&
                            got.record == want.record)
                    << Utf16ToUtf8(c.name) << " file " << f << " state " << int(got.state);
            }
        }
        EXPECT_EQ(list[0].titles.Title(0), u"回復");
        EXPECT_EQ(list[0].titles.edited[1].bytes[0], 7);  // mcr.dat's first bytes
        EXPECT_EQ(list[2].titles.edited[0].bytes[0], 1);  // the game's
        EXPECT_EQ(list[3].titles.disk[1].state, TitleFileState::WrongSize);
        EXPECT_EQ(list[3].titles.disk[1].size, 2000u);
    }
}

// A USER folder that cannot be listed says why, and lists nothing.
TEST(CharacterList, TellsWhyTheUserFolderCannotBeListed) {
    test::TempDir dir;
    dir.Write("aFile", {1});
    dir.Write("denied/c/mcr.dat", {1});
    struct Case {
        std::u16string user;
        ListError::Kind kind;
    };
    std::vector<Case> cases = {
        {dir.Text("missing"), ListError::Kind::Missing},
        {dir.Text("missing/USER"), ListError::Kind::Missing},
        {dir.Text("aFile"), ListError::Kind::NotAFolder},
        {dir.Text("aFile/USER"), ListError::Kind::Missing},
        {u"", ListError::Kind::Missing},
    };
#ifndef _WIN32
    if (::geteuid() != 0) {  // root lists anything
        ASSERT_EQ(::chmod(dir.Path("denied").c_str(), 0), 0);
        cases.push_back({dir.Text("denied"), ListError::Kind::Denied});
    }
#endif
    for (const Case& c : cases) {
        ListError error;
        EXPECT_TRUE(ListCharacterFolders(c.user, &error).empty()) << Utf16ToUtf8(c.user);
        EXPECT_EQ(error.kind, c.kind) << Utf16ToUtf8(c.user);
        EXPECT_TRUE(error.cause) << Utf16ToUtf8(c.user);
    }
#ifndef _WIN32
    ::chmod(dir.Path("denied").c_str(), 0700);
#endif
}

}  // namespace
}  // namespace qm
