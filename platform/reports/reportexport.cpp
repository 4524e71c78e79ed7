#include "reportexport.h"

#include "chartdata.h"
#include "datastore.h"
#include "platform/core/gbktext.h"
#include "platform/core/money.h"
#include "platform/core/variants.h"
#include "platform/core/workingfile.h"
#include "report.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

namespace qv {

ReportRows::ReportRows(ReportTable table)
    : title(std::move(table.title)), captions(std::move(table.captions)), count(long(table.rows.size())),
      totals(std::move(table.totals))
{
    row = [rows = std::make_shared<const QList<QVariantList>>(std::move(table.rows))](long index) {
        return rows->value(index);
    };
}

ReportRows rowsFromStore(const DataStore& store)
{
    ReportRows table;
    const ReportDef& def = store.definition();
    table.title = def.title.isEmpty() ? def.name : def.title;
    QList<int> shown;
    for (int c = 1; c <= def.columns.size(); ++c)
        if (def.columns[c - 1].widthUnits > 0) {
            shown << c;
            table.captions << def.columns[c - 1].caption;
        }
    table.count = store.rowCount();
    table.row = [&store, shown](long index) {
        const ReportDef& def = store.definition();
        const long r = index + 1;
        QVariantList row;
        row.reserve(shown.size());
        for (int c : shown) {
            const ColumnDef& col = def.columns[c - 1];
            if (col.type == ColumnType::Money && col.codeTable.isEmpty()) {
                const QVariant v = store.getItem(r, c);
                row << (v.isNull() ? QVariant(QString())
                                   : QVariant::fromValue(store.getItemMoney(r, col.name)));
            } else {
                row << cellText(store, r, c);
            }
        }
        return row;
    };
    const QList<TotalCell> line = totalsLine(store);
    if (!line.isEmpty()) {
        table.totals = QVariantList(shown.size(), QString());
        for (const TotalCell& cell : line) {
            const int at = int(shown.indexOf(cell.column));
            if (at < 0)
                continue;
            const TotalDef& total = *cell.definition;
            // A bare sum is a number a spreadsheet can go on adding with.
            if (total.kind == TotalKind::Sum && total.label.isEmpty()) {
                if (const auto sum = totalSum(store, total))
                    table.totals[at] = QVariant::fromValue(*sum);
            } else if (total.kind == TotalKind::Count && total.label.isEmpty()) {
                table.totals[at] = qlonglong(totalCount(store, total));
            } else {
                table.totals[at] = cell.text;
            }
        }
    }
    return table;
}

ReportTable tableFromStore(const DataStore& store)
{
    const ReportRows rows = rowsFromStore(store);
    ReportTable table{rows.title, rows.captions, {}, rows.totals};
    table.rows.reserve(rows.count);
    for (long i = 0; i < rows.count; ++i)
        table.rows << rows.row(i);
    return table;
}

ReportTable tableFromChart(const ChartData& chart)
{
    ReportTable table;
    table.title = chart.title;
    const bool several = chart.series.size() > 1;
    table.captions << (chart.categoryAxis.isEmpty() ? QStringLiteral("分类") : chart.categoryAxis);
    for (const ChartData::Series& s : chart.series) {
        const QString prefix = several ? s.name + QLatin1Char(' ') : QString();
        table.captions << prefix + QStringLiteral("金额") << prefix + QStringLiteral("比例");
    }
    for (int c = 0; c < chart.categories.size(); ++c) {
        QVariantList row{chart.categories[c]};
        for (int s = 0; s < chart.series.size(); ++s)
            row << QVariant::fromValue(chart.series[s].values.value(c)) << chart.shareText(c, int(s));
        table.rows << row;
    }
    if (!chart.isEmpty()) {
        table.totals << QStringLiteral("合计");
        for (int s = 0; s < chart.series.size(); ++s)
            table.totals << QVariant::fromValue(chart.total(int(s)))
                         << (chart.total(int(s)).isZero() ? QStringLiteral("0.00%")
                                                          : QStringLiteral("100.00%"));
    }
    return table;
}

ExportFormat exportFormatFor(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"xlsx")
        return ExportFormat::Xlsx;
    if (suffix == u"csv")
        return ExportFormat::Csv;
    return ExportFormat::Unknown;
}

namespace {

bool isMoney(const QVariant& v)
{
    return v.userType() == qMetaTypeId<Money>();
}

QString plainText(const QVariant& v)
{
    if (isMoney(v))
        return v.value<Money>().format(u"0.00");
    return v.toString();
}

// A spreadsheet program opening a CSV file runs a text that begins like a
// formula ("=HYPERLINK(…)"); such a text is written with a leading
// apostrophe so it stays text. Amounts are numbers and are left alone.
QString defusedText(const QString& text)
{
    static const QString starters = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && starters.contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

QByteArray csvField(const QString& text)
{
    QString t = text;
    if (t.contains(QLatin1Char('"')) || t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('\n')) ||
        t.contains(QLatin1Char('\r'))) {
        t.replace(QLatin1String("\""), QLatin1String("\"\""));
        t = QLatin1Char('"') + t + QLatin1Char('"');
    }
    return t.toUtf8();
}

// How often the exporter reports, in rows.
constexpr long kProgressEvery = 500;

QString cancelledText()
{
    return QStringLiteral("导出已取消");
}

bool writeCsv(const ReportRows& table, const QString& fileName, QString* error,
              const ExportProgress& progress)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    auto writeLine = [&file](const QList<QString>& cells) {
        QByteArray line;
        for (int i = 0; i < cells.size(); ++i) {
            if (i > 0)
                line += ',';
            line += csvField(cells[i]);
        }
        line += "\r\n";
        file.write(line);
    };
    file.write("\xEF\xBB\xBF");
    QList<QString> captions;
    for (const QString& caption : table.captions)
        captions << defusedText(caption);
    writeLine(captions);
    auto texts = [](const QVariantList& row) {
        QList<QString> out;
        out.reserve(row.size());
        for (const QVariant& v : row)
            out << (isMoney(v) || holdsInteger(v) ? plainText(v) : defusedText(v.toString()));
        return out;
    };
    for (long i = 0; i < table.count; ++i) {
        writeLine(texts(table.row(i)));
        if (progress && (i + 1) % kProgressEvery == 0 && !progress(i + 1, table.count)) {
            file.cancelWriting();
            if (error)
                *error = cancelledText();
            return false;
        }
    }
    if (!table.totals.isEmpty())
        writeLine(texts(table.totals));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

// Width in spreadsheet characters: a Chinese character takes two, as in GBK.
double displayWidth(const QString& text)
{
    const int bytes = gbk::len(text);
    return bytes > 0 ? bytes : text.size();
}

// A sheet name may not hold []:*?/\ and is at most 31 characters long.
QByteArray sheetName(const QString& title)
{
    QString name = title;
    for (const QChar ch : QStringLiteral("[]:*?/\\"))
        name.remove(ch);
    name = name.left(31).trimmed();
    return (name.isEmpty() ? QStringLiteral("Sheet1") : name).toUtf8();
}

// The first cell the workbook refused, in the operator's words; libxlsxwriter
// leaves such a cell out and would still report the workbook as written.
QString refusedCell(lxw_error error, lxw_row_t row, int column)
{
    switch (error) {
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("第%1行第%2列的文字超过工作表单元格的上限（32767个字符），请导出为 .csv 文件")
            .arg(row + 1)
            .arg(column + 1);
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("表格超过工作表的上限（%1行、%2列），请导出为 .csv 文件")
            .arg(LXW_ROW_MAX)
            .arg(LXW_COL_MAX);
    default:
        return QStringLiteral("第%1行第%2列不能写入（%3）")
            .arg(row + 1)
            .arg(column + 1)
            .arg(QString::fromUtf8(lxw_strerror(error)));
    }
}

bool writeXlsx(const ReportRows& table, const QString& fileName, QString* error,
               const ExportProgress& progress)
{
    const QDir folder = QFileInfo(fileName).absoluteDir();
    if (!folder.exists()) {
        if (error)
            *error = QStringLiteral("找不到文件夹 %1").arg(QDir::toNativeSeparators(folder.path()));
        return false;
    }
    const QString working = claimWorkingFile(fileName, error);
    if (working.isEmpty())
        return false;
    // Rows go to the sheet's file as they are written, strings inline: the
    // memory used stays that of one row whatever the report's length.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray tmpdir = QFile::encodeName(QDir::tempPath());
    options.tmpdir = const_cast<char*>(tmpdir.constData());
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(working).constData(), &options);
    if (!book) {
        QFile::remove(working);
        if (error)
            *error = QStringLiteral("不能创建文件");
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName(table.title).constData());
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* amount = workbook_add_format(book);
    format_set_num_format(amount, "0.00");
    lxw_format* boldAmount = workbook_add_format(book);
    format_set_num_format(boldAmount, "0.00");
    format_set_bold(boldAmount);

    const int columns = int(table.captions.size());
    QList<double> widths(columns, 4);
    auto fit = [&widths](int column, double width) {
        if (column < widths.size())
            widths[column] = std::max(widths[column], width);
    };
    QString refused;
    auto check = [&refused](lxw_error result, lxw_row_t row, int column) {
        if (result != LXW_NO_ERROR && refused.isEmpty())
            refused = refusedCell(result, row, column);
    };
    auto writeRow = [&](lxw_row_t row, const QVariantList& cells, bool strong) {
        for (int c = 0; c < cells.size(); ++c) {
            const QVariant& v = cells[c];
            if (isMoney(v)) {
                check(worksheet_write_number(sheet, row, lxw_col_t(c),
                                             double(v.value<Money>().cents()) / 100.0,
                                             strong ? boldAmount : amount),
                      row, c);
                fit(c, displayWidth(plainText(v)));
            } else if (holdsInteger(v)) {
                check(worksheet_write_number(sheet, row, lxw_col_t(c), double(v.toLongLong()),
                                             strong ? bold : nullptr),
                      row, c);
                fit(c, displayWidth(v.toString()));
            } else {
                const QString text = v.toString();
                if (!text.isEmpty())
                    check(worksheet_write_string(sheet, row, lxw_col_t(c), text.toUtf8().constData(),
                                                 strong ? bold : nullptr),
                          row, c);
                fit(c, displayWidth(text));
            }
        }
    };
    QVariantList captions;
    for (const QString& caption : table.captions)
        captions << caption;
    writeRow(0, captions, true);
    lxw_row_t row = 1;
    bool cancelled = false;
    for (long i = 0; i < table.count && !cancelled; ++i) {
        writeRow(row++, table.row(i), false);
        if (progress && (i + 1) % kProgressEvery == 0 && !progress(i + 1, table.count))
            cancelled = true;
    }
    if (cancelled) {
        workbook_close(book);
        QFile::remove(working);
        if (error)
            *error = cancelledText();
        return false;
    }
    if (!table.totals.isEmpty())
        writeRow(row, table.totals, true);
    for (int c = 0; c < columns; ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c] + 2, nullptr);

    // Closing packs the whole sheet into the archive, seconds for a long
    // report: it runs beside the caller, who goes on hearing of progress.
    lxw_error result = LXW_NO_ERROR;
    if (progress) {
        std::atomic<bool> closed = false;
        std::thread closer([&] {
            result = workbook_close(book);
            closed = true;
        });
        while (!closed) {
            if (!progress(table.count, table.count))
                cancelled = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        closer.join();
    } else {
        result = workbook_close(book);
    }
    if (cancelled) {
        QFile::remove(working);
        if (error)
            *error = cancelledText();
        return false;
    }
    if (result != LXW_NO_ERROR || !refused.isEmpty()) {
        QFile::remove(working);
        if (error)
            *error = refused.isEmpty() ? QString::fromUtf8(lxw_strerror(result)) : refused;
        return false;
    }
    if (!replaceWithWorkingFile(working, fileName, error)) {
        QFile::remove(working);
        return false;
    }
    return true;
}

} // namespace

bool exportTable(const ReportTable& table, const QString& fileName, QString* error)
{
    return exportRows(ReportRows(table), fileName, error);
}

bool exportRows(const ReportRows& table, const QString& fileName, QString* error,
                const ExportProgress& progress)
{
    switch (exportFormatFor(fileName)) {
    case ExportFormat::Xlsx:
        return writeXlsx(table, fileName, error, progress);
    case ExportFormat::Csv:
        return writeCsv(table, fileName, error, progress);
    case ExportFormat::Unknown:
        break;
    }
    if (error)
        *error = QStringLiteral("只能导出为 .xlsx 或 .csv 文件");
    return false;
}

} // namespace qv
