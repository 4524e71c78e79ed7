#include "printing.h"

#include "datastore.h"
#include "messagebox.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

#include <algorithm>

namespace qv {

namespace {

QPrinter* g_printer = nullptr;
PreviewRunner g_previewRunner;

// Layout units in inches: the screen scale of units.h at 96 dpi, so that a
// report prints with the proportions it has on screen.
constexpr double kInchPerUnit = (830.0 / 3630.0) / 96.0;

QString cellText(const DataStore& store, long row, int column)
{
    const QString text = store.getItemString(row, column);
    for (const CodeValue& code : store.definition().columns[column - 1].codeTable)
        if (code.data == text)
            return code.display;
    return text;
}

// Where everything goes on the pages; computed once so that the page count
// is known before the first page is drawn.
struct PageLayout
{
    QRectF area;
    QList<int> columns;   // definition columns, 1-based
    QList<double> widths; // device pixels
    double titleHeight = 0;
    double rowHeight = 0;
    double footerHeight = 0;
    bool hasTotals = false;
    // First row of each page; the totals follow the last row.
    QList<long> pageStarts;
    int pages = 0;
};

PageLayout layOut(const DataStore& store, QPrinter& printer, const QFont& body, const QFont& titleFont)
{
    PageLayout l;
    const ReportDef& def = store.definition();
    const QRectF paint = printer.pageLayout().paintRectPixels(printer.resolution());
    l.area = QRectF(0, 0, paint.width(), paint.height());

    double total = 0;
    for (int c = 0; c < def.columns.size(); ++c) {
        if (def.columns[c].widthUnits <= 0)
            continue;
        l.columns << c + 1;
        l.widths << def.columns[c].widthUnits * kInchPerUnit * printer.resolution();
        total += l.widths.last();
    }
    // A report wider than the paper is narrowed to fit rather than cut.
    if (total > l.area.width() && total > 0)
        for (double& w : l.widths)
            w *= l.area.width() / total;

    const QFontMetricsF fm(body, &printer);
    l.rowHeight = fm.height() * 1.5;
    l.footerHeight = fm.height() * 2;
    l.titleHeight = def.title.isEmpty() ? 0 : QFontMetricsF(titleFont, &printer).height() * 2;
    l.hasTotals = !def.totals.isEmpty();

    const double usable = l.area.height() - l.footerHeight;
    long row = 1;
    const long rows = store.rowCount();
    do {
        const double top = l.pageStarts.isEmpty() ? l.titleHeight : 0;
        const long fits = std::max(1L, long((usable - top) / l.rowHeight) - 1); // minus the header row
        l.pageStarts << row;
        row += fits;
        // The totals need a line of their own after the last row.
        if (row > rows && l.hasTotals && rows - l.pageStarts.last() + 1 >= fits && rows > 0)
            l.pageStarts << rows + 1;
    } while (row <= rows);
    l.pages = int(l.pageStarts.size());
    return l;
}

QFont bodyFont(QPrinter& printer)
{
    QFont f;
    f.setPointSize(9);
    f.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Sans CJK SC")});
    return QFont(f, &printer);
}

} // namespace

QPrinter& sharedPrinter()
{
    if (!g_printer) {
        g_printer = new QPrinter(QPrinter::HighResolution);
        // Gone with the application, while the print system is still there.
        qAddPostRoutine([] {
            delete g_printer;
            g_printer = nullptr;
        });
    }
    return *g_printer;
}

int pageCount(const DataStore& store, QPrinter& printer)
{
    const QFont body = bodyFont(printer);
    QFont title = body;
    title.setPointSize(14);
    title.setBold(true);
    return layOut(store, printer, body, title).pages;
}

int printStore(const DataStore& store, QPrinter& printer)
{
    const ReportDef& def = store.definition();
    const QFont body = bodyFont(printer);
    QFont titleFont = body;
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    QFont headerFont = body;
    headerFont.setBold(true);
    const PageLayout l = layOut(store, printer, body, titleFont);

    QPainter p;
    if (!p.begin(&printer))
        return -1;
    const double pad = l.rowHeight * 0.15;
    const QPen gridPen(Qt::black, std::max(1.0, printer.resolution() / 150.0));
    auto drawRow = [&](double y, const std::function<QString(int)>& text, const QColor& background,
                       bool header) {
        double x = l.area.left();
        p.setFont(header ? headerFont : body);
        for (int i = 0; i < l.columns.size(); ++i) {
            const QRectF cell(x, y, l.widths[i], l.rowHeight);
            if (background.isValid())
                p.fillRect(cell, background);
            p.setPen(gridPen);
            p.drawRect(cell);
            const ColumnDef& col = def.columns[l.columns[i] - 1];
            const Qt::Alignment align = header ? Qt::AlignCenter : col.alignment;
            p.drawText(cell.adjusted(pad, 0, -pad, 0), int(align | Qt::TextSingleLine), text(l.columns[i]));
            x += l.widths[i];
        }
    };

    for (int page = 0; page < l.pages; ++page) {
        if (page > 0)
            printer.newPage();
        double y = l.area.top();
        if (page == 0 && l.titleHeight > 0) {
            p.setFont(titleFont);
            p.setPen(Qt::black);
            p.drawText(QRectF(l.area.left(), y, l.area.width(), l.titleHeight), Qt::AlignCenter, def.title);
            y += l.titleHeight;
        }
        drawRow(
            y, [&](int c) { return def.columns[c - 1].caption; }, QColor(230, 230, 230), true);
        y += l.rowHeight;

        const long first = l.pageStarts[page];
        const long last = page + 1 < l.pages ? l.pageStarts[page + 1] - 1 : store.rowCount();
        for (long r = first; r <= last && r <= store.rowCount(); ++r) {
            const QColor background = def.rowColor ? def.rowColor(store, r) : QColor();
            drawRow(
                y, [&](int c) { return cellText(store, r, c); }, background, false);
            y += l.rowHeight;
        }
        if (page + 1 == l.pages && l.hasTotals) {
            p.setFont(headerFont);
            double x = l.area.left();
            for (int i = 0; i < l.columns.size(); ++i) {
                const ColumnDef& col = def.columns[l.columns[i] - 1];
                for (const TotalDef& total : def.totals) {
                    if (total.column.compare(col.name, Qt::CaseInsensitive) != 0)
                        continue;
                    const QString text = store.totalText(total);
                    p.drawText(QRectF(x, y, l.widths[i], l.rowHeight).adjusted(pad, 0, -pad, 0),
                               int(Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip), text);
                }
                x += l.widths[i];
            }
        }
        p.setFont(body);
        p.setPen(Qt::black);
        p.drawText(QRectF(l.area.left(), l.area.bottom() - l.footerHeight, l.area.width(), l.footerHeight),
                   Qt::AlignCenter, QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(l.pages));
    }
    p.end();
    return l.pages;
}

int printStoreToPdf(const DataStore& store, const QString& fileName, QString* error)
{
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(fileName);
    pdf.setPageLayout(sharedPrinter().pageLayout());
    pdf.setDocName(store.definition().title.isEmpty() ? store.definition().name : store.definition().title);
    const int pages = printStore(store, pdf);
    if (pages < 0 && error)
        *error = QStringLiteral("不能写入文件“%1”").arg(fileName);
    return pages;
}

void setPreviewRunner(PreviewRunner runner)
{
    g_previewRunner = std::move(runner);
}

void printPreview(const DataStore& store, QWidget* parent)
{
    QPrintPreviewDialog dialog(&sharedPrinter(), parent);
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&store](QPrinter* printer) { printStore(store, *printer); });
    if (auto* toolbar = dialog.findChild<QToolBar*>()) {
        auto* savePdf = toolbar->addAction(QStringLiteral("另存为PDF"));
        savePdf->setObjectName(QStringLiteral("savePdf"));
        QObject::connect(savePdf, &QAction::triggered, &dialog, [&dialog, &store] {
            const QString file = QFileDialog::getSaveFileName(&dialog, QStringLiteral("另存为PDF"), QString(),
                                                              QStringLiteral("PDF (*.pdf)"));
            if (file.isEmpty())
                return;
            QString error;
            if (printStoreToPdf(store, file, &error) < 0)
                messagebox(QStringLiteral("错误"), error, Icon::StopSign);
        });
    }
    if (g_previewRunner)
        g_previewRunner(dialog);
    else
        dialog.exec();
}

} // namespace qv
