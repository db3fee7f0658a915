#include "macro/MacroFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "storage/Paths.h"
#include "storage/SafeFile.h"

namespace qm {

int MacroFolderContent::FirstUnreadable() const {
    auto it = std::find(state.begin(), state.end(), MacroFileState::Unreadable);
    return it == state.end() ? -1 : int(it - state.begin());
}

MacroFolderContent ReadMacroFolder(std::u16string_view folder) {
    MacroFolderContent content;
    const std::u16string base(folder);
    for (int n = 0; n < kMacroFileCount; ++n) {
        const std::filesystem::path path = PathFromText(base + MacroFileName(n));
        std::error_code ec;
        // One stat decides: most of the 400 names are missing in most folders. Only a
        // regular file is opened (a pipe by that name would block the read).
        const auto status = std::filesystem::status(path, ec);
        if (status.type() == std::filesystem::file_type::not_found) continue;
        auto& state = content.state[std::size_t(n)];
        state = MacroFileState::Unreadable;
        if (ec || status.type() != std::filesystem::file_type::regular) continue;
        auto head = ReadFileHead(path, kMacroFileSize);
        if (!head) continue;
        state = MacroFileState::Present;
        content.size[std::size_t(n)] = uint16_t(head->size());
        std::copy(head->begin(), head->end(), content.books.File(n).bytes.begin());
    }
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

}  // namespace qm
