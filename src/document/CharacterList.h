#pragma once
// A player's characters: the folders under the game's USER folder that hold macro files or
// chat colours, each with its book titles, for the window's character list and for
// choosing where to copy. Built at start-up, so it stays cheap: files are looked for by
// name, and only the title files are read (and mcr.dat's first bytes, which a missing title
// file would get).

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "macro/BookTitles.h"

namespace qm {

struct CharacterFolder {
    std::u16string folder;  // the folder's path text, ending in a separator
    std::u16string name;    // the folder's own name (last component)
    BookTitles titles;      // its book titles as ReadBookTitles reads them
};

// Why the USER folder could not be listed, or not to the end.
struct ListError {
    enum class Kind : uint8_t {
        None,
        Missing,     // nothing by that path
        NotAFolder,  // a file, or anything else that is no folder
        Denied,      // the system refused to list it (cause)
        Failed,      // listing failed otherwise, or stopped part way (cause)
    };
    Kind kind = Kind::None;
    std::error_code cause{};  // the system's code, when a call failed

    explicit operator bool() const { return kind != Kind::None; }
    bool operator==(const ListError&) const = default;
};

// Every character folder directly under the game's USER folder, sorted by name (ASCII
// letters without regard to case). A subfolder, or a link to one, is a character's when it
// holds a regular file (links followed) named mcr.dat, mcr1.dat to mcr399.dat or cnf.dat.
// A listing that stops part way gives the folders found so far and error says why.
std::vector<CharacterFolder> ListCharacterFolders(std::u16string_view userFolder,
                                                  ListError* error = nullptr);

}  // namespace qm
