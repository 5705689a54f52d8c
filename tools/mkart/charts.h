// The radical charts: three designs of the keyboard chart shown in the chart window, and the
// large portrait chart printed on a whole A4 sheet.
#pragma once

#include "tools/mkart/keytable.h"

#include <QImage>
#include <QRect>

namespace tovrin::mkart {

enum class ChartDesign {
    Bright, // colour per zone on white
    Dark,   // dark theme with zone accents
    Print,  // compact, black on white, Song face
};

inline constexpr int kChartWidth = 670;
inline constexpr int kChartHeight = 400;
inline constexpr int kLargeChartWidth = 700;
inline constexpr int kLargeChartHeight = 1000;

// A keyboard chart: rows QWERTYUIOP, ASDFGHJKL and ZXCVBNM, Z being the learning key.
QImage drawChart(const KeyTable& table, ChartDesign design);
// Where the key `letter` (A to Z) is drawn on a keyboard chart.
QRect chartKeyRect(ChartDesign design, QChar letter);

// The large chart: one row per zone, one card per key in position order.
QImage drawLargeChart(const KeyTable& table);
// Where the card of `letter` (A to Y) is drawn on the large chart.
QRect largeChartKeyRect(QChar letter);

} // namespace tovrin::mkart
