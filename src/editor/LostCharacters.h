#pragma once
// Characters with no Shift_JIS (CP932) form become "?" when a box's text goes into its
// field. The player is shown such characters in the box, and asked once before a save
// that would write them so.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/LineOps.h"
#include "macro/MacroFile.h"

namespace qm {

// The characters of text that have no CP932 form, each once, in the order they first
// appear; a character outside the BMP (a surrogate pair) is one character.
std::u16string UnencodableCharacters(std::u16string_view text);

// Fields written into the books since the last save with characters that became "?".
// A set is named by its file number (book * 10 + set); its fields are counted as in set
// text: field f is the title of macro f / 7 when f % 7 is 0, otherwise its line f % 7.
class LossyFields {
  public:
    // Text was just written into field `field` of set file `file`: remember what it lost,
    // or that it lost nothing.
    void Stored(int file, int field, std::u16string_view text);
    void ForgetSet(int file);
    void Clear() { lost_.clear(); }
    const std::map<std::pair<int, int>, std::u16string>& Lost() const { return lost_; }

  private:
    std::map<std::pair<int, int>, std::u16string> lost_;
};

struct LostCharacters {
    int book = 0;   // 0 to 39
    int set = 0;    // 0 to 9
    int macro = 0;  // 0 to 19
    int line = 0;   // 0 the title, 1 to 6 the lines
    std::u16string characters;
    bool operator==(const LostCharacters&) const = default;
};

// Everything a save would turn into "?": the fields already written so, and the boxes of
// the set on show (file number `file`: its twenty titles) and of its macro (its six lines)
// as the save will store them. A box the save does not change (its field already reads
// so, or holds the bytes an earlier save wrote for it) or that is too long for its field
// adds nothing.
std::vector<LostCharacters> CharactersLostOnSave(const LossyFields& stored,
                                                 const MacroFile& currentSet, int file, int macro,
                                                 const std::vector<std::u16string>& titles,
                                                 const MacroLines& lines);

}  // namespace qm
