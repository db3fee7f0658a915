#include "preview/PreviewBoxes.h"

#include <QPainter>

#include "editor/CharacterState.h"
#include "editor/TabHost.h"
#include "platform/Platform.h"
#include "preview/MacroSampleSetup.h"
#include "preview/PreviewPainter.h"

namespace qm {

namespace {

const QImage* Texture(const QImage* texture) {
    if (texture == nullptr || texture->isNull()) return nullptr;
    return texture;
}

}  // namespace

MacroPreviewBox::MacroPreviewBox(TabHost& host, std::function<MacroPreviewText()> text,
                                 QWidget* parent)
    : QWidget(parent), host_(host), text_(std::move(text)) {}

void MacroPreviewBox::paintEvent(QPaintEvent*) {
    pctMacro_Paint();
}

void MacroPreviewBox::pctMacro_Paint() {
    const QImage* texture = Texture(texture_);
    if (texture == nullptr || !text_) return;
    const MacroPreviewText text = text_();
    const Platform& services = host_.Services();
    const LocalDateTime now = services.clock ? services.clock->Now() : LocalDateTime{};
    CharacterState& shown = host_.Shown();
    lastOutput_ = RunMacroPreview(text.myname, text.lines, shown.Names(), host_.Random(), now);
    QPainter painter(this);
    PaintMacroPreview(painter, rect(), *texture, lastOutput_, shown.Cnf());
}

TextColorSampleBox::TextColorSampleBox(const QImage* texture, QWidget* parent)
    : QWidget(parent), texture_(texture) {}

void TextColorSampleBox::paintEvent(QPaintEvent*) {
    pctTextColor_Paint();
}

void TextColorSampleBox::pctTextColor_Paint() {
    const QImage* texture = Texture(texture_);
    if (texture == nullptr) return;
    QPainter painter(this);
    // Disabled (no colours yet): the background without the message.
    PaintTextColorSample(painter, rect(), *texture,
                         isEnabled() ? foreColor_ : QColor(Qt::transparent));
}

}  // namespace qm
