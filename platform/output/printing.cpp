#include "printing.h"

#include "chartwidget.h"
#include "pdfunicode.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/reports/datastore.h"
#include "platform/reports/report.h"

#include <QAction>
#include <QChart>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
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

PageLayout layOut(const DataStore& store, QPrinter& printer, const QFont& body, const QFont& titleFont,
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

// A file the PDF writer makes, not the preview's pages nor a printer.
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

int pageCount(const DataStore& store, QPrinter& printer, const PrintHeading& heading)
{
    const QFont body = bodyFont(printer);
    QFont title = body;
    title.setPointSize(14);
    title.setBold(true);
    return layOut(store, printer, body, title, heading).pages;
}

int printStore(const DataStore& store, QPrinter& printer, const PrintHeading& heading)
{
    const ReportDef& def = store.definition();
    const QFont body = bodyFont(printer);
    QFont titleFont = body;
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    QFont headerFont = body;
    headerFont.setBold(true);
    const PageLayout l = layOut(store, printer, body, titleFont, heading);

    QPainter p;
    if (!p.begin(&printer))
        return -1;
    const bool toPdf = writesPdf(p);
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
            p.drawText(QRectF(l.area.left(), y, l.area.width(), l.titleHeight), Qt::AlignCenter,
                       titleOf(store, heading));
            y += l.titleHeight;
        }
        if (page == 0 && l.fieldsHeight > 0) {
            p.setFont(body);
            p.setPen(Qt::black);
            p.drawText(QRectF(l.area.left(), y, l.area.width(), l.fieldsHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, fieldsLine(heading));
            y += l.fieldsHeight;
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
            p.setPen(Qt::black);
            for (const TotalCell& cell : totalsLine(store)) {
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
        p.setFont(body);
        p.setPen(Qt::black);
        p.drawText(QRectF(l.area.left(), l.area.bottom() - l.footerHeight, l.area.width(), l.footerHeight),
                   Qt::AlignCenter, QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(l.pages));
    }
    p.end();
    if (toPdf)
        repairPdfCharacters(printer.outputFileName());
    return l.pages;
}

namespace {

using Render = std::function<int(QPrinter&)>;

int renderToPdf(const Render& render, const QString& docName, const QString& fileName, QString* error)
{
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(fileName);
    pdf.setPageLayout(sharedPrinter().pageLayout());
    pdf.setDocName(docName);
    const int pages = render(pdf);
    if (pages < 0 && error)
        *error = QStringLiteral("不能写入文件“%1”").arg(fileName);
    return pages;
}

void previewDocument(const Render& render, const QString& docName, QWidget* parent)
{
    // On the heap and watched: a dialog on the stack would be deleted twice
    // if its parent went while it ran.
    QPointer<QPrintPreviewDialog> dialog = new QPrintPreviewDialog(&sharedPrinter(), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [&render](QPrinter* printer) { render(*printer); });
    if (auto* toolbar = dialog->findChild<QToolBar*>()) {
        auto* savePdf = toolbar->addAction(QStringLiteral("另存为PDF"));
        savePdf->setObjectName(QStringLiteral("savePdf"));
        QObject::connect(savePdf, &QAction::triggered, dialog, [&render, &docName, dialog] {
            QString file =
                saveFileName(QStringLiteral("另存为PDF"), QString(), QStringLiteral("PDF (*.pdf)"));
            // The file dialog ran a loop of its own: the preview, and what it
            // shows, must still be there to be written.
            if (file.isEmpty() || !dialog)
                return;
            if (QFileInfo(file).suffix().isEmpty()) {
                file += QStringLiteral(".pdf");
                // The dialog asked about the name as typed, not about this one.
                if (QFileInfo::exists(file) &&
                    messagebox(QStringLiteral("另存为PDF"),
                               QStringLiteral("“%1”已存在，要替换它吗？").arg(file), Icon::Question,
                               Buttons::YesNo, 2) != 1)
                    return;
            }
            QString error;
            if (renderToPdf(render, docName, file, &error) < 0)
                messagebox(QStringLiteral("错误"), error, Icon::StopSign);
        });
    }
    if (g_previewRunner)
        g_previewRunner(*dialog);
    else
        dialog->exec();
    delete dialog.data();
}

QString docNameOf(const DataStore& store, const PrintHeading& heading)
{
    const QString title = titleOf(store, heading);
    return title.isEmpty() ? store.definition().name : title;
}

} // namespace

int printStoreToPdf(const DataStore& store, const QString& fileName, QString* error,
                    const PrintHeading& heading)
{
    return renderToPdf([&](QPrinter& printer) { return printStore(store, printer, heading); },
                       docNameOf(store, heading), fileName, error);
}

int printChart(const ChartData& chart, QPrinter& printer, const PrintHeading& heading)
{
    const QFont body = bodyFont(printer);
    QPainter p;
    if (!p.begin(&printer))
        return -1;
    const QRectF paint = printer.pageLayout().paintRectPixels(printer.resolution());
    QRectF area(0, 0, paint.width(), paint.height());
    const QFontMetricsF fm(body, &printer);
    p.setFont(body);
    p.setPen(Qt::black);
    if (!heading.fields.isEmpty()) {
        p.drawText(QRectF(area.left(), area.top(), area.width(), fm.height() * 1.6),
                   Qt::AlignLeft | Qt::AlignVCenter, fieldsLine(heading));
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
    QChart* qchart = buildChart(chart);
    if (!heading.title.isEmpty())
        qchart->setTitle(heading.title);
    scene.addItem(qchart);
    qchart->setGeometry(QRectF(QPointF(0, 0), logical));
    if (qchart->layout())
        qchart->layout()->activate();
    scene.render(&p, target, QRectF(QPointF(0, 0), logical));
    const bool toPdf = writesPdf(p);
    p.end();
    if (toPdf)
        repairPdfCharacters(printer.outputFileName());
    return 1;
}

int printChartToPdf(const ChartData& chart, const QString& fileName, QString* error,
                    const PrintHeading& heading)
{
    const QString title = heading.title.isEmpty() ? chart.title : heading.title;
    return renderToPdf([&](QPrinter& printer) { return printChart(chart, printer, heading); }, title,
                       fileName, error);
}

void setPreviewRunner(PreviewRunner runner)
{
    g_previewRunner = std::move(runner);
}

void printPreview(const DataStore& store, QWidget* parent, const PrintHeading& heading)
{
    previewDocument([&](QPrinter& printer) { return printStore(store, printer, heading); },
                    docNameOf(store, heading), parent);
}

void printPreview(const ChartData& chart, QWidget* parent, const PrintHeading& heading)
{
    previewDocument([&](QPrinter& printer) { return printChart(chart, printer, heading); },
                    heading.title.isEmpty() ? chart.title : heading.title, parent);
}

} // namespace qv
