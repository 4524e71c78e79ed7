#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace qv {

// One cell of a sheet as the file holds it.
struct SheetCell
{
    enum class Kind { Empty, Text, Number, Date };
    Kind kind = Kind::Empty;
    // A text's characters, or a number's decimal digits as the file writes
    // them ("88.8", "1E+3"), so that an amount is rounded from its digits
    // and never passes through binary floating point.
    QString text;
    QDate date; // a Date cell's day; invalid for a serial no calendar has

    bool isEmpty() const { return kind == Kind::Empty || (kind == Kind::Text && text.trimmed().isEmpty()); }
};

// The cells of one sheet: rows[0] is the sheet's row 1, each row's cells
// from column A. Trailing empty cells may be left out.
struct SheetTable
{
    QString name;
    QList<QList<SheetCell>> rows;
    // The workbook counts days from 1904 (an old Mac setting): day numbers
    // in cells without a date format are read by it too.
    bool system1904 = false;

    const SheetCell& cell(int row, int column) const;
};

// What a gift list can be read from, chosen by the file name's ending:
// .xlsx (Excel, WPS and this program's exports), .xls (the older Excel
// format) and .csv (UTF-8 with or without BOM, or GBK).
enum class SheetFormat { Unknown, Xlsx, Xls, Csv };
SheetFormat sheetFormatOf(const QString& fileName);

// The names of a file's sheets in order; a CSV file has one. Nothing, with
// the reason in Chinese, when the file cannot be read.
std::optional<QStringList> sheetNames(const QString& fileName, QString& error);

// One sheet of a file by its index (0 is the first).
std::optional<SheetTable> readSheet(const QString& fileName, int sheet, QString& error);

// The readers behind readSheet, by format.
std::optional<QStringList> xlsxSheetNames(const QString& fileName, QString& error);
std::optional<SheetTable> readXlsxSheet(const QString& fileName, int sheet, QString& error);
std::optional<QStringList> xlsSheetNames(const QString& fileName, QString& error);
std::optional<SheetTable> readXlsSheet(const QString& fileName, int sheet, QString& error);
std::optional<SheetTable> readCsv(const QString& fileName, QString& error);
// A CSV file's text: UTF-8 when its bytes are valid UTF-8 (a BOM is
// dropped), otherwise GBK, as a Chinese Windows spreadsheet saves it.
QString decodeCsvBytes(const QByteArray& bytes);

// An Excel day number as a day: the 1900 system counts 1900-02-29, a day
// that never was, so that serial 60 is no day; the 1904 system counts from
// 1904-01-01. A fraction (the time of day) is dropped.
QDate excelSerialDate(double serial, bool system1904);

} // namespace qv
