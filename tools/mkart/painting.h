// Drawing helpers shared by every picture: the two faces, text fitted into a box, the colours of
// the five zones.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace tovrin::mkart {

// Hei (sans) and Song (serif) faces of fonts-noto-cjk.
QFont sansFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont serifFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// Empty when both faces are installed; otherwise says which is missing.
QString checkFonts();

// Characters of `text` the face of `font` has no glyph for (the font fallback draws them).
QString missingGlyphs(const QFont& font, const QString& text);

// A white, opaque canvas of the given size, or a transparent one for cursors and icons. The size
// is in the picture's own pixels at 1x; at a drawing scale of 2 or 3 the canvas holds that many
// pixels a side for each and paints the same drawing through them (its device pixel ratio), so
// one drawing code makes every variant.
QImage canvas(int width, int height, QColor fill = Qt::white);
QImage transparentCanvas(int width, int height);
// The scale the canvases are made at, 1 unless a variant is being drawn.
void setDrawingScale(int scale);
// The whole canvas in the drawing's own pixels, whatever the scale.
QRectF drawingRect(const QImage& image);

// One line of Chinese text centred vertically on its ideographs (not on the face's taller line
// box), aligned left, centred or right; shrunk to fit the width.
void drawLine(QPainter& p, const QRectF& box, const QString& text, QFont font,
              Qt::Alignment horizontal);

// The radicals as a centred flow of glyph cells: the height they need at `pixelSize`.
qreal radicalFlowHeight(const QStringList& radicals, qreal width, int pixelSize);
void drawRadicalFlow(QPainter& p, const QRectF& box, const QStringList& radicals, QFont font);

// Chinese text wrapped to a width, centred line by line, with lines closer together than the
// faces' own spacing (which leaves room for Latin accents the charts never use).
int lineHeight(int pixelSize);
qreal wrappedHeight(const QString& text, qreal width, const QFont& font);
// Draws the wrapped text at the top (or the bottom) of `box`, shrinking the font down to
// `minPixelSize` until it fits and clipping to the box.
void drawWrapped(QPainter& p, const QRectF& box, const QString& text, QFont font, bool atBottom,
                 int minPixelSize);

// Zone 1 to 5: 横 竖 撇 捺 折.
QString zoneName(int zone);   // 横区 ...
QString zoneStroke(int zone); // 一 丨 丿 丶 乙
QString zoneKeys(int zone);   // GFDSA ...

// Zone colours: a strong hue for accents and a pale one for fills.
QColor zoneColour(int zone);
QColor zonePale(int zone);

} // namespace tovrin::mkart
