#include "tools/mkart/outputs.h"

#include "core/settings/setline.h"
#include "platform/files.h"

#include "tools/mkart/charts.h"
#include "tools/mkart/cursors.h"
#include "tools/mkart/painting.h"
#include "tools/mkart/pinyinpanel.h"
#include "tools/mkart/widgetart.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <functional>
#include <utility>
#include <vector>

namespace tovrin::mkart {

namespace {

QString saveBytes(const QByteArray& bytes, const QString& path) {
    const std::string error =
        platform::writeFileAtomically(QFile::encodeName(path).toStdString(), bytes.toStdString());
    return error.empty() ? QString() : path + QStringLiteral(": ") + QString::fromStdString(error);
}

QString saveImage(const QImage& image, const QString& path, const char* format) {
    // The bitmaps beside the program are plain 24-bit BMPs.
    const QImage out =
        qstrcmp(format, "BMP") == 0 ? image.convertToFormat(QImage::Format_RGB888) : image;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !out.save(&buffer, format))
        return path + QStringLiteral(": cannot encode the picture");
    return saveBytes(bytes, path);
}

using Drawing = std::pair<QString, std::function<QImage()>>;

// NAME.EXT drawn at each of `scales` as NAME@Nx.png (Qt's name for a picture's variants).
QString variantName(const QString& name, int scale) {
    return name.left(name.lastIndexOf(QLatin1Char('.'))) + QStringLiteral("@%1x.png").arg(scale);
}

QStringList saveAll(const QString& dir, const std::vector<Drawing>& drawings, const char* format,
                    const std::vector<int>& scales = {}) {
    QStringList errors;
    for (const auto& [name, draw] : drawings) {
        QString error = saveImage(draw(), QDir(dir).filePath(name), format);
        if (!error.isEmpty())
            errors.append(error);
        for (const int scale : scales) {
            setDrawingScale(scale);
            error = saveImage(draw(), QDir(dir).filePath(variantName(name, scale)), "PNG");
            setDrawingScale(1);
            if (!error.isEmpty())
                errors.append(error);
        }
    }
    return errors;
}

} // namespace

QStringList writeBesideProgram(const KeyTable& table, const QString& dir) {
    // The bitmaps at 1x, and variants: 2x and 3x for screens, 4x (384 dots per inch at the
    // charts' natural size) for printing.
    QStringList errors = saveAll(
        dir, {{QStringLiteral("拼音4.bmp"), [] { return drawPinyinPanel(); }}}, "BMP", {2, 3});
    errors +=
        saveAll(dir,
                {{QStringLiteral("J1.bmp"), [&] { return drawChart(table, ChartDesign::Bright); }},
                 {QStringLiteral("J2.bmp"), [&] { return drawChart(table, ChartDesign::Dark); }},
                 {QStringLiteral("J3.bmp"), [&] { return drawChart(table, ChartDesign::Print); }}},
                "BMP", {2, 3, 4});
    errors += saveAll(dir, {{QStringLiteral("86wb.bmp"), [&] { return drawLargeChart(table); }}},
                      "BMP", {4});
    const QString error =
        saveBytes(QByteArray::fromStdString(settings::fileText(settings::kDefaultLine)),
                  QDir(dir).filePath(QStringLiteral("set.txt")));
    if (!error.isEmpty())
        errors.append(error);
    return errors;
}

QStringList writeCompiled(const QString& dir) {
    // The pictures of the windows also at 2x and 3x; the cursors and the icon at 1x (the desktop
    // scales cursors, and the icon theme has sizes of its own).
    QStringList errors = saveAll(dir,
                                 {{QStringLiteral("title.png"), drawTitle},
                                  {QStringLiteral("link-search.png"), drawLinkSearch},
                                  {QStringLiteral("link-article.png"), drawLinkArticle},
                                  {QStringLiteral("chart-strip.png"), drawChartStrip},
                                  {QStringLiteral("bar.png"), drawBar},
                                  {QStringLiteral("about-banner.png"), drawAboutBanner}},
                                 "PNG", {2, 3});
    errors += saveAll(dir,
                      {{QStringLiteral("cursor-point.png"), drawPointCursor},
                       {QStringLiteral("cursor-drag.png"), drawDragCursor},
                       {QStringLiteral("cursor-hand.png"), drawHandCursor},
                       {QStringLiteral("icon.png"), [] { return drawIcon(); }}},
                      "PNG");
    return errors;
}

QStringList writeThemeIcons(const QString& dir, const QString& name) {
    QStringList errors;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
        if (!QDir().mkpath(folder)) {
            errors.append(folder + QStringLiteral(": cannot create the folder"));
            continue;
        }
        const QString error = saveImage(
            drawIcon(size), folder + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG");
        if (!error.isEmpty())
            errors.append(error);
    }
    return errors;
}

} // namespace tovrin::mkart
