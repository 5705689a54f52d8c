#include "tools/mkart/pinyinpanel.h"

#include "tools/mkart/painting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tovrin::mkart {

namespace {

const QColor kFrame(0xA9, 0xB7, 0xC8);
const QColor kPanelLine(0xC8, 0xD2, 0xDE);
const QColor kGuide(0xEB, 0xEF, 0xF4);
const QColor kArrow(0x35, 0x6A, 0xA6);

// A solid triangle inset in a page label's box, pointing left or right.
void drawPageArrow(QPainter& p, const QRect& box, bool left) {
    const qreal cy = box.top() + box.height() / 2.0;
    const qreal near = left ? box.left() + 3.0 : box.right() + 1 - 3.0;
    const qreal far = left ? box.right() + 1 - 4.0 : box.left() + 4.0;
    QPainterPath arrow;
    arrow.moveTo(near, cy);
    arrow.lineTo(far, cy - 4.0);
    arrow.lineTo(far, cy + 4.0);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kArrow);
    p.drawPath(arrow);
}

} // namespace

QImage drawPinyinPanel() {
    QImage image = canvas(kPinyinPanelWidth, kPinyinPanelHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient back(0, 0, 0, kPinyinPanelHeight);
    back.setColorAt(0, QColor(0xF4, 0xF7, 0xFB));
    back.setColorAt(1, QColor(0xE4, 0xEA, 0xF2));
    p.fillRect(drawingRect(image).toRect(), back);
    p.setPen(QPen(kFrame, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(drawingRect(image).adjusted(0.5, 0.5, -0.5, -0.5));

    // The letter pad: 26 buttons of 18 x 19 px from (4, 2), seven to a row, four rows; the page
    // labels share the last row with v to z. White, so an inactive page label blends in.
    p.setPen(QPen(kPanelLine, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(1.5, 0.5, 131, 82), 4, 4);
    drawPageArrow(p, kPreviousPageBox, true);
    drawPageArrow(p, kNextPageBox, false);

    // The result grid: 3 rows of 12 cells from about (135, 4) to (455, 80). The faint guides fall
    // in the gaps between cells at every text size the window offers.
    p.setPen(QPen(kPanelLine, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(134.5, 0.5, 323, 82), 4, 4);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kGuide, 1));
    for (int c = 1; c < 12; ++c) {
        const int x = 134 + static_cast<int>(27.2 * c);
        p.drawLine(x, 5, x, 78);
    }
    p.drawLine(138, 28, 453, 28);
    p.drawLine(138, 54, 453, 54);
    return image;
}

} // namespace tovrin::mkart
