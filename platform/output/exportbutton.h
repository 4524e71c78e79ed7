#pragma once

#include "platform/reports/reportexport.h"

#include <functional>

class QPushButton;

namespace qv {

// Asks for a file name through the file-dialog service (the type follows
// its ending: .xlsx or .csv; none means .xlsx) and writes the table. A
// failure is shown as "错误" with the reason; true when the file was written.
// A long export shows its progress and can be stopped with "取消".
bool exportWithDialog(const ReportRows& table, const QString& suggestedName = {});

// The "导出" button of a report window, beside its "打印": same parent and
// size, placed just right of it (or after it, when a box layout holds it).
// Each press exports what `source` returns at that moment.
QPushButton* addExportButton(QPushButton* printButton, std::function<ReportRows()> source);

} // namespace qv
