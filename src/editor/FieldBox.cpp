#include "editor/FieldBox.h"

#include <QKeyEvent>

#include "macro/FieldText.h"
#include "platform/QtText.h"

namespace qm {

namespace {

// Runs f unless the box is already being adjusted: the adjustment's own signals must
// not start another one.
class Adjusting {
  public:
    explicit Adjusting(bool& flag) : flag_(flag), entered_(!flag) { flag_ = true; }
    ~Adjusting() {
        if (entered_) flag_ = false;
    }
    bool Entered() const { return entered_; }

  private:
    bool& flag_;
    bool entered_;
};

}  // namespace

FieldBox::FieldBox(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::cursorPositionChanged, this, &FieldBox::KeepCaretOutside);
    connect(this, &QLineEdit::selectionChanged, this, &FieldBox::KeepSelectionWhole);
}

void FieldBox::KeepCaretOutside(int oldPos, int newPos) {
    if (hasSelectedText()) return;
    Adjusting guard(adjusting_);
    if (!guard.Entered()) return;
    const auto tokens = FindFieldTokens(U(text()));
    if (const FieldToken* token = TokenAround(tokens, std::size_t(newPos)))
        setCursorPosition(int(newPos > oldPos ? token->end : token->begin));
}

void FieldBox::KeepSelectionWhole() {
    if (!hasSelectedText()) return;
    Adjusting guard(adjusting_);
    if (!guard.Entered()) return;
    const auto tokens = FindFieldTokens(U(text()));
    const int start = selectionStart(), end = selectionEnd();
    int newStart = start, newEnd = end;
    if (const FieldToken* token = TokenAround(tokens, std::size_t(start)))
        newStart = int(token->begin);
    if (const FieldToken* token = TokenAround(tokens, std::size_t(end))) newEnd = int(token->end);
    if (newStart == start && newEnd == end) return;
    // The caret stays at the end it was at, so that Shift+arrows go on from there.
    if (cursorPosition() == start)
        setSelection(newEnd, newStart - newEnd);
    else
        setSelection(newStart, newEnd - newStart);
}

bool FieldBox::SelectTokenAtCaret(bool before) {
    const std::size_t caret = std::size_t(cursorPosition());
    for (const FieldToken& token : FindFieldTokens(U(text()))) {
        if ((before ? token.end : token.begin) != caret) continue;
        Adjusting guard(adjusting_);
        setSelection(int(token.begin), int(token.end - token.begin));
        return true;
    }
    return false;
}

void FieldBox::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly() && !hasSelectedText()) {
        if (event == QKeySequence::DeleteStartOfWord || event == QKeySequence::DeleteEndOfWord) {
            // Words end at the blanks and dashes inside a token's form: select the word,
            // widen the selection to whole tokens, then delete it.
            if (event == QKeySequence::DeleteStartOfWord)
                cursorWordBackward(true);
            else
                cursorWordForward(true);
            KeepSelectionWhole();
            del();
            return;
        }
        if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier &&
            SelectTokenAtCaret(true)) {
            del();
            return;
        }
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
            SelectTokenAtCaret(false)) {
            del();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace qm
