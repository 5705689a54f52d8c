#include "core/dict/quwei.h"

namespace tovrin {

bool isGb2312ByQuwei(const gbk::Text& x) {
    // The number the code begins with, without writing it: a negative area gives a negative
    // number and a negative position stops it after the area (at most 94), both outside.
    if (x.empty() || gbk::code(x[0]) >= 0)
        return false;
    const int area = static_cast<int>(x[0] >> 8) - 160;
    const int position = static_cast<int>(x[0] & 0xFF) - 160;
    if (area < 0 || position < 0)
        return false;
    const int v = area * 100 + position;
    return v >= 1601 && v <= 8794;
}

} // namespace tovrin
