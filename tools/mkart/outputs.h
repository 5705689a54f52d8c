// Every picture mkart writes, and where: the bitmaps the program loads from its own folder, and
// the PNGs compiled into it.
#pragma once

#include "tools/mkart/keytable.h"

#include <QString>
#include <QStringList>

namespace tovrin::mkart {

// The default settings line beside the program: chart 1 (J1.bmp), F1 calls up the chart window
// and F2 the lookup window.
inline constexpr char kDefaultSettings[] = "10102\r\n";

// Writes everything; each file through a temporary and a rename. Returns what failed (empty on
// success), one line per file.
QStringList writeBesideProgram(const KeyTable& table, const QString& dir);
QStringList writeCompiled(const QString& dir);

} // namespace tovrin::mkart
