#include "macro/MacroFolder.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm {

int MacroFolderContent::FirstUnreadable() const {
    auto it = std::find(state.begin(), state.end(), MacroFileState::Unreadable);
    return it == state.end() ? -1 : int(it - state.begin());
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

void Note(MacroFolderContent& content, int n, MacroFileRead&& read) {
    content.state[std::size_t(n)] = read.state;
    content.size[std::size_t(n)] = read.size;
    if (read.state == MacroFileState::Unreadable) content.problems.emplace_back(n, read.problem);
    if (read.state == MacroFileState::Present) content.books.File(n) = read.file;
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
    return ReadMacroFolderAt(PathFromText(folder));
}

MacroFolderContent ReadMacroFolderAt(const std::filesystem::path& base) {
    MacroFolderContent content;
    // One listing finds the files: most of the 400 names are missing in most folders. The
    // listing tells each entry's type; only a link costs a look at its target.
    std::error_code ec;
    std::filesystem::directory_iterator it(base, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const int n = NumberOfMacroFile(it->path().filename().string());
        if (n < 0) continue;
        std::error_code typeError;
        if (it->is_symlink(typeError)) {
            Note(content, n, ReadMacroFolderFile(base, n));
            continue;
        }
        // The listing's own type: no look at the file for most entries.
        const auto type = it->is_directory(typeError)      ? std::filesystem::file_type::directory
                          : it->is_regular_file(typeError) ? std::filesystem::file_type::regular
                                                           : std::filesystem::file_type::unknown;
        Note(content, n,
             ReadMacroFileAt(it->path(), typeError ? std::filesystem::file_type::unknown : type));
    }
    if (!ec) {
        std::sort(content.problems.begin(), content.problems.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return content;
    }

    // A folder that cannot be listed may still let its files be opened by name.
    content = MacroFolderContent{};
    for (int n = 0; n < kMacroFileCount; ++n) Note(content, n, ReadMacroFolderFile(base, n));
    return content;
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
            case MacroFileState::Present:
                write = disk.size[std::size_t(n)] < kMacroFileSize ||
                        RecordToWrite(set).bytes != disk.books.File(n).bytes;
                break;
        }
        if (write) numbers.push_back(n);
    }
    return numbers;
}

void NoteMacroFileWritten(MacroFolderContent& disk, int number, const MacroFile& written) {
    disk.books.File(number) = written;
    disk.state[std::size_t(number)] = MacroFileState::Present;
    disk.size[std::size_t(number)] = uint16_t(kMacroFileSize);
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
