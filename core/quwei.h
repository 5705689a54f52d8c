// The GB 2312 area-position code of a character.
#pragma once

#include "core/gbk.h"

#include <string>

namespace tovrin {

// The area and position of the first character of x, each as at least two decimal digits: the
// two GBK bytes less 160 each ("1601" for 啊, "4650" for 我). Characters outside GB 2312 give
// negative or large parts ("-31-96" for 丂 81 40, "16-96" for 癅 B0 40); a one-byte character
// and an empty text give "".
std::string quwei(const gbk::Text& x);

// Whether the first character of x is a GB 2312 hanzi by its area-position code: the number the
// code begins with lies within 1601 (areas 16) to 8794 (area 87).
bool isGb2312ByQuwei(const gbk::Text& x);

} // namespace tovrin
