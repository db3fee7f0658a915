#include "preview/PreviewBoxes.h"

#include <QPainter>

#include "app/MainWindow.h"
#include "config/ColorTab.h"
#include "editor/MacroTab.h"
#include "preview/MacroSampleSetup.h"
#include "preview/PreviewPainter.h"

namespace qm {

namespace {

const QImage* Texture(wMenu& w) {
    if (w.colorTab == nullptr || w.colorTab->WindowTexture.isNull()) return nullptr;
    return &w.colorTab->WindowTexture;
}

}  // namespace

MacroPreviewBox::MacroPreviewBox(wMenu& window, QWidget* parent) : QWidget(parent), w_(window) {}

void MacroPreviewBox::paintEvent(QPaintEvent*) {
    pctMacro_Paint();
}

void MacroPreviewBox::pctMacro_Paint() {
    const QImage* texture = Texture(w_);
    if (texture == nullptr || w_.macroTab == nullptr) return;
    const auto lines = w_.macroTab->LineTexts();
    const LocalDateTime now = w_.platform.clock ? w_.platform.clock->Now() : LocalDateTime{};
    lastOutput_ = RunMacroPreview(w_.macroTab->efMyname->text().toStdU16String(), lines,
                                  w_.acqNames, w_.Random(), now);
    QPainter painter(this);
    PaintMacroPreview(painter, rect(), *texture, lastOutput_, w_.cnfRecord);
}

TextColorSampleBox::TextColorSampleBox(wMenu& window, QWidget* parent)
    : QWidget(parent), w_(window) {}

void TextColorSampleBox::paintEvent(QPaintEvent*) {
    pctTextColor_Paint();
}

void TextColorSampleBox::pctTextColor_Paint() {
    const QImage* texture = Texture(w_);
    if (texture == nullptr) return;
    QPainter painter(this);
    // Disabled (no colours yet): the background without the message.
    PaintTextColorSample(painter, rect(), *texture,
                         isEnabled() ? foreColor_ : QColor(Qt::transparent));
}

}  // namespace qm
