#pragma once
// Everything the window holds of one open character folder. The character on show lives
// in the window itself; the others wait in their own, each with its edits, its unsaved
// state and its undo history, until the player switches back.

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "config/CnfRecord.h"
#include "editor/LostCharacters.h"
#include "macro/AcqNames.h"
#include "macro/BookTitles.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"

namespace qm {

class EditHistory;

struct CharacterState {
    // The open folder (ending in a separator); before one is open, where the folder
    // picker starts.
    std::u16string CurrentFolder;
    bool ContentModified = false;
    bool IncompatibleMacro = false;
    BookTitles bookTitles;  // their names, and what the title files held when read or saved
    CnfRecord cnfRecord;
    StoredHead cnfOnDisk;  // what cnf.dat held when read or last saved
    AcqNames acqNames;
    // Every edit of the folder, for undo and redo; ContentModified follows it. Owned by
    // the window.
    EditHistory* history = nullptr;
    int16_t SelectedColorEntry = -1;
    LossyFields lossyFields;  // fields stored with characters that became "?", until saved
    // What the folder's macro files hold, as read or last saved: a save writes only the
    // files that differ from it.
    MacroFolderContent macroFilesOnDisk;
    std::u16string macroFilesFolder;  // the folder those were read from; empty: none yet
    // All 40 books of the open folder; after what they take their sets from, so that
    // they go first and copy nothing in when a character is closed.
    MacroBooks macroBooks;

    // While another character is on show: where the macro tab stood, and the macro
    // boxes whose text was too long for its field (kept as box text, as undo keeps it).
    int shownBook = 0;
    int shownSet = 0;
    int shownMacro = 0;
    std::vector<std::pair<int, QString>> unstoredBoxes;
};

}  // namespace qm
