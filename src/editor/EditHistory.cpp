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
#include "document/ByteHistory.h"
#include "editor/CharacterState.h"
#include "editor/MacroTab.h"
#include "platform/Platform.h"
#include "platform/QtText.h"
#include "settings/ToolPreferences.h"

namespace qm {

namespace {

// The bytes of one record that an edit changed, as the core's history keeps them, and
// which record: the CnfRecord, or a set's MacroFile.
struct RecordChange : qm::ByteChange {
    SetRef set;
    bool colors = false;  // the CnfRecord; otherwise the set's MacroFile
    int titleFile = -1;   // or that book title file

    RecordChange() = default;
    RecordChange(qm::ByteChange&& c) : qm::ByteChange(std::move(c)) {}
    bool SameRecord(const RecordChange& o) const {
        return colors == o.colors && titleFile == o.titleFile && set == o.set;
    }
};

// The slider positions only follow the boxes; a save writes the boxes' numbers.
bool SameSavedSettings(GameSettings a, GameSettings b) {
    a.backBufferWStep = b.backBufferWStep = 0;
    a.backBufferHStep = b.backBufferHStep = 0;
    return a == b;
}

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

}  // namespace

class EditStep final : public QUndoCommand {
  public:
    EditStep(EditHistory& history, const QString& name) : QUndoCommand(name), h(history) {}

    int id() const override { return key ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;
    void undo() override { h.Apply(*this, false); }
    void redo() override {
        // Pushed once the edit is made: the first time there is nothing to do.
        if (!done) {
            done = true;
            return;
        }
        h.Apply(*this, true);
    }

    // Whether an edit with this key, generation and time joins this step.
    bool Joins(const std::optional<MergeKey>& k, uint64_t g, int64_t t) const;
    bool Unchanged() const {
        return !forced && bytes.empty() && gameBefore == gameAfter && nameBefore == nameAfter &&
               before.unstoredBoxes == after.unstoredBoxes;
    }
    // Whether the step changed anything a save writes (the own name is not saved).
    bool ChangesContent() const {
        return forced || !bytes.empty() || before.unstoredBoxes != after.unstoredBoxes ||
               (gameAfter && !SameSavedSettings(*gameBefore, *gameAfter));
    }

    EditHistory& h;
    std::vector<RecordChange> bytes;
    std::optional<GameSettings> gameBefore, gameAfter;
    std::optional<std::u16string> nameBefore, nameAfter;
    EditView before, after;
    bool showBook = false;
    bool forced = false;
    bool content = false;
    bool done = false;
    std::optional<MergeKey> key;
    uint64_t generation = 0;
    int64_t tick = 0;  // of the latest edit in the step
};

bool EditStep::Joins(const std::optional<MergeKey>& k, uint64_t g, int64_t t) const {
    return key && key == k && generation == g && t >= tick && t - tick <= EditHistory::kPauseMs;
}

bool EditStep::mergeWith(const QUndoCommand* command) {
    const auto& o = static_cast<const EditStep&>(*command);
    if (!Joins(o.key, o.generation, o.tick)) return false;
    for (const RecordChange& next : o.bytes) {
        auto mine = std::find_if(bytes.begin(), bytes.end(),
                                 [&](const RecordChange& c) { return c.SameRecord(next); });
        if (mine == bytes.end()) {
            bytes.push_back(next);
            continue;
        }
        // The record holds the state after both edits; before them, each byte is what
        // the earlier edit found, or failing that the later one, or it is unchanged.
        std::span<const uint8_t> now =
            next.colors ? std::span<const uint8_t>(h.w_.Shown().cnfRecord.bytes)
            : next.titleFile >= 0
                ? std::span<const uint8_t>(
                      h.w_.Shown().bookTitles.edited[std::size_t(next.titleFile)].bytes)
                : std::span<const uint8_t>(h.Record(next.set).bytes);
        if (!FoldChange(*mine, next, now)) bytes.erase(mine);
    }
    if (o.gameAfter) {
        if (!gameBefore) gameBefore = o.gameBefore;
        gameAfter = o.gameAfter;
    }
    if (o.nameAfter) {
        if (!nameBefore) nameBefore = o.nameBefore;
        nameAfter = o.nameAfter;
    }
    after = o.after;
    tick = o.tick;
    showBook = showBook || o.showBook;
    content = ChangesContent();
    // Typing that ends where it began leaves no step behind.
    setObsolete(Unchanged());
    return true;
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
    for (SetRef s : sets) sets_.push_back(h_.Record(s));
    if (scope_.colors) colors_ = h_.w_.Shown().cnfRecord.bytes;
    if (scope_.titles) titles_ = h_.w_.Shown().bookTitles.edited;
    if (scope_.gameSettings) game_ = h_.CurrentGameSettings();
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
    connect(&stack_, &QUndoStack::indexChanged, this, [this] { Refresh(); });
    // Leaving a box ends its typing step.
    connect(qApp, &QApplication::focusChanged, this, [this] { Seal(); });
}

EditHistory::~EditHistory() {
    // The stack clears itself on the way out; the window is going too.
    stack_.disconnect(this);
}

SetRef EditHistory::CurrentSet() const {
    if (!w_.Macros()) return {};
    return SetRef{w_.Macros()->CurrentBookIndex, w_.Macros()->CurrentSetIndex};
}

MacroFile& EditHistory::Record(SetRef set) {
    return w_.Shown().macroBooks.Book(set.book)[std::size_t(set.set)];
}

QString EditHistory::StoredBoxText(int box) const {
    const SetRef shown = CurrentSet();
    const MacroFile& file = w_.Shown().macroBooks.Book(shown.book)[std::size_t(shown.set)];
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

GameSettings EditHistory::CurrentGameSettings() const {
    return gameShown_ ? *gameShown_ : w_.GameTab()->Collect();
}

void EditHistory::GameSettingsShown() {
    gameShown_ = w_.GameTab()->Collect();
}

void EditHistory::Finish(Edit& edit) {
    auto step = std::make_unique<EditStep>(*this, edit.name_);
    for (std::size_t i = 0; i < edit.scope_.sets.size(); ++i) {
        const SetRef set = edit.scope_.sets[i];
        if (auto difference = Difference(edit.sets_[i].bytes, Record(set).bytes)) {
            RecordChange change(std::move(*difference));
            change.set = set;
            step->bytes.push_back(std::move(change));
        }
    }
    const bool bookChanged = !step->bytes.empty();
    if (edit.scope_.colors) {
        if (auto difference = Difference(edit.colors_, w_.Shown().cnfRecord.bytes)) {
            RecordChange change(std::move(*difference));
            change.colors = true;
            step->bytes.push_back(std::move(change));
        }
    }
    for (int f = 0; f < kTitleFileCount && edit.scope_.titles; ++f) {
        if (auto difference = Difference(edit.titles_[std::size_t(f)].bytes,
                                         w_.Shown().bookTitles.edited[std::size_t(f)].bytes)) {
            RecordChange change(std::move(*difference));
            change.titleFile = f;
            step->bytes.push_back(std::move(change));
        }
    }
    if (edit.scope_.gameSettings) {
        GameSettings now = w_.GameTab()->Collect();
        gameShown_ = now;
        if (!(now == edit.game_)) {
            step->gameBefore = edit.game_;
            step->gameAfter = std::move(now);
        }
    }
    if (edit.scope_.ownName && w_.Prefs().Myname != edit.ownName_) {
        step->nameBefore = edit.ownName_;
        step->nameAfter = w_.Prefs().Myname;
    }
    step->before = edit.before_;
    step->after = CaptureView();
    step->forced = edit.always_;
    if (edit.shown_) {
        // A set command shows its set, as if its button had been clicked.
        const bool current = *edit.shown_ == CurrentSet();
        for (EditView* view : {&step->before, &step->after}) {
            view->tab = 0;
            view->set = *edit.shown_;
            if (!current) {
                view->macro = 0;
                view->unstoredBoxes.clear();
            }
            view->focus = w_.Macros()->pbSet[std::size_t(edit.shown_->set)];
            view->caret = -1;
            view->selectionStart = -1;
        }
    }
    step->showBook =
        bookChanged || edit.shown_ || step->before.unstoredBoxes != step->after.unstoredBoxes;
    if (step->Unchanged()) return;
    step->content = step->ChangesContent();
    step->key = edit.key_;
    step->generation = generation_;
    step->tick = Now();
    Push(step.release());
}

int64_t EditHistory::Now() const {
    return w_.Services().clock ? w_.Services().clock->TickMs() : 0;
}

bool EditHistory::Continues(const MergeKey& key) const {
    if (open_ || applying_ || stack_.index() == 0) return false;
    return StepAt(stack_.index() - 1)->Joins(key, generation_, Now());
}

const EditStep* EditHistory::StepAt(int index) const {
    return static_cast<const EditStep*>(stack_.command(index));
}

void EditHistory::Push(EditStep* step) {
    const int index = stack_.index();
    if (cleanIndex_ > index) {
        // The steps undone since the save are dropped; the saved state stays reachable
        // only when none of them changed saved content.
        bool content = false;
        for (int i = index; i < cleanIndex_; ++i) content = content || StepAt(i)->content;
        cleanIndex_ = content ? -1 : index;
    }
    stack_.push(step);
    if (cleanIndex_ > stack_.count()) cleanIndex_ = -1;
    Refresh();
}

bool EditHistory::Modified() const {
    if (cleanIndex_ < 0 || cleanIndex_ > stack_.count()) return true;
    const int index = stack_.index();
    for (int i = std::min(index, cleanIndex_); i < std::max(index, cleanIndex_); ++i)
        if (StepAt(i)->content) return true;
    return false;
}

void EditHistory::Undo() {
    if (open_ || applying_ || !stack_.canUndo()) return;
    Seal();
    stack_.undo();
}

void EditHistory::Redo() {
    if (open_ || applying_ || !stack_.canRedo()) return;
    Seal();
    stack_.redo();
}

void EditHistory::Clear() {
    cleanIndex_ = 0;
    stack_.clear();
    Seal();
    Refresh();
}

void EditHistory::MarkClean() {
    cleanIndex_ = stack_.index();
    Seal();
    Refresh();
}

void EditHistory::ForgetClean() {
    cleanIndex_ = -1;
    Refresh();
}

void EditHistory::Apply(const EditStep& step, bool forward) {
    const ApplyingScope scope(applying_);
    for (const RecordChange& change : step.bytes) {
        const std::vector<uint8_t>& bytes = forward ? change.after : change.before;
        uint8_t* record =
            change.colors ? w_.Shown().cnfRecord.bytes.data()
            : change.titleFile >= 0
                ? w_.Shown().bookTitles.edited[std::size_t(change.titleFile)].bytes.data()
                : Record(change.set).bytes.data();
        std::copy(bytes.begin(), bytes.end(), record + change.offset);
    }
    if (step.gameAfter) w_.GameTab()->Show(forward ? *step.gameAfter : *step.gameBefore);
    if (step.nameAfter) {
        w_.Prefs().Myname = forward ? *step.nameAfter : *step.nameBefore;
        w_.Macros()->ShowOwnName(Q(w_.Prefs().Myname));
        w_.Macros()->RepaintPreview();
    }
    ShowView(step, forward ? step.after : step.before);
}

void EditHistory::ShowView(const EditStep& step, const EditView& view) {
    if (w_.TabStrip()->currentIndex() != view.tab) w_.TabStrip()->setCurrentIndex(view.tab);
    MacroTab& tab = *w_.Macros();
    if (step.showBook) tab.ShowSet(view.set.book, view.set.set, view.macro);
    const bool colors = std::any_of(step.bytes.begin(), step.bytes.end(),
                                    [](const RecordChange& c) { return c.colors; });
    if (std::any_of(step.bytes.begin(), step.bytes.end(),
                    [](const RecordChange& c) { return c.titleFile >= 0; }))
        tab.ShowBookNames();
    if (colors) {
        if (view.colorEntry >= 0) w_.Colors()->ShowEntry(view.colorEntry);
        tab.RepaintPreview();
    }
    QWidget* focus = view.focus.data();
    if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
    // After the focus: focusing a title box refills the line boxes.
    if (step.showBook) tab.ShowBoxTexts(view.unstoredBoxes);
    if (auto* box = qobject_cast<QLineEdit*>(focus); box && box == QApplication::focusWidget()) {
        if (view.selectionStart >= 0)
            box->setSelection(view.selectionStart, view.selectionLength);
        else if (view.caret >= 0)
            box->setCursorPosition(view.caret);
    }
}

void EditHistory::Refresh() {
    // A box holding text its field could not take is unsaved however the history stands.
    const bool was = w_.Shown().ContentModified;
    w_.Shown().ContentModified = Modified() || (w_.Macros() && w_.Macros()->HoldsTooLongText());
    if (w_.Shown().ContentModified != was) w_.UnsavedChanged();
    if (!modifiedMark_) modifiedMark_ = w_.Frame().findChild<QLabel*>(QStringLiteral("stModified"));
    if (modifiedMark_)
        modifiedMark_->setText(w_.Shown().ContentModified ? tr("変更あり") : QString());
    if (QAction* undo = w_.UndoItem()) {
        undo->setEnabled(stack_.canUndo());
        undo->setText(UndoCaption(tr("元に戻す"), stack_.undoText(), 'U'));
    }
    if (QAction* redo = w_.RedoItem()) {
        redo->setEnabled(stack_.canRedo());
        redo->setText(UndoCaption(tr("やり直し"), stack_.redoText(), 'R'));
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
