// Finding a window's controls by the object names the windows give them.
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// The control `name` of `window`; a missing control ends the test at once.
template <class T> T* control(const QObject* window, const QString& name) {
    T* w = window->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}
