#include "ui/common/fonts.h"

#include <QFont>
#include <QStringList>

namespace tovrin::platform {

void registerFontSubstitutions() {
    const QStringList song = {QStringLiteral("Noto Serif CJK SC"),
                              QStringLiteral("Noto Sans CJK SC")};
    const QStringList hei = {QStringLiteral("Noto Sans CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("黑体"), hei);
    QFont::insertSubstitutions(QStringLiteral("华文细黑"), hei);
}

} // namespace tovrin::platform
