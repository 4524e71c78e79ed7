#pragma once

class QPrinter;
class QWidget;

namespace qv {

// The one printer of the run. The printer set-up command changes it, and
// every report window prints on it, so the choice made there holds for the
// rest of the session.
QPrinter& sharedPrinter();

// The system's printer set-up dialog on the shared printer. The result is
// of no interest to the caller: a cancelled dialog changes nothing.
void printsetup(QWidget* parent);

} // namespace qv
