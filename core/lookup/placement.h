// Where the lookup window goes on the screen, in twips.
#pragma once

#include <cstdint>
#include <optional>

namespace tovrin::placement {

struct Size {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

struct Point {
    std::int64_t left = 0;
    std::int64_t top = 0;
    bool operator==(const Point&) const = default;
};

// The place the window takes when it starts, by winPos: 0 bottom right, 1 bottom centre,
// 2 centre; nothing (it stays where it is) for any other value. The centred places halve the
// screen less the client area, the bottom-right one the screen less the whole window.
std::optional<Point> startPlace(int winPos, Size screen, Size window, Size client);

// The place the layout reset gives the window: the same corners, measured by the whole window.
std::optional<Point> resetPlace(int winPos, Size screen, Size window);

// The collapsed bar's place: the bottom right, 250 from the right and 540 from the bottom.
Point barPlace(Size screen, Size bar);

} // namespace tovrin::placement
