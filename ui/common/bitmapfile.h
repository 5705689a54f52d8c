// Loading the pictures that stand beside the program and those compiled into it, each at the
// variant drawn for the screen's (or the printer's) scale where there is one.
#pragma once

#include <QPixmap>
#include <QString>

namespace tovrin::ui {

// The bitmap at `path`, read without blocking (anything but a regular file is refused) and only
// when the file is whole; a null pixmap otherwise, with `why` saying what is wrong.
QPixmap loadBitmap(const QString& path, QString* why = nullptr);

// The variant for a device pixel ratio: 1, 2 or 3; a fractional ratio takes the next larger.
int variantScale(qreal devicePixelRatio);

// The bitmap at `path` as loadBitmap() reads and judges it; for a scale above 1, the variant
// drawn at that scale beside it (NAME@Nx.png) is taken instead when it is there, readable and
// exactly that many times the size, and the pixmap carries the scale as its device pixel ratio:
// it stands as large as the 1x bitmap, drawn from pixels of its own. A missing or unfit variant
// falls back to the 1x bitmap without a word.
QPixmap loadBitmap(const QString& path, int scale, QString* why = nullptr);

// The variant for the screens of this session: their largest device pixel ratio.
int screenScale();

// A picture compiled into the program (":/tovrin/title.png"), at the variant for `scale`.
QPixmap compiledPicture(const char* path, int scale);

} // namespace tovrin::ui
