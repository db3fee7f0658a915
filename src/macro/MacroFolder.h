#pragma once
// All macro files of a character folder: 40 books of ten sets. Set s of book b (both
// counted from 0) is file number n = b * 10 + s, stored as "mcr.dat" for n = 0 and
// "mcr<n>.dat" otherwise, each in the same 7624-byte format.

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

#include "macro/MacroFile.h"

namespace qm {

class SavePlan;

inline constexpr int kBookCount = 40;
inline constexpr int kMacroFileCount = kBookCount * kSetCount;

constexpr int MacroFileNumber(int book, int set) {
    return book * kSetCount + set;
}

// Zero-filled memory from calloc, whose fresh pages the system maps only when they are
// first written; value-initialising an element leaves the zeros that it would write.
// The window holds two sets of books from start-up on, which would otherwise cost
// every start 6 MB written before a folder is even chosen.
template <class T>
struct ZeroFilledAllocator {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    using value_type = T;
    ZeroFilledAllocator() = default;
    template <class U>
    ZeroFilledAllocator(const ZeroFilledAllocator<U>&) {}
    T* allocate(std::size_t n) {
        if (void* p = std::calloc(n, sizeof(T))) return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t) { std::free(p); }
    template <class U>
    void construct(U*) {}  // valid only for types whose value is all zero bytes
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const ZeroFilledAllocator&, const ZeroFilledAllocator&) { return true; }
};

// The 400 sets in memory, about 3 MB, kept on the heap.
//
// Books can take another's sets when each is first reached rather than at once
// (TakeWhenReached): opening a folder then copies no 3 MB. Until every such set is taken,
// the other books are tied to these: before they change, are moved from or destroyed,
// these take what they still need. Every access, a read too, may copy a set in: not for
// use from several threads at once.
class MacroBooks {
  public:
    MacroBooks() : books_(kBookCount) { ids_.fill(NewId()); }
    MacroBooks(const MacroBooks& other);
    MacroBooks(MacroBooks&& other) noexcept;
    MacroBooks& operator=(const MacroBooks& other);
    MacroBooks& operator=(MacroBooks&& other) noexcept;
    ~MacroBooks();

    // Every set reached for writing is marked as maybe holding bytes.
    MacroBook& Book(int book) {
        Changing();
        Take(book * kSetCount, kSetCount);
        std::fill_n(mayHoldBytes_.begin() + book * kSetCount, kSetCount, true);
        std::fill_n(ids_.begin() + book * kSetCount, kSetCount, NewId());
        return books_[std::size_t(book)];
    }
    const MacroBook& Book(int book) const {
        Take(book * kSetCount, kSetCount);
        return books_[std::size_t(book)];
    }
    MacroFile& File(int number) {
        Changing();
        Take(number, 1);
        mayHoldBytes_[std::size_t(number)] = true;
        ids_[std::size_t(number)] = NewId();
        return Stored(number);
    }
    const MacroFile& File(int number) const {
        Take(number, 1);
        return Stored(number);
    }
    // False only for a set known to be all zero: never reached for writing since it was
    // made empty. Lets a folder's books be taken without clearing or scanning all 3 MB.
    bool MayHoldBytes(int number) const { return mayHoldBytes_[std::size_t(number)]; }
    void MakeEmpty(int number);
    // True when set `number` holds the same bytes as that of `other`, known without
    // comparing them: one took the other's bytes and neither was reached for writing
    // since. False says nothing.
    bool KnownSame(int number, const MacroBooks& other) const {
        return ids_[std::size_t(number)] == other.ids_[std::size_t(number)];
    }

    // The sets marked hold what those of `source` hold now, each copied when first
    // reached. The sets still to be taken from an earlier source are taken first.
    void TakeWhenReached(const MacroBooks& source,
                         const std::array<bool, kBookCount * kSetCount>& sets);

  private:
    MacroFile& Stored(int number) const {
        return books_[std::size_t(number / kSetCount)][std::size_t(number % kSetCount)];
    }
    // Copies in the sets from `first` on still to be taken.
    void Take(int first, int count) const {
        if (waitingCount_ > 0) TakeNow(first, count);
    }
    void TakeNow(int first, int count) const;
    // Before these books change: the books tied to them take what they still need.
    void Changing() {
        if (taker_) taker_->TakeNow(0, kBookCount * kSetCount);
    }
    // Drops the sets still to be taken and the tie to their source.
    void Untie() const;
    void MoveFrom(MacroBooks& other) noexcept;

    mutable std::vector<MacroBook, ZeroFilledAllocator<MacroBook>> books_;
    std::array<bool, kBookCount * kSetCount> mayHoldBytes_{};
    // The sets still to be copied from source_, and the books still to copy from these.
    mutable std::array<bool, kBookCount * kSetCount> waitingSets_{};
    mutable int waitingCount_ = 0;
    mutable const MacroBooks* source_ = nullptr;
    mutable const MacroBooks* taker_ = nullptr;
    // Names the bytes of each set: a set reached for writing gets a new name, one that
    // takes the bytes of another set takes its name too.
    std::array<uint64_t, kBookCount * kSetCount> ids_{};
    static uint64_t NewId();
};

enum class MacroFileState : uint8_t {
    Missing,
    Present,
    Unreadable,  // there, but not a regular file that could be read
};

// Why a macro file that is there could not be read.
struct MacroFileProblem {
    enum class Kind : uint8_t {
        NotRegular,    // a pipe, a device, a socket
        Folder,        // a folder, or a link to one
        DanglingLink,  // a link to nothing, or a loop of links
        TooLarge,      // longer than kMaxMacroFileSize: no macro file
        ReadFailed,    // opening or reading failed (cause says why)
    };
    Kind kind = Kind::ReadFailed;
    std::error_code cause;
    uintmax_t size = 0;  // TooLarge: the file's length
};

// One macro file as it is on disk.
struct MacroFileRead {
    MacroFileState state = MacroFileState::Missing;
    uint16_t size = 0;         // bytes read, at most 7624
    MacroFile file;            // zero-filled past size
    MacroFileProblem problem;  // Unreadable: why
};

// Reads file `number` of the folder by name. Only a regular file of a sane size is read:
// a pipe would block, a link to a device could give an endless tail.
MacroFileRead ReadMacroFolderFile(const std::filesystem::path& folder, int number);

// What a folder's macro files hold: the records (zero-filled where a file is missing,
// unreadable or shorter than a record) and each file's state and length read.
struct MacroFolderContent {
    MacroBooks books;
    std::array<MacroFileState, kMacroFileCount> state{};
    std::array<uint16_t, kMacroFileCount> size{};  // bytes read, at most 7624
    // Why each unreadable file could not be read, by file number.
    std::vector<std::pair<int, MacroFileProblem>> problems;

    // The number of the first file that is there but could not be read, or -1.
    int FirstUnreadable() const;
    // Why file `number` could not be read; nothing for a file that could.
    const MacroFileProblem* ProblemOf(int number) const;

    // Whether a present file's stored digest is that of its block. Worked out when first
    // asked and kept until the file is written: a save then digests only the sets whose
    // bytes changed, not all 400.
    bool StoredDigestMatches(int number) const;
    // Every file missing; the records are left as they are.
    void ForgetFiles();

  private:
    friend void NoteMacroFileWritten(MacroFolderContent&, int, const MacroFile&);
    enum class Digest : uint8_t { Unknown, Matches, Differs };
    mutable std::array<Digest, kMacroFileCount> digest_{};
};

// Reads every macro file of the folder (its text ends in a separator).
MacroFolderContent ReadMacroFolder(std::u16string_view folder);
// The same into a content that held another folder, reusing its memory: each file is
// read into its place, and only the records that held bytes are cleared.
void ReadMacroFolderInto(std::u16string_view folder, MacroFolderContent& content);

// The books as the folder holds them, for editing: the records of the files that are
// there copied, the others made empty.
void AdoptFolderBooks(MacroBooks& edited, const MacroFolderContent& disk);

// True when any title or line of the set holds text.
bool SetHasContent(const MacroFile& set);

// The bytes a save puts at the start of the file: the record with a fresh digest.
MacroFile RecordToWrite(const MacroFile& set);

// The file numbers a save of `edited` into a folder holding `disk` writes, ascending: every
// file whose bytes change (a wrong digest or a short file counts as a change), and the
// missing files of book 1 always; a missing file of the other books only when its set
// holds text, so that a save does not fill the folder with 390 empty files. For a save into
// another folder, `source` is what the open folder holds: its files are made there too,
// empty or not.
std::vector<int> MacroFilesToWrite(const MacroBooks& edited, const MacroFolderContent& disk,
                                   const MacroFolderContent* source = nullptr);

// After a successful write of file `number`: the folder now holds `written` there.
void NoteMacroFileWritten(MacroFolderContent& disk, int number, const MacroFile& written);

// Adds every file MacroFilesToWrite names to a save plan, each under its file name, and
// notes it in `disk` once it is written. `disk` must outlive the plan's run.
void PlanMacroFolder(SavePlan& plan, std::u16string_view folder, const MacroBooks& edited,
                     MacroFolderContent& disk, const MacroFolderContent* source = nullptr);
// The same for the files named, ascending.
void PlanMacroFiles(SavePlan& plan, std::u16string_view folder, const MacroBooks& edited,
                    MacroFolderContent& disk, const std::vector<int>& numbers);

}  // namespace qm
