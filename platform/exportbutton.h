#pragma once

#include "reportexport.h"

#include <functional>

class QPushButton;
class QWidget;

namespace qv {

// Asks for a file name (the type follows its ending: .xlsx or .csv; none
// means .xlsx) and writes the table. A failure is shown as "错误" with the
// reason; true when the file was written.
bool exportWithDialog(const ReportTable& table, QWidget* parent, const QString& suggestedName = {});

// The "导出" button of a report window, beside its "打印": same parent and
// size, placed just right of it (or after it, when a box layout holds it).
// Each press exports what `source` returns at that moment.
QPushButton* addExportButton(QPushButton* printButton, std::function<ReportTable()> source);

// Tests answer the save dialog with a file name ("" = cancelled).
using SaveFileNameProvider = std::function<QString(QWidget* parent, const QString& suggestedName)>;
// Empty restores the real dialog.
void setSaveFileNameProvider(SaveFileNameProvider provider);

} // namespace qv
