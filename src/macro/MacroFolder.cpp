#include "macro/MacroFolder.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "macro/Md5.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm {

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
// the game there, and so must this.
int NumberOfMacroFile(std::string_view name) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    auto same = [&](std::string_view a, std::string_view b) {
#ifdef _WIN32
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [&](char x, char y) { return lower(x) == lower(y); });
#else
        (void)lower;
        return a == b;
#endif
    };
    if (name.size() < 7 || !same(name.substr(0, 3), "mcr") ||
        !same(name.substr(name.size() - 4), ".dat"))
        return -1;
    const std::string_view digits = name.substr(3, name.size() - 7);
    if (digits.empty()) return 0;
    if (digits.size() > 3 || digits[0] == '0') return -1;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n < kMacroFileCount ? n : -1;
}

// Only a regular file of a sane size is opened: a pipe by that name would block the
// read, a link to a device could give an endless tail. The record is read into its
// place, which is all zero.
void ReadMacroFileInto(MacroFolderContent& content, int n, const std::filesystem::path& path,
                       std::filesystem::file_type type) {
    using Kind = MacroFileProblem::Kind;
    auto& state = content.state[std::size_t(n)];
    state = MacroFileState::Unreadable;
    auto refuse = [&](Kind kind, std::error_code cause = {}, uintmax_t size = 0) {
        MacroFileProblem problem;
        problem.kind = kind;
        problem.cause = cause;
        problem.size = size;
        content.problems.emplace_back(n, problem);
    };
    if (type == std::filesystem::file_type::not_found) return refuse(Kind::DanglingLink);
    if (type == std::filesystem::file_type::directory) return refuse(Kind::Folder);
    if (type != std::filesystem::file_type::regular) return refuse(Kind::NotRegular);
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(path, ec); !ec && size > kMaxMacroFileSize)
        return refuse(Kind::TooLarge, {}, size);
    std::size_t got = 0;
    auto& bytes = content.books.File(n).bytes;
    if (const std::error_code cause = CurrentFileSystem().ReadInto(path, bytes, got)) {
        content.books.File(n) = MacroFile{};
        return refuse(Kind::ReadFailed, cause);
    }
    std::fill(bytes.begin() + std::ptrdiff_t(got), bytes.end(), uint8_t(0));
    state = MacroFileState::Present;
    content.size[std::size_t(n)] = uint16_t(got);
}

// The type of a listed entry: the listing's own for most, the target's for a link
// (not_found for a link to nothing or a loop).
std::filesystem::file_type EntryType(const std::filesystem::directory_entry& entry) {
    std::error_code ec;
    if (entry.is_symlink(ec)) {
        const auto status = std::filesystem::status(entry.path(), ec);
        return ec ? std::filesystem::file_type::not_found : status.type();
    }
    if (entry.is_directory(ec)) return std::filesystem::file_type::directory;
    if (entry.is_regular_file(ec) && !ec) return std::filesystem::file_type::regular;
    return std::filesystem::file_type::unknown;
}

// The file at path, whose type is known: only a regular file is opened.
MacroFileRead ReadMacroFileAt(const std::filesystem::path& path, std::filesystem::file_type type) {
    using Kind = MacroFileProblem::Kind;
    MacroFileRead read;
    auto unreadable = [&](Kind kind, std::error_code cause = {}) {
        read.state = MacroFileState::Unreadable;
        read.problem.kind = kind;
        read.problem.cause = cause;
        return read;
    };
    if (type == std::filesystem::file_type::directory) return unreadable(Kind::Folder);
    if (type != std::filesystem::file_type::regular) return unreadable(Kind::NotRegular);
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(path, ec); !ec && size > kMaxMacroFileSize) {
        read.problem.size = size;
        return unreadable(Kind::TooLarge);
    }
    std::error_code cause;
    auto head = ReadFileHead(path, kMacroFileSize, &cause);
    if (!head) return unreadable(Kind::ReadFailed, cause);
    read.state = MacroFileState::Present;
    read.size = uint16_t(head->size());
    std::copy(head->begin(), head->end(), read.file.bytes.begin());
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
        // A dangling link or a loop is no missing file either.
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) return {};
        MacroFileRead read;
        read.state = MacroFileState::Unreadable;
        read.problem.kind = MacroFileProblem::Kind::DanglingLink;
        read.problem.cause = ec;
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
    // One listing finds the files: most of the 400 names are missing in most folders. The
    // listing tells each entry's type; only a link costs a look at its target. The same
    // listing finds what killed saves left.
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    std::filesystem::directory_iterator it(base, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const int n = NumberOfMacroFile(it->path().filename().string());
        if (n < 0) {
            if (IsStaleTempFile(*it)) stale.push_back(it->path());
            continue;
        }
        ReadMacroFileInto(content, n, it->path(), EntryType(*it));
    }
    for (const std::filesystem::path& path : stale) CurrentFileSystem().Remove(path);
    if (!ec) {
        std::sort(content.problems.begin(), content.problems.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        ClearWhatIsGone(content, before);
        return;
    }

    // A folder that cannot be listed may still let its files be opened by name. What the
    // listing read so far holds bytes too.
    std::array<MacroFileState, kMacroFileCount> held = content.state;
    for (int n = 0; n < kMacroFileCount; ++n)
        if (before[std::size_t(n)] == MacroFileState::Present)
            held[std::size_t(n)] = MacroFileState::Present;
    content.ForgetFiles();
    const std::u16string text(folder);
    for (int n = 0; n < kMacroFileCount; ++n) {
        const std::filesystem::path path = PathFromText(text + MacroFileName(n));
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) continue;
        const auto status = std::filesystem::status(path, ec);
        ReadMacroFileInto(content, n, path,
                          ec ? std::filesystem::file_type::not_found : status.type());
    }
    ClearWhatIsGone(content, held);
}

void AdoptFolderBooks(MacroBooks& edited, const MacroFolderContent& disk) {
    for (int n = 0; n < kMacroFileCount; ++n) {
        if (disk.state[std::size_t(n)] == MacroFileState::Present)
            edited.File(n) = disk.books.File(n);
        else if (edited.MayHoldBytes(n))
            edited.MakeEmpty(n);
    }
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
        const MacroFile& set = edited.File(n);
        bool write = false;
        switch (disk.state[std::size_t(n)]) {
            case MacroFileState::Missing:
                write = n < kSetCount || SetHasContent(set) ||
                        (source && source->state[std::size_t(n)] == MacroFileState::Present);
                break;
            case MacroFileState::Unreadable:
                write = true;  // cannot be compared; the write says whether it can be replaced
                break;
            case MacroFileState::Present: {
                // The record written would be the set with a fresh digest: it differs from
                // the file when the set's bytes do, or else when the file's digest is wrong.
                const MacroFile& old = disk.books.File(n);
                write = disk.size[std::size_t(n)] < kMacroFileSize ||
                        !std::equal(set.bytes.begin(), set.bytes.begin() + kDigestOffset,
                                    old.bytes.begin()) ||
                        !std::equal(set.Block().begin(), set.Block().end(), old.Block().begin()) ||
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
