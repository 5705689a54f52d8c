// The three cursors, drawn around the hot spots the program sets them with.
#pragma once

#include <QImage>

namespace tovrin::mkart {

QImage drawPointCursor(); // 32 x 32 pointing hand over the grids
QImage drawDragCursor();  // 32 x 32 four-way move cursor
QImage drawHandCursor();  // 32 x 32 hand over the About box links

} // namespace tovrin::mkart
