// The GB 2312 area-position code of a character.
#pragma once

#include "core/text/gbk.h"

namespace tovrin {

// Whether the first character of x is a GB 2312 hanzi by its area-position code: the number the
// code begins with lies within 1601 (areas 16) to 8794 (area 87). The code is the area and the
// position, each as at least two decimal digits: the two GBK bytes less 160 each ("1601" for
// 啊, "4650" for 我); characters outside GB 2312 give negative or large parts.
bool isGb2312ByQuwei(const gbk::Text& x);

} // namespace tovrin
