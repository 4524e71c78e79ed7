#pragma once

#include <QString>

class QWidget;

namespace qv {

// The manual: help/index.html in the working directory, or the copy built
// into the program. Empty when neither can be read.
QString helpSource();

// A new help viewer, not yet shown; nullptr (and no message) when there is
// no manual to show.
QWidget* openHelpWindow();

} // namespace qv
