#pragma once

#include "platform/core/money.h"
#include "reportdef.h"

#include <QList>
#include <QString>

#include <optional>

namespace qv {

class DataStore;

// What every report shows the same way on screen, on paper and in an
// exported file: the text of a cell, the totals line, the row colours. The
// grid, the printer and the exporter all ask here, so they cannot disagree.

// Columns of a definition, one builder per kind. Width in layout units; 0
// hides the column.
ColumnDef textColumn(const QString& name, const QString& caption, int widthUnits, int gbkWidth = 0);
ColumnDef moneyColumn(const QString& name, const QString& caption, int widthUnits,
                      const QString& format = QStringLiteral("0.00"));
// A date held as yyyymmdd; `format` "yyyy年mm月dd日" shows it that way,
// empty shows the stored digits.
ColumnDef dateColumn(const QString& name, const QString& caption, int widthUnits, const QString& format = {});
// The column made one the operator types into and the save writes back.
ColumnDef editableColumn(ColumnDef column);

// "20031231" in the format "yyyy年mm月dd日" gives "2003年12月31日"; a text
// that is not eight digits is shown as it is, so a damaged record stays
// visible instead of turning into a wrong date.
QString formatStoredDate(const QString& yyyymmdd, const QString& format);

// A text column whose format is made of asterisks, such as a password shown
// as "*********": every value is shown as the mask, never as itself.
bool isMaskedColumn(const ColumnDef& column);

// The text a cell shows: a code table's display value, money in the
// column's format, a date in the column's format, a masked column as its
// mask, null as "".
QString cellText(const DataStore& store, long row, int column);

// The value of a Sum or Count total: money for a sum, a whole number for a
// count; nothing for a Text cell or an unknown column.
std::optional<Money> totalSum(const DataStore& store, const TotalDef& total);
long totalCount(const DataStore& store, const TotalDef& total);
// A cell of the totals line as shown: its label, then the value in its format.
QString totalCellText(const DataStore& store, const TotalDef& total);

// The totals line, cell by cell, in the definition's order.
struct TotalCell
{
    int column = 0; // definition column (1-based) the cell stands under
    QString text;
    Qt::Alignment alignment;
    const TotalDef* definition = nullptr;
};
QList<TotalCell> totalsLine(const DataStore& store);

// Row colours as report expressions write them.
namespace rowcolors {
// Rows counted from 1: odd rows one colour, even rows the other.
RowColorFunction alternating(QColor odd, QColor even);
// By the sign of a money column: above zero, below zero, zero or empty.
RowColorFunction bySign(const QString& column, QColor positive, QColor negative, QColor zero);
} // namespace rowcolors

} // namespace qv
