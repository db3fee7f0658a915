#include "editor/TooLongFields.h"

#include "macro/Cp932.h"
#include "macro/MacroFile.h"

namespace qm {

std::vector<TooLongField> TooLongBoxes(int book, int set, int macro,
                                       const std::vector<std::u16string>& titles,
                                       const MacroLines& lines) {
    std::vector<TooLongField> fields;
    for (std::size_t m = 0; m < titles.size(); ++m) {
        const std::size_t bytes = Cp932Length(titles[m]);
        if (bytes > kTitleTextCapacity) fields.push_back({book, set, int(m), 0, bytes});
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::size_t bytes = Cp932Length(lines[k]);
        if (bytes > kLineTextCapacity) fields.push_back({book, set, macro, int(k) + 1, bytes});
    }
    return fields;
}

}  // namespace qm
