#include "core/quwei.h"

#include "core/numeric.h"

#include <cstdio>

namespace tovrin {

namespace {

// The format "00": at least two digits, a minus sign before a negative value ("-03").
void appendTwoDigits(std::string& out, int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, v < 0 ? "-%02d" : "%02d", v < 0 ? -v : v);
    out += buf;
}

} // namespace

std::string quwei(const gbk::Text& x) {
    if (x.empty() || gbk::code(x[0]) >= 0)
        return {};
    std::string out;
    appendTwoDigits(out, static_cast<int>(x[0] >> 8) - 160);
    appendTwoDigits(out, static_cast<int>(x[0] & 0xFF) - 160);
    return out;
}

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
