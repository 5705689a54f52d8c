#include "ui/common/bitmapfile.h"

#include "core/pictures/bitmap.h"
#include "platform/files.h"

#include <QFile>
#include <QGuiApplication>

namespace tovrin::ui {

QPixmap loadBitmap(const QString& path, QString* why) {
    const FileBytes file = platform::readWholeFile(QFile::encodeName(path).toStdString());
    QPixmap picture;
    QString problem;
    if (file.status != FileBytes::Status::Ok)
        problem = QString::fromStdString(file.reason);
    else if (!wholeBitmap(file.bytes))
        problem = QStringLiteral("the bitmap is cut short or damaged");
    else if (!picture.loadFromData(reinterpret_cast<const uchar*>(file.bytes.data()),
                                   static_cast<uint>(file.bytes.size()), "BMP"))
        problem = QStringLiteral("the bitmap cannot be read");
    if (why)
        *why = problem;
    return problem.isEmpty() ? picture : QPixmap();
}

int variantScale(qreal devicePixelRatio) {
    return devicePixelRatio <= 1 ? 1 : devicePixelRatio <= 2 ? 2 : 3;
}

namespace {

// NAME.EXT -> NAME@Nx.png, where mkart writes the variants.
QString variantPath(const QString& path, int scale) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString stem = dot > slash ? path.left(dot) : path;
    return stem + QStringLiteral("@%1x.png").arg(scale);
}

// The variant's pixmap when it is exactly `scale` times `base`, carrying the scale.
QPixmap variantOf(const QPixmap& base, QPixmap variant, int scale) {
    if (variant.isNull() || variant.size() != base.size() * scale)
        return base;
    variant.setDevicePixelRatio(scale);
    return variant;
}

} // namespace

QPixmap loadBitmap(const QString& path, int scale, QString* why) {
    const QPixmap base = loadBitmap(path, why);
    if (base.isNull() || scale <= 1)
        return base;
    const FileBytes file =
        platform::readWholeFile(QFile::encodeName(variantPath(path, scale)).toStdString());
    QPixmap variant;
    if (file.status == FileBytes::Status::Ok)
        variant.loadFromData(reinterpret_cast<const uchar*>(file.bytes.data()),
                             static_cast<uint>(file.bytes.size()), "PNG");
    return variantOf(base, variant, scale);
}

int screenScale() {
    return variantScale(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
}

QPixmap compiledPicture(const char* path, int scale) {
    const QString name = QString::fromLatin1(path);
    const QPixmap base(name);
    if (scale <= 1)
        return base;
    return variantOf(base, QPixmap(variantPath(name, scale)), scale);
}

} // namespace tovrin::ui
