// The lookup window's geometry that its procedures use, in twips (15 to a pixel at 96 dpi).
#pragma once

#include <array>

namespace tovrin::layout {

constexpr int kTwipsPerPixel = 15;

constexpr int kWindowWidth = 7170;
constexpr int kWindowHeight = 3200;

constexpr int kGridCells = 51; // Label11: 3 rows of 17
constexpr int kGridColumns = 17;
constexpr int kPinyinCells = 36; // Label66: 3 rows of 12
constexpr int kPinyinColumns = 12;

// The "更多" link: parked beyond the right edge of the compact window, so it is out of sight and
// is not placed again; "←" moves it out of sight a little further left.
constexpr int kMoreParkedLeft = 8090;
constexpr int kMoreBackLeft = 8060;
constexpr int kMoreDesignedTop = 1020;
constexpr int kMoreWidth = 375;
constexpr int kMoreHeight = 180;

// What each candidate size (sizeMode 0 to 4) selects: the font of both grids, the Left of each
// column and the Top of each row, and the cell size.
struct SizeLayout {
    double fontPoints;
    int gridLeft; // Label11 column c: gridLeft + gridPitch * c
    int gridPitch;
    std::array<int, 3> gridTops;
    int pinyinLeft; // Label66 column c: pinyinLeft + pinyinPitch * c
    int pinyinPitch;
    std::array<int, 3> pinyinTops;
    int cellWidth;
    int cellHeight;
};

constexpr std::array<SizeLayout, 5> kSizeLayouts = {{
    {12.0, 195, 407, {990, 1405, 1800}, 2200, 408, {990, 1395, 1800}, 280, 295},  // 小四
    {14.25, 150, 405, {980, 1385, 1790}, 2175, 408, {960, 1380, 1770}, 325, 325}, // 四号
    {15.0, 150, 405, {980, 1385, 1780}, 2175, 407, {960, 1380, 1770}, 325, 325},  // 小三
    {15.75, 150, 405, {980, 1385, 1770}, 2175, 407, {960, 1370, 1750}, 325, 325}, // 三号
    {18.0, 150, 405, {940, 1335, 1725}, 2145, 407, {940, 1335, 1725}, 375, 360},  // 小二
}};

// Label66 at start-up keeps its designed places until the panel is confirmed or the pinyin
// keyboard opens.
constexpr int kPinyinDesignedLeft = 2205;
constexpr int kPinyinDesignedPitch = 407;
constexpr std::array<int, 3> kPinyinDesignedTops = {990, 1395, 1800};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

} // namespace tovrin::layout
