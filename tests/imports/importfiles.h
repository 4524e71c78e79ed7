#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

namespace qv::test {

// A cell to write: a QString is a text, a double or integer a number, a
// QDate a date in the given format ("yyyy-mm-dd" when empty), a
// FormulaCell a formula with its cached value.
struct FormulaCell
{
    QString formula;
    double value;
};
struct DateCell
{
    QDate date;
    QString format;    // an Excel format code, or
    int builtInId = 0; // a built-in format number (14-22)
};

using WriteRow = QList<QVariant>;

// Writes a workbook with libxlsxwriter: one sheet per entry, in order.
// `inlineStrings` writes texts inline (libxlsxwriter's constant-memory mode)
// instead of in the shared-strings table.
bool writeXlsx(const QString& fileName, const QList<QPair<QString, QList<WriteRow>>>& sheets,
               bool inlineStrings = false);

// Replaces (or adds) members of a zip archive, for what libxlsxwriter does
// not write: the 1904 date system, phonetic guides.
bool patchZip(const QString& fileName, const QMap<QString, QByteArray>& members);

// Writes rows as CSV in GBK, without BOM, as a Chinese Windows program saves.
bool writeGbkCsv(const QString& fileName, const QList<QStringList>& rows);

} // namespace qv::test

Q_DECLARE_METATYPE(qv::test::FormulaCell)
Q_DECLARE_METATYPE(qv::test::DateCell)
