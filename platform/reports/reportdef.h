#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace qv {

class DataStore;

// Date columns hold the ledger's eight-digit text yyyymmdd, which sorts and
// compares as the date it names.
enum class ColumnType { Text, Money, Integer, Date };

struct CodeValue
{
    QString display;
    QString data;
};

// One column of a report definition. `name` is the column as the SELECT
// returns it, in the same position.
struct ColumnDef
{
    QString name;
    QString caption;
    ColumnType type = ColumnType::Text;
    int gbkWidth = 0;       // bytes a text may take when written; 0 = unchecked
    int widthUnits = 0;     // on-screen width in layout units; 0 = hidden
    bool editable = false;  // the operator may type into it
    bool updatable = false; // written by update()
    // Display format: money "#,##0.00", "0.00"; a date column shown as
    // "yyyy年mm月dd日" (yyyy, mm, dd stand for its digits); empty = as stored.
    QString format;
    QList<CodeValue> codeTable;
    QString dropDown; // name of a drop-down definition, e.g. "dddw_fl"
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// One cell of the totals line drawn after the last row: "sum(je for all)"
// and its kin, or a fixed text such as "共计：" or "元". The grid, the printed
// page and the exported file all draw the line from these cells.
enum class TotalKind { Sum, Count, Text };

struct TotalDef
{
    QString column; // the column the cell stands under; Sum and Count read it
    QString label;  // Text: the whole cell; Sum and Count: a caption before the value
    TotalKind kind = TotalKind::Sum;
    QString format; // display format of a sum; empty = the column's own
    Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter;
    // Rows taken into a Sum or Count; empty = every row ("for all").
    std::function<bool(const DataStore&, long row)> where;
};

using RowColorFunction = std::function<QColor(const DataStore&, long row)>;

// A report definition as plain data: columns, SELECT, update table and key. Windows and datastores are bound
// to one of these.
struct ReportDef
{
    QString name;          // e.g. "dw_wlrywh"
    QString title;         // printed above the rows
    QString select;        // SELECT with ":name" retrieval arguments
    QStringList arguments; // retrieval argument names, in retrieve() order
    QList<ColumnDef> columns;
    QString updateTable; // empty = read only
    QStringList keyColumns;
    // Background of a row (1-based, as the report expressions count); empty
    // function = the view's default.
    RowColorFunction rowColor;
    QList<TotalDef> totals;

    int columnIndex(const QString& column) const;
};

} // namespace qv
