// The Edit menu and the set backup handles, on the main window.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <algorithm>

#include "app/EditCommands.h"
#include "app/MainWindow.h"
#include "editor/EditHistory.h"
#include "editor/LineOps.h"
#include "editor/MacroTab.h"
#include "editor/TextForms.h"
#include "macro/Cp932.h"
#include "macro/FieldText.h"
#include "platform/QtImages.h"
#include "platform/QtText.h"

namespace qm {

namespace {

// The text box of any tab that has the focus in this window, or null.
QLineEdit* FocusedTextBox(wMenu& w) {
    return qobject_cast<QLineEdit*>(w.focusWidget());
}

bool IsTitleBox(wMenu& w, const QLineEdit* box) {
    const auto& titles = w.macroTab->efTitle;
    return std::find(titles.begin(), titles.end(), box) != titles.end();
}

QLineEdit* CurrentTitleBox(wMenu& w) {
    return w.macroTab->efTitle[std::size_t(w.macroTab->CurrentMacroIndex)];
}

// The Edit menu reaches any text box: the macro boxes, the own name and the game
// settings' boxes.
EditScope EditMenuScope(wMenu& w) {
    return EditScope{.sets = {w.history->CurrentSet()}, .gameSettings = true, .ownName = true};
}

// Any error ends the command silently; what it did before stays done.
template <typename F>
void Guarded(F&& command) {
    try {
        command();
    } catch (...) {
    }
}

// Copy and Cut take the whole current macro from a title box, the selection elsewhere.
std::u16string TextToTake(wMenu& w, QLineEdit* box) {
    if (IsTitleBox(w, box))
        return MacroToText(U(CurrentTitleBox(w)->text()), w.macroTab->LineTexts());
    return U(box->selectedText());
}

// Replaces the selection of a title box with as much of the text as keeps the title
// within its eight bytes.
void InsertIntoTitle(QLineEdit* box, std::u16string_view text) {
    QString rest = box->text();
    if (box->hasSelectedText()) rest.remove(box->selectionStart(), box->selectedText().size());
    std::size_t used = FieldTextLength(U(rest));
    std::size_t room = used < kTitleFieldSize - 1 ? kTitleFieldSize - 1 - used : 0;
    box->insert(Q(TruncateToCp932Bytes(text, room)));
}

// Text of several lines for a box of one: the lines joined by a blank, a trailing line
// break dropped.
std::u16string AsOneLine(std::u16string_view text) {
    std::u16string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c != u'\r' && c != u'\n') {
            line += c;
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        if (i + 1 < text.size()) line += u' ';
    }
    return line;
}

}  // namespace

void wMenu::EditMenu_Click() {
    Guarded([this] {
        QLineEdit* box = FocusedTextBox(*this);
        if (!box) {
            for (QAction* a : {EditCut, EditCopy, EditPaste, EditDelete}) a->setEnabled(false);
            return;
        }
        bool canTake = IsTitleBox(*this, box) || box->hasSelectedText();
        bool writable = !box->isReadOnly();
        EditCut->setEnabled(canTake && writable);
        EditCopy->setEnabled(canTake);
        EditDelete->setEnabled(canTake && writable);
        EditPaste->setEnabled(writable && !platform.clipboard->GetText().empty());
    });
}

void wMenu::EditCopy_Click() {
    Guarded([this] {
        QLineEdit* box = FocusedTextBox(*this);
        if (!box) return;
        if (!PutOnClipboard(*platform.clipboard, TextToTake(*this, box)))
            ShowStatus(U(tr("クリップボードに書き込めませんでした。")));
    });
}

void wMenu::EditCut_Click() {
    Guarded([this] {
        QLineEdit* box = FocusedTextBox(*this);
        if (!box || box->isReadOnly()) return;
        // The boxes are emptied only once the clipboard holds their text.
        if (!PutOnClipboard(*platform.clipboard, TextToTake(*this, box))) {
            ShowStatus(U(tr("クリップボードに書き込めませんでした。")));
            return;
        }
        const bool macro = IsTitleBox(*this, box);
        EditHistory::Edit edit(*history, macro ? tr("マクロの切り取り") : tr("切り取り"),
                               EditMenuScope(*this));
        if (macro) {
            CurrentTitleBox(*this)->clear();
            for (QLineEdit* line : macroTab->efLine) line->clear();
            macroTab->RepaintPreview();
        } else if (box->hasSelectedText()) {
            box->del();
        }
    });
}

void wMenu::EditPaste_Click() {
    Guarded([this] {
        QLineEdit* box = FocusedTextBox(*this);
        if (!box || box->isReadOnly()) return;
        std::u16string text = platform.clipboard->GetText();
        auto macro = TextToMacro(text);
        EditHistory::Edit edit(*history,
                               macro && EditorEnabled ? tr("マクロの貼り付け") : tr("貼り付け"),
                               EditMenuScope(*this));
        // Text with CR LF is a macro: it fills the current macro whichever box has the
        // focus, once a folder is open. Before that there are no macro boxes to fill, and
        // the focused box takes the text as one line.
        if (macro && EditorEnabled) {
            CurrentTitleBox(*this)->setText(Q(macro->title));
            for (int k = 0; k < kLinesPerMacro; ++k)
                macroTab->efLine[std::size_t(k)]->setText(Q(macro->lines[std::size_t(k)]));
            macroTab->RepaintPreview();
        } else if (macro) {
            box->insert(Q(AsOneLine(text)));
        } else if (IsTitleBox(*this, box)) {
            InsertIntoTitle(box, text);
        } else {
            box->insert(Q(text));
        }
    });
}

void wMenu::EditDelete_Click() {
    Guarded([this] {
        QLineEdit* box = FocusedTextBox(*this);
        if (!box || box->isReadOnly() || !box->hasSelectedText()) return;
        EditHistory::Edit edit(*history, tr("削除"), EditMenuScope(*this));
        box->del();
    });
}

void wMenu::InitSetDraggers() {
    const QPixmap picture = QPixmap::fromImage(ReadPng(QStringLiteral(":/quillmor/201.png")));
    for (QLabel* handle : macroTab->pctSetDragger) {
        handle->setPixmap(picture);
        handle->setToolTip(
            tr("デスクトップにドラッグすることでバックアップできます。"
               "バックアップは、この上にドラッグすることで復元できます。"));
    }
}

}  // namespace qm
