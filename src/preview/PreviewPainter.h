#pragma once
// Drawing of the two chat log imitations: the macro preview and the colour sample.
// Plain functions on a QPainter, so tests can paint into an image.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <span>

#include "config/CnfRecord.h"
#include "preview/ChatInterpreter.h"

namespace qm {

// Bold 14-point Japanese font of both boxes.
QFont PreviewFont();

// The drawing colour of a colour table entry: its red, green and blue; alpha is ignored.
QColor EntryColor(const CnfRecord& record, int entry);

// Window texture resource 101 to 108; a null image when it cannot be loaded.
QImage LoadWindowTextureImage(int number);

// Colour of the box below the texture.
inline const QColor kPreviewBackground(8, 12, 40);

// Baseline of text line i (0 from the top) and the distance between lines. Japanese
// fonts carry a tall line box; lines are set at 1.25 em so six fit in the box.
int PreviewBaseline(const QFont& font, int line);

// Clears the box, tiles the texture along its top edge, and prints the lines top to
// bottom in their entries' colours. Text past the edges is cut off.
void PaintMacroPreview(QPainter& painter, const QRect& box, const QImage& texture,
                       std::span<const OutputLine> lines, const CnfRecord& colors);

// Clears the box, draws the texture once, and prints the sample message on the second
// text line in textColor.
void PaintTextColorSample(QPainter& painter, const QRect& box, const QImage& texture,
                          const QColor& textColor);

}  // namespace qm
