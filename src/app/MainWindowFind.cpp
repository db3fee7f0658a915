// Find and replace across the open characters: the dialog reaches the window through a
// FindHost that numbers the characters read so far.
#include <QCoreApplication>
#include <QLineEdit>
#include <QTabBar>

#include "app/MainWindow.h"
#include "editor/EditHistory.h"
#include "editor/FindDialog.h"
#include "editor/MacroTab.h"

namespace qm {

class WindowFindHost : public FindHost {
  public:
    explicit WindowFindHost(wMenu& w) : w_(w) {}

    int CharacterCount() const override { return int(Open().size()); }
    int ShownCharacter() const override {
        const std::vector<int> open = Open();
        const auto at = std::find(open.begin(), open.end(), w_.ShownCharacter());
        return at == open.end() ? -1 : int(at - open.begin());
    }
    QString CharacterLabel(int character) const override {
        return w_.CharacterLabel(Slot(character));
    }
    const MacroBooks& CharacterBooks(int character) const override {
        return w_.CharacterData(Slot(character))->Books();
    }
    void ShowField(int character, FieldRef where) override {
        if (!w_.ShowCharacter(Slot(character))) return;
        w_.tsMenu->setCurrentIndex(0);
        w_.macroTab->ShowSet(where.book, where.set, where.macro);
        QLineEdit* box = where.field == 0 ? w_.macroTab->efTitle[std::size_t(where.macro)]
                                          : w_.macroTab->efLine[std::size_t(where.field - 1)];
        box->setFocus(Qt::OtherFocusReason);
    }
    void ApplyReplacements(int character, const std::vector<FieldReplacement>& changes) override {
        if (changes.empty()) return;
        const int shown = w_.ShownCharacter();
        // The edit goes into that character's own history: it is put on show for it.
        if (!w_.ShowCharacter(Slot(character))) return;
        EditScope scope;
        for (const FieldReplacement& c : changes) {
            const SetRef set{c.where.book, c.where.set};
            if (std::find(scope.sets.begin(), scope.sets.end(), set) == scope.sets.end())
                scope.sets.push_back(set);
        }
        {
            EditHistory::Edit edit(*w_.history, QCoreApplication::translate("qm::wMenu", "置換"),
                                   scope);
            edit.Showing(scope.sets.front());
            ApplyReplace(*w_.document, ReplacePlan{changes, {}});
        }
        w_.macroTab->ShowSet(w_.macroTab->CurrentBookIndex, w_.macroTab->CurrentSetIndex,
                             w_.macroTab->CurrentMacroIndex);
        w_.ShowCharacter(shown);
    }

  private:
    std::vector<int> Open() const {
        std::vector<int> open;
        for (int i = 0; i < int(w_.Characters().size()); ++i)
            if (w_.Characters()[std::size_t(i)].open) open.push_back(i);
        return open;
    }
    int Slot(int character) const {
        const std::vector<int> open = Open();
        return character >= 0 && character < int(open.size()) ? open[std::size_t(character)] : -1;
    }
    wMenu& w_;
};

void wMenu::FindHostDeleter::operator()(WindowFindHost* host) const {
    delete host;
}

wMenu::~wMenu() {
    // The dialog holds the host: it goes first.
    delete findDialog_;
    // The histories follow the focus, which moves while the window goes; they go before
    // the documents they record in.
    qDeleteAll(findChildren<EditHistory*>(Qt::FindDirectChildrenOnly));
    history = nullptr;
}

void wMenu::EditFind_Click() {
    OpenFindDialog(false);
}

void wMenu::EditReplace_Click() {
    OpenFindDialog(true);
}

void wMenu::OpenFindDialog(bool replacing) {
    if (!EditorEnabled) return;
    if (!findDialog_) {
        findHost_.reset(new WindowFindHost(*this));
        findDialog_ = new FindDialog(*findHost_, this);
    }
    if (replacing)
        findDialog_->ShowReplace();
    else
        findDialog_->ShowFind();
}

}  // namespace qm
