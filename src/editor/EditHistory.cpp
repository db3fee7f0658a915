#include "editor/EditHistory.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <algorithm>
#include <span>

#include "config/ColorTab.h"
#include "config/GameSettingsTab.h"
#include "editor/CharacterState.h"
#include "editor/MacroTab.h"
#include "platform/Platform.h"
#include "platform/QtText.h"
#include "settings/ToolPreferences.h"
#include "storage/SavePlan.h"

namespace qm {

namespace {

// "元に戻す(&U)", or with the step's name: "元に戻す: セットの貼り付け(&U)".
QString UndoCaption(const QString& verb, const QString& name, char key) {
    const QString mnemonic = QStringLiteral("(&") + QLatin1Char(key) + QLatin1Char(')');
    return name.isEmpty() ? verb + mnemonic : verb + QStringLiteral(": ") + name + mnemonic;
}

// Clears the history's applying flag on every way out.
struct ApplyingScope {
    bool& applying;
    explicit ApplyingScope(bool& a) : applying(a) { applying = true; }
    ~ApplyingScope() { applying = false; }
};

StepKey StepKeyOf(const MergeKey& key) {
    return StepKey{key.control, MacroFileNumber(key.set.book, key.set.set), key.macro,
                   key.colorEntry};
}

bool ChangesRecord(const ByteStep& step, RecordId::Kind kind) {
    return std::any_of(step.changes.begin(), step.changes.end(),
                       [kind](const ByteChange& c) { return c.record.kind == kind; });
}

}  // namespace

bool EditHistory::StepView::Unchanged(const ByteStep& step) const {
    return !forced && step.changes.empty() && nameBefore == nameAfter &&
           before.unstoredBoxes == after.unstoredBoxes;
}

// Whether the step changed anything a save writes (the own name is not saved).
bool EditHistory::StepView::ChangesContent(const ByteStep& step) const {
    return forced || !step.changes.empty() || before.unstoredBoxes != after.unstoredBoxes;
}

EditHistory::Edit::Edit(EditHistory& history, QString name, EditScope scope) : h_(history) {
    if (h_.open_ || h_.applying_) return;
    recording_ = true;
    h_.open_ = true;
    name_ = std::move(name);
    scope_ = std::move(scope);
    auto& sets = scope_.sets;
    std::vector<SetRef> unique;
    for (SetRef s : sets)
        if (std::find(unique.begin(), unique.end(), s) == unique.end()) unique.push_back(s);
    sets = std::move(unique);
    std::vector<RecordId> records;
    for (SetRef s : sets) records.push_back(RecordId::Macro(MacroFileNumber(s.book, s.set)));
    if (scope_.colors) records.push_back(RecordId::Cnf());
    for (int f = 0; f < kTitleFileCount && scope_.titles; ++f)
        records.push_back(RecordId::Titles(f));
    bytes_.emplace(h_.Document(), U(name_), std::move(records));
    if (scope_.gameSettings) game_ = h_.w_.GameHistory().Shown();
    if (scope_.ownName) ownName_ = h_.w_.Prefs().Myname;
    before_ = h_.CaptureView();
}

EditHistory::Edit::~Edit() {
    if (!recording_) return;
    h_.open_ = false;
    try {
        h_.Finish(*this);
    } catch (...) {
        // Out of memory: the edit stays made, without a way back.
    }
}

EditHistory::Edit& EditHistory::Edit::Merging(MergeKey key) {
    key_ = key;
    return *this;
}

EditHistory::Edit& EditHistory::Edit::Always() {
    always_ = true;
    return *this;
}

EditHistory::Edit& EditHistory::Edit::Showing(SetRef set) {
    shown_ = set;
    return *this;
}

EditHistory::Edit& EditHistory::Edit::TypedInto(int box, const QString& before,
                                                const QString& after) {
    if (!recording_) return *this;
    if (box >= 0) {
        // The box now shows the new text; before the change it showed `before`.
        auto& unstored = before_.unstoredBoxes;
        std::erase_if(unstored, [box](const auto& entry) { return entry.first == box; });
        if (before != h_.StoredBoxText(box)) {
            unstored.emplace_back(box, before);
            std::sort(unstored.begin(), unstored.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
        }
    }
    // Undo leaves the caret where the two texts begin to differ.
    const auto [at, unused] =
        std::mismatch(before.begin(), before.end(), after.begin(), after.end());
    before_.caret = int(at - before.begin());
    before_.selectionStart = -1;
    before_.selectionLength = 0;
    return *this;
}

SetEdit::SetEdit(EditHistory& history, QString name, SetRef set)
    : Edit(history, std::move(name), EditScope{{set, history.CurrentSet()}}) {
    Always().Showing(set);
}

EditHistory::EditHistory(HistoryWindow& window) : QObject(&window.Frame()), w_(window) {
    // Leaving a box ends its typing step.
    connect(qApp, &QApplication::focusChanged, this, [this] { Seal(); });
}

EditHistory::~EditHistory() = default;

CharacterDocument& EditHistory::Document() const {
    return *w_.Shown().document;
}

int EditHistory::Count() const {
    return int(Document().History().Count() + w_.GameHistory().Count());
}

int EditHistory::Index() const {
    return int(Document().History().Index() + w_.GameHistory().Index());
}

SetRef EditHistory::CurrentSet() const {
    if (!w_.Macros()) return {};
    return SetRef{w_.Macros()->CurrentBookIndex, w_.Macros()->CurrentSetIndex};
}

QString EditHistory::StoredBoxText(int box) const {
    const SetRef shown = CurrentSet();
    const MacroFile& file = Document().Set(shown.book, shown.set);
    if (box < kTitleBoxCount) return Q(ReadFieldText(file.Title(box)));
    return Q(ReadFieldText(file.Line(w_.Macros()->CurrentMacroIndex, box - kTitleBoxCount)));
}

std::vector<std::pair<int, QString>> EditHistory::UnstoredBoxes() const {
    std::vector<std::pair<int, QString>> boxes;
    if (!w_.Macros()) return boxes;
    for (int box = 0; box < kMacroBoxCount; ++box) {
        QString shown = w_.Macros()->Box(box)->text();
        if (shown != StoredBoxText(box)) boxes.emplace_back(box, std::move(shown));
    }
    return boxes;
}

EditView EditHistory::CaptureView() const {
    EditView view;
    view.tab = w_.TabStrip() ? w_.TabStrip()->currentIndex() : 0;
    view.set = CurrentSet();
    view.macro = w_.Macros() ? w_.Macros()->CurrentMacroIndex : 0;
    view.colorEntry = w_.Shown().SelectedColorEntry;
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == &w_.Frame()) {
        view.focus = focus;
        if (auto* box = qobject_cast<QLineEdit*>(focus)) {
            view.caret = box->cursorPosition();
            if (box->hasSelectedText()) {
                view.selectionStart = box->selectionStart();
                view.selectionLength = int(box->selectedText().size());
            }
        }
    }
    view.unstoredBoxes = UnstoredBoxes();
    return view;
}

void EditHistory::GameSettingsShown() {
    w_.GameHistory().Shown(w_.GameTab()->Collect());
}

void EditHistory::Seal() {
    Document().Seal();
    w_.GameHistory().Seal();
}

// The game settings' steps are the installation's, whichever character is on show.
void EditHistory::FinishGame(Edit& edit) {
    const void* control = edit.key_ ? edit.key_->control : nullptr;
    const int tab = w_.TabStrip() ? w_.TabStrip()->currentIndex() : 0;
    if (w_.GameHistory().Record(U(edit.name_), w_.GameTab()->Collect(), control, w_.NextStepOrder(),
                                tab, Now()))
        Document().History().DropRedo();
}

void EditHistory::Finish(Edit& edit) {
    const EditScope& scope = edit.scope_;
    if (scope.gameSettings) {
        FinishGame(edit);
        if (scope.sets.empty() && !scope.colors && !scope.titles && !scope.ownName) {
            Refresh();
            return;
        }
    }
    StepView view;
    if (edit.scope_.ownName && w_.Prefs().Myname != edit.ownName_) {
        view.nameBefore = edit.ownName_;
        view.nameAfter = w_.Prefs().Myname;
    }
    view.before = edit.before_;
    view.after = CaptureView();
    view.forced = edit.always_;
    if (edit.shown_) {
        // A set command shows its set, as if its button had been clicked.
        const bool current = *edit.shown_ == CurrentSet();
        for (EditView* v : {&view.before, &view.after}) {
            v->tab = 0;
            v->set = *edit.shown_;
            if (!current) {
                v->macro = 0;
                v->unstoredBoxes.clear();
            }
            v->focus = w_.Macros()->pbSet[std::size_t(edit.shown_->set)];
            v->caret = -1;
            v->selectionStart = -1;
        }
    }
    const bool boxes = view.before.unstoredBoxes != view.after.unstoredBoxes;
    // What the document cannot see still makes a step there.
    if (view.forced || view.nameAfter || boxes) edit.bytes_->Always();
    if (edit.key_) edit.bytes_->Merging(StepKeyOf(*edit.key_));
    const uint64_t id = edit.bytes_->Commit();
    ByteStep* step = Document().History().Latest();
    if (id == 0 || !step || step->id != id) {
        Prune();  // a join that came to nothing took its step away
        Refresh();
        return;
    }
    view.showBook = !step->changes.empty() || edit.shown_ || boxes;
    Keep(id, std::move(view));
    StepView& kept = views_[id];
    step->content = kept.ChangesContent(*step);
    // Typing that ends where it began leaves no step behind.
    if (kept.Unchanged(*step)) {
        Document().History().DropLatest();
        views_.erase(id);
    }
    Refresh();
}

// A step joined by an edit keeps what it showed before and takes what the edit showed
// after.
void EditHistory::Keep(uint64_t id, StepView view) {
    auto it = views_.find(id);
    if (it == views_.end()) {
        Prune();  // steps undone and then dropped by this one
        view.order = w_.NextStepOrder();
        w_.GameHistory().DropRedo();
        views_.emplace(id, std::move(view));
        return;
    }
    StepView& merged = it->second;
    if (view.nameAfter) {
        if (!merged.nameBefore) merged.nameBefore = view.nameBefore;
        merged.nameAfter = view.nameAfter;
    }
    merged.after = std::move(view.after);
    merged.showBook = merged.showBook || view.showBook;
    merged.forced = merged.forced || view.forced;
}

// Forgets the views of steps the document no longer has. Both are in the order of their
// ids; a view left over for a while does no harm, as ids are never used again.
void EditHistory::Prune() {
    const ByteHistory& steps = Document().History();
    if (views_.size() <= steps.Count()) return;
    std::size_t i = 0;
    for (auto it = views_.begin(); it != views_.end();) {
        while (i < steps.Count() && steps.At(i).id < it->first) ++i;
        if (i < steps.Count() && steps.At(i).id == it->first)
            ++it;
        else
            it = views_.erase(it);
    }
}

int64_t EditHistory::Now() const {
    return w_.Services().clock ? w_.Services().clock->TickMs() : 0;
}

bool EditHistory::Continues(const MergeKey& key) const {
    if (open_ || applying_) return false;
    return Document().History().Continues(StepKeyOf(key), Now());
}

uint64_t EditHistory::OrderOf(const ByteStep& step) const {
    auto it = views_.find(step.id);
    return it == views_.end() ? 0 : it->second.order;
}

// Undo takes back the latest step made, of either history; redo puts back the earliest
// undone.
EditHistory::Side EditHistory::SideOf(bool forward) const {
    ByteHistory& steps = Document().History();
    const GameSettingsHistory& game = w_.GameHistory();
    const ByteStep* mine = forward ? steps.NextRedo() : steps.Latest();
    const GameSettingsHistory::Step* theirs = forward ? game.NextRedo() : game.LatestDone();
    if (theirs &&
        (!mine || (forward ? theirs->order < OrderOf(*mine) : theirs->order > OrderOf(*mine))))
        return Side::Game;
    return mine ? Side::Document : Side::None;
}

void EditHistory::Undo() {
    Go(false);
}

void EditHistory::Redo() {
    Go(true);
}

void EditHistory::Go(bool forward) {
    if (open_ || applying_) return;
    const ApplyingScope scope(applying_);
    if (SideOf(forward) == Side::Game) {
        GameSettingsHistory& game = w_.GameHistory();
        ShowGame(*(forward ? game.Redo() : game.Undo()), forward);
    } else if (const ByteStep* step = forward ? Document().Redo() : Document().Undo()) {
        Apply(*step, forward);
    }
    Refresh();
}

void EditHistory::ShowGame(const GameSettingsHistory::Step& step, bool forward) {
    if (w_.TabStrip()->currentIndex() != step.tab) w_.TabStrip()->setCurrentIndex(step.tab);
    w_.GameTab()->Show(forward ? step.after : step.before);
}

bool EditHistory::Modified() const {
    return Document().Modified();
}

void EditHistory::Clear() {
    Document().History().Clear();
    views_.clear();
    Refresh();
}

void EditHistory::MarkClean() {
    Document().History().MarkClean();
    Refresh();
}

void EditHistory::Saved(const SaveReport& report) {
    Document().Saved(report);
    if (report.AllSaved()) w_.GameHistory().Saved();
    Refresh();
}

// The document has put the bytes back; the rest of the step, and its view, follow.
void EditHistory::Apply(const ByteStep& step, bool forward) {
    StepView none;
    none.showBook = ChangesRecord(step, RecordId::Kind::Macro);
    none.before = none.after = CaptureView();
    auto it = views_.find(step.id);
    const StepView& kept = it == views_.end() ? none : it->second;
    if (kept.nameAfter) {
        w_.Prefs().Myname = forward ? *kept.nameAfter : *kept.nameBefore;
        w_.Macros()->ShowOwnName(Q(w_.Prefs().Myname));
        w_.Macros()->RepaintPreview();
    }
    ShowView(step, kept, forward ? kept.after : kept.before);
}

void EditHistory::ShowView(const ByteStep& step, const StepView& kept, const EditView& view) {
    if (w_.TabStrip()->currentIndex() != view.tab) w_.TabStrip()->setCurrentIndex(view.tab);
    MacroTab& tab = *w_.Macros();
    if (kept.showBook) tab.ShowSet(view.set.book, view.set.set, view.macro);
    // The book list and the preview follow the document (wMenu::DocumentChanged).
    if (ChangesRecord(step, RecordId::Kind::Cnf) && view.colorEntry >= 0)
        w_.Colors()->ShowEntry(view.colorEntry);
    QWidget* focus = view.focus.data();
    if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
    // After the focus: focusing a title box refills the line boxes.
    if (kept.showBook) tab.ShowBoxTexts(view.unstoredBoxes);
    if (auto* box = qobject_cast<QLineEdit*>(focus); box && box == QApplication::focusWidget()) {
        if (view.selectionStart >= 0)
            box->setSelection(view.selectionStart, view.selectionLength);
        else if (view.caret >= 0)
            box->setCursorPosition(view.caret);
    }
}

void EditHistory::Refresh() {
    // A box holding text its field could not take is unsaved however the history stands.
    // The window's one flag also holds the game settings, which are no character's.
    CharacterState& shown = w_.Shown();
    const bool was = shown.CharacterModified;
    shown.CharacterModified = Modified() || (w_.Macros() && w_.Macros()->HoldsTooLongText());
    shown.ContentModified = shown.CharacterModified || w_.GameHistory().Modified();
    if (shown.CharacterModified != was) w_.UnsavedChanged();
    if (!modifiedMark_) modifiedMark_ = w_.Frame().findChild<QLabel*>(QStringLiteral("stModified"));
    if (modifiedMark_)
        modifiedMark_->setText(w_.Shown().ContentModified ? tr("変更あり") : QString());
    const ByteHistory& steps = Document().History();
    const GameSettingsHistory& game = w_.GameHistory();
    if (QAction* undo = w_.UndoItem()) {
        const Side side = SideOf(false);
        undo->setEnabled(side != Side::None);
        const std::u16string name = side == Side::Game ? game.LatestDone()->name : steps.UndoName();
        undo->setText(UndoCaption(tr("元に戻す"), Q(name), 'U'));
    }
    if (QAction* redo = w_.RedoItem()) {
        const Side side = SideOf(true);
        redo->setEnabled(side != Side::None);
        const std::u16string name = side == Side::Game ? game.NextRedo()->name : steps.RedoName();
        redo->setText(UndoCaption(tr("やり直し"), Q(name), 'R'));
    }
}

void EditHistory::AddToWindow(QMenu& menu) {
    QAction* first = menu.actions().isEmpty() ? nullptr : menu.actions().first();
    auto* undo = new QAction(&menu);
    undo->setObjectName(QStringLiteral("EditUndo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto* redo = new QAction(&menu);
    redo->setObjectName(QStringLiteral("EditRedo"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    menu.insertAction(first, undo);
    menu.insertAction(first, redo);
    menu.insertSeparator(first);
    // The menu serves whichever character is on show.
    HistoryWindow* window = &w_;
    connect(undo, &QAction::triggered, this, [window] { window->History().Undo(); });
    connect(redo, &QAction::triggered, this, [window] { window->History().Redo(); });
    w_.SetUndoItems(undo, redo);

    modifiedMark_ = new QLabel(&w_.Frame());
    modifiedMark_->setObjectName(QStringLiteral("stModified"));
    modifiedMark_->setToolTip(tr("保存していない変更があります"));
    w_.Frame().statusBar()->insertPermanentWidget(1, modifiedMark_);
    Refresh();
}

}  // namespace qm
