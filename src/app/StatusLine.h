#pragma once
// The status line's standing text: one line that never widens the window; a text too
// long for it loses its middle (a path keeps its drive and its last folders), and the
// tool tip holds it whole.

#include <QLabel>

namespace qm {

class ElidedLabel : public QLabel {
  public:
    using QLabel::QLabel;

    // The text as painted at the label's present width.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qm
