#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "capture/CaptureSounds.h"
#include "storage/Paths.h"
#include "platform/fake/FakeSound.h"

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
        for (const char* sub : {"sounds", "shared", "music"}) {
            std::filesystem::create_directories(root / sub);
        }
        folders.known[36] = TextFromPath(root / "sounds");
        folders.known[53] = TextFromPath(root / "shared");
        folders.known[13] = TextFromPath(root / "music");
    }
    ~SoundItemsTest() override {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::u16string Touch(const std::filesystem::path& relative) {
        std::ofstream(root / relative) << "RIFF";
        return TextFromPath(root / relative);
    }

    std::filesystem::path root;
    Folders folders;
    std::vector<std::u16string> trace;
    TraceFn traceFn = [this](std::u16string_view line) { trace.emplace_back(line); };
};

TEST_F(SoundItemsTest, WithoutWavFilesOnlyNoSoundIsOffered) {
    Touch("sounds/readme.txt");
    std::filesystem::create_directories(root / "music/sub.wav");  // a folder, not a file
    const SoundItems items = MakeSoundItems(folders, traceFn);
    EXPECT_EQ(items.captions, std::vector<std::u16string>{u"(なし)"});
    EXPECT_EQ(items.paths, std::vector<std::u16string>{u""});
    EXPECT_EQ(trace, (std::vector<std::u16string>{u"MakeSoundItems()", u"AddItem \"(なし)\"",
                                                  u"CreateObject"}));
}

TEST_F(SoundItemsTest, WavFilesOfTheThreeFoldersInOrderWithCaseSensitiveExtension) {
    const std::u16string chimes = Touch("sounds/chimes.wav");
    Touch("sounds/Chimes2.WAV");
    const std::u16string ding = Touch("sounds/Ding.wav");
    Touch("sounds/notes.wave");
    const std::u16string shared = Touch("shared/共有.wav");
    const std::u16string mine = Touch("music/b.wav");
    const std::u16string first = Touch("music/A.wav");
    std::filesystem::create_directories(root / "music/deeper");
    Touch("music/deeper/hidden.wav");

    const SoundItems items = MakeSoundItems(folders, traceFn);
    EXPECT_EQ(items.captions, (std::vector<std::u16string>{u"(なし)", u"chimes.wav", u"Ding.wav",
                                                           u"共有.wav", u"A.wav", u"b.wav"}));
    EXPECT_EQ(items.paths, (std::vector<std::u16string>{u"", chimes, ding, shared, first, mine}));
}

TEST_F(SoundItemsTest, UnknownOrUnreadableFoldersAreSkipped) {
    folders.known.erase(36);
    folders.known[53] = TextFromPath(root / "does-not-exist");
    const std::u16string mine = Touch("music/b.wav");
    const SoundItems items = MakeSoundItems(folders, nullptr);
    EXPECT_EQ(items.paths, (std::vector<std::u16string>{u"", mine}));

    EXPECT_EQ(SoundFolders(folders),
              (std::vector<std::u16string>{u"", folders.known[53], folders.known[13]}));
    folders.known[36] = u"/usr/share/sounds";
    EXPECT_EQ(SoundFolders(folders)[0], u"/usr/share/sounds");
}

TEST_F(SoundItemsTest, TheListerIsAskedForEachKnownFolderInOrder) {
    std::vector<std::u16string> asked;
    const SoundItems items = MakeSoundItems(folders, nullptr, [&](std::u16string_view folder) {
        asked.emplace_back(folder);
        return std::vector<FolderEntry>{{u"x.wav", std::u16string(folder) + u"/x.wav"},
                                        {u"y.Wav", std::u16string(folder) + u"/y.Wav"}};
    });
    EXPECT_EQ(asked, (std::vector<std::u16string>{TextFromPath(root / "sounds"), folders.known[53],
                                                  folders.known[13]}));
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
