#pragma once

#include <QFont>

namespace qv {

// The windows were laid out for 宋体; a Song face of the system stands in
// where SimSun itself is not installed.
inline QFont songFont(int points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

} // namespace qv
