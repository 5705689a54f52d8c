// Message boxes that stand over the window they speak for.
#pragma once

#include <QString>

class QWidget;

namespace tovrin {

// The window a message told now speaks for: the modal dialog that is up, else the active
// window, else a visible window that stays on top; none when no window is up.
QWidget* messageOwner();

// Shows a warning over messageOwner() and waits for its answer. The box stays on top, as the
// program's own windows do, so no always-on-top window can hide it.
void tellOver(const QString& title, const QString& text);

} // namespace tovrin
