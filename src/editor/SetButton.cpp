#include "editor/SetButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace qm {

namespace {

constexpr qreal kRadius = 2;
constexpr qreal kBorder = 1;

// The face: the border's middle line with its rounded corners.
QPainterPath FacePath(const QRectF& r) {
    constexpr qreal half = kBorder / 2, arc = 2 * kRadius - kBorder;
    QPainterPath path;
    qreal y = r.top() + half;
    path.moveTo(r.left() + kRadius, y);
    path.lineTo(r.right() - kRadius, y);
    qreal x = r.right() - half;
    path.arcTo(x - arc, y, arc, arc, 90, -90);
    path.lineTo(x, r.bottom() - kRadius);
    y = r.bottom() - half;
    path.arcTo(x - arc, y - arc, arc, arc, 0, -90);
    path.lineTo(r.left() + kRadius, y);
    x = r.left() + half;
    path.arcTo(x, y - arc, arc, arc, 270, -90);
    path.lineTo(x, r.top() + kRadius);
    path.arcTo(x, r.top() + half, arc, arc, 180, -90);
    path.closeSubpath();
    return path;
}

// The border, edge by edge, each straight part with its half of the two corners;
// the order (bottom, right, left, top) decides how the corners blend.
void DrawBorder(QPainter& painter, const QRectF& r, const QColor& color) {
    const QPen pen(color, kBorder);
    constexpr qreal arc = 2 * kRadius - kBorder, inset = kBorder / 2;
    const qreal left = r.left(), top = r.top(), right = r.left() + r.width(),
                bottom = r.top() + r.height();
    auto edge = [&](const QRectF& straight, const QRectF& arc1, int start1, int span1,
                    const QRectF& arc2, int start2, int span2) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRect(straight);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(arc1, start1 * 16, span1 * 16);
        painter.drawArc(arc2, start2 * 16, span2 * 16);
    };
    const QRectF topLeft(left + inset, top + inset, arc, arc);
    const QRectF topRight(right - 2 * kRadius + inset, top + inset, arc, arc);
    const QRectF bottomLeft(left + inset, bottom - 2 * kRadius + inset, arc, arc);
    const QRectF bottomRight(right - 2 * kRadius + inset, bottom - 2 * kRadius + inset, arc, arc);
    edge(QRectF(left + kRadius, bottom - kBorder, r.width() - 2 * kRadius, kBorder), bottomLeft,
         -90, -45, bottomRight, -90, 45);
    edge(QRectF(right - kBorder, top + kRadius, kBorder, r.height() - 2 * kRadius), topRight, 0, 45,
         bottomRight, 0, -45);
    edge(QRectF(left, top + kRadius, kBorder, r.height() - 2 * kRadius), topLeft, 135, 45,
         bottomLeft, 225, -45);
    edge(QRectF(left + kRadius, top, r.width() - 2 * kRadius, kBorder), topLeft, 135, -45, topRight,
         45, 45);
}

}  // namespace

void SetButton::SetFace(const QColor& face) {
    // A palette change restyles the button and its children; most faces stay as they were.
    if (palette().color(QPalette::Button) == face) return;
    QPalette p = palette();
    p.setColor(QPalette::Button, face);
    setPalette(p);
}

void SetButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& p = palette();
    const QRectF box(rect());
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor face = p.color(QPalette::Button);
    painter.fillPath(FacePath(box), isDown() ? face.darker(115) : face);
    DrawBorder(painter, box, p.color(QPalette::Mid));
    painter.setRenderHint(QPainter::Antialiasing, false);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.rect = rect().adjusted(1, 1, -1, -1);
    style()->drawControl(QStyle::CE_PushButtonLabel, &option, &painter, this);
}

}  // namespace qm
