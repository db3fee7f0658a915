#pragma once
// The book chooser of the macro tab: a list of the 40 books by number and name. A
// double-click on it, or its context menu, asks to rename a book; so does the context
// menu of a book in its open list.

#include <QComboBox>
#include <QElapsedTimer>

class QMenu;

namespace qm {

class BookChooser : public QComboBox {
    Q_OBJECT
  public:
    explicit BookChooser(QWidget* parent);
    void showPopup() override;
    QMenu* ContextMenu() const { return menu_; }

  signals:
    void RenameRequested(int book);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void OfferRename(int book, QPoint globalPos);
    QMenu* menu_ = nullptr;
    int menuBook_ = 0;
    // A press on the combo opens the list under the mouse, so the second press of a
    // double-click lands in the list: it is told by the time since the list opened.
    QElapsedTimer opened_;
    bool swallowRelease_ = false;
};

}  // namespace qm
