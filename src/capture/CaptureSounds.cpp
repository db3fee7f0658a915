#include "capture/CaptureSounds.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "macro/MacroFile.h"
#include "storage/Paths.h"

namespace qm {

namespace {

char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c;
}

bool NameLess(const FolderEntry& a, const FolderEntry& b) {
    const auto folded = std::lexicographical_compare(
        a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
        [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); });
    if (folded) return true;
    const auto foldedBack = std::lexicographical_compare(
        b.name.begin(), b.name.end(), a.name.begin(), a.name.end(),
        [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); });
    return !foldedBack && a.name < b.name;
}

bool EndsWithSeparator(std::u16string_view path) {
    return !path.empty() && (path.back() == u'/' || path.back() == PathSeparator().back());
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
    std::u16string joined(folder);
    if (!EndsWithSeparator(joined)) joined += PathSeparator();
    joined += name;
    return joined;
}

}  // namespace

std::vector<FolderEntry> ListFolderFiles(std::u16string_view folder) {
    std::vector<FolderEntry> files;
    std::error_code ec;
    std::filesystem::directory_iterator it(PathFromText(folder), ec);
    if (ec) return files;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::u16string name = TextFromPath(it->path().filename());
        files.push_back({name, JoinPath(folder, name)});
    }
    std::sort(files.begin(), files.end(), NameLess);
    return files;
}

std::vector<std::u16string> SoundFolders(IShellFolders& folders) {
    std::vector<std::u16string> result;
    const std::u16string system = folders.GetSpecialFolderPath(36);
#ifdef _WIN32
    result.push_back(system.empty() ? std::u16string() : JoinPath(system, u"media"));
#else
    // Elsewhere folder 36 is already the system sound folder.
    result.push_back(system);
#endif
    result.push_back(folders.GetSpecialFolderPath(53));
    result.push_back(folders.GetSpecialFolderPath(13));
    return result;
}

SoundItems MakeSoundItems(IShellFolders& folders, const TraceFn& trace,
                          const FolderFilesFn& listFiles) {
    if (trace) {
        trace(u"MakeSoundItems()");
        trace(u"AddItem \"" + std::u16string(kNoSoundCaption) + u"\"");
        trace(u"CreateObject");
    }
    SoundItems items;
    items.paths.emplace_back();
    items.captions.emplace_back(kNoSoundCaption);

    for (const std::u16string& folder : SoundFolders(folders)) {
        if (folder.empty()) continue;
        for (const FolderEntry& file : listFiles(folder)) {
            const std::u16string_view path = file.path;
            if (path.size() < 4 || path.substr(path.size() - 4) != u".wav") continue;
            items.paths.push_back(file.path);
            items.captions.push_back(file.name);
        }
    }
    return items;
}

SoundChoiceList::SoundChoiceList(const SoundItems& items) : itemCount_(items.paths.size()) {
    for (std::size_t i = 0; i < items.paths.size(); ++i) {
        entries_.push_back(
            {i < items.captions.size() ? items.captions[i] : items.paths[i], items.paths[i]});
    }
}

std::u16string SoundChoiceList::PathAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return {};
    return entries_[static_cast<std::size_t>(index)].path;
}

int SoundChoiceList::EntryForFile(std::u16string_view path) {
    for (std::size_t i = 0; i < itemCount_; ++i) {
        if (entries_[i].path == path) return static_cast<int>(i);
    }
    entries_.push_back({std::u16string(path), std::u16string(path)});
    return static_cast<int>(entries_.size() - 1);
}

void PlaySoundFile(std::u16string_view path, ISoundPlayer& player) {
    if (path.empty() || !FileExists(path)) return;
    player.Stop();
    player.PlayAsync(path);
}

}  // namespace qm
