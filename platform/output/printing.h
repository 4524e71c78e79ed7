#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace qv {

class DataStore;
struct ChartData;

// The one printer of the program: "打印设置" configures it and every print
// and preview uses it, so a chosen paper or printer holds for the session.
QPrinter& sharedPrinter();

// What a window prints above its report: a title (empty = the definition's)
// and its own fields on one line, e.g. "姓名：张三" and
// "日期：2003年01月01日 至 2003年12月31日".
struct PrintHeading
{
    QString title;
    QStringList fields;
};

// Prints a store as its grid shows it: the title and the window's fields,
// the visible columns with their captions, every row with its colour, and
// the definition's totals line after the last row, paginated with the
// captions repeated and "第 n 页 共 m 页" at the foot of each page. Returns
// the number of pages, or -1 when the printer could not be started.
int printStore(const DataStore& store, QPrinter& printer, const PrintHeading& heading = {});

// Pages printStore would produce on this printer.
int pageCount(const DataStore& store, QPrinter& printer, const PrintHeading& heading = {});

// Writes the store as a PDF file with the shared printer's page layout.
// Returns the number of pages, or -1 with the reason in `error`.
int printStoreToPdf(const DataStore& store, const QString& fileName, QString* error = nullptr,
                    const PrintHeading& heading = {});

// A chart on one page: the window's fields, the chart with its title and
// legend, the page number.
int printChart(const ChartData& chart, QPrinter& printer, const PrintHeading& heading = {});
int printChartToPdf(const ChartData& chart, const QString& fileName, QString* error = nullptr,
                    const PrintHeading& heading = {});

// The print preview over the shared printer, with a "另存为PDF" action;
// printing from it goes to the printer chosen in "打印设置". Runs the dialog
// modally; tests install a runner that inspects it instead.
void printPreview(const DataStore& store, QWidget* parent, const PrintHeading& heading = {});
void printPreview(const ChartData& chart, QWidget* parent, const PrintHeading& heading = {});

using PreviewRunner = std::function<void(QPrintPreviewDialog& dialog)>;
// Empty restores the modal exec().
void setPreviewRunner(PreviewRunner runner);

} // namespace qv
