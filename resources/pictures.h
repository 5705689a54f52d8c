// The pictures compiled into the program (drawn by mkart at build time) and the hot spots of the
// three cursors. mkart draws each cursor around its hot spot, so the two always agree.
#pragma once

namespace tovrin::pictures {

// Resource paths; tovrin_resources links them into the program.
inline constexpr const char kTitle[] = ":/tovrin/title.png";
inline constexpr const char kLinkSearch[] = ":/tovrin/link-search.png";
inline constexpr const char kLinkArticle[] = ":/tovrin/link-article.png";
inline constexpr const char kCursorPoint[] = ":/tovrin/cursor-point.png";
inline constexpr const char kCursorDrag[] = ":/tovrin/cursor-drag.png";
inline constexpr const char kCursorHand[] = ":/tovrin/cursor-hand.png";
inline constexpr const char kIcon[] = ":/tovrin/icon.png";
inline constexpr const char kChartStrip[] = ":/tovrin/chart-strip.png";
inline constexpr const char kBar[] = ":/tovrin/bar.png";
inline constexpr const char kAboutBanner[] = ":/tovrin/about-banner.png";

struct HotSpot {
    int x;
    int y;
};

// The pointing hand over the grids: the tip of the raised index finger.
inline constexpr HotSpot kCursorPointHotSpot{5, 0};
// The four-way move cursor: the centre of its cross.
inline constexpr HotSpot kCursorDragHotSpot{15, 16};
// The hand over the About box links: the tip of its index finger, raised nearer the middle.
inline constexpr HotSpot kCursorHandHotSpot{11, 1};

} // namespace tovrin::pictures
