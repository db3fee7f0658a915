#pragma once
// The dialog that renames a macro book: one box taking at most 15 bytes of Shift_JIS
// text, the capacity of a title field less its 0 byte.

#include <QDialog>

class QLineEdit;
class QLabel;

namespace qm {

class BookTitleDialog : public QDialog {
    Q_OBJECT
  public:
    BookTitleDialog(int book, const QString& title, QWidget* parent);
    int Book() const { return book_; }
    QString Title() const;
    QLineEdit* Box() const { return box_; }

  private:
    void ShowMarks();
    int book_;
    QString original_;
    QLineEdit* box_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace qm
