// The small pictures compiled into the program: window dressing, link buttons and the icon.
#pragma once

#include <QImage>

namespace tovrin::mkart {

// The lookup window's title strip; labels draw white text with a black shadow from about (11, 5).
QImage drawTitle();             // 478 x 24
QImage drawLinkSearch();        // 53 x 25, "查询" with a magnifier
QImage drawLinkArticle();       // 173 x 27, the article on the radical verses
QImage drawIcon(int size = 32); // size x size: the window and tray icon, the menu's icons
QImage drawChartStrip();        // 680 x 41, behind the chart window's six link labels
QImage drawBar();               // 104 x 25, the lookup window collapsed to a bar
QImage drawAboutBanner();       // 404 x 66, behind the About box's title

} // namespace tovrin::mkart
