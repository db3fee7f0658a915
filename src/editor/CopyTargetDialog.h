#pragma once
// Where a set, or a whole book, is copied to: a character, one of its books and a set of
// that book (or all ten sets, with the book's name).

#include <QDialog>
#include <QString>
#include <array>
#include <vector>

#include "macro/MacroFolder.h"

class QComboBox;

namespace qm {

struct CopyTargetCharacter {
    QString label;
    std::array<QString, kBookCount> bookTitles;  // empty: no name given
};

class CopyTargetDialog : public QDialog {
    Q_OBJECT
  public:
    // The choice starts at the set on show.
    CopyTargetDialog(std::vector<CopyTargetCharacter> characters, int character, int book, int set,
                     QWidget* parent);
    int Character() const;
    int Book() const;
    int Set() const;  // -1: the whole book

  private:
    void FillBooks();
    std::vector<CopyTargetCharacter> characters_;
    QComboBox* character_ = nullptr;
    QComboBox* book_ = nullptr;
    QComboBox* set_ = nullptr;
};

}  // namespace qm
