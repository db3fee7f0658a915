#pragma once
// A title or line box whose tokens (auto-translate phrases, bytes that are no text) act
// as single characters: the caret steps over them, a selection takes them whole, and
// Backspace or Delete next to one removes all of it. Typing never lands inside one.

#include <QLineEdit>

namespace qm {

class FieldBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit FieldBox(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void KeepCaretOutside(int oldPos, int newPos);
    void KeepSelectionWhole();
    // Selects the token that ends (before) or starts (!before) at the caret; false when
    // there is none.
    bool SelectTokenAtCaret(bool before);
    bool adjusting_ = false;
};

}  // namespace qm
