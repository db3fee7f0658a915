#include "macro/AcqNames.h"

#include <algorithm>

#include "macro/MacroFile.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"

namespace qm {

AcqNames ReadAcqNames(std::u16string_view folder) {
    if (folder.find_first_of(u"*?") != std::u16string_view::npos) return {};
    return ReadAcqNamesIn(PathFromText(folder));
}

AcqNames ReadAcqNamesIn(const std::filesystem::path& folder) {
    AcqNames names;
    // No look before the read: a missing file, a folder or a pipe fails the read itself.
    auto data = ReadFileHead(folder / "acq.dat", kAcqReadLimit);
    if (!data) return names;
    std::size_t pos = 24;
    while (true) {
        AcqEntry entry{};
        std::size_t available =
            pos < data->size() ? std::min<std::size_t>(16, data->size() - pos) : 0;
        std::copy_n(data->begin() + std::ptrdiff_t(std::min(pos, data->size())), available,
                    entry.begin());
        names.push_back(entry);
        if (available < 16) break;
        pos += 16;
    }
    return names;
}

}  // namespace qm
