#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "capture/CaptureSounds.h"
#include "platform/fake/FakeSound.h"
#include "storage/Paths.h"

namespace qm {
namespace {

class Folders : public IShellFolders {
  public:
    std::map<int, std::u16string> known;
    std::u16string GetSpecialFolderPath(int csidl) override {
        const auto it = known.find(csidl);
        return it == known.end() ? std::u16string() : it->second;
    }
    std::u16string GetTempFolderPath() override { return u"/tmp/"; }
};

class SoundItemsTest : public ::testing::Test {
  protected:
    SoundItemsTest() {
        root = std::filesystem::temp_directory_path() /
               ("quillmor-sounds-" + std::to_string(std::random_device{}()));
        for (const char* sub : {"media", "shared", "music"}) {
            std::filesystem::create_directories(root / sub);
        }
        // The system's sounds: the "media" folder of the Windows folder on Windows,
        // folder 36 itself elsewhere.
#ifdef _WIN32
        folders.known[36] = TextFromPath(root);
#else
        folders.known[36] = TextFromPath(root / "media");
#endif
        folders.known[53] = TextFromPath(root / "shared");
        folders.known[13] = TextFromPath(root / "music");
    }
    ~SoundItemsTest() override {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::u16string Touch(const std::filesystem::path& relative) {
        std::ofstream(root / relative) << "RIFF";
        return TextFromPath((root / relative).make_preferred());
    }

    std::filesystem::path root;
    Folders folders;
    std::vector<std::u16string> trace;
    TraceFn traceFn = [this](std::u16string_view line) { trace.emplace_back(line); };
};

TEST_F(SoundItemsTest, WithoutWavFilesOnlyNoSoundIsOffered) {
    Touch("media/readme.txt");
    std::filesystem::create_directories(root / "music/sub.wav");  // a folder, not a file
    const SoundItems items = MakeSoundItems(SoundFolders(folders), traceFn);
    EXPECT_EQ(items.captions, std::vector<std::u16string>{u"(なし)"});
    EXPECT_EQ(items.paths, std::vector<std::u16string>{u""});
    EXPECT_EQ(trace, (std::vector<std::u16string>{u"MakeSoundItems()", u"AddItem \"(なし)\"",
                                                  u"CreateObject"}));
}

// The sound theme folder is searched with its subfolders (the system sounds sit there),
// the music folders only at their top; one list sorted by name, each file once.
TEST_F(SoundItemsTest, WavFilesOfEveryFolderSortedByNameEachOnce) {
    const std::u16string chimes = Touch("media/chimes.wav");
    Touch("media/Chimes2.WAV");
    const std::u16string ding = Touch("media/Ding.wav");
    Touch("media/notes.wave");
    std::filesystem::create_directories(root / "media/theme/stereo");
    const std::u16string bell = Touch("media/theme/stereo/bell.wav");
    const std::u16string mine = Touch("music/b.wav");
    const std::u16string first = Touch("music/A.wav");
    std::filesystem::create_directories(root / "music/deeper");
    Touch("music/deeper/hidden.wav");
    folders.known[53] = folders.known[13];  // the same folder twice

    const SoundItems items = MakeSoundItems(SoundFolders(folders), traceFn);
#ifdef _WIN32
    // Windows keeps its sounds in one flat folder.
    EXPECT_EQ(items.captions, (std::vector<std::u16string>{u"(なし)", u"A.wav", u"b.wav",
                                                           u"chimes.wav", u"Ding.wav"}));
    EXPECT_EQ(items.paths, (std::vector<std::u16string>{u"", first, mine, chimes, ding}));
    (void)bell;
#else
    EXPECT_EQ(items.captions,
              (std::vector<std::u16string>{u"(なし)", u"A.wav", u"b.wav", u"chimes.wav",
                                           u"Ding.wav", u"theme/stereo/bell.wav"}));
    EXPECT_EQ(items.paths, (std::vector<std::u16string>{u"", first, mine, chimes, ding, bell}));
#endif
}

TEST_F(SoundItemsTest, UnknownOrUnreadableFoldersAreSkipped) {
    folders.known.erase(36);
    folders.known[53] = TextFromPath(root / "does-not-exist");
    const std::u16string mine = Touch("music/b.wav");
    const SoundItems items = MakeSoundItems(SoundFolders(folders), nullptr);
    EXPECT_EQ(items.paths, (std::vector<std::u16string>{u"", mine}));

    EXPECT_EQ(SoundFolders(folders),
              (std::vector<SoundFolder>{{folders.known[53], false}, {folders.known[13], false}}));
#ifdef _WIN32
    folders.known[36] = u"C:\\Windows";
    EXPECT_EQ(SoundFolders(folders)[0], (SoundFolder{u"C:\\Windows\\media", false}));
#else
    folders.known[36] = u"/usr/share/sounds";
    EXPECT_EQ(SoundFolders(folders)[0], (SoundFolder{u"/usr/share/sounds", true}));
#endif
}

#ifndef _WIN32  // the game runs under Wine only elsewhere
TEST_F(SoundItemsTest, TheGamesWinePrefixOffersItsWindowsSounds) {
    std::filesystem::create_directories(root / "prefix/drive_c/windows/Media");
    const std::u16string tada = Touch("prefix/drive_c/windows/Media/tada.wav");
    const std::vector<SoundFolder> searched = SoundFolders(folders, TextFromPath(root / "prefix"));
    ASSERT_EQ(searched.size(), 4u);
    EXPECT_EQ(searched[1],
              (SoundFolder{TextFromPath(root / "prefix/drive_c/windows/Media"), false}));
    EXPECT_EQ(MakeSoundItems(searched, nullptr).paths, (std::vector<std::u16string>{u"", tada}));
    // A prefix without that folder adds nothing.
    EXPECT_EQ(SoundFolders(folders, TextFromPath(root / "music")).size(), 3u);
}
#endif

TEST_F(SoundItemsTest, TheListerIsAskedForEachKnownFolderInOrder) {
    std::vector<SoundFolder> asked;
    const SoundItems items =
        MakeSoundItems(SoundFolders(folders), nullptr, [&](const SoundFolder& folder) {
            asked.push_back(folder);
            return std::vector<FolderEntry>{{u"x.wav", folder.path + u"/x.wav"},
                                            {u"y.Wav", folder.path + u"/y.Wav"}};
        });
#ifdef _WIN32
    const bool themeWithSubfolders = false;
#else
    const bool themeWithSubfolders = true;
#endif
    EXPECT_EQ(asked, (std::vector<SoundFolder>{{TextFromPath(root / "media"), themeWithSubfolders},
                                               {folders.known[53], false},
                                               {folders.known[13], false}}));
    EXPECT_EQ(items.paths.size(), 4u);
}

SoundItems TwoItems() {
    return {{u"", u"/m/a.wav", u"/m/b.wav"}, {u"(なし)", u"a.wav", u"b.wav"}};
}

TEST(SoundChoiceListTest, StoredOrBrowsedFilesFindTheirEntryOrGetAnExtraOne) {
    SoundChoiceList box(TwoItems());
    EXPECT_EQ(box.EntryForFile(u""), 0);
    EXPECT_EQ(box.EntryForFile(u"/m/b.wav"), 2);
    EXPECT_EQ(box.EntryForFile(u"/M/B.WAV"), 3) << "paths compare exactly";
    EXPECT_EQ(box.Entries().size(), 4u);
    EXPECT_EQ(box.Entries()[3].caption, u"/M/B.WAV");

    EXPECT_EQ(box.EntryForFile(u"/elsewhere/x.wav"), 4);
    EXPECT_EQ(box.EntryForFile(u"/elsewhere/x.wav"), 5) << "extra entries are not searched";
    EXPECT_EQ(box.PathAt(5), u"/elsewhere/x.wav");
    EXPECT_EQ(box.PathAt(1), u"/m/a.wav");
    EXPECT_EQ(box.PathAt(0), u"");
    EXPECT_EQ(box.PathAt(6), u"");
    EXPECT_EQ(box.PathAt(-1), u"");
}

TEST(SoundChoiceListTest, EachBoxKeepsItsOwnExtraEntries) {
    const SoundItems items = TwoItems();
    SoundChoiceList start(items), stop(items);
    start.EntryForFile(u"/elsewhere/x.wav");
    EXPECT_EQ(start.Entries().size(), 4u);
    EXPECT_EQ(stop.Entries().size(), 3u);
}

TEST_F(SoundItemsTest, PlayingStopsThePreviousSoundAndSkipsWhatIsNotAFile) {
    const std::u16string ding = Touch("music/ding.wav");
    FakeSoundPlayer player;
    PlaySoundFile(u"", player);
    PlaySoundFile(TextFromPath(root / "music/none.wav"), player);
    PlaySoundFile(TextFromPath(root / "music"), player);
    EXPECT_TRUE(player.Played().empty());
    EXPECT_EQ(player.StopCount(), 0);

    PlaySoundFile(ding, player);
    PlaySoundFile(ding, player);
    EXPECT_EQ(player.Played(), (std::vector<std::u16string>{ding, ding}));
    EXPECT_EQ(player.StopCount(), 2);
}

}  // namespace
}  // namespace qm
