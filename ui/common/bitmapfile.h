// Loading the pictures that stand beside the program.
#pragma once

#include <QPixmap>
#include <QString>

namespace tovrin::ui {

// The bitmap at `path`, read without blocking (anything but a regular file is refused) and only
// when the file is whole; a null pixmap otherwise, with `why` saying what is wrong.
QPixmap loadBitmap(const QString& path, QString* why = nullptr);

} // namespace tovrin::ui
