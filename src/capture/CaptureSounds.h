#pragma once
// The start and stop sounds of the screenshot tab: the list of offered .wav files, the
// entries of one sound box, and playing a chosen file.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/TraceLog.h"
#include "platform/Interfaces.h"

namespace qm {

// Caption of entry 0, which stands for no sound (an empty path).
inline constexpr std::u16string_view kNoSoundCaption = u"(なし)";

// The offered sounds, index-aligned: paths[0] is empty ("(なし)"), then the full path of
// each .wav file found; captions hold what the boxes show (the file's name).
struct SoundItems {
    std::vector<std::u16string> paths;
    std::vector<std::u16string> captions;
};

// A folder searched for sounds, alone or with its subfolders.
struct SoundFolder {
    std::u16string path;
    bool withSubfolders = false;
    bool operator==(const SoundFolder&) const = default;
};

// The files of a folder with their full paths, and those of its subfolders when asked (a
// few levels deep, links to folders not followed); a file in a subfolder is named by its
// path below the folder ("alsa/Front_Center.wav"). Sorted by name without regard to case;
// empty when the folder cannot be listed.
using FolderFilesFn = std::function<std::vector<FolderEntry>(const SoundFolder& folder)>;
std::vector<FolderEntry> ListFolderFiles(const SoundFolder& folder);

// The folders searched, in order. On Windows: "media" below the Windows folder (36), the
// music folder shared by all users (53), the user's music folder (13). Elsewhere: the
// desktop's sound theme folders with their subfolders, the Windows "Media" folder of the
// game's Wine prefix (when one is in use), then 53 and 13. Unknown folders are left out.
std::vector<SoundFolder> SoundFolders(IShellFolders& folders, std::u16string_view winePrefix = {});

// Builds the list: "(なし)" first, then every file of the folders whose full path ends
// exactly in ".wav" (".WAV" is not taken), sorted by name, each file once however many
// of the folders reach it. A folder that cannot be listed is skipped.
SoundItems MakeSoundItems(const std::vector<SoundFolder>& folders, const TraceFn& trace,
                          const FolderFilesFn& listFiles = ListFolderFiles);

// The entries of one sound box: those of SoundItems, then extra entries of its own for
// stored or browsed files outside the list, each showing its full path.
class SoundChoiceList {
  public:
    struct Entry {
        std::u16string caption, path;
    };

    explicit SoundChoiceList(const SoundItems& items);

    const std::vector<Entry>& Entries() const { return entries_; }
    // The sound an entry stands for; empty for entry 0 and for an index out of range.
    std::u16string PathAt(int index) const;
    // The entry to select for a stored or browsed file: the first SoundItems entry with
    // exactly this path (an empty path finds entry 0), else a new extra entry appended.
    // Only SoundItems is searched, so the same outside file chosen twice is added twice.
    int EntryForFile(std::u16string_view path);

  private:
    std::size_t itemCount_;
    std::vector<Entry> entries_;
};

// Starts a sound file without waiting for its end, after stopping the one still playing.
// Does nothing for an empty path or a file that does not exist.
void PlaySoundFile(std::u16string_view path, ISoundPlayer& player);

}  // namespace qm
