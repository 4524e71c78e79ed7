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
    QString format;         // display format of a money column, e.g. "#,##0.00"
    QList<CodeValue> codeTable;
    QString dropDown;       // name of a drop-down definition, e.g. "dddw_fl"
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// "sum(je for all)" and its kin: a labelled money total below the rows.
struct TotalDef
{
    QString column;
    QString label;
};

// A report definition as plain data: columns, SELECT, update table and key. Windows and datastores are bound to one of these.
struct ReportDef
{
    QString name;         // e.g. "dw_wlrywh"
    QString title;        // printed above the rows
    QString select;       // SELECT with ":name" retrieval arguments
    QStringList arguments; // retrieval argument names, in retrieve() order
    QList<ColumnDef> columns;
    QString updateTable;  // empty = read only
    QStringList keyColumns;
    // Background of a row (1-based, as the report expressions count); empty
    // function = the view's default.
    std::function<QColor(const DataStore&, long row)> rowColor;
    QList<TotalDef> totals;

    int columnIndex(const QString& column) const;
};

} // namespace qv
