#include "tools/mkart/cursors.h"

#include "resources/pictures.h"
#include "tools/mkart/painting.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace tovrin::mkart {

namespace {

QPainterPath roundedRect(qreal x, qreal y, qreal w, qreal h, qreal r) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

// A hand with its index finger raised, drawn so that the middle of the fingertip's top edge lies
// on `tip`; the rest of the hand spreads down and to the right, the thumb to the left.
void drawHand(QPainter& p, QPointF tip, QColor fill, QColor outline) {
    QPainterPath index = roundedRect(-2.5, 0, 5, 16, 2.5);
    QPainterPath middle = roundedRect(2.0, 8, 4.6, 10, 2.2);
    QPainterPath ring = roundedRect(6.3, 9, 4.4, 9, 2.1);
    QPainterPath little = roundedRect(10.4, 10.5, 4.0, 8, 2.0);
    QPainterPath palm = roundedRect(-2.5, 13, 16.9, 11, 3.5);
    QPainterPath thumb =
        QTransform().translate(-1.5, 18).rotate(-20).map(roundedRect(-1.8, -6, 3.8, 7, 1.9));
    QPainterPath hand =
        index.united(middle).united(ring).united(little).united(palm).united(thumb).simplified();
    hand.translate(tip.x(), tip.y() + 0.5);

    p.setPen(QPen(outline, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(hand);
    // The gaps between the folded fingers.
    p.drawLine(QPointF(tip.x() + 2.3, tip.y() + 11), QPointF(tip.x() + 2.3, tip.y() + 17));
    p.drawLine(QPointF(tip.x() + 6.5, tip.y() + 11.5), QPointF(tip.x() + 6.5, tip.y() + 17));
    p.drawLine(QPointF(tip.x() + 10.6, tip.y() + 13), QPointF(tip.x() + 10.6, tip.y() + 17.5));
    // A cuff at the wrist.
    p.setBrush(outline);
    p.drawRoundedRect(QRectF(tip.x() - 1.0, tip.y() + 24.5, 13.5, 4), 1, 1);
}

QPointF pixelCentre(pictures::HotSpot spot) {
    return {spot.x + 0.5, spot.y * 1.0};
}

} // namespace

QImage drawPointCursor() {
    QImage image = transparentCanvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawHand(p, pixelCentre(pictures::kCursorPointHotSpot), Qt::white, Qt::black);
    return image;
}

QImage drawHandCursor() {
    QImage image = transparentCanvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawHand(p, pixelCentre(pictures::kCursorHandHotSpot), QColor(0xFF, 0xF4, 0xD6),
             QColor(0x5A, 0x3A, 0x10));
    return image;
}

QImage drawDragCursor() {
    QImage image = transparentCanvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(pictures::kCursorDragHotSpot.x + 0.5, pictures::kCursorDragHotSpot.y + 0.5);
    constexpr qreal arm = 12.5;
    constexpr qreal head = 4.5;
    constexpr qreal shaft = 1.2;
    QPainterPath cross;
    cross.setFillRule(Qt::WindingFill); // the arms overlap at the centre
    cross.addRect(QRectF(c.x() - arm + head, c.y() - shaft, 2 * (arm - head), 2 * shaft));
    cross.addRect(QRectF(c.x() - shaft, c.y() - arm + head, 2 * shaft, 2 * (arm - head)));
    for (int quarter = 0; quarter < 4; ++quarter) {
        QPainterPath arrow;
        arrow.moveTo(arm, 0);
        arrow.lineTo(arm - head - 0.5, -head);
        arrow.lineTo(arm - head - 0.5, head);
        arrow.closeSubpath();
        cross.addPath(QTransform().translate(c.x(), c.y()).rotate(90.0 * quarter).map(arrow));
    }
    cross = cross.simplified();
    // White halo first, so the cursor shows on dark and light backgrounds alike.
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(cross);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(cross);
    return image;
}

} // namespace tovrin::mkart
