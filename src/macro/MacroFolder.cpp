#include "macro/MacroFolder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

#include "macro/Md5.h"
#include "storage/FileSystem.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm {

uint64_t MacroBooks::NewId() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

MacroBooks::MacroBooks(const MacroBooks& other)
    : mayHoldBytes_(other.mayHoldBytes_), ids_(other.ids_) {
    other.Take(0, kMacroFileCount);
    books_ = other.books_;
}

MacroBooks::MacroBooks(MacroBooks&& other) noexcept {
    MoveFrom(other);
}

MacroBooks& MacroBooks::operator=(const MacroBooks& other) {
    if (this == &other) return *this;
    Changing();
    Untie();  // every set is written below
    other.Take(0, kMacroFileCount);
    books_ = other.books_;
    mayHoldBytes_ = other.mayHoldBytes_;
    ids_ = other.ids_;
    return *this;
}

MacroBooks& MacroBooks::operator=(MacroBooks&& other) noexcept {
    if (this == &other) return *this;
    Changing();
    Untie();
    MoveFrom(other);
    return *this;
}

MacroBooks::~MacroBooks() {
    Changing();
    Untie();
}

// Takes other's memory, its sets still to be taken and both its ties.
void MacroBooks::MoveFrom(MacroBooks& other) noexcept {
    books_ = std::move(other.books_);
    mayHoldBytes_ = other.mayHoldBytes_;
    ids_ = other.ids_;
    other.ids_.fill(NewId());  // what is left there is not those bytes
    waitingSets_ = other.waitingSets_;
    waitingCount_ = std::exchange(other.waitingCount_, 0);
    other.waitingSets_.fill(false);
    source_ = std::exchange(other.source_, nullptr);
    taker_ = std::exchange(other.taker_, nullptr);
    if (source_) source_->taker_ = this;
    if (taker_) taker_->source_ = this;
}

void MacroBooks::TakeNow(int first, int count) const {
    for (int n = first; n < first + count && waitingCount_ > 0; ++n) {
        if (!waitingSets_[std::size_t(n)]) continue;
        Stored(n) = source_->Stored(n);
        waitingSets_[std::size_t(n)] = false;
        --waitingCount_;
    }
    if (waitingCount_ == 0) Untie();
}

void MacroBooks::Untie() const {
    if (source_) source_->taker_ = nullptr;
    source_ = nullptr;
    waitingSets_.fill(false);
    waitingCount_ = 0;
}

void MacroBooks::MakeEmpty(int number) {
    Changing();
    if (waitingSets_[std::size_t(number)]) {
        waitingSets_[std::size_t(number)] = false;
        if (--waitingCount_ == 0) Untie();
    }
    Stored(number) = MacroFile{};
    mayHoldBytes_[std::size_t(number)] = false;
    ids_[std::size_t(number)] = NewId();
}

void MacroBooks::TakeWhenReached(const MacroBooks& source,
                                 const std::array<bool, kMacroFileCount>& sets) {
    if (&source == this) return;
    Changing();
    // What an earlier source still owes is taken now, unless it is replaced.
    for (int n = 0; n < kMacroFileCount && waitingCount_ > 0; ++n)
        if (waitingSets_[std::size_t(n)] && !sets[std::size_t(n)]) TakeNow(n, 1);
    Untie();
    // The source holds its own bytes from now on, and serves these books only.
    source.Take(0, kMacroFileCount);
    if (source.taker_) source.taker_->TakeNow(0, kMacroFileCount);
    for (int n = 0; n < kMacroFileCount; ++n) {
        if (!sets[std::size_t(n)]) continue;
        waitingSets_[std::size_t(n)] = true;
        mayHoldBytes_[std::size_t(n)] = true;
        ids_[std::size_t(n)] = source.ids_[std::size_t(n)];
        ++waitingCount_;
    }
    if (waitingCount_ == 0) return;
    source_ = &source;
    source.taker_ = this;
}

void MacroFolderContent::ForgetFiles() {
    state.fill(MacroFileState::Missing);
    size.fill(0);
    problems.clear();
    digest_.fill(Digest::Unknown);
}

int MacroFolderContent::FirstUnreadable() const {
    auto it = std::find(state.begin(), state.end(), MacroFileState::Unreadable);
    return it == state.end() ? -1 : int(it - state.begin());
}

bool MacroFolderContent::StoredDigestMatches(int number) const {
    Digest& known = digest_[std::size_t(number)];
    if (known == Digest::Unknown) {
        const MacroFile& file = books.File(number);
        const Md5Bytes computed = Md5Digest(file.Block());
        known = std::equal(computed.begin(), computed.end(), file.StoredDigest().begin())
                    ? Digest::Matches
                    : Digest::Differs;
    }
    return known == Digest::Matches;
}

namespace {

// The file number a name stands for ("mcr.dat" 0, "mcr<n>.dat" n from 1 to 399 without
// leading zeros), or -1. Windows finds a file whatever the case of its name; so does
// the game there, and so must this. The name is in the system's own form.
template <class Char>
int NumberOfMacroFile(std::basic_string_view<Char> name) {
    auto same = [](std::basic_string_view<Char> a, std::string_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](Char x, char y) {
#ifdef _WIN32
            if (x >= Char('A') && x <= Char('Z')) x = Char(x + 32);
#endif
            return x == Char(y);
        });
    };
    if (name.size() < 7 || !same(name.substr(0, 3), "mcr") ||
        !same(name.substr(name.size() - 4), ".dat"))
        return -1;
    const std::basic_string_view<Char> digits = name.substr(3, name.size() - 7);
    if (digits.empty()) return 0;
    if (digits.size() > 3 || digits[0] == Char('0')) return -1;
    int n = 0;
    for (Char c : digits) {
        if (c < Char('0') || c > Char('9')) return -1;
        n = n * 10 + int(c - Char('0'));
    }
    return n < kMacroFileCount ? n : -1;
}

using Kind = MacroFileProblem::Kind;

MacroFileProblem Problem(Kind kind, std::error_code cause = {}, uintmax_t size = 0) {
    MacroFileProblem problem;
    problem.kind = kind;
    problem.cause = cause;
    problem.size = size;
    return problem;
}

// Why a read of a macro file failed, as the opened file itself tells it: the type
// looked at before the open may have changed since.
MacroFileProblem ProblemOfRead(std::error_code cause, const ReadFacts& facts) {
    if (cause == TooLongFileError()) return Problem(Kind::TooLarge, {}, facts.size);
    if (cause == NotRegularFileError())
        return Problem(facts.kind == FileStat::Kind::Directory ? Kind::Folder : Kind::NotRegular);
    return Problem(Kind::ReadFailed, cause);
}

bool NoSuchEntry(std::error_code ec) {
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

void Refuse(MacroFolderContent& content, int n, const MacroFileProblem& problem) {
    content.state[std::size_t(n)] = MacroFileState::Unreadable;
    content.problems.emplace_back(n, problem);
}

// File n of the folder, whose type (links followed) is known: only a regular file is
// opened, as a pipe by that name would block the read and a link to a device could give
// an endless tail. The one descriptor opened tells the file's type and length before a
// byte is read into the record's place.
void ReadMacroFileInto(MacroFolderContent& content, int n, IFolderReader& folder,
                       const IFolderReader::Name& name, EntryType type) {
    if (type == EntryType::Directory) return Refuse(content, n, Problem(Kind::Folder));
    if (type != EntryType::Regular) return Refuse(content, n, Problem(Kind::NotRegular));
    auto& bytes = content.books.File(n).bytes;
    ReadFacts facts;
    if (const std::error_code cause = folder.ReadInto(name, bytes, kMaxMacroFileSize, facts)) {
        content.books.File(n) = MacroFile{};
        return Refuse(content, n, ProblemOfRead(cause, facts));
    }
    std::fill(bytes.begin() + std::ptrdiff_t(facts.got), bytes.end(), uint8_t(0));
    content.state[std::size_t(n)] = MacroFileState::Present;
    content.size[std::size_t(n)] = uint16_t(facts.got);
}

// File n looked up by its name, for a folder that cannot be listed. A name whose look-up
// fails for another reason than its absence may still be a file: it is refused, never
// taken as missing (a save would then write over it).
void ReadMacroFileByName(MacroFolderContent& content, int n, IFolderReader& folder) {
    const IFolderReader::Name name = PathFromText(MacroFileName(n)).native();
    EntryType type{};
    if (const std::error_code ec = folder.Look(name, true, type)) {
        EntryType own{};
        const std::error_code linkError = folder.Look(name, false, own);
        if (!linkError)  // a link to nothing, or a loop of links
            return Refuse(content, n, Problem(Kind::DanglingLink, ec));
        if (!NoSuchEntry(linkError)) Refuse(content, n, Problem(Kind::ReadFailed, linkError));
        return;
    }
    ReadMacroFileInto(content, n, folder, name, type);
}

// The file at path, whose type is known: only a regular file is opened.
MacroFileRead ReadMacroFileAt(const std::filesystem::path& path, std::filesystem::file_type type) {
    MacroFileRead read;
    auto unreadable = [&](const MacroFileProblem& problem) {
        read.state = MacroFileState::Unreadable;
        read.problem = problem;
        return read;
    };
    if (type == std::filesystem::file_type::directory) return unreadable(Problem(Kind::Folder));
    if (type != std::filesystem::file_type::regular) return unreadable(Problem(Kind::NotRegular));
    ReadFacts facts;
    if (const std::error_code cause =
            CurrentFileSystem().ReadInto(path, read.file.bytes, kMaxMacroFileSize, facts)) {
        read.file = MacroFile{};
        return unreadable(ProblemOfRead(cause, facts));
    }
    read.state = MacroFileState::Present;
    read.size = uint16_t(facts.got);
    return read;
}

// After a read into memory that held another folder: the records of files that were
// there before and are not now become empty (a record read is whole: its file's bytes,
// then zeros).
void ClearWhatIsGone(MacroFolderContent& content,
                     const std::array<MacroFileState, kMacroFileCount>& before) {
    for (int n = 0; n < kMacroFileCount; ++n)
        if (before[std::size_t(n)] == MacroFileState::Present &&
            content.state[std::size_t(n)] != MacroFileState::Present)
            content.books.File(n) = MacroFile{};
}

}  // namespace

const MacroFileProblem* MacroFolderContent::ProblemOf(int number) const {
    for (const auto& [n, problem] : problems)
        if (n == number) return &problem;
    return nullptr;
}

MacroFileRead ReadMacroFolderFile(const std::filesystem::path& folder, int number) {
    const std::filesystem::path path = folder / PathFromText(MacroFileName(number));
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        // A dangling link or a loop is no missing file either, nor is a name that could
        // not be looked up.
        std::error_code linkError;
        const auto own = std::filesystem::symlink_status(path, linkError);
        MacroFileRead read;
        read.state = MacroFileState::Unreadable;
        if (std::filesystem::exists(own))
            read.problem = Problem(Kind::DanglingLink, ec);
        else if (linkError && !NoSuchEntry(linkError))
            read.problem = Problem(Kind::ReadFailed, linkError);
        else
            return {};
        return read;
    }
    return ReadMacroFileAt(path, status.type());
}

MacroFolderContent ReadMacroFolder(std::u16string_view folder) {
    MacroFolderContent content;
    ReadMacroFolderInto(folder, content);
    return content;
}

void ReadMacroFolderInto(std::u16string_view folder, MacroFolderContent& content) {
    // Only the records that held bytes and are not read again are cleared, not all 3 MB.
    const std::array<MacroFileState, kMacroFileCount> before = content.state;
    content.ForgetFiles();
    const std::filesystem::path base = PathFromText(folder);
    std::error_code ec;
    const std::unique_ptr<IFolderReader> reader = CurrentFileSystem().OpenFolder(base, ec);
    if (!reader) {
        // No such folder holds none of the files. Otherwise whether they are there is
        // unknown, and none may be taken as missing.
        if (!NoSuchEntry(ec))
            for (int n = 0; n < kMacroFileCount; ++n)
                Refuse(content, n, Problem(Kind::ReadFailed, ec));
        ClearWhatIsGone(content, before);
        return;
    }
    // One listing finds the files: most of the 400 names are missing in most folders. The
    // listing tells each entry's type; only a link costs a look at its target. The same
    // listing finds what killed saves left.
    std::vector<ListedEntry> entries;
    entries.reserve(512);
    if (!reader->List(entries)) {
        // Read in the files' order, not the listing's: the records fill memory from its
        // start, and the problems come sorted.
        std::array<const ListedEntry*, kMacroFileCount> files{};
        std::vector<std::filesystem::path> stale;
        for (const ListedEntry& entry : entries) {
            const int n = NumberOfMacroFile(
                std::basic_string_view<std::filesystem::path::value_type>(entry.name));
            if (n >= 0)
                files[std::size_t(n)] = &entry;
            else if (IsStaleTempFile(entry))
                stale.push_back(base / entry.name);
        }
        for (int n = 0; n < kMacroFileCount; ++n) {
            const ListedEntry* entry = files[std::size_t(n)];
            if (!entry) continue;
            EntryType type = entry->type;
            if (type == EntryType::Link) {
                if (const std::error_code target = reader->Look(entry->name, true, type)) {
                    Refuse(content, n, Problem(Kind::DanglingLink, target));
                    continue;
                }
            }
            ReadMacroFileInto(content, n, *reader, entry->name, type);
        }
        for (const std::filesystem::path& path : stale) CurrentFileSystem().Remove(path);
    } else {
        // A folder that cannot be listed may still let its files be found by name.
        for (int n = 0; n < kMacroFileCount; ++n) ReadMacroFileByName(content, n, *reader);
    }
    ClearWhatIsGone(content, before);
}

void AdoptFolderBooks(MacroBooks& edited, const MacroFolderContent& disk) {
    std::array<bool, kMacroFileCount> present{};
    for (int n = 0; n < kMacroFileCount; ++n) {
        if (disk.state[std::size_t(n)] == MacroFileState::Present)
            present[std::size_t(n)] = true;
        else if (edited.MayHoldBytes(n))
            edited.MakeEmpty(n);
    }
    // Most sets are never shown nor saved before the next open: each is copied when
    // first reached.
    edited.TakeWhenReached(disk.books, present);
}

bool SetHasContent(const MacroFile& set) {
    for (int m = 0; m < kMacrosPerSet; ++m) {
        if (set.Title(m)[0] != 0) return true;
        for (int k = 0; k < kLinesPerMacro; ++k)
            if (set.Line(m, k)[0] != 0) return true;
    }
    return false;
}

MacroFile RecordToWrite(const MacroFile& set) {
    MacroFile record = set;
    UpdateMacroDigest(record);
    return record;
}

std::vector<int> MacroFilesToWrite(const MacroBooks& edited, const MacroFolderContent& disk,
                                   const MacroFolderContent* source) {
    std::vector<int> numbers;
    for (int n = 0; n < kMacroFileCount; ++n) {
        bool write = false;
        switch (disk.state[std::size_t(n)]) {
            case MacroFileState::Missing:
                write = n < kSetCount || SetHasContent(edited.File(n)) ||
                        (source && source->state[std::size_t(n)] == MacroFileState::Present);
                break;
            case MacroFileState::Unreadable:
                write = true;  // cannot be compared; the write says whether it can be replaced
                break;
            case MacroFileState::Present: {
                // The record written would be the set with a fresh digest: it differs from
                // the file when the set's bytes do, or else when the file's digest is wrong.
                // Most sets were not reached since they were read or saved: those are
                // neither compared nor read (which would copy them in from the content).
                auto equal = [&] {
                    const MacroFile& set = edited.File(n);
                    const MacroFile& old = disk.books.File(n);
                    return std::equal(set.bytes.begin(), set.bytes.begin() + kDigestOffset,
                                      old.bytes.begin()) &&
                           std::equal(set.Block().begin(), set.Block().end(), old.Block().begin());
                };
                const bool same = edited.KnownSame(n, disk.books) || equal();
                write = disk.size[std::size_t(n)] < kMacroFileSize || !same ||
                        !disk.StoredDigestMatches(n);
                break;
            }
        }
        if (write) numbers.push_back(n);
    }
    return numbers;
}

void NoteMacroFileWritten(MacroFolderContent& disk, int number, const MacroFile& written) {
    disk.books.File(number) = written;
    disk.state[std::size_t(number)] = MacroFileState::Present;
    disk.size[std::size_t(number)] = uint16_t(kMacroFileSize);
    disk.digest_[std::size_t(number)] = MacroFolderContent::Digest::Matches;
}

void PlanMacroFolder(SavePlan& plan, std::u16string_view folder, const MacroBooks& edited,
                     MacroFolderContent& disk, const MacroFolderContent* source) {
    PlanMacroFiles(plan, folder, edited, disk, MacroFilesToWrite(edited, disk, source));
}

void PlanMacroFiles(SavePlan& plan, std::u16string_view folder, const MacroBooks& edited,
                    MacroFolderContent& disk, const std::vector<int>& numbers) {
    for (int n : numbers) {
        const MacroFile record = RecordToWrite(edited.File(n));
        const std::u16string name = MacroFileName(n);
        plan.AddRecord(PathFromText(std::u16string(folder) + name), record.bytes, name,
                       [&disk, n, record](bool written) {
                           if (written) NoteMacroFileWritten(disk, n, record);
                       });
    }
}

}  // namespace qm
