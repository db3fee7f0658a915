#pragma once
// One history of edits per open character folder. Every change to the macro book, the
// text colours, the game settings and the own name is a step that can be undone and
// redone. The bytes of each step, before and after, are the character document's own
// history, so that undoing gives back exactly what was stored; this keeps what the
// window showed of each step (tab, set, macro, box and caret), so that undoing shows it,
// and what is not the document's (the game settings, the own name). The unsaved-changes
// flag follows the document's history: back at the step that was saved, it is clear
// again.
//
// The macro boxes are stored into the book as they change, so the book always holds what
// the boxes show (except text too long for its field, which steps keep as box text).

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/CnfRecord.h"
#include "config/GameSettings.h"
#include "config/GameSettingsHistory.h"
#include "document/CharacterDocument.h"
#include "editor/HistoryWindow.h"
#include "macro/BookTitles.h"
#include "macro/MacroFile.h"

class QLabel;
class QMenu;
class QWidget;

namespace qm {

// One set of the macro book.
struct SetRef {
    int book = 0;
    int set = 0;
    bool operator==(const SetRef&) const = default;
};

// The macro tab's boxes by number: titles 0 to 19, then lines 20 to 25.
inline constexpr int kTitleBoxCount = kMacrosPerSet;
inline constexpr int kMacroBoxCount = kMacrosPerSet + kLinesPerMacro;

// What the window showed of an edit.
struct EditView {
    int tab = 0;
    SetRef set;
    int macro = 0;
    int colorEntry = -1;
    QPointer<QWidget> focus;
    int caret = -1;  // -1: where the box puts it
    int selectionStart = -1;
    int selectionLength = 0;
    // Macro boxes whose text their field could not take (too long), with that text.
    std::vector<std::pair<int, QString>> unstoredBoxes;
};

// The parts of the state an edit may change; only these are compared before and after.
struct EditScope {
    std::vector<SetRef> sets{};
    bool colors = false;
    bool gameSettings = false;
    bool ownName = false;
    bool titles = false;  // the book titles
};

// Consecutive edits with equal keys make one step (typing in one box, moving one
// slider), until a pause, a focus change, an undo, a redo or a save.
struct MergeKey {
    const QObject* control = nullptr;
    SetRef set{};
    int macro = -1;
    int colorEntry = -1;
    bool operator==(const MergeKey&) const = default;
};

struct SaveReport;

class EditHistory : public QObject {
    Q_OBJECT
  public:
    // Typing pauses longer than this start a new step.
    static constexpr int64_t kPauseMs = ByteHistory::kPauseMs;

    explicit EditHistory(HistoryWindow& window);
    ~EditHistory() override;

    // An edit in progress. When it ends, everything in scope is compared with how it
    // was and one step is recorded if anything changed. Inside another edit, or while
    // the history applies a step, it records nothing (the outer edit sees the change).
    class Edit {
      public:
        Edit(EditHistory& history, QString name, EditScope scope);
        ~Edit();
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;

        Edit& Merging(MergeKey key);
        Edit& Always();             // recorded even when nothing changed
        Edit& Showing(SetRef set);  // undo and redo show this set
        // Typing into macro box `box` (-1: another box) changed its text from `before`
        // to `after`; undoing puts the caret where the two begin to differ.
        Edit& TypedInto(int box, const QString& before, const QString& after);
        bool Recording() const { return recording_; }

      private:
        friend class EditHistory;
        EditHistory& h_;
        bool recording_ = false;
        QString name_;
        EditScope scope_;
        std::optional<CharacterDocument::Edit> bytes_;
        GameSettings game_;
        std::u16string ownName_;
        EditView before_;
        std::optional<MergeKey> key_;
        std::optional<SetRef> shown_;
        bool always_ = false;
    };

    void Undo();
    void Redo();
    // Another folder is open: nothing to go back to, and nothing unsaved.
    void Clear();
    // Everything was saved: this is the clean point.
    void MarkClean();
    // A save of the character's own folder ran: its report moves the clean point.
    void Saved(const SaveReport& report);
    // True when a step between the clean point and now changed saved content.
    bool Modified() const;
    // A macro box changed: text too long for its field keeps the unsaved mark on.
    void BoxChanged() { Refresh(); }
    // Ends the step that typing or a slider is adding to.
    void Seal();
    // Whether an edit with this key, made now, would join the latest step.
    bool Continues(const MergeKey& key) const;
    bool Applying() const { return applying_; }
    // The game settings tab was filled by the program: its controls are the new base.
    void GameSettingsShown();
    // The steps of the character's and the game settings' histories together, and how
    // many of them are done.
    int Count() const;
    int Index() const;
    // The undo and redo items at the top of the Edit menu and the unsaved mark on the
    // status bar.
    void AddToWindow(QMenu& editMenu);
    // The set the macro tab shows.
    SetRef CurrentSet() const;
    // Macro boxes whose text their field could not take, with that text.
    std::vector<std::pair<int, QString>> UnstoredBoxes() const;

  private:
    // What a step is besides its bytes.
    struct StepView {
        EditView before, after;
        uint64_t order = 0;  // among the steps of every history (NextStepOrder)
        bool showBook = false;
        bool forced = false;  // a set command: a step even when nothing changed
        std::optional<std::u16string> nameBefore, nameAfter;
        bool Unchanged(const ByteStep& step) const;
        bool ChangesContent(const ByteStep& step) const;
    };

    // Which history's step an undo or a redo would take.
    enum class Side : uint8_t { None, Document, Game };
    Side SideOf(bool forward) const;  // forward: redo
    void Go(bool forward);
    uint64_t OrderOf(const ByteStep& step) const;

    CharacterDocument& Document() const;
    EditView CaptureView() const;
    QString StoredBoxText(int box) const;
    void Finish(Edit& edit);
    void FinishGame(Edit& edit);
    void ShowGame(const GameSettingsHistory::Step& step, bool forward);
    void Keep(uint64_t id, StepView view);
    void Prune();
    void Apply(const ByteStep& step, bool forward);
    void ShowView(const ByteStep& step, const StepView& kept, const EditView& view);
    void Refresh();
    int64_t Now() const;

    HistoryWindow& w_;
    std::map<uint64_t, StepView> views_;  // by the document's step id
    bool open_ = false;
    bool applying_ = false;
    QLabel* modifiedMark_ = nullptr;
};

// A command on a whole set (cut, paste, delete, restore from a backup): a step even when
// the set's bytes stay the same, as the set is marked changed all the same; undoing it
// shows the set.
class SetEdit : public EditHistory::Edit {
  public:
    SetEdit(EditHistory& history, QString name, SetRef set);
};

}  // namespace qm
