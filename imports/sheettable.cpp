#include "sheettable.h"

#include <QFileInfo>

#include <cmath>

namespace qv {

const SheetCell& SheetTable::cell(int row, int column) const
{
    static const SheetCell empty;
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].size())
        return empty;
    return rows[row][column];
}

SheetFormat sheetFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"xlsx")
        return SheetFormat::Xlsx;
    if (suffix == u"xls")
        return SheetFormat::Xls;
    if (suffix == u"csv" || suffix == u"txt")
        return SheetFormat::Csv;
    return SheetFormat::Unknown;
}

namespace {
QString unknownFormat(const QString& fileName)
{
    return QStringLiteral("不认识的文件类型“%1”：只能导入 .xlsx、.xls 和 .csv 文件")
        .arg(QFileInfo(fileName).fileName());
}
} // namespace

std::optional<QStringList> sheetNames(const QString& fileName, QString& error)
{
    switch (sheetFormatOf(fileName)) {
    case SheetFormat::Xlsx:
        return xlsxSheetNames(fileName, error);
    case SheetFormat::Xls:
        return xlsSheetNames(fileName, error);
    case SheetFormat::Csv:
        if (!QFileInfo(fileName).isReadable()) {
            error = QStringLiteral("读不出文件 %1").arg(fileName);
            return std::nullopt;
        }
        return QStringList{QFileInfo(fileName).completeBaseName()};
    case SheetFormat::Unknown:
        break;
    }
    error = unknownFormat(fileName);
    return std::nullopt;
}

std::optional<SheetTable> readSheet(const QString& fileName, int sheet, QString& error)
{
    switch (sheetFormatOf(fileName)) {
    case SheetFormat::Xlsx:
        return readXlsxSheet(fileName, sheet, error);
    case SheetFormat::Xls:
        return readXlsSheet(fileName, sheet, error);
    case SheetFormat::Csv:
        return readCsv(fileName, error);
    case SheetFormat::Unknown:
        break;
    }
    error = unknownFormat(fileName);
    return std::nullopt;
}

QDate excelSerialDate(double serial, bool system1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465) // 9999-12-31
        return {};
    const qint64 day = qint64(std::floor(serial));
    if (system1904)
        return QDate(1904, 1, 1).addDays(day);
    if (day == 60 || day == 0)
        return {};
    // Days before the one that never was are one day further back.
    return day < 60 ? QDate(1899, 12, 31).addDays(day) : QDate(1899, 12, 30).addDays(day);
}

} // namespace qv
