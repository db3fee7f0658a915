#pragma once
// The names players give their 40 macro books, kept by the game beside the macro files:
// "mcr.ttl" holds books 1-20, "mcr_2.ttl" books 21-40. Each file is 344 bytes: 8 reserved
// bytes, the MD5 digest of bytes 24-343 (as in a macro file), then twenty 16-byte title
// fields, each CP932 text ended by its first 0 byte. A file of another size, or whose
// digest does not match, is not known to follow this layout: it is neither shown nor
// written.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "macro/MacroFile.h"

namespace qm {

class SavePlan;
struct MacroFolderContent;

inline constexpr std::size_t kTitleFileSize = 344;
inline constexpr std::size_t kTitleBlockOffset = 24;
inline constexpr std::size_t kTitleBlockSize = kTitleFileSize - kTitleBlockOffset;
inline constexpr std::size_t kBookTitleFieldSize = 16;
inline constexpr std::size_t kBookTitleCapacity = kBookTitleFieldSize - 1;
inline constexpr int kBooksPerTitleFile = 20;
inline constexpr int kTitleFileCount = 2;

struct TitleFile {
    std::array<uint8_t, kTitleFileSize> bytes{};

    // slot 0 to 19 of this file
    std::span<uint8_t> Field(int slot) {
        return std::span<uint8_t>(bytes).subspan(
            kTitleBlockOffset + kBookTitleFieldSize * std::size_t(slot), kBookTitleFieldSize);
    }
    std::span<const uint8_t> Field(int slot) const {
        return std::span<const uint8_t>(bytes).subspan(
            kTitleBlockOffset + kBookTitleFieldSize * std::size_t(slot), kBookTitleFieldSize);
    }
    std::span<const uint8_t> Block() const {
        return std::span<const uint8_t>(bytes).subspan(kTitleBlockOffset, kTitleBlockSize);
    }
    std::span<const uint8_t> StoredDigest() const {
        return std::span<const uint8_t>(bytes).subspan(kDigestOffset, 16);
    }
    bool operator==(const TitleFile&) const = default;
};

// "mcr.ttl" for file 0 (books 1-20), "mcr_2.ttl" for file 1 (books 21-40).
std::u16string TitleFileName(int file);
constexpr int TitleFileOfBook(int book) {
    return book / kBooksPerTitleFile;
}

void UpdateTitleDigest(TitleFile& file);
bool TitleDigestMatches(const TitleFile& file);

enum class TitleFileState : uint8_t {
    Missing,      // no book of its half has a title
    Present,      // 344 bytes with a matching digest
    WrongSize,    // not known to follow the layout
    WrongDigest,  // not known to follow the layout
    Unreadable,   // there, but not a regular file that could be read
};

// Whether the titles of a file in this state may be shown and written.
constexpr bool TitlesKnown(TitleFileState state) {
    return state == TitleFileState::Missing || state == TitleFileState::Present;
}

struct TitleFileOnDisk {
    TitleFileState state = TitleFileState::Missing;
    std::uintmax_t size = 0;  // the file's length
    TitleFile record;         // its first 344 bytes, zero past the end of a shorter file
};

// Reads one title file and judges its layout.
TitleFileOnDisk ReadTitleFile(const std::filesystem::path& path);

// The reserved bytes of a title file the program creates: those of the folder's mcr.dat
// when there is one, else the game's own 01 00 00 00 00 00 00 00.
std::array<uint8_t, 8> NewTitleFileReserved(const MacroFile* mcrDat);

enum class TitleChange {
    Stored,   // the field now holds the text (also: it already did)
    BadBook,  // not a book from 1 to 40
    Unknown,  // the book's title file is not known to follow the layout
    TooLong,  // more than 15 bytes in CP932
};

// The titles of an open folder: the records being edited and what the disk held when
// read or last saved.
struct BookTitles {
    std::array<TitleFile, kTitleFileCount> edited;
    std::array<TitleFileOnDisk, kTitleFileCount> disk;

    bool Known(int book) const {
        return TitlesKnown(disk[std::size_t(TitleFileOfBook(book))].state);
    }
    // The title of book 0 to 39; empty when untitled or not known.
    std::u16string Title(int book) const;
    std::span<uint8_t> Field(int book);
    std::span<const uint8_t> Field(int book) const;
    // Sets one title: only its field changes (the text and one 0 byte; bytes after the 0
    // are kept), and nothing when the text already reads so. Characters with no CP932 form
    // become "?" (callers ask or refuse first).
    TitleChange SetTitle(int book, std::u16string_view text);
    // The title files that are there but not known to follow the layout.
    std::vector<int> UnknownFiles() const;
};

// Reads both title files of a folder. macros: the folder's macro files when already read
// (for the reserved bytes of mcr.dat); otherwise mcr.dat is read for them.
BookTitles ReadBookTitles(const std::filesystem::path& folder,
                          const MacroFolderContent* macros = nullptr);

// The record a save puts in the file: with a fresh digest.
TitleFile TitleRecordToWrite(const TitleFile& edited);

// The title files a save writes: those whose bytes change; a missing one only once a
// book of its half has a title. For a save into another folder, `target` is what that
// folder holds: the open folder's title files are made there too.
std::vector<int> TitleFilesToWrite(
    const BookTitles& titles, const std::array<TitleFileOnDisk, kTitleFileCount>* target = nullptr);

// Adds those files to the plan, labelled by file name. Saving into the open folder notes
// each written file in titles.disk (titles must outlive the plan's run). A title file of
// the other folder that is not known to follow the layout refuses the save.
void PlanBookTitles(SavePlan& plan, const std::filesystem::path& folder, BookTitles& titles,
                    const std::array<TitleFileOnDisk, kTitleFileCount>* target = nullptr);

}  // namespace qm
