// Twips to pixels for the windows: every place and size is designed in twips, 15 to a pixel
// (Qt scales pixels for high-DPI screens), and fonts by their point size.
#pragma once

#include "core/lookup/layout.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <cmath>

namespace tovrin::twips {

inline int px(int twips) {
    return static_cast<int>(std::lround(twips / double(layout::kTwipsPerPixel)));
}

inline QRect rect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

inline QRect rect(const layout::Rect& r) {
    return rect(r.left, r.top, r.width, r.height);
}

// A typeface by its name (宋体, 黑体, 华文细黑: see registerFontSubstitutions) at a point size.
inline QFont font(const char* family, double points) {
    QFont f(QString::fromUtf8(family));
    f.setPointSizeF(points);
    return f;
}

// A control given its object name (the name the tests find it by) and its place.
template <class T> T* named(T* widget, const QString& name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace tovrin::twips
