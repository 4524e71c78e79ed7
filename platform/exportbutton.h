#pragma once

#include "reportexport.h"

#include <functional>

class QPushButton;

namespace qv {

// Asks for a file name through the file-dialog service (the type follows
// its ending: .xlsx or .csv; none means .xlsx) and writes the table. A
// failure is shown as "错误" with the reason; true when the file was written.
bool exportWithDialog(const ReportTable& table, const QString& suggestedName = {});

// The "导出" button of a report window, beside its "打印": same parent and
// size, placed just right of it (or after it, when a box layout holds it).
// Each press exports what `source` returns at that moment.
QPushButton* addExportButton(QPushButton* printButton, std::function<ReportTable()> source);

} // namespace qv
