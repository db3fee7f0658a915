#pragma once
// The two picture boxes of the previews: pctMacro on the macro tab and pctTextColor on
// the colour tab. Everything is redrawn on every paint.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "preview/ChatInterpreter.h"

namespace qm {

class TabHost;

// What the macro preview prints: the six line boxes and the own name, as they stand.
struct MacroPreviewText {
    std::array<std::u16string, 6> lines;
    std::u16string myname;
};

// The macro preview: the six line boxes as the chat log would show them. Every paint
// builds a fresh sample, so target, position, TP and the invented numbers change.
class MacroPreviewBox : public QWidget {
    Q_OBJECT
  public:
    MacroPreviewBox(TabHost& host, std::function<MacroPreviewText()> text, QWidget* parent);
    void pctMacro_Paint();
    // The window texture it paints on (the colour tab's); null: nothing is painted.
    void SetTexture(const QImage* texture) { texture_ = texture; }
    // What the latest paint printed, top to bottom.
    const std::vector<OutputLine>& LastOutput() const { return lastOutput_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TabHost& host_;
    std::function<MacroPreviewText()> text_;
    const QImage* texture_ = nullptr;
    std::vector<OutputLine> lastOutput_;
};

// The colour sample: one message in the colour being edited.
class TextColorSampleBox : public QWidget {
    Q_OBJECT
  public:
    // Paints on `texture`, which the colour tab owns.
    TextColorSampleBox(const QImage* texture, QWidget* parent);
    void pctTextColor_Paint();
    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color) { foreColor_ = color; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const QImage* texture_;
    QColor foreColor_{Qt::black};
};

}  // namespace qm
