#include "ui/common/bitmapfile.h"

#include "core/bitmap.h"
#include "platform/files.h"

#include <QFile>

namespace tovrin::ui {

QPixmap loadBitmap(const QString& path, QString* why) {
    const FileBytes file = readWholeFile(QFile::encodeName(path).toStdString());
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

} // namespace tovrin::ui
