#pragma once
// Everything the window holds of one open character folder: the character's document
// (its books, colours, titles and byte history) and where the window stood in it. The
// character on show lives in the window itself; the others wait in their own, each with
// its edits, its unsaved state and its undo history, until the player switches back.

#include <QString>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/CharacterDocument.h"

namespace qm {

class EditHistory;

struct CharacterState {
    CharacterState() : document(std::make_unique<CharacterDocument>()) {}

    // The open folder (ending in a separator); before one is open, where the folder
    // picker starts.
    std::u16string CurrentFolder;
    // The window's one unsaved-changes flag while this character is on show: its own
    // unsaved state or the game settings'. Kept by the edit history.
    bool ContentModified = false;
    // The character's own: its document's unsaved state, or a macro box holding text too
    // long for its field.
    bool CharacterModified = false;
    std::unique_ptr<CharacterDocument> document;
    // What the window keeps of each edit, for undo and redo. Owned by the window.
    EditHistory* history = nullptr;
    int16_t SelectedColorEntry = -1;

    // The document's records. The changing forms are for use inside an edit of the
    // history, which records what changed.
    const MacroBooks& Books() const { return document->Books(); }
    MacroBooks& Books() { return document->EditedBooks(); }
    const CnfRecord& Cnf() const { return document->Cnf(); }
    CnfRecord& Cnf() { return document->EditedCnf(); }
    const BookTitles& Titles() const { return document->Titles(); }
    BookTitles& Titles() { return document->EditedTitles(); }
    LossyFields& Lossy() { return document->EditedLossy(); }
    const AcqNames& Names() const { return document->Names(); }

    // While another character is on show: where the macro tab stood, and the macro
    // boxes whose text was too long for its field (kept as box text, as undo keeps it).
    int shownBook = 0;
    int shownSet = 0;
    int shownMacro = 0;
    std::vector<std::pair<int, QString>> unstoredBoxes;
};

}  // namespace qm
