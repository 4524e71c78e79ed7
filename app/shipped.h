#pragma once

#include <QString>

namespace qv {

// A file the program comes with (the login pictures, the window icon, the
// manual), by its name relative to the working directory: the working
// directory's copy when there is one, so that an installation may put its own
// there; otherwise the copy built into the program (":/name"); empty when
// neither exists.
QString shippedFile(const QString& name);

} // namespace qv
