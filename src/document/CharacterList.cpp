#include "document/CharacterList.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "macro/MacroFolder.h"
#include "storage/FileSystem.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/Utf.h"

namespace qm {

namespace {

namespace fs = std::filesystem;

bool IsSeparator(char16_t c) {
#ifdef _WIN32
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// Windows finds a file whatever the case of its name, and so does the game there.
bool SameName(std::u16string_view a, std::u16string_view b) {
#ifdef _WIN32
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
#else
    return a == b;
#endif
}

// Whether a name is that of a macro file after the first: "mcr<n>.dat", n from 1 to 399
// without leading zeros.
bool IsLaterMacroFileName(std::u16string_view name) {
    if (name.size() < 8 || name.size() > 10 || !SameName(name.substr(0, 3), u"mcr") ||
        !SameName(name.substr(name.size() - 4), u".dat"))
        return false;
    const std::u16string_view digits = name.substr(3, name.size() - 7);
    if (digits[0] == u'0') return false;
    int n = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + (c - u'0');
    }
    return n < kMacroFileCount;
}

// Only looked at, never opened: a pipe would block, a link to a device could do anything.
bool IsRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::status(path, ec));
}

// The type the listing gave, looked up only for a link (followed).
bool IsFolderEntry(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_directory(ec) && !ec;
}
bool IsFileEntry(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec) && !ec;
}

bool HoldsLaterMacroFile(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (IsLaterMacroFileName(TextFromPath(it->path().filename())) && IsFileEntry(*it))
            return true;
    return false;
}

// The files looked at in each folder. One path per folder is made and its file name
// replaced: making a path anew costs more than the look at the file.
struct FileNames {
    fs::path mcrDat = PathFromText(u"mcr.dat");
    fs::path cnfDat = PathFromText(u"cnf.dat");
    std::array<fs::path, kTitleFileCount> titles = {PathFromText(TitleFileName(0)),
                                                    PathFromText(TitleFileName(1))};
};

bool MissingFileError(std::error_code ec) {
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

// A title file judged as ReadTitleFile judges it, from the length the system gave and
// the bytes read into the record (at most a record's length, zero past them).
void JudgeTitleFile(std::size_t got, uintmax_t size, TitleFileOnDisk& disk) {
    disk.size = std::max<uintmax_t>(size, got);
    if (got != kTitleFileSize || size != kTitleFileSize)
        disk.state = TitleFileState::WrongSize;
    else
        disk.state =
            TitleDigestMatches(disk.record) ? TitleFileState::Present : TitleFileState::WrongDigest;
}

// One look before the file is opened tells both that it is a regular file (a pipe or a
// link to a device is never opened) and its length.
void ReadTitleFileLookingFirst(const fs::path& path, TitleFileOnDisk& disk) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);  // fails for all but a regular file
    if (ec && MissingFileError(ec)) {
        // A dangling link is no missing file: something of the player's is there.
        std::error_code ignored;
        if (!fs::exists(fs::symlink_status(path, ignored))) return;
    }
    disk.state = TitleFileState::Unreadable;
    if (ec) return;
    // Any length is read (its first bytes); the judging names a wrong size.
    ReadFacts facts;
    if (CurrentFileSystem().ReadInto(path, disk.record.bytes, std::numeric_limits<uint64_t>::max(),
                                     facts)) {
        disk.record = {};
        return;
    }
    JudgeTitleFile(facts.got, size, disk);
}

#ifndef _WIN32
// The open itself refuses a link, so a file that is none is judged from the opened file
// with no look before: a pipe does not block the open, and only a regular file is read.
// False for a link, or a path too long to open in one call: those are looked at first.
bool ReadTitleFileNoLink(const fs::path& path, TitleFileOnDisk& disk) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP || errno == ENAMETOOLONG) return false;
        if (errno != ENOENT && errno != ENOTDIR) disk.state = TitleFileState::Unreadable;
        return true;
    }
    disk.state = TitleFileState::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        std::size_t got = 0;
        bool failed = false;
        while (got < kTitleFileSize && !failed) {
            const ssize_t n = ::read(fd, disk.record.bytes.data() + got, kTitleFileSize - got);
            if (n == 0) break;
            if (n > 0)
                got += std::size_t(n);
            else
                failed = errno != EINTR;
        }
        if (failed)
            disk.record = {};
        else
            JudgeTitleFile(got, uintmax_t(st.st_size), disk);
    }
    ::close(fd);
    return true;
}
#endif

// Reads one title file into disk, which is as a missing file leaves it.
void ReadTitleFileOnce(const fs::path& path, TitleFileOnDisk& disk) {
#ifndef _WIN32
    // A file system a test put in place is used as it is.
    if (&CurrentFileSystem() == &SystemFileSystem() && ReadTitleFileNoLink(path, disk)) return;
#endif
    ReadTitleFileLookingFirst(path, disk);
}

// The titles as ReadBookTitles gives them, read into titles as made. mcr.dat, whose first
// bytes a missing title file would get, is read only then, and only when it is a regular
// file. file: any file of the folder; its name is replaced.
void ReadTitles(fs::path& file, const FileNames& names, bool mcrDatIsFile, BookTitles& titles) {
    bool missing = false;
    for (int f = 0; f < kTitleFileCount; ++f) {
        TitleFileOnDisk& disk = titles.disk[std::size_t(f)];
        ReadTitleFileOnce(file.replace_filename(names.titles[std::size_t(f)]), disk);
        if (disk.state == TitleFileState::Missing)
            missing = true;
        else
            titles.edited[std::size_t(f)] = disk.record;
    }
    if (!missing) return;
    std::array<uint8_t, 8> reserved = NewTitleFileReserved(nullptr);
    if (std::optional<std::vector<uint8_t>> head;
        mcrDatIsFile &&
        (head = ReadFileHead(file.replace_filename(names.mcrDat), reserved.size()))) {
        reserved.fill(0);
        std::copy(head->begin(), head->end(), reserved.begin());
    }
    for (int f = 0; f < kTitleFileCount; ++f)
        if (titles.disk[std::size_t(f)].state == TitleFileState::Missing)
            std::copy(reserved.begin(), reserved.end(),
                      titles.edited[std::size_t(f)].bytes.begin());
}

// Whether the folder is a character's, whose titles are then read. Book 1 or the chat
// colours tell most characters by one or two looks; a folder holding neither may still
// hold a later book.
bool ReadCharacter(const fs::path& folder, const FileNames& names, BookTitles& titles) {
    fs::path file = folder / names.mcrDat;
    const bool mcrDat = IsRegularFile(file);
    if (!mcrDat && !IsRegularFile(file.replace_filename(names.cnfDat)) &&
        !HoldsLaterMacroFile(folder))
        return false;
    ReadTitles(file, names, mcrDat, titles);
    return true;
}

// A name the program's text cannot give back (no UTF-8 on Linux) would lead to another
// folder, or to none, when opened by its text.
bool NameRoundTrips([[maybe_unused]] const fs::path& name,
                    [[maybe_unused]] std::u16string_view text) {
#ifdef _WIN32
    return true;
#else
    return Utf16ToUtf8(text) == name.native();
#endif
}

bool NameBefore(const std::u16string& a, const std::u16string& b) {
    const auto [x, y] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char16_t p, char16_t q) { return Lower(p) == Lower(q); });
    if (x != a.end() && y != b.end()) return Lower(*x) < Lower(*y);
    if (x != a.end() || y != b.end()) return y != b.end();
    return a < b;  // names that differ only in case, in a fixed order
}

ListError ListFailure(const fs::path& user, std::error_code cause) {
    std::error_code ec;
    const fs::file_status status = fs::status(user, ec);
    if (status.type() == fs::file_type::not_found) return {ListError::Kind::Missing, cause};
    if (!ec && status.type() != fs::file_type::directory)
        return {ListError::Kind::NotAFolder, cause};
    if (cause == std::errc::permission_denied || cause == std::errc::operation_not_permitted)
        return {ListError::Kind::Denied, cause};
    return {ListError::Kind::Failed, cause};
}

}  // namespace

std::vector<CharacterFolder> ListCharacterFolders(std::u16string_view userFolder,
                                                  ListError* error) {
    if (error) *error = {};
    std::u16string base(userFolder);
    if (!base.empty() && !IsSeparator(base.back())) base += PathSeparator();
    const fs::path user = PathFromText(userFolder);

    const FileNames names;
    std::vector<CharacterFolder> found;
    std::error_code ec;
    fs::directory_iterator it(user, ec);
    if (ec) {
        if (error) *error = ListFailure(user, ec);
        return found;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (!IsFolderEntry(*it)) continue;
        const fs::path name = it->path().filename();
        std::u16string text = TextFromPath(name);
        if (!NameRoundTrips(name, text)) continue;
        // Read in place: the titles are over a kilobyte.
        CharacterFolder& character = found.emplace_back();
        if (!ReadCharacter(it->path(), names, character.titles)) {
            found.pop_back();
            continue;
        }
        character.folder = base + text + std::u16string(PathSeparator());
        character.name = std::move(text);
    }
    if (ec && error) *error = {ListError::Kind::Failed, ec};
    std::vector<std::size_t> order(found.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return NameBefore(found[a].name, found[b].name);
    });
    std::vector<CharacterFolder> sorted;
    sorted.reserve(found.size());
    for (std::size_t i : order) sorted.push_back(std::move(found[i]));
    return sorted;
}

}  // namespace qm
