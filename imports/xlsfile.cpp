#include "sheettable.h"

#include <QFile>

#include <freexl.h>

#include <memory>

namespace qv {

namespace {

struct XlsCloser
{
    void operator()(const void* handle) const { freexl_close(handle); }
};
using XlsHandle = std::unique_ptr<const void, XlsCloser>;

XlsHandle openXls(const QString& fileName, QString& error)
{
    const void* handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(fileName).constData(), &handle);
    if (rc != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        error = rc == FREEXL_FILE_NOT_FOUND
                    ? QStringLiteral("找不到文件 %1").arg(fileName)
                    : QStringLiteral("读不出 Excel 97-2003 文件 %1（不是完好的 .xls 文件，错误 %2）")
                          .arg(fileName)
                          .arg(rc);
        return nullptr;
    }
    return XlsHandle(handle);
}

std::optional<QStringList> names(const void* handle, const QString& fileName, QString& error)
{
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        error = QStringLiteral("读不出 Excel 97-2003 文件 %1 的工作表").arg(fileName);
        return std::nullopt;
    }
    QStringList list;
    for (unsigned short i = 0; i < count; ++i) {
        const char* name = nullptr;
        list << (freexl_get_worksheet_name(handle, i, &name) == FREEXL_OK && name ? QString::fromUtf8(name)
                                                                                  : QString());
    }
    return list;
}

// A double as the shortest decimal that gives it back: what the cell
// showed when it was typed ("88.8"), so that the amount is rounded from
// those digits.
QString decimalText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace

std::optional<QStringList> xlsSheetNames(const QString& fileName, QString& error)
{
    const XlsHandle handle = openXls(fileName, error);
    if (!handle)
        return std::nullopt;
    return names(handle.get(), fileName, error);
}

std::optional<SheetTable> readXlsSheet(const QString& fileName, int sheet, QString& error)
{
    const XlsHandle handle = openXls(fileName, error);
    if (!handle)
        return std::nullopt;
    const auto list = names(handle.get(), fileName, error);
    if (!list)
        return std::nullopt;
    if (sheet < 0 || sheet >= list->size()) {
        error = QStringLiteral("工作簿里没有第 %1 张工作表").arg(sheet + 1);
        return std::nullopt;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle.get(), (unsigned short)sheet) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle.get(), &rows, &columns) != FREEXL_OK) {
        error = QStringLiteral("读不出 Excel 97-2003 文件 %1 的工作表“%2”").arg(fileName, list->at(sheet));
        return std::nullopt;
    }
    SheetTable table;
    table.name = list->at(sheet);
    table.rows.reserve(rows);
    for (unsigned int r = 0; r < rows; ++r) {
        QList<SheetCell> row(columns);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(handle.get(), r, c, &value) != FREEXL_OK)
                continue;
            SheetCell& cell = row[c];
            switch (value.type) {
            case FREEXL_CELL_INT:
                cell.kind = SheetCell::Kind::Number;
                cell.text = QString::number(value.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                cell.kind = SheetCell::Kind::Number;
                cell.text = decimalText(value.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_TIME:
                cell.kind = SheetCell::Kind::Text;
                cell.text = QString::fromUtf8(value.value.text_value);
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                cell.kind = SheetCell::Kind::Date;
                cell.text = QString::fromUtf8(value.value.text_value);
                cell.date = QDate::fromString(cell.text.left(10), Qt::ISODate);
                break;
            default:
                break;
            }
        }
        table.rows << row;
    }
    return table;
}

} // namespace qv
