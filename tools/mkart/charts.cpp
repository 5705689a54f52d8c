#include "tools/mkart/charts.h"

#include "tools/mkart/painting.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <vector>

namespace tovrin::mkart {

namespace {

// The three letter rows of a keyboard; Z leads the bottom row as the learning key.
constexpr std::array<const char*, 3> kRows = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};

// Where the keys of a keyboard chart go: a left edge and top, the distance from one key to the
// next (the key is that less the gap) and how far each row is shifted right, in keys.
struct Keyboard {
    qreal left;
    qreal top;
    qreal pitchX;
    qreal pitchY;
    qreal gap;
    std::array<qreal, 3> shift;
};

Keyboard keyboard(ChartDesign design) {
    switch (design) {
    case ChartDesign::Bright:
        return {8, 40, 65.9, 119.0, 5, {0.0, 0.35, 0.8}};
    case ChartDesign::Dark:
        return {10, 10, 65.6, 128.67, 6, {0.0, 0.25, 0.75}};
    case ChartDesign::Print:
        return {4, 33, 66.2, 121.0, 0, {0.0, 0.5, 1.0}};
    }
    return {};
}

// Key rectangles are snapped to whole pixels so that lines and fills stay crisp.
QRect snapped(qreal x, qreal y, qreal w, qreal h) {
    const auto x0 = static_cast<int>(std::lround(x));
    const auto y0 = static_cast<int>(std::lround(y));
    const auto x1 = static_cast<int>(std::lround(x + w));
    const auto y1 = static_cast<int>(std::lround(y + h));
    return {x0, y0, x1 - x0, y1 - y0};
}

bool rowAndColumn(QChar letter, int& row, int& column) {
    for (row = 0; row < 3; ++row) {
        column = static_cast<int>(QLatin1String(kRows[row]).indexOf(letter));
        if (column >= 0)
            return true;
    }
    return false;
}

// The free space right of M on the bottom row.
QRect legendArea(ChartDesign design) {
    const Keyboard kb = keyboard(design);
    const QRect m = chartKeyRect(design, QLatin1Char('M'));
    const int left = m.right() + 1 + static_cast<int>(kb.gap) + 6;
    const int right = kChartWidth - static_cast<int>(kb.left);
    return {left, m.top(), right - left, m.height()};
}

// How one key's text is laid out and coloured.
struct KeyLook {
    bool serif = false;
    int letterPx = 16;
    int codePx = 10;
    int namePx = 24;
    int headerHeight = 30;
    int pad = 4;
    bool codeBoxed = false;        // white digits on a dark tab, top right, and the name centred
    bool codeBesideLetter = false; // on the letter's baseline rather than under it
    bool notesGiveWay = true;      // a verse's notes in brackets may go where space is short
    std::vector<int> radicalPx = {14, 13, 12, 11};
    std::vector<int> versePx = {11, 10, 9};
    QColor letter;
    QColor code;
    QColor codeTab;
    QColor name;
    QColor radicals;
    QColor verse;
    QColor rule;
};

QFont lookFont(const KeyLook& look, int px, QFont::Weight weight = QFont::Normal) {
    return look.serif ? serifFont(px, weight) : sansFont(px, weight);
}

// The sizes a key's body is drawn at, and the verse as drawn.
struct BodyFit {
    int radicalPx = 0;
    int versePx = 0;
    QString verse;
    int score = -1; // bigger is more legible; -1: nothing fits
};

// Picks the largest radical and verse sizes that fit together in `height`. The verse counts more,
// being the smaller text, and each extra line of radicals counts against: one line at 15 px reads
// better than two at 16.
BodyFit fitBody(const KeyLook& look, const QStringList& radicals, const QString& verse, qreal width,
                qreal height) {
    BodyFit fit{look.radicalPx.back(), look.versePx.back(), verse, -1};
    for (const int r : look.radicalPx) {
        const qreal flow = radicalFlowHeight(radicals, width, r);
        const auto extraLines = static_cast<int>(flow / lineHeight(r)) - 1;
        for (const int v : look.versePx) {
            const qreal need = flow + 4 + wrappedHeight(verse, width, lookFont(look, v));
            const int score = r + 2 * v - 2 * extraLines;
            if (need <= height && score > fit.score)
                fit = {r, v, verse, score};
        }
    }
    return fit;
}

// The verse without its notes in full-width brackets (full forms and sound-alikes of radicals).
QString withoutNotes(const QString& verse) {
    QString plain;
    int depth = 0;
    for (const QChar c : verse) {
        if (c == QChar(0xFF08))
            ++depth;
        else if (c == QChar(0xFF09))
            depth = std::max(0, depth - 1);
        else if (depth == 0)
            plain += c;
    }
    return plain;
}

// The key letter at the top left, the zone-position code beside it, under it or on a tab at the
// top right, and the key-name character large on the right. Placed by baseline: the faces' line
// boxes are much taller than the capitals and ideographs drawn here.
void drawKeyHeader(QPainter& p, const QRectF& in, const QString& letter, const QString& code,
                   const QString& name, const KeyLook& look) {
    const QFont letterFont = lookFont(look, look.letterPx, QFont::Bold);
    const QFontMetricsF lf(letterFont);
    const qreal letterBase = std::round(in.top() + lf.capHeight());
    const qreal letterRight = in.left() + lf.horizontalAdvance(letter);
    p.setPen(look.letter);
    p.setFont(letterFont);
    p.drawText(QPointF(in.left(), letterBase), letter);

    const QFont codeFont =
        lookFont(look, look.codePx, look.codeBoxed ? QFont::Bold : QFont::Normal);
    const QFontMetricsF cf(codeFont);
    p.setFont(codeFont);
    if (look.codeBoxed) {
        qreal tabLeft = in.right();
        if (!code.isEmpty()) {
            const qreal w = cf.horizontalAdvance(code) + 5;
            const QRectF tab(in.right() - w, in.top(), w, std::round(cf.capHeight()) + 5);
            tabLeft = tab.left();
            p.fillRect(tab, look.codeTab);
            p.setPen(look.code);
            p.drawText(QPointF(tab.left() + 2.5, tab.top() + 2.5 + std::round(cf.capHeight())),
                       code);
        }
        p.setPen(look.name);
        drawLine(p, QRectF(letterRight + 1, in.top(), tabLeft - letterRight - 2, look.headerHeight),
                 name, lookFont(look, look.namePx), Qt::AlignHCenter);
        return;
    }
    p.setPen(look.code);
    if (look.codeBesideLetter)
        p.drawText(QPointF(letterRight + 2, letterBase), code);
    else
        p.drawText(QPointF(in.left(), letterBase + std::round(cf.capHeight()) + 5), code);
    p.setPen(look.name);
    drawLine(p,
             QRectF(in.left() + in.width() * 0.35, in.top(), in.width() * 0.65, look.headerHeight),
             name, lookFont(look, look.namePx), Qt::AlignRight);
}

// The body of a key: the radicals centred between the header and the verse, and the verse at the
// bottom under a short rule.
void drawKeyBody(QPainter& p, const QRectF& body, const QStringList& radicals, const QString& verse,
                 const KeyLook& look) {
    BodyFit fit = fitBody(look, radicals, verse, body.width(), body.height());
    // Where the whole verse only fits in the smallest print, the notes in brackets give way.
    if (look.notesGiveWay && fit.versePx < look.versePx.front() - 1) {
        const QString plain = withoutNotes(verse);
        if (plain != verse) {
            const BodyFit shorter = fitBody(look, radicals, plain, body.width(), body.height());
            if (shorter.versePx > fit.versePx)
                fit = shorter;
        }
    }
    const int radicalPx = fit.radicalPx;
    const QFont verseFont = lookFont(look, fit.versePx);
    const qreal verseH = std::min(body.height(), wrappedHeight(fit.verse, body.width(), verseFont));
    const QRectF verseBox(body.left(), body.bottom() - verseH, body.width(), verseH);
    const qreal flowH = radicalFlowHeight(radicals, body.width(), radicalPx);
    const qreal room = verseBox.top() - 4 - body.top();
    const QRectF flowBox(body.left(), body.top() + std::max(0.0, (room - flowH) / 2), body.width(),
                         std::min(flowH, room));
    p.setPen(look.radicals);
    drawRadicalFlow(p, flowBox, radicals, lookFont(look, radicalPx));
    p.setPen(QPen(look.rule, 1));
    const qreal ruleY = std::floor(verseBox.top() - 2) + 0.5;
    p.drawLine(QPointF(body.center().x() - body.width() / 4, ruleY),
               QPointF(body.center().x() + body.width() / 4, ruleY));
    p.setPen(look.verse);
    drawWrapped(p, verseBox, fit.verse, verseFont, true, 8);
}

void drawKeyText(QPainter& p, const QRectF& r, const KeyEntry* key, QChar letter,
                 const KeyLook& look) {
    const QRectF in = r.adjusted(look.pad, look.pad - 1, -look.pad, -look.pad);
    const QRectF body(in.left(), in.top() + look.headerHeight, in.width(),
                      in.height() - look.headerHeight);
    if (key == nullptr) {
        // Z: the learning key stands for any code the learner is unsure of.
        drawKeyHeader(p, in, QString(letter), QString(), QString(), look);
        p.setPen(look.name);
        drawLine(p, QRectF(body.left(), body.top(), body.width(), body.height() / 2),
                 QStringLiteral("学习键"), lookFont(look, look.radicalPx.front(), QFont::Bold),
                 Qt::AlignHCenter);
        p.setPen(look.verse);
        drawWrapped(p, QRectF(body.left(), body.center().y(), body.width(), body.height() / 2),
                    QStringLiteral("拆不准的码，用 Z 代替"), lookFont(look, look.versePx.front()),
                    false, 8);
        return;
    }
    drawKeyHeader(p, in, QString(letter), QString::number(key->code), key->name, look);
    drawKeyBody(p, body, key->radicals, key->verse, look);
}

QString zoneKeysSpaced(int zone) {
    QString spaced;
    for (const QChar c : zoneKeys(zone)) {
        if (!spaced.isEmpty())
            spaced += QLatin1Char(' ');
        spaced += c;
    }
    return spaced;
}

QColor mixed(QColor a, QColor b, qreal t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

// One legend line per zone: a swatch, the zone's number, name and stroke, and its keys.
void drawLegend(QPainter& p, const QRectF& area, bool serif, bool colour, QColor text, QColor dim) {
    const qreal lineH = area.height() / 5;
    for (int zone = 1; zone <= 5; ++zone) {
        const QRectF line(area.left(), area.top() + (zone - 1) * lineH, area.width(), lineH);
        const QRectF swatch(line.left(), line.center().y() - 6, 12, 12);
        if (colour) {
            p.setPen(Qt::NoPen);
            p.setBrush(zoneColour(zone));
            p.drawRoundedRect(swatch, 3, 3);
        } else {
            p.setPen(QPen(text, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(swatch.adjusted(0.5, 0.5, -0.5, -0.5));
        }
        const QFont f = serif ? serifFont(12) : sansFont(12);
        p.setFont(f);
        p.setPen(colour ? QColor(Qt::white) : text);
        if (!colour) {
            p.setFont(serif ? serifFont(10, QFont::Bold) : sansFont(10, QFont::Bold));
            p.drawText(swatch, Qt::AlignCenter, QString::number(zone));
        }
        p.setFont(f);
        p.setPen(text);
        const QString label = zoneName(zone) + QLatin1Char(' ') + zoneStroke(zone);
        p.drawText(line.adjusted(17, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, label);
        p.setPen(dim);
        p.setFont(serif ? serifFont(11, QFont::Bold) : sansFont(11, QFont::Bold));
        p.drawText(line, Qt::AlignRight | Qt::AlignVCenter, zoneKeysSpaced(zone));
    }
}

void drawBright(QPainter& p, const KeyTable& table) {
    p.fillRect(0, 0, kChartWidth, kChartHeight, QColor(0xFC, 0xFC, 0xFA));
    p.setPen(QColor(0x2B, 0x2B, 0x2B));
    p.setFont(sansFont(20, QFont::Bold));
    p.drawText(QRectF(10, 4, 400, 28), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("五笔字型 86 版字根表"));
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.setFont(sansFont(12));
    p.drawText(QRectF(260, 4, 402, 28), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("区位号：十位是区，个位是位　Z 为学习键"));
    // A band of the five zone colours under the title.
    for (int zone = 1; zone <= 5; ++zone)
        p.fillRect(QRectF(8 + (zone - 1) * 130.8, 33, 130.8, 3), zoneColour(zone));

    KeyLook look;
    look.codeBesideLetter = true;
    look.letterPx = 15;
    look.namePx = 22;
    look.headerHeight = 23;
    look.pad = 3;
    look.radicalPx = {15, 14, 13, 12, 11};
    look.versePx = {12, 11, 10, 9};
    look.code = QColor(0x76, 0x76, 0x76);
    look.name = QColor(0x1E, 0x1E, 0x1E);
    look.radicals = QColor(0x1A, 0x1A, 0x1A);
    look.verse = QColor(0x4A, 0x4A, 0x4A);
    for (const char* row : kRows) {
        for (const char* c = row; *c != 0; ++c) {
            const QChar letter = QLatin1Char(*c);
            const KeyEntry* key = table.find(letter);
            const QRectF r =
                QRectF(chartKeyRect(ChartDesign::Bright, letter)).adjusted(0.5, 0.5, -0.5, -0.5);
            const int zone = key != nullptr ? key->zone() : 0;
            if (key != nullptr) {
                p.setPen(QPen(mixed(zoneColour(zone), Qt::white, 0.35), 1));
                p.setBrush(zonePale(zone));
            } else {
                p.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1, Qt::DashLine));
                p.setBrush(Qt::white);
            }
            p.drawRoundedRect(r, 6, 6);
            look.letter = key != nullptr ? zoneColour(zone) : QColor(0x90, 0x90, 0x90);
            look.rule =
                key != nullptr ? mixed(zoneColour(zone), Qt::white, 0.5) : QColor(0xC0, 0xC0, 0xC0);
            drawKeyText(p, r, key, letter, look);
        }
    }
    drawLegend(p, legendArea(ChartDesign::Bright).adjusted(0, 6, 0, -6), false, true,
               QColor(0x30, 0x30, 0x30), QColor(0x80, 0x80, 0x80));
}

void drawDark(QPainter& p, const KeyTable& table) {
    QLinearGradient back(0, 0, 0, kChartHeight);
    back.setColorAt(0, QColor(0x22, 0x28, 0x34));
    back.setColorAt(1, QColor(0x18, 0x1C, 0x25));
    p.fillRect(0, 0, kChartWidth, kChartHeight, back);

    KeyLook look;
    look.code = QColor(0x8C, 0x96, 0xA8);
    look.name = QColor(0xF4, 0xF5, 0xF7);
    look.radicals = QColor(0xEC, 0xEE, 0xF2);
    look.verse = QColor(0xB4, 0xBC, 0xCA);
    look.rule = QColor(0x4A, 0x54, 0x66);
    look.codeBesideLetter = true;
    look.letterPx = 15;
    look.namePx = 23;
    look.headerHeight = 25;
    look.pad = 3;
    look.radicalPx = {16, 15, 14, 13, 12, 11};
    look.versePx = {12, 11, 10, 9};
    for (const char* row : kRows) {
        for (const char* c = row; *c != 0; ++c) {
            const QChar letter = QLatin1Char(*c);
            const KeyEntry* key = table.find(letter);
            const QRectF r = QRectF(chartKeyRect(ChartDesign::Dark, letter));
            const int zone = key != nullptr ? key->zone() : 0;
            const QColor accent = key != nullptr ? mixed(zoneColour(zone), Qt::white, 0.25)
                                                 : QColor(0xA4, 0xAE, 0xBE);
            QPainterPath shape;
            shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
            p.setPen(QPen(QColor(0x3C, 0x45, 0x56), 1));
            p.setBrush(key != nullptr ? QColor(0x2C, 0x33, 0x41) : QColor(0x24, 0x2A, 0x36));
            p.drawPath(shape);
            // The zone's colour as a strip along the top edge.
            p.save();
            p.setClipPath(shape);
            p.fillRect(QRectF(r.left(), r.top(), r.width(), 4), accent);
            p.restore();
            look.letter = accent;
            drawKeyText(p, r.adjusted(0, 3, 0, 0), key, letter, look);
        }
    }
    const QRectF area = legendArea(ChartDesign::Dark);
    p.setPen(QColor(0xF4, 0xF5, 0xF7));
    p.setFont(sansFont(15, QFont::Bold));
    p.drawText(QRectF(area.left(), area.top(), area.width(), 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("五笔 86 字根表"));
    p.setPen(QColor(0x8C, 0x96, 0xA8));
    p.setFont(sansFont(11));
    p.drawText(QRectF(area.left(), area.top() + 22, area.width(), 16),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("区位号：区 + 位"));
    drawLegend(p, QRectF(area.left(), area.top() + 42, area.width(), area.height() - 44), false,
               true, QColor(0xDC, 0xE0, 0xE8), QColor(0x8C, 0x96, 0xA8));
}

void drawPrint(QPainter& p, const KeyTable& table) {
    p.fillRect(0, 0, kChartWidth, kChartHeight, Qt::white);
    const QColor ink(0x10, 0x10, 0x10);
    p.setPen(ink);
    p.setFont(serifFont(19, QFont::Bold));
    p.drawText(QRectF(6, 2, 400, 26), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("五笔字型 86 版字根总表"));
    p.setFont(serifFont(11));
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawText(QRectF(300, 2, 364, 26), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("键名　区位号　字根　口诀　·　Z 学习键"));
    p.fillRect(QRectF(4, 28, 662, 2), ink);

    KeyLook look;
    look.serif = true;
    look.codeBoxed = true;
    look.letterPx = 15;
    look.codePx = 10;
    look.namePx = 22;
    look.headerHeight = 24;
    look.pad = 3;
    look.letter = ink;
    look.code = Qt::white;
    look.codeTab = ink;
    look.name = ink;
    look.radicals = ink;
    look.verse = QColor(0x30, 0x30, 0x30);
    look.rule = QColor(0x90, 0x90, 0x90);
    look.radicalPx = {16, 15, 14, 13, 12, 11};
    look.versePx = {12, 11, 10, 9};
    p.setBrush(Qt::NoBrush);
    for (const char* row : kRows) {
        for (const char* c = row; *c != 0; ++c) {
            const QChar letter = QLatin1Char(*c);
            const KeyEntry* key = table.find(letter);
            const QRect cell = chartKeyRect(ChartDesign::Print, letter);
            // Cells share their edges: each draws its own frame on its outer pixels.
            p.setPen(QPen(ink, 1));
            p.drawRect(QRectF(cell).adjusted(0.5, 0.5, -0.5, -0.5));
            if (key == nullptr)
                p.fillRect(QRect(cell).adjusted(1, 1, -1, -1), QColor(0xF0, 0xF0, 0xF0));
            drawKeyText(p, QRectF(cell).adjusted(1, 1, -1, -1), key, letter, look);
        }
    }
    drawLegend(p, legendArea(ChartDesign::Print).adjusted(0, 6, 0, -6), true, false, ink,
               QColor(0x50, 0x50, 0x50));
}

// The large chart: a title, one row per zone (a label column, then the zone's five keys in
// position order) and a footer with the two rules a learner meets first.
constexpr qreal kLargeGridTop = 96;
constexpr qreal kLargeGridBottom = 956;
constexpr qreal kLargeLabelLeft = 16;
constexpr qreal kLargeLabelWidth = 62;
constexpr qreal kLargeCardsLeft = 86;
constexpr qreal kLargeCardsRight = 684;
constexpr qreal kLargeGapX = 6;
constexpr qreal kLargeGapY = 8;

qreal largeRowPitch() {
    return (kLargeGridBottom - kLargeGridTop + kLargeGapY) / 5;
}

} // namespace

QRect chartKeyRect(ChartDesign design, QChar letter) {
    int row = 0;
    int column = 0;
    if (!rowAndColumn(letter, row, column))
        return {};
    const Keyboard kb = keyboard(design);
    return snapped(kb.left + (kb.shift[row] + column) * kb.pitchX, kb.top + row * kb.pitchY,
                   kb.pitchX - kb.gap, kb.pitchY - kb.gap);
}

QImage drawChart(const KeyTable& table, ChartDesign design) {
    QImage image = canvas(kChartWidth, kChartHeight);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    switch (design) {
    case ChartDesign::Bright:
        drawBright(p, table);
        break;
    case ChartDesign::Dark:
        drawDark(p, table);
        break;
    case ChartDesign::Print:
        drawPrint(p, table);
        break;
    }
    return image;
}

QRect largeChartKeyRect(QChar letter) {
    for (int zone = 1; zone <= 5; ++zone) {
        const auto position = static_cast<int>(zoneKeys(zone).indexOf(letter));
        if (position < 0)
            continue;
        const qreal pitchX = (kLargeCardsRight - kLargeCardsLeft + kLargeGapX) / 5;
        return snapped(kLargeCardsLeft + position * pitchX,
                       kLargeGridTop + (zone - 1) * largeRowPitch(), pitchX - kLargeGapX,
                       largeRowPitch() - kLargeGapY);
    }
    return {};
}

QImage drawLargeChart(const KeyTable& table) {
    QImage image = canvas(kLargeChartWidth, kLargeChartHeight);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor ink(0x00, 0x00, 0x00);
    const QColor grey(0x55, 0x55, 0x55);

    p.setPen(ink);
    p.setFont(serifFont(32, QFont::Bold));
    p.drawText(QRectF(0, 14, kLargeChartWidth, 44), Qt::AlignCenter,
               QStringLiteral("五笔字型 86 版字根表"));
    p.setPen(grey);
    p.setFont(sansFont(14));
    p.drawText(QRectF(0, 60, kLargeChartWidth, 22), Qt::AlignCenter,
               QStringLiteral("区位号：十位是区，个位是位　·　每键：键名字、主要字根、口诀"));
    p.fillRect(QRectF(16, 86, 668, 2), ink);

    KeyLook look;
    look.serif = false;
    look.letterPx = 26;
    look.codePx = 15;
    look.namePx = 40;
    look.headerHeight = 44;
    look.notesGiveWay = false; // the large chart has room for every verse in full
    look.pad = 7;
    look.radicalPx = {24, 23, 22, 21, 20, 19, 18};
    look.versePx = {16, 15, 14, 13, 12};
    look.letter = ink;
    look.code = grey;
    look.name = ink;
    look.radicals = ink;
    look.verse = QColor(0x22, 0x22, 0x22);
    look.rule = QColor(0xA0, 0xA0, 0xA0);

    for (int zone = 1; zone <= 5; ++zone) {
        const QRectF label(kLargeLabelLeft, kLargeGridTop + (zone - 1) * largeRowPitch(),
                           kLargeLabelWidth, largeRowPitch() - kLargeGapY);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xEC, 0xEC, 0xEC));
        p.drawRoundedRect(label, 6, 6);
        p.setPen(ink);
        p.setFont(serifFont(40, QFont::Bold));
        p.drawText(QRectF(label.left(), label.top() + 18, label.width(), 52), Qt::AlignCenter,
                   zoneStroke(zone));
        p.setFont(sansFont(17, QFont::Bold));
        p.drawText(QRectF(label.left(), label.top() + 76, label.width(), 24), Qt::AlignCenter,
                   zoneName(zone));
        p.setPen(grey);
        p.setFont(sansFont(13));
        p.drawText(QRectF(label.left(), label.top() + 102, label.width(), 20), Qt::AlignCenter,
                   QStringLiteral("%1 – %2").arg(zone * 10 + 1).arg(zone * 10 + 5));

        for (const QChar letter : zoneKeys(zone)) {
            const KeyEntry* key = table.find(letter);
            const QRectF r = QRectF(largeChartKeyRect(letter)).adjusted(0.75, 0.75, -0.75, -0.75);
            p.setPen(QPen(ink, 1.5));
            p.setBrush(Qt::white);
            p.drawRoundedRect(r, 7, 7);
            if (key != nullptr)
                drawKeyText(p, r, key, letter, look);
        }
    }

    p.setPen(grey);
    p.setFont(sansFont(14));
    p.drawText(
        QRectF(0, 964, kLargeChartWidth, 26), Qt::AlignCenter,
        QStringLiteral("键名字连击四下（王 GGGG）　成字字根：所在键 + 首、次、末笔（五 GGHG）"
                       "　Z 为学习键"));
    return image;
}

} // namespace tovrin::mkart
