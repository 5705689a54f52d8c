// What the windows take for a click on a label: the left button released over the control it
// went down on (a label has no clicked signal of its own).
#pragma once

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace tovrin::ui {

inline bool isClick(const QObject* watched, const QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    return widget && mouse->button() == Qt::LeftButton &&
           widget->rect().contains(mouse->position().toPoint());
}

} // namespace tovrin::ui
