#include "report.h"

#include "datastore.h"

#include <algorithm>

namespace qv {

ColumnDef textColumn(const QString& name, const QString& caption, int widthUnits, int gbkWidth)
{
    ColumnDef c;
    c.name = name;
    c.caption = caption;
    c.widthUnits = widthUnits;
    c.gbkWidth = gbkWidth;
    return c;
}

ColumnDef moneyColumn(const QString& name, const QString& caption, int widthUnits, const QString& format)
{
    ColumnDef c = textColumn(name, caption, widthUnits);
    c.type = ColumnType::Money;
    c.format = format;
    c.alignment = Qt::AlignRight | Qt::AlignVCenter;
    return c;
}

ColumnDef dateColumn(const QString& name, const QString& caption, int widthUnits, const QString& format)
{
    ColumnDef c = textColumn(name, caption, widthUnits);
    c.type = ColumnType::Date;
    c.format = format;
    return c;
}

ColumnDef editableColumn(ColumnDef column)
{
    column.editable = true;
    column.updatable = true;
    return column;
}

QString formatStoredDate(const QString& yyyymmdd, const QString& format)
{
    if (format.isEmpty() || yyyymmdd.size() != 8)
        return yyyymmdd;
    for (const QChar ch : yyyymmdd)
        if (ch < u'0' || ch > u'9')
            return yyyymmdd;
    QString out = format;
    out.replace(QStringLiteral("yyyy"), yyyymmdd.left(4));
    out.replace(QStringLiteral("mm"), yyyymmdd.mid(4, 2));
    out.replace(QStringLiteral("dd"), yyyymmdd.mid(6, 2));
    return out;
}

bool isMaskedColumn(const ColumnDef& column)
{
    if (column.type != ColumnType::Text || column.format.isEmpty())
        return false;
    return std::all_of(column.format.begin(), column.format.end(), [](QChar c) { return c == u'*'; });
}

QString cellText(const DataStore& store, long row, int column)
{
    const auto& columns = store.definition().columns;
    if (column < 1 || column > columns.size())
        return {};
    const ColumnDef& def = columns[column - 1];
    if (isMaskedColumn(def))
        return store.getItem(row, column).isNull() ? QString() : def.format;
    const QString text = store.getItemString(row, column);
    for (const CodeValue& code : def.codeTable)
        if (code.data == text)
            return code.display;
    if (def.type == ColumnType::Date)
        return formatStoredDate(text.trimmed(), def.format);
    return text;
}

namespace {

bool rowTaken(const DataStore& store, const TotalDef& total, long row)
{
    return !total.where || total.where(store, row);
}

} // namespace

std::optional<Money> totalSum(const DataStore& store, const TotalDef& total)
{
    if (total.kind != TotalKind::Sum)
        return std::nullopt;
    const int c = store.definition().columnIndex(total.column);
    if (!c)
        return std::nullopt;
    if (!total.where)
        return store.sum(total.column);
    Money sum;
    for (long r = 1; r <= store.rowCount(); ++r)
        if (rowTaken(store, total, r))
            sum += store.getItemMoney(r, total.column);
    return sum;
}

long totalCount(const DataStore& store, const TotalDef& total)
{
    if (total.kind != TotalKind::Count)
        return 0;
    if (!total.where)
        return store.rowCount();
    long n = 0;
    for (long r = 1; r <= store.rowCount(); ++r)
        n += rowTaken(store, total, r) ? 1 : 0;
    return n;
}

QString totalCellText(const DataStore& store, const TotalDef& total)
{
    QString value;
    switch (total.kind) {
    case TotalKind::Text:
        return total.label;
    case TotalKind::Count:
        value = QString::number(totalCount(store, total));
        break;
    case TotalKind::Sum: {
        const auto sum = totalSum(store, total);
        if (!sum)
            return {};
        const int c = store.definition().columnIndex(total.column);
        QString format = total.format;
        if (format.isEmpty())
            format = store.definition().columns[c - 1].format;
        value = sum->format(format.isEmpty() ? QStringView(u"0.00") : QStringView(format));
        break;
    }
    }
    return total.label.isEmpty() ? value : total.label + QLatin1Char(' ') + value;
}

QList<TotalCell> totalsLine(const DataStore& store)
{
    QList<TotalCell> line;
    const ReportDef& def = store.definition();
    for (const TotalDef& total : def.totals) {
        const int c = def.columnIndex(total.column);
        if (!c)
            continue;
        line.append({c, totalCellText(store, total), total.alignment, &total});
    }
    return line;
}

namespace rowcolors {

RowColorFunction alternating(QColor odd, QColor even)
{
    return [odd, even](const DataStore&, long row) { return row % 2 == 0 ? even : odd; };
}

RowColorFunction bySign(const QString& column, QColor positive, QColor negative, QColor zero)
{
    return [=](const DataStore& store, long row) {
        const Money m = store.getItemMoney(row, column);
        return m > Money() ? positive : (m < Money() ? negative : zero);
    };
}

} // namespace rowcolors

} // namespace qv
