#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;
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

// A report or a chart laid out on a printer's page once, then drawn a page at
// a time: laying out knows the page count and which rows go on which page
// without drawing any, so a preview draws only the pages it shows.
class PrintDocument
{
public:
    virtual ~PrintDocument() = default;
    // The name a print job or a PDF carries.
    virtual QString name() const = 0;
    // Lays the document out on `printer`'s page; returns the page count.
    virtual int layOut(QPrinter& printer) = 0;
    virtual int pages() const = 0;
    // Draws page `page` (0-based) as laid out, in the printer's device
    // pixels, the origin at the top left of the printable area.
    virtual void paintPage(QPainter& p, int page) = 0;
};

std::unique_ptr<PrintDocument> storeDocument(const DataStore& store, const PrintHeading& heading = {});
std::unique_ptr<PrintDocument> chartDocument(const ChartData& chart, const PrintHeading& heading = {});

// Hears of each page printed, counted from 1 among the pages being printed;
// false stops the print.
using PrintProgress = std::function<bool(int page, int pages)>;

// Lays `document` out on `printer` and prints every page. Returns the number
// of pages, 0 when `progress` stopped it (the printer's job is then
// abandoned), or -1 when the printer could not be started.
int printDocument(PrintDocument& document, QPrinter& printer, const PrintProgress& progress = {});

// Writes `document` as a PDF file with the shared printer's page layout,
// under a working name that takes `fileName` only once the file is complete:
// a stopped or failed write leaves whatever was there before. Returns as
// printDocument, with the reason for -1 in `error`.
int printDocumentToPdf(PrintDocument& document, const QString& fileName, QString* error = nullptr,
                       const PrintProgress& progress = {});

// A chart on one page: the window's fields, the chart with its title and
// legend, the page number.
int printChart(const ChartData& chart, QPrinter& printer, const PrintHeading& heading = {});
int printChartToPdf(const ChartData& chart, const QString& fileName, QString* error = nullptr,
                    const PrintHeading& heading = {});

// The print preview over the shared printer (PrintPreviewDialog), with
// "打印" and "另存为PDF"; printing from it goes to the printer chosen in
// "打印设置". Runs the dialog modally; tests install a runner that inspects
// it instead.
void printPreview(const DataStore& store, QWidget* parent, const PrintHeading& heading = {});
void printPreview(const ChartData& chart, QWidget* parent, const PrintHeading& heading = {});

class PrintPreviewDialog;
using PreviewRunner = std::function<void(PrintPreviewDialog& dialog)>;
// Empty restores the modal exec().
void setPreviewRunner(PreviewRunner runner);

} // namespace qv
