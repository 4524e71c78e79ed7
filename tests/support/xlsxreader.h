#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace qv::test {

// Just enough of a workbook reader to check what the exporter wrote: the
// members of the zip archive and the cells of the first sheet.
std::optional<QMap<QString, QByteArray>> readZip(const QString& fileName);

struct XlsxCell
{
    QString text; // a string's text or a number's digits as stored
    bool isNumber = false;
    QString numberFormat; // the format code of a number's style ("0.00"), if any
};

struct XlsxSheet
{
    QList<QList<XlsxCell>> rows; // rows from the first, cells from column A
    QList<double> columnWidths;  // by column, 0 when not set
};

std::optional<XlsxSheet> readFirstSheet(const QString& fileName);

} // namespace qv::test
