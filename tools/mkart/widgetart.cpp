#include "tools/mkart/widgetart.h"

#include "tools/mkart/painting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tovrin::mkart {

namespace {

// The lookup window's dark slate, shared by its title strip and its collapsed bar.
const QColor kSlateTop(0x34, 0x50, 0x6E);
const QColor kSlateBottom(0x24, 0x3A, 0x52);
const QColor kSlateLight(0x4C, 0x6C, 0x8F);
const QColor kSlateDark(0x18, 0x28, 0x3A);

const QColor kLinkFill(0xEC, 0xF3, 0xFB);
const QColor kLinkFillLow(0xDA, 0xE7, 0xF6);
const QColor kLinkFrame(0x8E, 0xAE, 0xD4);
const QColor kLinkInk(0x1E, 0x4E, 0x86);

QColor mixedWithSlate(QColor c) {
    return QColor((c.red() + kSlateTop.red()) / 2, (c.green() + kSlateTop.green()) / 2,
                  (c.blue() + kSlateTop.blue()) / 2);
}

void fillSlate(QPainter& p, const QRect& r) {
    QLinearGradient g(0, r.top(), 0, r.bottom() + 1);
    g.setColorAt(0, kSlateTop);
    g.setColorAt(1, kSlateBottom);
    p.fillRect(r, g);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), kSlateLight);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), kSlateDark);
}

// A link button: a pale rounded face with a thin frame.
void drawLinkFace(QPainter& p, const QRectF& r) {
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, kLinkFill);
    g.setColorAt(1, kLinkFillLow);
    p.setPen(QPen(kLinkFrame, 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

void drawMagnifier(QPainter& p, QPointF centre, qreal radius, QColor ink) {
    p.setPen(QPen(ink, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(ink, 2.4, Qt::SolidLine, Qt::RoundCap));
    const qreal d = radius * 0.72;
    p.drawLine(QPointF(centre.x() + d, centre.y() + d),
               QPointF(centre.x() + radius + 3.2, centre.y() + radius + 3.2));
}

void drawOpenBook(QPainter& p, const QRectF& r, QColor ink) {
    const qreal mid = r.center().x();
    QPainterPath left;
    left.moveTo(mid, r.top() + 2);
    left.quadTo(mid - r.width() * 0.25, r.top() - 1, r.left(), r.top() + 1);
    left.lineTo(r.left(), r.bottom() - 1);
    left.quadTo(mid - r.width() * 0.25, r.bottom() - 3, mid, r.bottom());
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(mid, r.top() + 2);
    right.quadTo(mid + r.width() * 0.25, r.top() - 1, r.right(), r.top() + 1);
    right.lineTo(r.right(), r.bottom() - 1);
    right.quadTo(mid + r.width() * 0.25, r.bottom() - 3, mid, r.bottom());
    right.closeSubpath();
    p.setPen(QPen(ink, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(ink.lighter(160), 1));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = r.top() + 2 + i * (r.height() - 4) / 4.5;
        p.drawLine(QPointF(r.left() + 2.5, y), QPointF(mid - 2.5, y));
        p.drawLine(QPointF(mid + 2.5, y), QPointF(r.right() - 2.5, y));
    }
}

// The "五" tile of the icon, at any size.
void drawTile(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0xE0, 0x52, 0x40));
    g.setColorAt(1, QColor(0xA6, 0x25, 0x1C));
    const qreal radius = r.width() * 0.2;
    p.setPen(QPen(QColor(0x7E, 0x1A, 0x14), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setPen(Qt::white);
    p.setFont(sansFont(static_cast<int>(r.height() * 0.8), QFont::Black));
    p.drawText(r.adjusted(0, -r.height() * 0.04, 0, 0), Qt::AlignCenter, QStringLiteral("五"));
}

} // namespace

QImage drawTitle() {
    QImage image = canvas(478, 24);
    QPainter p(&image);
    fillSlate(p, drawingRect(image).toRect());
    // Five muted dots in the zone colours at the far right, well away from the title text.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int zone = 1; zone <= 5; ++zone) {
        p.setBrush(mixedWithSlate(zoneColour(zone)));
        p.drawEllipse(QPointF(410.5 + zone * 11, 12), 2.6, 2.6);
    }
    return image;
}

QImage drawLinkSearch() {
    QImage image = canvas(53, 25);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    drawLinkFace(p, drawingRect(image).toRect());
    drawMagnifier(p, QPointF(10.5, 10.5), 4.2, kLinkInk);
    p.setPen(kLinkInk);
    p.setFont(sansFont(12, QFont::Bold));
    p.drawText(QRectF(19, 0, 32, 25), Qt::AlignCenter, QStringLiteral("查询"));
    return image;
}

QImage drawLinkArticle() {
    QImage image = canvas(173, 27);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    drawLinkFace(p, drawingRect(image).toRect());
    drawOpenBook(p, QRectF(7, 7, 18, 13), kLinkInk);
    p.setPen(kLinkInk);
    p.setFont(sansFont(13, QFont::Bold));
    p.drawText(QRectF(30, 0, 138, 27), Qt::AlignCenter, QStringLiteral("五笔字根口诀详解"));
    return image;
}

QImage drawIcon(int size) {
    QImage image = transparentCanvas(size, size);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0); // drawn on the 32-pixel grid, at any size
    drawTile(p, QRectF(1, 1, 30, 30));
    return image;
}

QImage drawChartStrip() {
    QImage image = canvas(680, 41);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 41);
    g.setColorAt(0, QColor(0xF8, 0xFA, 0xFD));
    g.setColorAt(1, QColor(0xE8, 0xEE, 0xF5));
    p.fillRect(drawingRect(image).toRect(), g);
    p.fillRect(QRect(0, 0, 680, 1), QColor(0xC6, 0xD1, 0xDE));
    p.fillRect(QRect(0, 40, 680, 1), QColor(0xB6, 0xC3, 0xD2));
    // The five zone colours as a thin rule under the top edge.
    for (int zone = 1; zone <= 5; ++zone)
        p.fillRect(QRect((zone - 1) * 136, 1, 136, 2), zonePale(zone).darker(115));
    return image;
}

QImage drawBar() {
    QImage image = canvas(104, 25);
    QPainter p(&image);
    fillSlate(p, drawingRect(image).toRect());
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor ink(0xEA, 0xF0, 0xF6);
    p.setPen(QPen(kSlateLight, 1));
    p.drawLine(QPointF(21.5, 6), QPointF(21.5, 19));
    p.drawLine(QPointF(41.5, 6), QPointF(41.5, 19));

    // Show the desktop (4, 4, 17 x 16): a screen on its stand.
    p.setPen(QPen(ink, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.5, 6.5, 12, 8.5), 1, 1);
    p.drawLine(QPointF(12.5, 15), QPointF(12.5, 17.5));
    p.drawLine(QPointF(9, 18.5), QPointF(16, 18.5));

    // The portal page (23, 4, 17 x 16): a house.
    QPainterPath roof;
    roof.moveTo(25.5, 12);
    roof.lineTo(31.5, 6.5);
    roof.lineTo(37.5, 12);
    p.drawPath(roof);
    p.drawRect(QRectF(27.5, 11.5, 8, 7));
    p.fillRect(QRectF(30.5, 14.5, 2.5, 4), ink);

    // Restore (44, 4, 55 x 16): two overlapping windows and the word.
    p.drawRect(QRectF(49.5, 9.5, 7, 6));
    p.drawLine(QPointF(51.5, 7.5), QPointF(58.5, 7.5));
    p.drawLine(QPointF(58.5, 7.5), QPointF(58.5, 13.5));
    p.setPen(ink);
    p.setFont(sansFont(12));
    p.drawText(QRectF(61, 4, 37, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("还原"));
    return image;
}

QImage drawAboutBanner() {
    QImage image = canvas(404, 66);
    QPainter p(&image);
    QLinearGradient g(0, 0, 404, 0);
    g.setColorAt(0, QColor(0xDD, 0xE9, 0xF6));
    g.setColorAt(0.35, QColor(0xEE, 0xF4, 0xFB));
    g.setColorAt(1, QColor(0xF8, 0xFA, 0xFD));
    p.fillRect(drawingRect(image).toRect(), g);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    drawTile(p, QRectF(14, 11, 44, 44));
    // The five strokes that name the zones, each in its zone's colour.
    p.setFont(serifFont(16, QFont::Bold));
    for (int zone = 1; zone <= 5; ++zone) {
        p.setPen(zoneColour(zone));
        p.drawText(QRectF(64 + (zone - 1) * 15, 22, 15, 22), Qt::AlignCenter, zoneStroke(zone));
    }
    for (int zone = 1; zone <= 5; ++zone)
        p.fillRect(QRectF((zone - 1) * 80.8, 63, 80.8, 3), zoneColour(zone));
    return image;
}

} // namespace tovrin::mkart
