#pragma once
// The search and replace dialog: finds text in the macro titles and lines of the character
// on show or of every open character, and replaces it after listing every change. A
// replace is all or nothing: one change that cannot be made (too long, characters the game
// cannot store, a token it would alter) refuses the whole replace. It stays open beside
// the window and reaches the window only through FindHost.

#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "document/FindReplace.h"
#include "macro/MacroFolder.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

class FindHost {
  public:
    virtual ~FindHost() = default;
    virtual int CharacterCount() const = 0;  // every open character
    virtual int ShownCharacter() const = 0;  // the one on show
    virtual QString CharacterLabel(int character) const = 0;
    virtual const MacroBooks& CharacterBooks(int character) const = 0;
    // Shows that field in the window (switching character, book, set, macro; focusing the box).
    virtual void ShowField(int character, FieldRef where) = 0;
    // Makes the changes in that character as one undo step.
    virtual void ApplyReplacements(int character, const std::vector<FieldReplacement>& changes) = 0;
};

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    FindDialog(FindHost& host, QWidget* parent);
    // Shows the dialog for finding, or with the replacement box and buttons too.
    void ShowFind();
    void ShowReplace();

  private:
    // What the boxes ask for, read when a button is pressed.
    struct Query {
        TextPattern pattern;
        std::u16string replacement;
        SearchScope scope;
        std::vector<int> characters;
    };
    struct CharacterPlan {
        int character = 0;
        QString label;
        ReplacePlan plan;
        bool operator==(const CharacterPlan&) const = default;
    };

    void ShowMode(bool replacing);
    // Nothing after saying why (an empty pattern, a bad expression, no field kind chosen).
    std::optional<Query> ReadQuery();
    std::vector<CharacterPlan> MakePlan(const Query& query) const;
    void Find();
    void PlanReplace();
    void Replace();
    void ListPlan(const std::vector<CharacterPlan>& plans, const QString& lead = {});
    void Clear();
    void Say(const QString& text, bool problem = false);
    QTreeWidgetItem* Row(int character, const QString& label, FieldRef where,
                         const QString& text) const;
    void ShowRow(const QTreeWidgetItem* row);

    FindHost& host_;
    std::vector<CharacterPlan> listed_;  // the replace on show; empty when none is
    QLineEdit* pattern_ = nullptr;
    QLabel* replaceLabel_ = nullptr;
    QLineEdit* replaceWith_ = nullptr;
    QCheckBox* regex_ = nullptr;
    QCheckBox* all_ = nullptr;
    QCheckBox* titles_ = nullptr;
    QCheckBox* lines_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* plan_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* close_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace qm
