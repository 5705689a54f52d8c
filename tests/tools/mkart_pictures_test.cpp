// mkart's pictures: the bitmaps the build wrote beside the program, the PNGs compiled into it,
// what the charts and the pinyin panel show where the windows expect it, and that mkart draws the
// same bytes every time.
#include "resources/pictures.h"
#include "tools/mkart/charts.h"
#include "tools/mkart/keytable.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

using namespace tovrin;
using namespace tovrin::mkart;

namespace {

QString binDir() {
    return QString::fromUtf8(TOVRIN_BIN_DIR);
}
QString picturesDir() {
    return QString::fromUtf8(TOVRIN_PICTURES_DIR);
}
QString keysFile() {
    return QString::fromUtf8(MKART_KEYS);
}

QString besidePath(const char* name) {
    return QDir(binDir()).filePath(QString::fromUtf8(name));
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QImage loadRgb(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

std::uint32_t le32(const QByteArray& b, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::uint16_t le16(const QByteArray& b, int at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

int luminance(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

// The colour most pixels of `area` have: a key's face.
QRgb dominant(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (const auto& [colour, n] : counts) {
        if (n > most) {
            most = n;
            best = colour;
        }
    }
    return best;
}

// Pixels of `area` that stand out from `face` as text does, light on dark or dark on light.
int inkPixels(const QImage& image, const QRect& area, QRgb face) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (std::abs(luminance(image.pixel(x, y)) - luminance(face)) > 90)
                ++n;
    return n;
}

struct ProgramRun {
    int exitCode = -1;
    QByteArray errors;
};

ProgramRun runMkart(const QStringList& args) {
    QProcess mkart;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    mkart.setProcessEnvironment(env);
    mkart.start(QString::fromUtf8(MKART_PROGRAM), args);
    if (!mkart.waitForFinished(120000) || mkart.exitStatus() != QProcess::NormalExit)
        return {};
    return {mkart.exitCode(), mkart.readAllStandardError()};
}

ProgramRun runInto(const QTemporaryDir& dir, const QString& keys) {
    return runMkart({QStringLiteral("--keys"), keys, QStringLiteral("--beside"),
                     dir.filePath(QStringLiteral("bin")), QStringLiteral("--compiled"),
                     dir.filePath(QStringLiteral("pictures"))});
}

struct Expected {
    const char* name;
    int width;
    int height;
};

constexpr std::array<Expected, 5> kBitmaps = {{
    {"拼音4.bmp", 460, 85},
    {"J1.bmp", 670, 400},
    {"J2.bmp", 670, 400},
    {"J3.bmp", 670, 400},
    {"86wb.bmp", 700, 1000},
}};

struct ExpectedPng {
    const char* name;
    const char* resource;
    int width;
    int height;
    bool transparent; // cursors and the icon have see-through corners
};

constexpr std::array<ExpectedPng, 10> kPngs = {{
    {"title.png", pictures::kTitle, 478, 24, false},
    {"link-search.png", pictures::kLinkSearch, 53, 25, false},
    {"link-article.png", pictures::kLinkArticle, 173, 27, false},
    {"cursor-point.png", pictures::kCursorPoint, 32, 32, true},
    {"cursor-drag.png", pictures::kCursorDrag, 32, 32, true},
    {"cursor-hand.png", pictures::kCursorHand, 32, 32, true},
    {"icon.png", pictures::kIcon, 32, 32, true},
    {"chart-strip.png", pictures::kChartStrip, 680, 41, false},
    {"bar.png", pictures::kBar, 104, 25, false},
    {"about-banner.png", pictures::kAboutBanner, 404, 66, false},
}};

const QString kAllKeys = QStringLiteral("QWERTYUIOPASDFGHJKLZXCVBNM");

// ---------------------------------------------------------------------------------------------
// What the build wrote beside the program.

TEST(BesideProgram, EachBitmapIsAPlain24BitBmpOfItsSize) {
    for (const auto& e : kBitmaps) {
        SCOPED_TRACE(e.name);
        const QByteArray bytes = readAll(besidePath(e.name));
        ASSERT_GE(bytes.size(), 54);
        EXPECT_EQ(bytes.left(2), QByteArray("BM"));
        EXPECT_EQ(le32(bytes, 2), static_cast<std::uint32_t>(bytes.size()));
        EXPECT_EQ(static_cast<std::int32_t>(le32(bytes, 18)), e.width);
        // Positive height: rows stored bottom-up, as every BMP reader expects.
        EXPECT_EQ(static_cast<std::int32_t>(le32(bytes, 22)), e.height);
        EXPECT_EQ(le16(bytes, 28), 24);
        EXPECT_EQ(le32(bytes, 30), 0u); // BI_RGB, uncompressed

        QImageReader reader(besidePath(e.name));
        EXPECT_EQ(reader.format(), QByteArray("bmp"));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << qPrintable(reader.errorString());
        EXPECT_EQ(image.size(), QSize(e.width, e.height));
    }
}

TEST(BesideProgram, SettingsFileHoldsTheDefaultLine) {
    EXPECT_EQ(readAll(besidePath("set.txt")), QByteArray("10102\r\n"));
}

// ---------------------------------------------------------------------------------------------
// The pictures compiled into the program.

TEST(Compiled, EachPictureLoadsFromTheResourcesAtItsSize) {
    for (const auto& e : kPngs) {
        SCOPED_TRACE(e.name);
        const QString resource = QString::fromUtf8(e.resource);
        QImageReader reader(resource);
        EXPECT_EQ(reader.format(), QByteArray("png"));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << qPrintable(reader.errorString());
        EXPECT_EQ(image.size(), QSize(e.width, e.height));
        // The resource is the very file mkart drew into the build tree.
        EXPECT_EQ(readAll(resource),
                  readAll(QDir(picturesDir()).filePath(QString::fromUtf8(e.name))));

        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        const std::array<QPoint, 4> corners = {QPoint(0, 0), QPoint(e.width - 1, 0),
                                               QPoint(0, e.height - 1),
                                               QPoint(e.width - 1, e.height - 1)};
        for (const QPoint c : corners) {
            EXPECT_EQ(qAlpha(argb.pixel(c)), e.transparent ? 0 : 255) << c.x() << "," << c.y();
        }
        // Drawn, not filled: even the calm backgrounds shade and have edges.
        QSet<QRgb> colours;
        for (int y = 0; y < argb.height(); ++y)
            for (int x = 0; x < argb.width(); ++x)
                colours.insert(argb.pixel(x, y));
        EXPECT_GE(colours.size(), 8);
    }
}

// Pixels of `area` darker than `grey`, or lighter with `lighter`.
int countGrey(const QImage& image, const QRect& area, int grey, bool lighter) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (lighter ? qGray(image.pixel(x, y)) > grey : qGray(image.pixel(x, y)) < grey)
                ++n;
    return n;
}

TEST(Compiled, LinksCarryTheirWordsOnALightFace) {
    for (const char* resource : {pictures::kLinkSearch, pictures::kLinkArticle}) {
        SCOPED_TRACE(resource);
        const QImage link =
            QImage(QString::fromUtf8(resource)).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(link.isNull());
        const QRect inside = link.rect().adjusted(3, 3, -3, -3);
        // Mostly light, with a good amount of dark ink: the icon and the words.
        EXPECT_GT(countGrey(link, inside, 200, true), inside.width() * inside.height() / 2);
        EXPECT_GT(countGrey(link, inside, 120, false), inside.width() * inside.height() / 12);
    }
}

TEST(Compiled, BackgroundsLeaveTheirLabelsCalm) {
    // The chart window's links: black 12 pt text around y = 13 on a light strip.
    const QImage strip =
        QImage(QString::fromUtf8(pictures::kChartStrip)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(strip.isNull());
    const QRect labels(0, 6, 680, 28);
    EXPECT_EQ(countGrey(strip, labels, 215, false), 0);
    // The About box's title goes at (146, 19), 216 x 35: an even, light area.
    const QImage banner =
        QImage(QString::fromUtf8(pictures::kAboutBanner)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(banner.isNull());
    const QRect title(146, 19, 216, 35);
    EXPECT_EQ(countGrey(banner, title, 215, false), 0);
    // ... while its left end carries a picture.
    EXPECT_GT(countGrey(banner, QRect(10, 8, 130, 50), 150, false), 300);
    // The icon: a coloured tile with a white character on it.
    const QImage icon =
        QImage(QString::fromUtf8(pictures::kIcon)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(icon.isNull());
    int white = 0;
    int red = 0;
    for (int y = 4; y < 28; ++y)
        for (int x = 4; x < 28; ++x) {
            const QRgb c = icon.pixel(x, y);
            white += qRed(c) > 235 && qGreen(c) > 235 && qBlue(c) > 235 ? 1 : 0;
            red += qRed(c) > 140 && qGreen(c) < 110 ? 1 : 0;
        }
    EXPECT_GT(white, 60);
    EXPECT_GT(red, 200);
}

TEST(Compiled, CursorsAreDrawnOnTheirHotSpots) {
    const std::array<std::pair<const char*, pictures::HotSpot>, 3> cursors = {{
        {pictures::kCursorPoint, pictures::kCursorPointHotSpot},
        {pictures::kCursorDrag, pictures::kCursorDragHotSpot},
        {pictures::kCursorHand, pictures::kCursorHandHotSpot},
    }};
    for (const auto& [resource, spot] : cursors) {
        SCOPED_TRACE(resource);
        const QImage image =
            QImage(QString::fromUtf8(resource)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(qAlpha(image.pixel(spot.x, spot.y)), 128);
    }
    // The hands point up: nothing is drawn above the fingertip's row.
    const QImage point =
        QImage(QString::fromUtf8(pictures::kCursorPoint)).convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x < 32; ++x) {
        if (std::abs(x - pictures::kCursorPointHotSpot.x) > 3) {
            EXPECT_EQ(qAlpha(point.pixel(x, 0)), 0) << x;
        }
    }
    // The move cursor is symmetric about its centre: its four arms reach equally far.
    const QImage drag =
        QImage(QString::fromUtf8(pictures::kCursorDrag)).convertToFormat(QImage::Format_ARGB32);
    const auto reach = [&](int dx, int dy) {
        int n = 0;
        int x = pictures::kCursorDragHotSpot.x;
        int y = pictures::kCursorDragHotSpot.y;
        while (x >= 0 && x < 32 && y >= 0 && y < 32 && qAlpha(drag.pixel(x, y)) > 128) {
            ++n;
            x += dx;
            y += dy;
        }
        return n;
    };
    EXPECT_GT(reach(1, 0), 10);
    EXPECT_EQ(reach(1, 0), reach(-1, 0));
    EXPECT_EQ(reach(0, 1), reach(0, -1));
    EXPECT_EQ(reach(1, 0), reach(0, 1));
}

TEST(Compiled, TitleStripIsDarkWhereItsTextGoes) {
    // White text with a black shadow from about (11, 5): the strip must be darker than the text.
    const QImage title = QImage(QString::fromUtf8(pictures::kTitle));
    ASSERT_FALSE(title.isNull());
    for (int y = 4; y < 20; ++y)
        for (int x = 10; x < 200; x += 7)
            EXPECT_LT(qGray(title.pixel(x, y)), 110) << x << "," << y;
}

TEST(Compiled, BarGlyphsSitUnderTheirHotSpots) {
    const QImage bar =
        QImage(QString::fromUtf8(pictures::kBar)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(bar.isNull());
    // Show desktop, portal, restore: each spot holds a light glyph on the dark bar.
    const std::array<QRect, 3> spots = {QRect(4, 4, 17, 16), QRect(23, 4, 17, 16),
                                        QRect(44, 4, 55, 16)};
    for (const QRect& spot : spots) {
        int light = 0;
        for (int y = spot.top(); y <= spot.bottom(); ++y)
            for (int x = spot.left(); x <= spot.right(); ++x)
                if (qGray(bar.pixel(x, y)) > 170)
                    ++light;
        EXPECT_GT(light, 15) << spot.x();
    }
}

// ---------------------------------------------------------------------------------------------
// The charts.

struct Chart {
    const char* file;
    std::optional<ChartDesign> design; // none: the large chart
};

constexpr std::array<Chart, 4> kCharts = {{
    {"J1.bmp", ChartDesign::Bright},
    {"J2.bmp", ChartDesign::Dark},
    {"J3.bmp", ChartDesign::Print},
    {"86wb.bmp", std::nullopt},
}};

QRect keyArea(const Chart& chart, QChar letter) {
    return chart.design ? chartKeyRect(*chart.design, letter) : largeChartKeyRect(letter);
}

TEST(Charts, EveryKeyShowsItsHeaderAndItsVerse) {
    for (const auto& chart : kCharts) {
        SCOPED_TRACE(chart.file);
        const QImage image = loadRgb(besidePath(chart.file));
        ASSERT_FALSE(image.isNull());
        for (const QChar letter : kAllKeys) {
            if (!chart.design && letter == QLatin1Char('Z'))
                continue; // the large chart lists the 25 keys only
            SCOPED_TRACE(QString(letter).toStdString());
            const QRect key = keyArea(chart, letter).adjusted(2, 2, -2, -2);
            ASSERT_TRUE(image.rect().contains(key));
            const QRgb face = dominant(image, key);
            // Header (letter, code, key name) in the top quarter, verse in the bottom quarter,
            // radicals in between.
            const int quarter = key.height() / 4;
            const QRect header(key.left(), key.top(), key.width(), quarter);
            const QRect middle(key.left(), key.top() + quarter, key.width(), 2 * quarter);
            const QRect bottom(key.left(), key.bottom() - quarter + 1, key.width(), quarter);
            const int area = key.width() * quarter;
            // Z, the learning key, has a letter but neither code nor key name in its header.
            const int headerInk = letter == QLatin1Char('Z') ? area / 80 : area / 25;
            EXPECT_GT(inkPixels(image, header, face), headerInk);
            EXPECT_GT(inkPixels(image, middle, face), area / 25);
            EXPECT_GT(inkPixels(image, bottom, face), area / 40);
        }
    }
}

TEST(Charts, KeysAreLaidOutLikeAKeyboard) {
    for (const ChartDesign design : {ChartDesign::Bright, ChartDesign::Dark, ChartDesign::Print}) {
        SCOPED_TRACE(static_cast<int>(design));
        const QStringList rows = {QStringLiteral("QWERTYUIOP"), QStringLiteral("ASDFGHJKL"),
                                  QStringLiteral("ZXCVBNM")};
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < rows[r].size(); ++c) {
                const QRect key = chartKeyRect(design, rows[r][c]);
                EXPECT_TRUE(QRect(0, 0, 670, 400).contains(key));
                EXPECT_GE(key.width(), 55);
                EXPECT_GE(key.height(), 100);
                if (c > 0) {
                    const QRect left = chartKeyRect(design, rows[r][c - 1]);
                    EXPECT_LE(left.right(), key.left()) << qPrintable(rows[r]) << c;
                    EXPECT_EQ(left.top(), key.top());
                }
                if (r > 0) {
                    EXPECT_LE(chartKeyRect(design, rows[r - 1][0]).bottom(), key.top());
                }
            }
        }
        // Rows step right like a real keyboard.
        EXPECT_LT(chartKeyRect(design, QLatin1Char('Q')).left(),
                  chartKeyRect(design, QLatin1Char('A')).left());
        EXPECT_LT(chartKeyRect(design, QLatin1Char('A')).left(),
                  chartKeyRect(design, QLatin1Char('Z')).left());
    }
    for (const QChar letter : kAllKeys) {
        if (letter != QLatin1Char('Z')) {
            EXPECT_TRUE(QRect(0, 0, 700, 1000).contains(largeChartKeyRect(letter)));
        }
    }
}

TEST(Charts, NothingSpillsIntoTheGapsBetweenKeys) {
    // In the two designs with gaps, the middle column of every gap in a row is the page's own
    // colour from top to bottom, exactly like the left margin at the same height.
    for (const auto& chart : {kCharts[0], kCharts[1]}) {
        SCOPED_TRACE(chart.file);
        const QImage image = loadRgb(besidePath(chart.file));
        ASSERT_FALSE(image.isNull());
        for (const QString& row : {QStringLiteral("QWERTYUIOP"), QStringLiteral("ASDFGHJKL"),
                                   QStringLiteral("ZXCVBNM")}) {
            for (int c = 1; c < row.size(); ++c) {
                const QRect left = chartKeyRect(*chart.design, row[c - 1]);
                const QRect right = chartKeyRect(*chart.design, row[c]);
                const int x = (left.right() + right.left() + 1) / 2;
                int spilt = 0;
                for (int y = left.top(); y <= left.bottom(); ++y)
                    if (image.pixel(x, y) != image.pixel(2, y))
                        ++spilt;
                EXPECT_EQ(spilt, 0) << qPrintable(row) << c;
            }
        }
    }
}

TEST(Charts, TheThreeDesignsDiffer) {
    const QImage j1 = loadRgb(besidePath("J1.bmp"));
    const QImage j2 = loadRgb(besidePath("J2.bmp"));
    const QImage j3 = loadRgb(besidePath("J3.bmp"));
    ASSERT_FALSE(j1.isNull() || j2.isNull() || j3.isNull());
    const auto differing = [](const QImage& a, const QImage& b) {
        int n = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    ++n;
        return n;
    };
    const int quarter = 670 * 400 / 4;
    EXPECT_GT(differing(j1, j2), quarter);
    EXPECT_GT(differing(j1, j3), quarter);
    EXPECT_GT(differing(j2, j3), quarter);
    // J2 is the dark one; J1, J3 and the large chart are light pages.
    const auto meanGrey = [](const QImage& image) {
        long long sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += qGray(image.pixel(x, y));
        return sum / (image.width() * image.height());
    };
    EXPECT_LT(meanGrey(j2), 90);
    EXPECT_GT(meanGrey(j1), 180);
    EXPECT_GT(meanGrey(j3), 180);
    EXPECT_GT(meanGrey(loadRgb(besidePath("86wb.bmp"))), 200);
}

TEST(Charts, PrintDesignsAreBlackOnWhite) {
    // J3 and the large chart print well: no coloured pixels at all.
    for (const char* name : {"J3.bmp", "86wb.bmp"}) {
        const QImage image = loadRgb(besidePath(name));
        ASSERT_FALSE(image.isNull());
        int coloured = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (std::max({qRed(c), qGreen(c), qBlue(c)}) -
                        std::min({qRed(c), qGreen(c), qBlue(c)}) >
                    12)
                    ++coloured;
            }
        EXPECT_EQ(coloured, 0) << name;
    }
}

// ---------------------------------------------------------------------------------------------
// The pinyin panel: the page arrows sit beneath the page labels, which are 13 x 13 px at (100, 62)
// and (116, 62) of the panel (1620, 1825 and 1860, 1830 twips in the window, the panel being at
// 120, 900).

constexpr QRect kPreviousLabel(100, 62, 13, 13);
constexpr QRect kNextLabel(116, 62, 13, 13);

bool isInk(const QImage& panel, int x, int y, QRgb background) {
    return std::abs(luminance(panel.pixel(x, y)) - luminance(background)) > 40;
}

TEST(PinyinPanel, PageArrowsAreDrawnInsideTheirLabels) {
    const QImage panel = loadRgb(besidePath("拼音4.bmp"));
    ASSERT_FALSE(panel.isNull());
    const QRgb background = panel.pixel(114, 68);
    EXPECT_GT(luminance(background), 240); // an inactive label's white covers the arrow cleanly

    for (const QRect& label : {kPreviousLabel, kNextLabel}) {
        int ink = 0;
        for (int y = label.top(); y <= label.bottom(); ++y)
            for (int x = label.left(); x <= label.right(); ++x)
                ink += isInk(panel, x, y, background) ? 1 : 0;
        EXPECT_GT(ink, 20) << label.x();
    }
    // Around and between the two labels there is only background.
    const QRect around = kPreviousLabel.united(kNextLabel).adjusted(-2, -2, 2, 2);
    for (int y = around.top(); y <= around.bottom(); ++y)
        for (int x = around.left(); x <= around.right(); ++x) {
            if (kPreviousLabel.contains(x, y) || kNextLabel.contains(x, y))
                continue;
            EXPECT_EQ(panel.pixel(x, y), background) << x << "," << y;
        }
}

TEST(PinyinPanel, ArrowsPointToTheirPages) {
    const QImage panel = loadRgb(besidePath("拼音4.bmp"));
    ASSERT_FALSE(panel.isNull());
    const QRgb background = panel.pixel(114, 68);
    const auto columnInk = [&](const QRect& label, int x) {
        int n = 0;
        for (int y = label.top(); y <= label.bottom(); ++y)
            n += isInk(panel, x, y, background) ? 1 : 0;
        return n;
    };
    const auto inkedColumns = [&](const QRect& label) {
        std::vector<int> counts;
        for (int x = label.left(); x <= label.right(); ++x)
            if (int n = columnInk(label, x); n > 0)
                counts.push_back(n);
        return counts;
    };
    // A left-pointing arrow narrows to its tip on the left, and the other one on the right.
    const std::vector<int> previous = inkedColumns(kPreviousLabel);
    const std::vector<int> next = inkedColumns(kNextLabel);
    ASSERT_GE(previous.size(), 4u);
    ASSERT_GE(next.size(), 4u);
    EXPECT_LT(previous.front(), previous.back());
    EXPECT_GT(next.front(), next.back());
}

TEST(PinyinPanel, IsALightPanelWithAFrame) {
    const QImage panel = loadRgb(besidePath("拼音4.bmp"));
    ASSERT_FALSE(panel.isNull());
    // The letter pad (x 4 to 130, y 2 to 78) and the grid (x 135 to 455, y 4 to 80) are light,
    // so the buttons and the 宋体 characters on them stand out.
    for (const QRect& area : {QRect(4, 2, 127, 77), QRect(135, 4, 321, 77)}) {
        long long sum = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                sum += luminance(panel.pixel(x, y));
        EXPECT_GT(sum / (area.width() * area.height()), 235) << area.x();
    }
    // A frame sets the panel off from the window.
    EXPECT_LT(luminance(panel.pixel(0, 40)), 220);
    EXPECT_LT(luminance(panel.pixel(459, 40)), 220);
    EXPECT_LT(luminance(panel.pixel(200, 84)), 220);
}

// ---------------------------------------------------------------------------------------------
// The key table and mkart itself.

TEST(KeyTable, TheRepositoryTableHasAllTwentyFiveKeysInTheirZones) {
    const KeyTable table = loadKeyTable(keysFile());
    ASSERT_TRUE(table.ok()) << qPrintable(table.error);
    ASSERT_EQ(table.keys.size(), 25);
    const std::array<const char*, 5> zones = {"GFDSA", "HJKLM", "TREWQ", "YUIOP", "NBVCX"};
    for (int zone = 1; zone <= 5; ++zone) {
        for (int position = 1; position <= 5; ++position) {
            const QChar letter = QLatin1Char(zones[zone - 1][position - 1]);
            const KeyEntry* key = table.find(letter);
            ASSERT_NE(key, nullptr) << zone << position;
            EXPECT_EQ(key->code, zone * 10 + position);
            EXPECT_FALSE(key->radicals.isEmpty());
        }
    }
    const KeyEntry* g = table.find(QLatin1Char('G'));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->name, QStringLiteral("王"));
    EXPECT_EQ(g->radicals.first(), QStringLiteral("王"));
    EXPECT_EQ(g->verse, QStringLiteral("王旁青头戋（兼）五一"));
}

TEST(KeyTable, RejectsBrokenTables) {
    const QByteArray good = readAll(keysFile());
    ASSERT_FALSE(good.isEmpty());
    EXPECT_TRUE(parseKeyTable(good).ok());

    // One key short.
    QByteArray missing = good;
    missing.replace("X\t55\t", "#X\t55\t");
    EXPECT_FALSE(parseKeyTable(missing).ok());
    // A key twice.
    EXPECT_FALSE(parseKeyTable(good + "G\t11\t王\t王\t王\n").ok());
    // A code twice.
    QByteArray code = good;
    code.replace("F\t12\t", "F\t11\t");
    EXPECT_FALSE(parseKeyTable(code).ok());
    // A code outside the zones.
    QByteArray zone = good;
    zone.replace("F\t12\t", "F\t16\t");
    EXPECT_FALSE(parseKeyTable(zone).ok());
    // A missing field.
    QByteArray field = good;
    field.replace("S\t14\t木\t", "S\t14\t");
    const KeyTable broken = parseKeyTable(field);
    EXPECT_FALSE(broken.ok());
    EXPECT_TRUE(broken.error.startsWith(QStringLiteral("line 5:"))) << qPrintable(broken.error);
    // Windows line ends are fine.
    QByteArray crlf = good;
    crlf.replace("\n", "\r\n");
    EXPECT_TRUE(parseKeyTable(crlf).ok());
}

TEST(Mkart, TwoRunsDrawTheSameBytesAsTheBuild) {
    QTemporaryDir first;
    QTemporaryDir second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    const ProgramRun a = runInto(first, keysFile());
    const ProgramRun b = runInto(second, keysFile());
    ASSERT_EQ(a.exitCode, 0) << a.errors.constData();
    ASSERT_EQ(b.exitCode, 0) << b.errors.constData();

    // Each picture, and its variants drawn at 2x, 3x (screens) and 4x (printing): NAME@Nx.png,
    // exactly N times the 1x picture's size.
    QStringList beside = {QStringLiteral("set.txt")};
    QStringList compiled;
    auto withVariants = [&](QStringList& names, const QString& sub, const char* utf8Name,
                            QSize size, std::initializer_list<int> scales) {
        const QString name = QString::fromUtf8(utf8Name);
        names.append(name);
        for (const int scale : scales) {
            const QString variant =
                name.left(name.lastIndexOf(u'.')) + QStringLiteral("@%1x.png").arg(scale);
            names.append(variant);
            const QImage image(QDir(first.filePath(sub)).filePath(variant));
            EXPECT_EQ(image.size(), size * scale) << variant.toStdString();
        }
    };
    for (const auto& e : kBitmaps) {
        const std::string_view name = e.name;
        withVariants(beside, QStringLiteral("bin"), e.name, QSize(e.width, e.height),
                     name == "86wb.bmp"      ? std::initializer_list<int>{4}
                     : name.starts_with("J") ? std::initializer_list<int>{2, 3, 4}
                                             : std::initializer_list<int>{2, 3});
    }
    for (const auto& e : kPngs)
        withVariants(compiled, QStringLiteral("pictures"), e.name, QSize(e.width, e.height),
                     e.transparent ? std::initializer_list<int>{}
                                   : std::initializer_list<int>{2, 3});

    const auto compare = [&](const QString& sub, const QStringList& names, const QString& built) {
        // Exactly these files, nothing more.
        QStringList written = QDir(first.filePath(sub)).entryList(QDir::Files, QDir::Name);
        QStringList wanted = names;
        wanted.sort();
        EXPECT_EQ(written, wanted);
        for (const QString& name : names) {
            SCOPED_TRACE(name.toStdString());
            const QByteArray one = readAll(QDir(first.filePath(sub)).filePath(name));
            EXPECT_FALSE(one.isEmpty());
            EXPECT_EQ(one, readAll(QDir(second.filePath(sub)).filePath(name)));
            EXPECT_EQ(one, readAll(QDir(built).filePath(name)));
        }
    };
    compare(QStringLiteral("bin"), beside, binDir());
    compare(QStringLiteral("pictures"), compiled, picturesDir());
}

TEST(Mkart, RefusesABadTableOrBadArguments) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString broken = dir.filePath(QStringLiteral("keys.tsv"));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# key\tzone\tname\tradicals\tverse\nG\t11\t王\t王\n");
    }
    const ProgramRun bad = runInto(dir, broken);
    EXPECT_EQ(bad.exitCode, 3);
    EXPECT_TRUE(bad.errors.contains("keys.tsv")) << bad.errors.constData();
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("bin"))).exists());

    EXPECT_EQ(runInto(dir, dir.filePath(QStringLiteral("absent.tsv"))).exitCode, 3);
    EXPECT_EQ(runMkart({}).exitCode, 2);
    EXPECT_EQ(runMkart({QStringLiteral("--keys"), keysFile()}).exitCode, 2);
    EXPECT_EQ(runMkart({QStringLiteral("--colour"), QStringLiteral("red")}).exitCode, 2);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
