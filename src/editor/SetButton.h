#pragma once
// The buttons of the ten sets on the macro tab.

#include <QPushButton>

namespace qm {

// A flat face in the palette's button colour (a shade darker while pressed) inside a
// one-pixel rounded border in the palette's mid colour, and the caption; the parent
// shows at the rounded corners. The style would shade the face into a gradient. This
// draws, pixel for pixel, what the style sheet that did it before drew, without the
// cost of style sheets (the style sheet style is slow to set up and to polish).
class SetButton : public QPushButton {
  public:
    using QPushButton::QPushButton;
    // The face colour; the current set's button has its own.
    void SetFace(const QColor& face);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qm
