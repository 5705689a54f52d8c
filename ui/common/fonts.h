// The typefaces the windows ask for by name.
#pragma once

namespace tovrin::platform {

// Lets the windows' Chinese face names resolve to the CJK faces this system has: 宋体 to a
// serif (Song) face, 黑体 and 华文细黑 to a sans (Hei) face. Called once, before any window.
void registerFontSubstitutions();

} // namespace tovrin::platform
