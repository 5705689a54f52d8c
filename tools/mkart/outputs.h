// Every picture mkart writes, and where: the bitmaps the program loads from its own folder, and
// the PNGs compiled into it.
#pragma once

#include "tools/mkart/keytable.h"

#include <QString>
#include <QStringList>

namespace tovrin::mkart {

// Writes everything; each file through a temporary and a rename. Returns what failed (empty on
// success), one line per file.
QStringList writeBesideProgram(const KeyTable& table, const QString& dir);
QStringList writeCompiled(const QString& dir);

// The application's icon for the desktop's icon theme: DIR/NxN/apps/NAME.png at the sizes a
// theme looks for, 16 to 256.
QStringList writeThemeIcons(const QString& dir, const QString& name);

} // namespace tovrin::mkart
