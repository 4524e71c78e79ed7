#include "printing.h"

#include "chartwidget.h"
#include "pdfunicode.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/core/workingfile.h"
#include "platform/reports/datastore.h"
#include "platform/reports/report.h"
#include "printpreview.h"

#include <QChart>
#include <QCoreApplication>
#include <QFile>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QPrinter>

#include <algorithm>

namespace qv {

namespace {

QPrinter* g_printer = nullptr;
PreviewRunner g_previewRunner;

// Layout units in inches: the screen scale of units.h at 96 dpi, so that a
// report prints with the proportions it has on screen.
constexpr double kInchPerUnit = (830.0 / 3630.0) / 96.0;

// Where everything goes on the pages; computed once so that the page count
// is known before the first page is drawn.
struct PageLayout
{
    QRectF area;
    QList<int> columns;   // definition columns, 1-based
    QList<double> widths; // device pixels
    double titleHeight = 0;
    double fieldsHeight = 0;
    double rowHeight = 0;
    double footerHeight = 0;
    bool hasTotals = false;
    // First row of each page; the totals follow the last row.
    QList<long> pageStarts;
    int pages = 0;
};

QString titleOf(const DataStore& store, const PrintHeading& heading)
{
    return heading.title.isEmpty() ? store.definition().title : heading.title;
}

QString fieldsLine(const PrintHeading& heading)
{
    return heading.fields.join(QStringLiteral("    "));
}

PageLayout layOutStore(const DataStore& store, QPrinter& printer, const QFont& body, const QFont& titleFont,
                       const PrintHeading& heading)
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
    l.titleHeight = titleOf(store, heading).isEmpty() ? 0 : QFontMetricsF(titleFont, &printer).height() * 2;
    l.fieldsHeight = heading.fields.isEmpty() ? 0 : fm.height() * 1.6;
    l.hasTotals = !def.totals.isEmpty();

    const double usable = l.area.height() - l.footerHeight;
    long row = 1;
    const long rows = store.rowCount();
    do {
        const double top = l.pageStarts.isEmpty() ? l.titleHeight + l.fieldsHeight : 0;
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

// A file the PDF writer makes, not a preview's page nor a printer.
bool writesPdf(QPainter& p)
{
    return p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf;
}

QFont bodyFont(QPrinter& printer)
{
    QFont f;
    f.setPointSize(9);
    f.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Sans CJK SC")});
    return QFont(f, &printer);
}

class StoreDocument : public PrintDocument
{
public:
    StoreDocument(const DataStore& store, const PrintHeading& heading) : m_store(store), m_heading(heading) {}

    QString name() const override
    {
        const QString title = titleOf(m_store, m_heading);
        return title.isEmpty() ? m_store.definition().name : title;
    }

    int layOut(QPrinter& printer) override
    {
        m_body = bodyFont(printer);
        m_titleFont = m_body;
        m_titleFont.setPointSize(14);
        m_titleFont.setBold(true);
        m_headerFont = m_body;
        m_headerFont.setBold(true);
        m_gridPen = QPen(Qt::black, std::max(1.0, printer.resolution() / 150.0));
        m_layout = layOutStore(m_store, printer, m_body, m_titleFont, m_heading);
        return m_layout.pages;
    }

    int pages() const override { return m_layout.pages; }

    void paintPage(QPainter& p, int page) override;

private:
    void drawRow(QPainter& p, double y, const std::function<QString(int)>& text, const QColor& background,
                 bool header) const;

    const DataStore& m_store;
    PrintHeading m_heading;
    QFont m_body;
    QFont m_titleFont;
    QFont m_headerFont;
    QPen m_gridPen;
    PageLayout m_layout;
};

void StoreDocument::drawRow(QPainter& p, double y, const std::function<QString(int)>& text,
                            const QColor& background, bool header) const
{
    const PageLayout& l = m_layout;
    const double pad = l.rowHeight * 0.15;
    double x = l.area.left();
    p.setFont(header ? m_headerFont : m_body);
    for (int i = 0; i < l.columns.size(); ++i) {
        const QRectF cell(x, y, l.widths[i], l.rowHeight);
        if (background.isValid())
            p.fillRect(cell, background);
        p.setPen(m_gridPen);
        p.drawRect(cell);
        const ColumnDef& col = m_store.definition().columns[l.columns[i] - 1];
        const Qt::Alignment align = header ? Qt::AlignCenter : col.alignment;
        p.drawText(cell.adjusted(pad, 0, -pad, 0), int(align | Qt::TextSingleLine), text(l.columns[i]));
        x += l.widths[i];
    }
}

void StoreDocument::paintPage(QPainter& p, int page)
{
    const PageLayout& l = m_layout;
    if (page < 0 || page >= l.pages)
        return;
    const ReportDef& def = m_store.definition();
    double y = l.area.top();
    if (page == 0 && l.titleHeight > 0) {
        p.setFont(m_titleFont);
        p.setPen(Qt::black);
        p.drawText(QRectF(l.area.left(), y, l.area.width(), l.titleHeight), Qt::AlignCenter,
                   titleOf(m_store, m_heading));
        y += l.titleHeight;
    }
    if (page == 0 && l.fieldsHeight > 0) {
        p.setFont(m_body);
        p.setPen(Qt::black);
        p.drawText(QRectF(l.area.left(), y, l.area.width(), l.fieldsHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   fieldsLine(m_heading));
        y += l.fieldsHeight;
    }
    drawRow(
        p, y, [&](int c) { return def.columns[c - 1].caption; }, QColor(230, 230, 230), true);
    y += l.rowHeight;

    const long first = l.pageStarts[page];
    const long last = page + 1 < l.pages ? l.pageStarts[page + 1] - 1 : m_store.rowCount();
    for (long r = first; r <= last && r <= m_store.rowCount(); ++r) {
        const QColor background = def.rowColor ? def.rowColor(m_store, r) : QColor();
        drawRow(
            p, y, [&](int c) { return cellText(m_store, r, c); }, background, false);
        y += l.rowHeight;
    }
    if (page + 1 == l.pages && l.hasTotals) {
        const double pad = l.rowHeight * 0.15;
        p.setFont(m_headerFont);
        p.setPen(Qt::black);
        for (const TotalCell& cell : totalsLine(m_store)) {
            const int i = int(l.columns.indexOf(cell.column));
            if (i < 0)
                continue;
            double x = l.area.left();
            for (int k = 0; k < i; ++k)
                x += l.widths[k];
            p.drawText(QRectF(x, y, l.widths[i], l.rowHeight).adjusted(pad, 0, -pad, 0),
                       int(cell.alignment | Qt::TextDontClip), cell.text);
        }
    }
    p.setFont(m_body);
    p.setPen(Qt::black);
    p.drawText(QRectF(l.area.left(), l.area.bottom() - l.footerHeight, l.area.width(), l.footerHeight),
               Qt::AlignCenter, QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(l.pages));
}

class ChartDocument : public PrintDocument
{
public:
    ChartDocument(const ChartData& chart, const PrintHeading& heading) : m_chart(chart), m_heading(heading) {}

    QString name() const override { return m_heading.title.isEmpty() ? m_chart.title : m_heading.title; }

    int layOut(QPrinter& printer) override
    {
        m_body = bodyFont(printer);
        const QRectF paint = printer.pageLayout().paintRectPixels(printer.resolution());
        m_area = QRectF(0, 0, paint.width(), paint.height());
        return 1;
    }

    int pages() const override { return 1; }

    void paintPage(QPainter& p, int page) override;

private:
    const ChartData& m_chart;
    PrintHeading m_heading;
    QFont m_body;
    QRectF m_area;
};

void ChartDocument::paintPage(QPainter& p, int page)
{
    if (page != 0)
        return;
    QRectF area = m_area;
    const QFontMetricsF fm(m_body, p.device());
    p.setFont(m_body);
    p.setPen(Qt::black);
    if (!m_heading.fields.isEmpty()) {
        p.drawText(QRectF(area.left(), area.top(), area.width(), fm.height() * 1.6),
                   Qt::AlignLeft | Qt::AlignVCenter, fieldsLine(m_heading));
        area.setTop(area.top() + fm.height() * 2);
    }
    const double footer = fm.height() * 2;
    p.drawText(QRectF(area.left(), area.bottom() - footer, area.width(), footer), Qt::AlignCenter,
               QStringLiteral("第 %1 页 共 %2 页").arg(1).arg(1));
    area.setBottom(area.bottom() - footer);

    // The chart is laid out at screen size and scaled onto the page, so its
    // fonts keep their proportions to the drawing on paper as on screen.
    const double aspect = 0.75;
    QRectF target = area;
    if (target.height() > target.width() * aspect)
        target.setHeight(target.width() * aspect);
    QSizeF logical(560, 560 * aspect);
    QGraphicsScene scene;
    QChart* qchart = buildChart(m_chart);
    if (!m_heading.title.isEmpty())
        qchart->setTitle(m_heading.title);
    scene.addItem(qchart);
    qchart->setGeometry(QRectF(QPointF(0, 0), logical));
    if (qchart->layout())
        qchart->layout()->activate();
    scene.render(&p, target, QRectF(QPointF(0, 0), logical));
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

std::unique_ptr<PrintDocument> storeDocument(const DataStore& store, const PrintHeading& heading)
{
    return std::make_unique<StoreDocument>(store, heading);
}

std::unique_ptr<PrintDocument> chartDocument(const ChartData& chart, const PrintHeading& heading)
{
    return std::make_unique<ChartDocument>(chart, heading);
}

int printDocument(PrintDocument& document, QPrinter& printer, const PrintProgress& progress)
{
    const int pages = document.layOut(printer);
    QPainter p;
    if (!p.begin(&printer))
        return -1;
    const bool toPdf = writesPdf(p);
    int first = 0;
    int last = pages - 1;
    // The pages chosen in the print dialog.
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::clamp(printer.fromPage() - 1, 0, pages - 1);
        last = std::clamp(printer.toPage() - 1, first, pages - 1);
    }
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        p.save();
        document.paintPage(p, page);
        p.restore();
        if (progress && !progress(page - first + 1, last - first + 1)) {
            // Nothing of a stopped job reaches the paper; a file is the
            // caller's to remove.
            printer.abort();
            p.end();
            return 0;
        }
    }
    p.end();
    if (toPdf)
        repairPdfCharacters(printer.outputFileName());
    return pages;
}

int printDocumentToPdf(PrintDocument& document, const QString& fileName, QString* error,
                       const PrintProgress& progress)
{
    const QString cannotWrite = QStringLiteral("不能写入文件“%1”").arg(fileName);
    QString reason;
    const QString working = claimWorkingFile(fileName, &reason);
    if (working.isEmpty()) {
        if (error)
            *error = withReason(cannotWrite, reason);
        return -1;
    }
    int pages = 0;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(working);
        pdf.setPageLayout(sharedPrinter().pageLayout());
        pdf.setDocName(document.name());
        pages = printDocument(document, pdf, progress);
    }
    if (pages > 0 && !replaceWithWorkingFile(working, fileName, &reason)) {
        if (error)
            *error = withReason(cannotWrite, reason);
        pages = -1;
    } else if (pages < 0 && error) {
        *error = cannotWrite;
    }
    if (pages <= 0)
        QFile::remove(working);
    return pages;
}

int pageCount(const DataStore& store, QPrinter& printer, const PrintHeading& heading)
{
    return StoreDocument(store, heading).layOut(printer);
}

int printStore(const DataStore& store, QPrinter& printer, const PrintHeading& heading)
{
    StoreDocument document(store, heading);
    return printDocument(document, printer);
}

int printStoreToPdf(const DataStore& store, const QString& fileName, QString* error,
                    const PrintHeading& heading)
{
    StoreDocument document(store, heading);
    return printDocumentToPdf(document, fileName, error);
}

int printChart(const ChartData& chart, QPrinter& printer, const PrintHeading& heading)
{
    ChartDocument document(chart, heading);
    return printDocument(document, printer);
}

int printChartToPdf(const ChartData& chart, const QString& fileName, QString* error,
                    const PrintHeading& heading)
{
    ChartDocument document(chart, heading);
    return printDocumentToPdf(document, fileName, error);
}

void setPreviewRunner(PreviewRunner runner)
{
    g_previewRunner = std::move(runner);
}

namespace {

void previewDocument(std::unique_ptr<PrintDocument> document, QWidget* parent)
{
    // On the heap and watched: a dialog on the stack would be deleted twice
    // if its parent went while it ran.
    QPointer<PrintPreviewDialog> dialog =
        new PrintPreviewDialog(std::move(document), &sharedPrinter(), parent);
    if (g_previewRunner)
        g_previewRunner(*dialog);
    else
        dialog->exec();
    delete dialog.data();
}

} // namespace

void printPreview(const DataStore& store, QWidget* parent, const PrintHeading& heading)
{
    previewDocument(storeDocument(store, heading), parent);
}

void printPreview(const ChartData& chart, QWidget* parent, const PrintHeading& heading)
{
    previewDocument(chartDocument(chart, heading), parent);
}

} // namespace qv
