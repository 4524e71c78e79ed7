#include "songfont.h"

#include <QStringList>

namespace qv {

QFont songFont(const QFont& base, int pointSize)
{
    QFont f = base;
    f.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"),
                   QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC")});
    if (pointSize > 0)
        f.setPointSize(pointSize);
    return f;
}

} // namespace qv
