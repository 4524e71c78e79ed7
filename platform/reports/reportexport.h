#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

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

// A table read a row at a time while it is written, so that exporting a
// large store never holds all of it flattened. Made from a store by
// rowsFromStore(), or from a ReportTable, whose rows it then owns.
struct ReportRows
{
    ReportRows() = default;
    ReportRows(ReportTable table); // NOLINT: a table is rows already read

    QString title;
    QStringList captions;
    long count = 0;
    std::function<QVariantList(long index)> row; // 0-based, in order
    QVariantList totals;
};

// The visible columns of a store, its rows in their current order and the
// totals line of its definition, each cell as the grid shows it.
ReportTable tableFromStore(const DataStore& store);
// The same, each row read from the store as it is written; the store must
// stay as it is until then.
ReportRows rowsFromStore(const DataStore& store);
// A chart's slices or columns: category, amount and share for each series.
ReportTable tableFromChart(const ChartData& chart);

enum class ExportFormat { Unknown, Xlsx, Csv };
// The format follows the file name's ending, in any case.
ExportFormat exportFormatFor(const QString& fileName);

// Writes the table; false with the reason in `error`. A CSV file is UTF-8
// with a byte-order mark, so spreadsheet programs read the Chinese names;
// a workbook has the amounts as numbers in "0.00" and fitted column widths.
bool exportTable(const ReportTable& table, const QString& fileName, QString* error = nullptr);

// Called every few thousand rows with the rows written so far; false stops
// the export, which then leaves any earlier file as it was.
using ExportProgress = std::function<bool(long written, long total)>;
// A workbook is written a row at a time in libxlsxwriter's constant-memory
// form, so a large export holds about one row, not the whole sheet.
bool exportRows(const ReportRows& rows, const QString& fileName, QString* error = nullptr,
                const ExportProgress& progress = {});

} // namespace qv
