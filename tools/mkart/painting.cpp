#include "tools/mkart/painting.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace tovrin::mkart {

namespace {

// The Hei and Song faces of fonts-noto-cjk, by family name.
constexpr char16_t kSansFamily[] = u"Noto Sans CJK SC";
constexpr char16_t kSerifFamily[] = u"Noto Serif CJK SC";

QString sansFamily() {
    return QString::fromUtf16(kSansFamily);
}
QString serifFamily() {
    return QString::fromUtf16(kSerifFamily);
}

// Zone by zone: its name, its stroke, its keys in position order, its colours.
struct Zone {
    const char16_t* name;
    const char16_t* stroke;
    const char16_t* keys;
    QRgb colour;
    QRgb pale;
};

constexpr Zone kZones[] = {
    {u"横区", u"一", u"GFDSA", 0xC63D3D, 0xFBE9E7}, {u"竖区", u"丨", u"HJKLM", 0xD0821E, 0xFDF1DC},
    {u"撇区", u"丿", u"TREWQ", 0x3A8A3E, 0xE6F3E3}, {u"捺区", u"丶", u"YUIOP", 0x2F6FB5, 0xE3EEFA},
    {u"折区", u"乙", u"NBVCX", 0x7A4FAE, 0xEFE7F7},
};

const Zone* zoneAt(int zone) {
    return zone >= 1 && zone <= 5 ? &kZones[zone - 1] : nullptr;
}

QFont face(const QString& family, int pixelSize, QFont::Weight weight) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Radicals sit in cells a little wider than the glyphs.
qreal cellWidth(int pixelSize) {
    return pixelSize + std::max(1, pixelSize / 8);
}

// Ideographs reach about 0.88 em above the baseline and 0.12 em below it.
qreal baselineOffset(int pixelSize) {
    return pixelSize * 0.98;
}

} // namespace

QFont sansFont(int pixelSize, QFont::Weight weight) {
    return face(sansFamily(), pixelSize, weight);
}

QFont serifFont(int pixelSize, QFont::Weight weight) {
    return face(serifFamily(), pixelSize, weight);
}

QString checkFonts() {
    const QStringList families = QFontDatabase::families();
    QStringList missing;
    for (const QString& family : {sansFamily(), serifFamily()}) {
        if (!families.contains(family))
            missing.append(family);
    }
    if (missing.isEmpty())
        return {};
    return QStringLiteral("the font %1 is not installed (fonts-noto-cjk)")
        .arg(missing.join(QStringLiteral(", ")));
}

QString missingGlyphs(const QFont& font, const QString& text) {
    QFontMetricsF fm(font);
    QString missing;
    for (const char32_t c : text.toUcs4()) {
        if (c != U' ' && !fm.inFontUcs4(c))
            missing += QString::fromUcs4(&c, 1);
    }
    return missing;
}

namespace {
int drawingScale = 1;

QImage scaledImage(int width, int height, QImage::Format format) {
    QImage image(width * drawingScale, height * drawingScale, format);
    image.setDevicePixelRatio(drawingScale);
    return image;
}
} // namespace

void setDrawingScale(int scale) {
    drawingScale = scale < 1 ? 1 : scale;
}

QRectF drawingRect(const QImage& image) {
    return QRectF(QPointF(0, 0), image.deviceIndependentSize());
}

QImage canvas(int width, int height, QColor fill) {
    QImage image = scaledImage(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QImage transparentCanvas(int width, int height) {
    QImage image = scaledImage(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void drawLine(QPainter& p, const QRectF& box, const QString& text, QFont font,
              Qt::Alignment horizontal) {
    while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text) > box.width())
        font.setPixelSize(font.pixelSize() - 1);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
    qreal x = box.left();
    if (horizontal & Qt::AlignRight)
        x = box.right() - advance;
    else if (horizontal & Qt::AlignHCenter)
        x = box.left() + (box.width() - advance) / 2;
    const qreal baseline = box.center().y() + font.pixelSize() * 0.38;
    p.save();
    p.setClipRect(box);
    p.setFont(font);
    p.drawText(QPointF(std::round(x), std::round(baseline)), text);
    p.restore();
}

qreal radicalFlowHeight(const QStringList& radicals, qreal width, int pixelSize) {
    const int perLine = std::max(1, static_cast<int>(width / cellWidth(pixelSize)));
    const auto lines = (radicals.size() + perLine - 1) / perLine;
    return static_cast<qreal>(lines) * lineHeight(pixelSize);
}

void drawRadicalFlow(QPainter& p, const QRectF& box, const QStringList& radicals, QFont font) {
    const int px = font.pixelSize();
    const qreal cell = cellWidth(px);
    const auto count = static_cast<int>(radicals.size());
    // As many lines as the width needs, filled evenly: no lone radical on the last line.
    const int widest = std::max(1, static_cast<int>(box.width() / cell));
    const int lines = std::max(1, (count + widest - 1) / widest);
    const int perLine = (count + lines - 1) / lines;
    const QFontMetricsF fm(font);
    p.save();
    p.setClipRect(box);
    p.setFont(font);
    for (int first = 0, line = 0; first < count; first += perLine, ++line) {
        const int n = std::min(perLine, count - first);
        const qreal left = box.left() + (box.width() - n * cell) / 2;
        const qreal baseline = box.top() + line * lineHeight(px) + baselineOffset(px);
        for (int i = 0; i < n; ++i) {
            const QString& r = radicals[first + i];
            const qreal x = left + i * cell + (cell - fm.horizontalAdvance(r)) / 2;
            p.drawText(QPointF(std::round(x), std::round(baseline)), r);
        }
    }
    p.restore();
}

int lineHeight(int pixelSize) {
    return static_cast<int>(std::ceil(pixelSize * 1.2));
}

namespace {

// Lays `layout` out in lines of `width`, each lineHeight() below the last, centred; returns the
// number of lines.
int layOut(QTextLayout& layout, qreal width) {
    const int px = layout.font().pixelSize();
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        // Put the baseline where a tight line wants it, whatever the face's ascent.
        line.setPosition(QPointF(0, lines * lineHeight(px) + baselineOffset(px) - line.ascent()));
        ++lines;
    }
    layout.endLayout();
    return lines;
}

} // namespace

qreal wrappedHeight(const QString& text, qreal width, const QFont& font) {
    QTextLayout layout(text, font);
    return layOut(layout, width) * lineHeight(font.pixelSize());
}

void drawWrapped(QPainter& p, const QRectF& box, const QString& text, QFont font, bool atBottom,
                 int minPixelSize) {
    while (font.pixelSize() > minPixelSize && wrappedHeight(text, box.width(), font) > box.height())
        font.setPixelSize(font.pixelSize() - 1);
    // The narrowest width that keeps the number of lines evens them out, so that no line ends
    // up holding a single character.
    QTextLayout layout(text, font);
    const int lines = layOut(layout, box.width());
    int narrow = 1;
    auto wide = static_cast<int>(box.width());
    while (narrow < wide) {
        const int mid = (narrow + wide) / 2;
        QTextLayout trial(text, font);
        if (layOut(trial, mid) <= lines)
            wide = mid;
        else
            narrow = mid + 1;
    }
    QTextLayout balanced(text, font);
    layOut(balanced, wide);
    const qreal height = lines * lineHeight(font.pixelSize());
    p.save();
    p.setClipRect(box);
    balanced.draw(&p, QPointF(box.left() + (box.width() - wide) / 2,
                              atBottom ? box.bottom() - height : box.top()));
    p.restore();
}

QString zoneName(int zone) {
    const Zone* z = zoneAt(zone);
    return z != nullptr ? QString::fromUtf16(z->name) : QString();
}

QString zoneStroke(int zone) {
    const Zone* z = zoneAt(zone);
    return z != nullptr ? QString::fromUtf16(z->stroke) : QString();
}

QString zoneKeys(int zone) {
    const Zone* z = zoneAt(zone);
    return z != nullptr ? QString::fromUtf16(z->keys) : QString();
}

QColor zoneColour(int zone) {
    const Zone* z = zoneAt(zone);
    return z != nullptr ? QColor::fromRgb(z->colour) : QColor(0x80, 0x80, 0x80);
}

QColor zonePale(int zone) {
    const Zone* z = zoneAt(zone);
    return z != nullptr ? QColor::fromRgb(z->pale) : QColor(0xF2, 0xF2, 0xF2);
}

} // namespace tovrin::mkart
