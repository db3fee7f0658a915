#include "preview/PreviewPainter.h"
#include "platform/QtImages.h"
#include "platform/QtText.h"
#include "preview/LogPieces.h"

#include <QFontInfo>
#include <QPainter>
#include <cmath>
#include <map>

namespace qm {

namespace {

double EmPixels(const QFont& font) {
    const QFontInfo info(font);
    return info.pixelSize() > 0 ? double(info.pixelSize()) : font.pointSizeF() * 96.0 / 72.0;
}

void ClearAndTile(QPainter& painter, const QRect& box, const QImage& texture, bool tile) {
    painter.fillRect(box, kPreviewBackground);
    const int w = texture.width();
    if (w <= 0) return;
    for (int x = 0; x <= box.width() - 1; x += w) {
        painter.drawImage(QPoint(box.left() + x, box.top()), texture);
        if (!tile) break;
    }
}

// The game marks an auto-translate phrase with a green opening and a red closing brace.
const QColor kPhraseOpenColor(64, 255, 64);
const QColor kPhraseCloseColor(255, 64, 64);

}  // namespace

QFont PreviewFont() {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSize(14);
    font.setBold(true);
    return font;
}

QColor EntryColor(const CnfRecord& record, int entry) {
    const TextColor c = record.Color(entry);
    return QColor(c.red, c.green, c.blue);
}

QImage LoadWindowTextureImage(int number) {
    // Each texture is decoded once per run: every folder opened asks for one again.
    static std::map<int, QImage> decoded;
    auto it = decoded.find(number);
    if (it == decoded.end())
        it = decoded
                 .emplace(number, ReadPng(QStringLiteral(":/quillmor/textures/%1.png").arg(number)))
                 .first;
    return it->second;
}

int PreviewBaseline(const QFont& font, int line) {
    const double em = EmPixels(font);
    return int(std::lround(em + line * std::ceil(em * 1.25)));
}

void PaintMacroPreview(QPainter& painter, const QRect& box, const QImage& texture,
                       std::span<const OutputLine> lines, const CnfRecord& colors) {
    painter.save();
    painter.setClipRect(box);
    ClearAndTile(painter, box, texture, true);
    const QFont font = PreviewFont();
    painter.setFont(font);
    int row = 0;
    for (const OutputLine& line : lines) {
        const int baseline = box.top() + PreviewBaseline(font, row++);
        if (baseline - EmPixels(font) > box.bottom()) break;  // the rest is below the box
        QPoint at(box.left(), baseline);
        for (const LogPiece& piece : LogPieces(line.text)) {
            const QString text = Q(piece.text);
            painter.setPen(piece.kind == LogPieceKind::PhraseOpen ? kPhraseOpenColor
                           : piece.kind == LogPieceKind::PhraseClose
                               ? kPhraseCloseColor
                               : EntryColor(colors, line.colourEntry));
            painter.drawText(at, text);
            at.rx() += painter.fontMetrics().horizontalAdvance(text);
        }
    }
    painter.restore();
}

void PaintTextColorSample(QPainter& painter, const QRect& box, const QImage& texture,
                          const QColor& textColor) {
    painter.save();
    painter.setClipRect(box);
    ClearAndTile(painter, box, texture, false);
    const QFont font = PreviewFont();
    painter.setFont(font);
    painter.setPen(textColor);
    // The first text line stays empty; the message, with its leading space, is on the second.
    painter.drawText(QPoint(box.left(), box.top() + PreviewBaseline(font, 1)),
                     QStringLiteral(" サンプルメッセージ！"));
    painter.restore();
}

}  // namespace qm
