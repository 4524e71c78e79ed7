#pragma once

class QWidget;

namespace qv {

// The system's printer set-up dialog on the program's one printer
// (sharedPrinter), which every report window prints on afterwards. A
// cancelled dialog changes nothing, and the caller has no use for the result.
void printsetup(QWidget* parent);

} // namespace qv
