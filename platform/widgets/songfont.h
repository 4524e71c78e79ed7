#pragma once

#include <QFont>

namespace qv {

// The face the windows were laid out in: 宋体, and where it is missing the
// Song face of Noto, whose Latin digits are narrow enough for the designed
// columns, then other Chinese faces. `base` gives everything else (weight,
// and the size unless `pointSize` is given).
QFont songFont(const QFont& base = QFont(), int pointSize = 0);

} // namespace qv
