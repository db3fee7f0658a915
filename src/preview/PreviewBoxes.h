#pragma once
// The two picture boxes of the previews: pctMacro on the macro tab and pctTextColor on
// the colour tab. Everything is redrawn on every paint.

#include <QColor>
#include <QWidget>
#include <vector>

#include "preview/ChatInterpreter.h"

namespace qm {

class wMenu;

// The macro preview: the six line boxes as the chat log would show them. Every paint
// builds a fresh sample, so target, position, TP and the invented numbers change.
class MacroPreviewBox : public QWidget {
    Q_OBJECT
  public:
    MacroPreviewBox(wMenu& window, QWidget* parent);
    void pctMacro_Paint();
    // What the latest paint printed, top to bottom.
    const std::vector<OutputLine>& LastOutput() const { return lastOutput_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    wMenu& w_;
    std::vector<OutputLine> lastOutput_;
};

// The colour sample: one message in the colour being edited.
class TextColorSampleBox : public QWidget {
    Q_OBJECT
  public:
    TextColorSampleBox(wMenu& window, QWidget* parent);
    void pctTextColor_Paint();
    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color) { foreColor_ = color; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    wMenu& w_;
    QColor foreColor_{Qt::black};
};

}  // namespace qm
