#pragma once
// One open character folder: its 40 books of macro sets and what its disk held, its
// cnf.dat record, its acq.dat names, the fields stored with characters that became "?",
// and its undo history. Every change of bytes goes through an edit of the document, which
// records one undo step and tells the listeners once. The window and the command line
// both open, edit and save characters through it.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/CnfRecord.h"
#include "document/ByteHistory.h"
#include "editor/LostCharacters.h"
#include "macro/AcqNames.h"
#include "macro/BookTitles.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"
#include "storage/SafeFile.h"

namespace qm {

class SavePlan;
struct SaveReport;

// One text field of a set: the title (field 0) or line 1 to 6 of a macro.
struct FieldRef {
    int book = 0;   // 0 to 39
    int set = 0;    // 0 to 9
    int macro = 0;  // 0 to 19
    int field = 0;  // 0 the title, 1 to 6 the lines
    int File() const { return MacroFileNumber(book, set); }
    // The field's place in set text (title, lines 1 to 6 of macro 1, then macro 2, ...).
    int SetTextIndex() const { return macro * (1 + kLinesPerMacro) + field; }
    bool operator==(const FieldRef&) const = default;
    auto operator<=>(const FieldRef&) const = default;
};

std::span<uint8_t> FieldBytesOf(MacroFile& set, int macro, int field);
std::span<const uint8_t> FieldBytesOf(const MacroFile& set, int macro, int field);

// Why a folder did not open.
struct OpenError {
    enum class Kind : uint8_t {
        NotAFolder,           // the path names no folder
        MacroFileUnreadable,  // a macro file is there but cannot be read (file says which)
        CnfUnreadable,        // cnf.dat is there but cannot be read
    };
    Kind kind = Kind::NotAFolder;
    int file = -1;  // MacroFileUnreadable: the file number
    MacroFileProblem problem;
    std::error_code cause;  // CnfUnreadable: why
};

// What one change did. Listeners get one per edit, undo, redo, open or save.
struct DocumentChange {
    enum class Cause : uint8_t { Edit, Undo, Redo, Saved };
    Cause cause = Cause::Edit;
    std::vector<int> files;  // macro file numbers whose bytes changed, ascending
    bool colors = false;     // the cnf.dat record changed
    bool titles = false;     // a book title changed
    // The step; its forced sets are in `files` even when no byte changed.
    uint64_t step = 0;
    std::u16string name;    // the step's name
    bool modified = false;  // the document's unsaved state after the change
};

class CharacterDocument {
  public:
    using Listener = std::function<void(const CharacterDocument&, const DocumentChange&)>;
    using Clock = std::function<int64_t()>;  // milliseconds, for merging typing

    struct Opened;
    // Reads everything first: a file that is there but cannot be read would otherwise be
    // shown empty, and the next save would overwrite it. folder: its text, with or without
    // a final separator.
    static Opened Open(std::u16string_view folder, Clock clock = {});
    // A character with no folder yet: 400 empty sets, all-zero colours.
    CharacterDocument();
    ~CharacterDocument();
    CharacterDocument(const CharacterDocument&) = delete;
    CharacterDocument& operator=(const CharacterDocument&) = delete;

    // The folder, ending in a separator.
    const std::u16string& Folder() const { return folder_; }
    const MacroBooks& Books() const { return books_; }
    const MacroFile& Set(int book, int set) const { return books_.Book(book)[std::size_t(set)]; }
    const MacroFolderContent& OnDisk() const { return disk_; }
    const CnfRecord& Cnf() const { return cnf_; }
    const StoredHead& CnfOnDisk() const { return cnfDisk_; }
    const AcqNames& Names() const { return names_; }
    const LossyFields& Lossy() const { return lossy_; }
    // The digest of mcr.dat did not match when the folder was opened (a folder without
    // any macro file has nothing that could be incompatible).
    bool IncompatibleMacro() const { return incompatible_; }
    // No macro file was there at all: most likely not a character's folder.
    bool HadNoMacroFiles() const { return noMacroFiles_; }
    // The books' names (mcr.ttl, mcr_2.ttl) and what their files held.
    const BookTitles& Titles() const { return titles_; }

    std::u16string FieldText(FieldRef ref) const;

    // --- edits: each records one undo step and tells the listeners once ---

    // An edit in progress: change records through it; when it ends, every record named
    // is compared with how it was and one step records the difference. Inside another
    // edit it records nothing of its own (the outer one sees the change).
    class Edit {
      public:
        Edit(CharacterDocument& document, std::u16string name, std::vector<RecordId> scope);
        ~Edit();
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;
        Edit& Merging(StepKey key);
        Edit& Always();  // a step even when no byte changes (marks the sets changed)
        // Whether the step changes what a save writes (a window's own-name step does not).
        Edit& Content(bool content);
        // The records of the scope, to change.
        MacroFile& File(int number);
        CnfRecord& Cnf();
        BookTitles& Titles();
        // The step this edit landed in (after it ended), 0 for none.
        uint64_t Step() const { return step_; }
        // Ends the edit now; the destructor then does nothing.
        uint64_t Commit();

      private:
        friend class CharacterDocument;
        CharacterDocument& d_;
        bool recording_ = false;
        bool done_ = false;
        std::u16string name_;
        std::vector<RecordId> scope_;
        std::vector<std::vector<uint8_t>> before_;
        std::optional<StepKey> key_;
        bool always_ = false;
        bool content_ = true;
        uint64_t step_ = 0;
    };

    // Stores text into one field as StoreFieldText does (only when it differs from what
    // the field reads as, so an untouched field keeps its bytes). False when it does not
    // fit: nothing changes then.
    bool SetField(FieldRef ref, std::u16string_view text, std::optional<StepKey> merge = {});
    // Bytes already in the field's encoding, ended by a 0 in the field.
    bool SetFieldBytes(FieldRef ref, std::span<const uint8_t> bytes);
    // The 7600 bytes of the set's macros become `macros`'s, byte for byte; the file's
    // reserved bytes stay. One step, marked even when nothing changes.
    void SetMacros(int book, int set, const MacroFile& macros, std::u16string name);
    // Every field of the set empty (its tokens and the bytes after each 0 go too). One
    // step, marked even when nothing changes.
    void EmptySet(int book, int set, std::u16string name);
    // All ten sets of a book at once.
    void SetBook(int book, const MacroBook& macros, std::u16string name);
    void SetColor(int entry, TextColor color, std::optional<StepKey> merge = {});
    // Names a book (what BookTitles::SetTitle says is returned; nothing changes unless
    // Stored).
    TitleChange SetBookTitle(int book, std::u16string_view title);

    // Copies set `fromSet` of book `fromBook` of `source` (this document too) over a set
    // of this one, byte for byte: the tokens and the bytes after each field's 0 included.
    void CopySet(const CharacterDocument& source, int fromBook, int fromSet, int book, int set);
    // A whole book: its ten sets and its title (the title's field byte for byte, when
    // both title files are known to follow their layout).
    void CopyBook(const CharacterDocument& source, int fromBook, int book);

    // --- undo ---
    // The step undone or redone; null when there was none (or an edit is open).
    const ByteStep* Undo();
    const ByteStep* Redo();
    ByteHistory& History() { return history_; }
    const ByteHistory& History() const { return history_; }
    // Ends the step that typing is adding to.
    void Seal() { history_.Seal(); }

    // --- unsaved state and saving ---
    bool Modified() const { return history_.Modified(); }
    // Adds the files of this folder that changed to the plan (macro files, then cnf.dat).
    // The document must outlive the plan's run; then call Saved with its report.
    // changedOnly: only files whose bytes change (no empty files made for book 1), as a
    // command that edits a few sets wants.
    void PlanSave(SavePlan& plan, bool changedOnly = false);
    // The same into another folder (save as): every file this folder has is made there.
    // `other` must outlive the plan's run.
    void PlanSaveAs(SavePlan& plan, std::u16string_view folder, MacroFolderContent& other);
    // After the plan of PlanSave ran: a full save is the new clean point; a partial one
    // leaves no step matching the disk.
    void Saved(const SaveReport& report);

    // --- a window's own edits ---
    // A folder a window read itself, asking its own questions about what it found, taken
    // in place of what this document held: `content` changes places with what the
    // document read before, so that neither is allocated or cleared whole again.
    struct Read {
        std::u16string folder;  // ending in a separator
        BookTitles titles;
        CnfRecord cnf;
        StoredHead cnfDisk;
        AcqNames names;
        bool noMacroFiles = false;  // opened as an empty book: nothing can be incompatible
    };
    void Adopt(Read read, MacroFolderContent& content);
    // The clock that tells a pause in typing.
    void SetClock(Clock clock) { clock_ = std::move(clock); }
    // The records themselves, for a window that changes them inside an Edit of its own,
    // which compares them when it ends; nothing changed outside an Edit is recorded.
    MacroBooks& EditedBooks() { return books_; }
    CnfRecord& EditedCnf() { return cnf_; }
    BookTitles& EditedTitles() { return titles_; }
    LossyFields& EditedLossy() { return lossy_; }
    // Whether the folder held a macro file of book 0 to 39 when read or last saved.
    bool BookHasFiles(int book) const;

    // --- listeners ---
    int Subscribe(Listener listener);
    void Unsubscribe(int id);

  private:
    std::span<uint8_t> RecordBytes(RecordId id);
    int64_t Now() const { return clock_ ? clock_() : 0; }
    void Tell(const DocumentChange& change) const;
    DocumentChange ChangeOf(const ByteStep& step, DocumentChange::Cause cause) const;

    std::u16string folder_;
    // Before the books that take their sets from it: the books go first and owe it
    // nothing then, rather than copying in every set they never reached.
    MacroFolderContent disk_;
    MacroBooks books_;
    CnfRecord cnf_;
    StoredHead cnfDisk_;
    BookTitles titles_;
    std::array<TitleFileOnDisk, kTitleFileCount> otherTitles_;  // a save-as target's
    AcqNames names_;
    LossyFields lossy_;
    bool incompatible_ = false;
    bool noMacroFiles_ = false;
    ByteHistory history_;
    Clock clock_;
    Edit* open_ = nullptr;
    std::map<int, Listener> listeners_;
    int nextListener_ = 1;
};

struct CharacterDocument::Opened {
    std::unique_ptr<CharacterDocument> document;  // null on error
    std::optional<OpenError> error;
};

}  // namespace qm
