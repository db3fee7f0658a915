#pragma once
// The dialog "コードを調べる": shows the virtual-key code of the key being pressed, so the
// player can type it into the capture key box. Modeless and without owner.

#include <QDialog>

class QLabel;
class QTimer;

namespace qm {

class IKeyState;

class dCheckKeyCode : public QDialog {
    Q_OBJECT
  public:
    // The highest code the dialog looks at.
    static constexpr int kHighestCode = 160;

    explicit dCheckKeyCode(IKeyState* keys);

    // Shows the dialog, or brings it forward when it is already open.
    void ShowOrRaise();
    // One scan of codes 0 to 160: the highest code pressed is shown; when none is, the
    // label keeps its text.
    void tCheckKeyCode_Timer();

    QLabel* stCaptured = nullptr;
    QTimer* tCheckKeyCode = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    IKeyState* keys_;
};

}  // namespace qm
