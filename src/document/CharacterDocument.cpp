#include "document/CharacterDocument.h"

#include <algorithm>
#include <filesystem>

#include "editor/TextForms.h"
#include "storage/Paths.h"
#include "storage/SavePlan.h"

namespace qm {

std::span<uint8_t> FieldBytesOf(MacroFile& set, int macro, int field) {
    return field == 0 ? set.Title(macro) : set.Line(macro, field - 1);
}

std::span<const uint8_t> FieldBytesOf(const MacroFile& set, int macro, int field) {
    return field == 0 ? set.Title(macro) : set.Line(macro, field - 1);
}

CharacterDocument::CharacterDocument()
    : history_([this](RecordId id) { return RecordBytes(id); }) {}

CharacterDocument::~CharacterDocument() = default;

CharacterDocument::Opened CharacterDocument::Open(std::u16string_view folderText, Clock clock) {
    Opened opened;
    std::u16string folder(folderText);
    if (!folder.empty() && !folder.ends_with(PathSeparator())) folder += PathSeparator();
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(PathFromText(folder), ec)) {
        opened.error = OpenError{};
        return opened;
    }
    auto doc = std::make_unique<CharacterDocument>();
    doc->disk_ = ReadMacroFolder(folder);
    if (const int bad = doc->disk_.FirstUnreadable(); bad >= 0) {
        OpenError error{OpenError::Kind::MacroFileUnreadable, bad, {}, {}};
        if (const MacroFileProblem* problem = doc->disk_.ProblemOf(bad)) error.problem = *problem;
        opened.error = error;
        return opened;
    }
    std::error_code cnfError;
    doc->cnf_ = LoadCnf(folder, &cnfError, &doc->cnfDisk_);
    if (cnfError) {
        opened.error = OpenError{OpenError::Kind::CnfUnreadable, -1, {}, cnfError};
        return opened;
    }
    doc->folder_ = folder;
    // Each set is copied in when first reached: a search reads most of them where they
    // were read, and never copies them.
    AdoptFolderBooks(doc->books_, doc->disk_);
    doc->noMacroFiles_ = std::all_of(doc->disk_.state.begin(), doc->disk_.state.end(),
                                     [](MacroFileState s) { return s == MacroFileState::Missing; });
    // Checked on a copy: the books keep the digest the file holds.
    MacroFile first = doc->books_.File(0);
    doc->incompatible_ = MacroDigestMismatch(first) && !doc->noMacroFiles_;
    doc->titles_ = ReadBookTitles(PathFromText(folder), &doc->disk_);
    doc->names_ = ReadAcqNames(folder);
    doc->clock_ = std::move(clock);
    opened.document = std::move(doc);
    return opened;
}

std::u16string CharacterDocument::FieldText(FieldRef ref) const {
    return ReadFieldText(FieldBytesOf(Set(ref.book, ref.set), ref.macro, ref.field));
}

std::span<uint8_t> CharacterDocument::RecordBytes(RecordId id) {
    if (id.kind == RecordId::Kind::Cnf) return cnf_.bytes;
    if (id.kind == RecordId::Kind::Titles) return titles_.edited[std::size_t(id.number)].bytes;
    return books_.File(id.number).bytes;
}

// --- edits ---

CharacterDocument::Edit::Edit(CharacterDocument& document, std::u16string name,
                              std::vector<RecordId> scope)
    : d_(document) {
    std::vector<RecordId> unique;
    for (RecordId r : scope)
        if (std::find(unique.begin(), unique.end(), r) == unique.end()) unique.push_back(r);
    scope_ = std::move(unique);
    if (d_.open_) return;
    recording_ = true;
    d_.open_ = this;
    name_ = std::move(name);
    for (RecordId r : scope_) {
        const std::span<uint8_t> bytes = d_.RecordBytes(r);
        before_.emplace_back(bytes.begin(), bytes.end());
    }
}

CharacterDocument::Edit::~Edit() {
    try {
        Commit();
    } catch (...) {
        // Out of memory: the edit stays made, without a way back.
    }
}

CharacterDocument::Edit& CharacterDocument::Edit::Merging(StepKey key) {
    key_ = key;
    return *this;
}

CharacterDocument::Edit& CharacterDocument::Edit::Always() {
    always_ = true;
    return *this;
}

CharacterDocument::Edit& CharacterDocument::Edit::Content(bool content) {
    content_ = content;
    return *this;
}

MacroFile& CharacterDocument::Edit::File(int number) {
    return d_.books_.File(number);
}

CnfRecord& CharacterDocument::Edit::Cnf() {
    return d_.cnf_;
}

BookTitles& CharacterDocument::Edit::Titles() {
    return d_.titles_;
}

uint64_t CharacterDocument::Edit::Commit() {
    if (!recording_ || done_) return step_;
    done_ = true;
    d_.open_ = nullptr;
    ByteStep step;
    step.name = name_;
    step.forced = always_;
    step.content = content_;
    step.key = key_;
    for (std::size_t i = 0; i < scope_.size(); ++i) {
        if (auto change = Difference(before_[i], d_.RecordBytes(scope_[i]))) {
            change->record = scope_[i];
            step.changes.push_back(std::move(*change));
        }
    }
    if (step.Empty()) return 0;
    DocumentChange change = d_.ChangeOf(step, DocumentChange::Cause::Edit);
    if (always_)
        for (RecordId r : scope_)
            if (r.kind == RecordId::Kind::Macro) change.files.push_back(r.number);
    std::sort(change.files.begin(), change.files.end());
    change.files.erase(std::unique(change.files.begin(), change.files.end()), change.files.end());
    step_ = d_.history_.Record(std::move(step), d_.Now());
    change.step = step_;
    change.modified = d_.Modified();
    d_.Tell(change);
    return step_;
}

DocumentChange CharacterDocument::ChangeOf(const ByteStep& step,
                                           DocumentChange::Cause cause) const {
    DocumentChange change;
    change.cause = cause;
    change.name = step.name;
    change.step = step.id;
    for (const ByteChange& c : step.changes) {
        if (c.record.kind == RecordId::Kind::Cnf)
            change.colors = true;
        else if (c.record.kind == RecordId::Kind::Titles)
            change.titles = true;
        else
            change.files.push_back(c.record.number);
    }
    std::sort(change.files.begin(), change.files.end());
    return change;
}

bool CharacterDocument::SetField(FieldRef ref, std::u16string_view text,
                                 std::optional<StepKey> merge) {
    const int file = ref.File();
    Edit edit(*this, u"", {RecordId::Macro(file)});
    if (merge) edit.Merging(*merge);
    std::span<uint8_t> field = FieldBytesOf(edit.File(file), ref.macro, ref.field);
    if (ReadFieldText(field) == text) return true;
    if (!StoreFieldText(field, text)) return false;
    lossy_.Stored(file, ref.SetTextIndex(), text);
    return true;
}

bool CharacterDocument::SetFieldBytes(FieldRef ref, std::span<const uint8_t> bytes) {
    const int file = ref.File();
    Edit edit(*this, u"", {RecordId::Macro(file)});
    return StoreFieldBytes(FieldBytesOf(edit.File(file), ref.macro, ref.field), bytes);
}

void CharacterDocument::SetMacros(int book, int set, const MacroFile& macros, std::u16string name) {
    const int file = MacroFileNumber(book, set);
    Edit edit(*this, std::move(name), {RecordId::Macro(file)});
    edit.Always();
    CopyMacros(macros, edit.File(file));
    lossy_.ForgetSet(file);
}

void CharacterDocument::EmptySet(int book, int set, std::u16string name) {
    const int file = MacroFileNumber(book, set);
    Edit edit(*this, std::move(name), {RecordId::Macro(file)});
    edit.Always();
    ClearSet(edit.File(file));
    lossy_.ForgetSet(file);
}

void CharacterDocument::SetBook(int book, const MacroBook& macros, std::u16string name) {
    std::vector<RecordId> scope;
    for (int s = 0; s < kSetCount; ++s) scope.push_back(RecordId::Macro(MacroFileNumber(book, s)));
    Edit edit(*this, std::move(name), scope);
    edit.Always();
    for (int s = 0; s < kSetCount; ++s) {
        const int file = MacroFileNumber(book, s);
        CopyMacros(macros[std::size_t(s)], edit.File(file));
        lossy_.ForgetSet(file);
    }
}

void CharacterDocument::SetColor(int entry, TextColor color, std::optional<StepKey> merge) {
    Edit edit(*this, u"", {RecordId::Cnf()});
    if (merge) edit.Merging(*merge);
    edit.Cnf().SetColor(entry, color);
}

void CharacterDocument::CopySet(const CharacterDocument& source, int fromBook, int fromSet,
                                int book, int set) {
    // A copy first: the source may be this very set.
    const MacroFile from = source.Set(fromBook, fromSet);
    SetMacros(book, set, from, u"セットのコピー");
}

void CharacterDocument::CopyBook(const CharacterDocument& source, int fromBook, int book) {
    // Copies first: the source may be this very document.
    const MacroBook from = source.Books().Book(fromBook);
    const bool title = source.Titles().Known(fromBook) && titles_.Known(book);
    std::array<uint8_t, kBookTitleFieldSize> name{};
    if (title) std::ranges::copy(source.Titles().Field(fromBook), name.begin());
    std::vector<RecordId> scope;
    for (int s = 0; s < kSetCount; ++s) scope.push_back(RecordId::Macro(MacroFileNumber(book, s)));
    if (title) scope.push_back(RecordId::Titles(TitleFileOfBook(book)));
    // The wider edit records the sets and the title as one step; SetBook's own edit,
    // nested in it, records nothing.
    Edit edit(*this, u"ブックのコピー", scope);
    edit.Always();
    SetBook(book, from, u"ブックのコピー");
    if (title) std::ranges::copy(name, edit.Titles().Field(book).begin());
}

TitleChange CharacterDocument::SetBookTitle(int book, std::u16string_view title) {
    if (book < 0 || book >= kBookCount) return TitleChange::BadBook;
    Edit edit(*this, u"ブック名の変更", {RecordId::Titles(TitleFileOfBook(book))});
    return edit.Titles().SetTitle(book, title);
}

// --- undo ---

const ByteStep* CharacterDocument::Undo() {
    if (open_) return nullptr;
    const ByteStep* step = history_.Undo();
    if (!step) return nullptr;
    DocumentChange change = ChangeOf(*step, DocumentChange::Cause::Undo);
    change.modified = Modified();
    Tell(change);
    return step;
}

const ByteStep* CharacterDocument::Redo() {
    if (open_) return nullptr;
    const ByteStep* step = history_.Redo();
    if (!step) return nullptr;
    DocumentChange change = ChangeOf(*step, DocumentChange::Cause::Redo);
    change.modified = Modified();
    Tell(change);
    return step;
}

// --- a window's own edits ---

void CharacterDocument::Adopt(Read read, MacroFolderContent& content) {
    folder_ = std::move(read.folder);
    std::swap(disk_, content);
    // The books take each set from the content when first reached.
    AdoptFolderBooks(books_, disk_);
    noMacroFiles_ = read.noMacroFiles;
    incompatible_ = !noMacroFiles_ && MacroDigestMismatch(books_.File(0));
    titles_ = std::move(read.titles);
    cnf_ = read.cnf;
    cnfDisk_ = std::move(read.cnfDisk);
    names_ = std::move(read.names);
    lossy_.Clear();
    history_.Clear();
}

bool CharacterDocument::BookHasFiles(int book) const {
    for (int s = 0; s < kSetCount; ++s)
        if (disk_.state[std::size_t(MacroFileNumber(book, s))] != MacroFileState::Missing)
            return true;
    return false;
}

// --- saving ---

void CharacterDocument::PlanSave(SavePlan& plan, bool changedOnly) {
    // Compared with what the folder held when read or last saved, so a file the game
    // rewrote meanwhile and the player did not touch stays as the game left it.
    std::vector<int> files = MacroFilesToWrite(books_, disk_);
    if (changedOnly) {
        // A missing file reads as zeros: it is made exactly when the set holds other bytes.
        auto zero = [&](int n) {
            const auto& bytes = books_.File(n).bytes;
            return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
        };
        std::erase_if(
            files, [&](int n) { return disk_.state[std::size_t(n)] == MacroFileState::Missing; });
        for (int n = 0; n < kMacroFileCount; ++n)
            if (disk_.state[std::size_t(n)] == MacroFileState::Missing && !zero(n))
                files.push_back(n);
        std::sort(files.begin(), files.end());
    }
    PlanMacroFiles(plan, folder_, books_, disk_, files);
    PlanBookTitles(plan, PathFromText(folder_), titles_);
    PlanCnf(plan, folder_, cnf_, &cnfDisk_);
}

void CharacterDocument::PlanSaveAs(SavePlan& plan, std::u16string_view folder,
                                   MacroFolderContent& other) {
    PlanMacroFolder(plan, folder, books_, other, &disk_);
    // Compared with what the other folder's title files hold (read here: the plan runs
    // soon after), and refused when one of them does not follow the layout.
    const BookTitles there = ReadBookTitles(PathFromText(folder), &other);
    otherTitles_ = there.disk;
    PlanBookTitles(plan, PathFromText(folder), titles_, &otherTitles_);
    PlanCnf(plan, folder, cnf_, nullptr);
}

void CharacterDocument::Saved(const SaveReport& report) {
    if (report.AllSaved()) {
        history_.MarkClean();
        lossy_.Clear();
    } else if (report.outcome == SaveReport::Outcome::Partial) {
        history_.ForgetClean();
    } else {
        return;
    }
    DocumentChange change;
    change.cause = DocumentChange::Cause::Saved;
    change.modified = Modified();
    Tell(change);
}

// --- listeners ---

int CharacterDocument::Subscribe(Listener listener) {
    const int id = nextListener_++;
    listeners_.emplace(id, std::move(listener));
    return id;
}

void CharacterDocument::Unsubscribe(int id) {
    listeners_.erase(id);
}

void CharacterDocument::Tell(const DocumentChange& change) const {
    // A listener may unsubscribe itself (or another) while being told.
    std::vector<int> ids;
    for (const auto& [id, listener] : listeners_) ids.push_back(id);
    for (int id : ids) {
        auto it = listeners_.find(id);
        if (it == listeners_.end()) continue;
        const Listener listener = it->second;  // it may go while it runs
        listener(*this, change);
    }
}

}  // namespace qm
