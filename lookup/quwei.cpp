#include "quwei.h"

#include "numeric.h"

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
    const std::int64_t v = leadingNumber(quwei(x));
    return v >= 1601 && v <= 8794;
}

} // namespace tovrin
