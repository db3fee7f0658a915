#include "macro/BookTitles.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <system_error>

#include "macro/MacroFolder.h"
#include "macro/Md5.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm {

namespace {

constexpr std::array<uint8_t, 8> kGameReserved = {1, 0, 0, 0, 0, 0, 0, 0};

bool HasTitles(const TitleFile& file) {
    for (int slot = 0; slot < kBooksPerTitleFile; ++slot)
        if (file.Field(slot)[0] != 0) return true;
    return false;
}

// The record in memory for a file on disk: the file's own bytes, or for a missing file an
// empty one that would carry the given reserved bytes once a book is named.
TitleFile EditedRecord(const TitleFileOnDisk& disk, const std::array<uint8_t, 8>& reserved) {
    if (disk.state != TitleFileState::Missing) return disk.record;
    TitleFile file;
    std::copy(reserved.begin(), reserved.end(), file.bytes.begin());
    return file;
}

}  // namespace

std::u16string TitleFileName(int file) {
    return file == 0 ? u"mcr.ttl" : u"mcr_2.ttl";
}

void UpdateTitleDigest(TitleFile& file) {
    const Md5Bytes digest = Md5Digest(file.Block());
    std::copy(digest.begin(), digest.end(), file.bytes.begin() + kDigestOffset);
}

bool TitleDigestMatches(const TitleFile& file) {
    const Md5Bytes digest = Md5Digest(file.Block());
    return std::equal(digest.begin(), digest.end(), file.StoredDigest().begin());
}

TitleFileOnDisk ReadTitleFile(const std::filesystem::path& path) {
    TitleFileOnDisk disk;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        // A dangling link is no missing file: something of the player's is there.
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) return disk;
    }
    disk.state = TitleFileState::Unreadable;
    // Only a regular file is opened: a pipe by that name would block the read.
    if (ec || status.type() != std::filesystem::file_type::regular) return disk;
    // One byte more than a record tells a longer file, whatever the size the system gave.
    auto head = ReadFileHead(path, kTitleFileSize + 1);
    if (!head) return disk;
    const auto size = std::filesystem::file_size(path, ec);
    disk.size = ec ? head->size() : std::max<std::uintmax_t>(size, head->size());
    std::copy_n(head->begin(), std::min(head->size(), kTitleFileSize), disk.record.bytes.begin());
    if (head->size() != kTitleFileSize)
        disk.state = TitleFileState::WrongSize;
    else
        disk.state =
            TitleDigestMatches(disk.record) ? TitleFileState::Present : TitleFileState::WrongDigest;
    return disk;
}

std::array<uint8_t, 8> NewTitleFileReserved(const MacroFile* mcrDat) {
    if (!mcrDat) return kGameReserved;
    std::array<uint8_t, 8> reserved;
    std::copy_n(mcrDat->bytes.begin(), reserved.size(), reserved.begin());
    return reserved;
}

std::u16string BookTitles::Title(int book) const {
    if (book < 0 || book >= kBookCount || !Known(book)) return {};
    return ReadFieldText(Field(book));
}

std::span<uint8_t> BookTitles::Field(int book) {
    return edited[std::size_t(TitleFileOfBook(book))].Field(book % kBooksPerTitleFile);
}

std::span<const uint8_t> BookTitles::Field(int book) const {
    return edited[std::size_t(TitleFileOfBook(book))].Field(book % kBooksPerTitleFile);
}

TitleChange BookTitles::SetTitle(int book, std::u16string_view text) {
    if (book < 0 || book >= kBookCount) return TitleChange::BadBook;
    if (!Known(book)) return TitleChange::Unknown;
    std::span<uint8_t> field = Field(book);
    // A field that already reads so keeps its exact bytes.
    if (ReadFieldText(field) == text) return TitleChange::Stored;
    return StoreFieldText(field, text) ? TitleChange::Stored : TitleChange::TooLong;
}

std::vector<int> BookTitles::UnknownFiles() const {
    std::vector<int> files;
    for (int f = 0; f < kTitleFileCount; ++f)
        if (!TitlesKnown(disk[std::size_t(f)].state)) files.push_back(f);
    return files;
}

BookTitles ReadBookTitles(const std::filesystem::path& folder, const MacroFolderContent* macros) {
    BookTitles titles;
    for (int f = 0; f < kTitleFileCount; ++f)
        titles.disk[std::size_t(f)] = ReadTitleFile(folder / PathFromText(TitleFileName(f)));
    std::optional<MacroFile> mcrDat;
    if (macros) {
        if (macros->state[0] == MacroFileState::Present) mcrDat = macros->books.File(0);
    } else if (auto head = ReadFileHead(folder / "mcr.dat", 8)) {
        mcrDat.emplace();
        std::copy(head->begin(), head->end(), mcrDat->bytes.begin());
    }
    const auto reserved = NewTitleFileReserved(mcrDat ? &*mcrDat : nullptr);
    for (int f = 0; f < kTitleFileCount; ++f)
        titles.edited[std::size_t(f)] = EditedRecord(titles.disk[std::size_t(f)], reserved);
    return titles;
}

TitleFile TitleRecordToWrite(const TitleFile& edited) {
    TitleFile record = edited;
    UpdateTitleDigest(record);
    return record;
}

std::vector<int> TitleFilesToWrite(const BookTitles& titles,
                                   const std::array<TitleFileOnDisk, kTitleFileCount>* target) {
    std::vector<int> files;
    for (int f = 0; f < kTitleFileCount; ++f) {
        const TitleFileOnDisk& source = titles.disk[std::size_t(f)];
        const TitleFile& edited = titles.edited[std::size_t(f)];
        if (!TitlesKnown(source.state)) continue;
        const bool wanted = source.state == TitleFileState::Present || HasTitles(edited);
        if (!wanted) continue;
        const TitleFileOnDisk& there = target ? (*target)[std::size_t(f)] : source;
        // A file there that is no title file of the known layout is never written; the
        // plan refuses a save into another folder that would need to.
        if (there.state == TitleFileState::Present &&
            TitleRecordToWrite(edited).bytes == there.record.bytes)
            continue;
        files.push_back(f);
    }
    return files;
}

void PlanBookTitles(SavePlan& plan, const std::filesystem::path& folder, BookTitles& titles,
                    const std::array<TitleFileOnDisk, kTitleFileCount>* target) {
    for (int f : TitleFilesToWrite(titles, target)) {
        const std::u16string name = TitleFileName(f);
        if (target && !TitlesKnown((*target)[std::size_t(f)].state)) {
            plan.Refuse(name, Reason{.kind = ReasonKind::TitleFileUnknown});
            continue;
        }
        const TitleFile record = TitleRecordToWrite(titles.edited[std::size_t(f)]);
        std::function<void(bool)> noted;
        if (!target) {
            noted = [&titles, f, record](bool written) {
                if (!written) return;
                TitleFileOnDisk& disk = titles.disk[std::size_t(f)];
                disk.state = TitleFileState::Present;
                disk.size = kTitleFileSize;
                disk.record = record;
            };
        }
        plan.AddRecord(folder / PathFromText(name), record.bytes, name, std::move(noted));
    }
}

}  // namespace qm
