#include "core/lookup/placement.h"

namespace tovrin::placement {

std::optional<Point> startPlace(int winPos, Size screen, Size window, Size client) {
    switch (winPos) {
    case 0:
        return Point{screen.width - window.width - 250, screen.height - window.height - 500};
    case 1:
        return Point{(screen.width - client.width - 100) / 2, screen.height - window.height - 500};
    case 2:
        return Point{(screen.width - client.width) / 2, (screen.height - client.height) / 2};
    default:
        return std::nullopt;
    }
}

std::optional<Point> resetPlace(int winPos, Size screen, Size window) {
    switch (winPos) {
    case 0:
        return Point{screen.width - window.width - 250, screen.height - window.height - 500};
    case 1:
        return Point{(screen.width - window.width - 100) / 2, screen.height - window.height - 500};
    case 2:
        return Point{(screen.width - window.width) / 2, (screen.height - window.height) / 2};
    default:
        return std::nullopt;
    }
}

Point barPlace(Size screen, Size bar) {
    return {screen.width - bar.width - 250, screen.height - bar.height - 540};
}

} // namespace tovrin::placement
