// The pinyin keyboard's panel picture, drawn behind its letter pad, its 3 x 12 result grid and
// its two page labels.
#pragma once

#include <QImage>
#include <QRect>

namespace tovrin::mkart {

inline constexpr int kPinyinPanelWidth = 460;
inline constexpr int kPinyinPanelHeight = 85;

// The page labels are 13 x 13 px; an active label is transparent and lets the arrow drawn here
// show through, an inactive one covers it with white.
inline constexpr QRect kPreviousPageBox{100, 62, 13, 13};
inline constexpr QRect kNextPageBox{116, 62, 13, 13};

QImage drawPinyinPanel();

} // namespace tovrin::mkart
