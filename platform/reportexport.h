#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace qv {

class DataStore;
struct ChartData;

// A report flattened for a file: the captions, the rows as shown and the
// totals line. A cell holds a QString (written as text, dates included), a
// Money (written as a number with two decimals) or a whole number.
struct ReportTable
{
    QString title; // the sheet's name in a workbook
    QStringList captions;
    QList<QVariantList> rows;
    QVariantList totals; // empty = no totals line
};

// The visible columns of a store, its rows in their current order and the
// totals line of its definition, each cell as the grid shows it.
ReportTable tableFromStore(const DataStore& store);
// A chart's slices or columns: category, amount and share for each series.
ReportTable tableFromChart(const ChartData& chart);

enum class ExportFormat { Unknown, Xlsx, Csv };
// The format follows the file name's ending, in any case.
ExportFormat exportFormatFor(const QString& fileName);

// Writes the table; false with the reason in `error`. A CSV file is UTF-8
// with a byte-order mark, so spreadsheet programs read the Chinese names;
// a workbook has the amounts as numbers in "0.00" and fitted column widths.
bool exportTable(const ReportTable& table, const QString& fileName, QString* error = nullptr);

} // namespace qv
