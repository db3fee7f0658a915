#include "capture/CaptureSounds.h"

#include <algorithm>
#include <filesystem>
#include <set>
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

#ifndef _WIN32
// Wine keeps the Windows sounds in "windows/Media" of drive C, in whatever case.
std::u16string WineMediaFolder(std::u16string_view prefix) {
    namespace fs = std::filesystem;
    const fs::path windows = PathFromText(prefix) / "drive_c" / "windows";
    std::error_code ec;
    for (fs::directory_iterator it(windows, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::string folded(name);
        for (char& c : folded) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        std::error_code typeError;
        if (folded == "media" && it->is_directory(typeError)) return TextFromPath(it->path());
    }
    return {};
}
#endif

}  // namespace

std::vector<FolderEntry> ListFolderFiles(const SoundFolder& folder) {
    // A sound theme holds a few hundred files; a folder of thousands is not one.
    constexpr int kDeepest = 4;
    constexpr int kMostEntries = 5000;
    namespace fs = std::filesystem;
    std::vector<FolderEntry> files;
    std::error_code ec;
    const fs::path root = PathFromText(folder.path);
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    if (ec) return files;
    int seen = 0;
    for (; it != fs::recursive_directory_iterator() && ++seen <= kMostEntries; it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            if (!folder.withSubfolders || it.depth() >= kDeepest) it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(typeError)) continue;
        const fs::path relative = it->path().lexically_relative(root);
        std::u16string name = TextFromPath(relative.generic_u8string());
        files.push_back({name, JoinPath(folder.path, TextFromPath(relative))});
    }
    std::sort(files.begin(), files.end(), NameLess);
    return files;
}

std::vector<SoundFolder> SoundFolders(IShellFolders& folders, std::u16string_view winePrefix) {
    std::vector<SoundFolder> result;
    auto add = [&result](std::u16string path, bool withSubfolders) {
        if (!path.empty()) result.push_back({std::move(path), withSubfolders});
    };
#ifdef _WIN32
    (void)winePrefix;
    const std::u16string system = folders.GetSpecialFolderPath(36);
    if (!system.empty()) add(JoinPath(system, u"media"), false);
#else
    for (std::u16string& theme : folders.SoundThemeFolders()) add(std::move(theme), true);
    if (!winePrefix.empty()) add(WineMediaFolder(winePrefix), false);
#endif
    add(folders.GetSpecialFolderPath(53), false);
    add(folders.GetSpecialFolderPath(13), false);
    return result;
}

SoundItems MakeSoundItems(const std::vector<SoundFolder>& folders, const TraceFn& trace,
                          const FolderFilesFn& listFiles) {
    if (trace) {
        trace(u"MakeSoundItems()");
        trace(u"AddItem \"" + std::u16string(kNoSoundCaption) + u"\"");
        trace(u"CreateObject");
    }
    std::vector<FolderEntry> found;
    std::set<std::filesystem::path> seen;
    for (const SoundFolder& folder : folders) {
        if (folder.path.empty()) continue;
        for (FolderEntry& file : listFiles(folder)) {
            const std::u16string_view path = file.path;
            if (path.size() < 4 || path.substr(path.size() - 4) != u".wav") continue;
            // The same file reached twice (a folder inside another, a link) is offered once.
            std::error_code ec;
            std::filesystem::path identity =
                std::filesystem::weakly_canonical(PathFromText(file.path), ec);
            if (ec) identity = PathFromText(file.path);
            if (!seen.insert(identity).second) continue;
            found.push_back(std::move(file));
        }
    }
    std::stable_sort(found.begin(), found.end(), NameLess);

    SoundItems items;
    items.paths.emplace_back();
    items.captions.emplace_back(kNoSoundCaption);
    for (FolderEntry& file : found) {
        items.paths.push_back(std::move(file.path));
        items.captions.push_back(std::move(file.name));
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
