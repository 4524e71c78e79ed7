#include "bookprint.h"

#include "gifthistory.h"

#include "platform/core/capitals.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/output/pdfunicode.h"
#include "platform/output/printing.h"
#include "platform/widgets/songfont.h"

#include <QAction>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

#include <algorithm>

namespace qv {

namespace {

const QColor kRed(0xc0, 0x10, 0x10);

// The parts of a page of guests, from its rectangle.
struct PageGeometry
{
    QRectF header;
    QRectF body;
    QRectF footer;
    double column = 0; // width of one guest's column
    double cell = 0;   // height of one stacked character
};

QFont fontOfPixels(double pixels, bool bold = false)
{
    QFont f = songFont();
    f.setPixelSize(std::max(1, int(pixels)));
    f.setBold(bold);
    return f;
}

int charCount(const QString& text)
{
    return int(text.toUcs4().size());
}

QString money(Money m)
{
    return m.format(u"#,##0.00");
}

Money sumOf(const QList<BookLine>& lines, qsizetype from, qsizetype to)
{
    Money total;
    for (qsizetype i = from; i < to && i < lines.size(); ++i)
        total = total + lines[i].amount;
    return total;
}

// A line of text at `pixels`, smaller when it would not fit `width`.
QFont fitted(QPainter& p, const QString& text, double pixels, double width, bool bold = false)
{
    QFont f = fontOfPixels(pixels, bold);
    const double wide = QFontMetricsF(f, p.device()).horizontalAdvance(text);
    if (wide > width && wide > 0)
        f = fontOfPixels(pixels * width / wide * 0.98, bold);
    return f;
}

// One character under another, centred in the column.
void drawStacked(QPainter& p, const QString& text, double x, double top, double width, double cell)
{
    const QList<uint> chars = text.toUcs4();
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        p.drawText(QRectF(x, top + i * cell, width, cell), Qt::AlignCenter, QString::fromUcs4(&c, 1));
    }
}

} // namespace

BookPrint::BookPrint(Book book, QList<BookLine> lines) : m_book(std::move(book)), m_lines(std::move(lines))
{
    // Room for the longest name and the longest amount in capitals, so that
    // every column of the book reads alike.
    for (const BookLine& l : m_lines) {
        m_nameSlots = std::max(m_nameSlots, charCount(l.name));
        m_capitalSlots = std::max(m_capitalSlots, charCount(amountInCapitals(l.amount)));
    }
}

QString BookPrint::name() const
{
    return m_book.name;
}

static PageGeometry geometryOf(const QRectF& page, int perPage, int nameSlots, int capitalSlots)
{
    PageGeometry g;
    const double margin = std::min(page.width(), page.height()) * 0.04;
    const QRectF inner = page.adjusted(margin, margin, -margin, -margin);
    g.header = QRectF(inner.left(), inner.top(), inner.width(), inner.height() * 0.07);
    g.footer =
        QRectF(inner.left(), inner.bottom() - inner.height() * 0.12, inner.width(), inner.height() * 0.12);
    g.body = QRectF(inner.left(), g.header.bottom(), inner.width(), g.footer.top() - g.header.bottom());
    g.cell = g.body.height() / (nameSlots + capitalSlots + 2.5);
    g.column = g.body.width() / std::max(1, perPage);
    return g;
}

int BookPrint::layOut(QPrinter& printer)
{
    const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    m_dpi = printer.resolution();
    // Columns a fifth wider than a character is high: the
    // characters fill the column, with a margin to either side.
    const PageGeometry g = geometryOf(page, 1, m_nameSlots, m_capitalSlots);
    m_perPage = std::clamp(int(g.body.width() / (g.cell * 1.2)), 4, 40);
    const int guestPages = std::max<int>(1, int((m_lines.size() + m_perPage - 1) / m_perPage));
    m_pages = 1 + guestPages;
    return m_pages;
}

void BookPrint::paintPage(QPainter& p, const QRectF& pageRect, int page) const
{
    const QColor ink = m_book.isFuneral() ? QColor(Qt::black) : kRed;
    p.save();
    p.fillRect(pageRect, Qt::white);
    p.setPen(QPen(ink, std::max(1.0, m_dpi / 72.0)));
    const double shortSide = std::min(pageRect.width(), pageRect.height());

    if (page == 0) {
        // The cover: a double frame, the character of the occasion, the
        // book's name and day.
        const double m = shortSide * 0.05;
        p.drawRect(pageRect.adjusted(m, m, -m, -m));
        p.drawRect(pageRect.adjusted(m * 1.3, m * 1.3, -m * 1.3, -m * 1.3));
        const QRectF sign(pageRect.left(), pageRect.top() + pageRect.height() * 0.12, pageRect.width(),
                          pageRect.height() * 0.4);
        p.setFont(fontOfPixels(shortSide * 0.4, true));
        p.drawText(sign, Qt::AlignCenter, m_book.isFuneral() ? QStringLiteral("奠") : QStringLiteral("囍"));
        p.setFont(fontOfPixels(shortSide * 0.075, true));
        p.drawText(QRectF(pageRect.left(), sign.bottom() + pageRect.height() * 0.05, pageRect.width(),
                          pageRect.height() * 0.1),
                   Qt::AlignCenter | Qt::TextWordWrap, m_book.name);
        p.setFont(fontOfPixels(shortSide * 0.04));
        p.drawText(QRectF(pageRect.left(), sign.bottom() + pageRect.height() * 0.17, pageRect.width(),
                          pageRect.height() * 0.06),
                   Qt::AlignCenter, displayDate(m_book.date) + QStringLiteral("　") + m_book.reason);
        p.drawText(QRectF(pageRect.left(), sign.bottom() + pageRect.height() * 0.24, pageRect.width(),
                          pageRect.height() * 0.06),
                   Qt::AlignCenter, QStringLiteral("礼　簿"));
        p.restore();
        return;
    }

    const PageGeometry g = geometryOf(pageRect, m_perPage, m_nameSlots, m_capitalSlots);
    const qsizetype first = qsizetype(page - 1) * m_perPage;
    const qsizetype last = std::min<qsizetype>(first + m_perPage, m_lines.size());

    p.setFont(fontOfPixels(g.header.height() * 0.45));
    p.drawText(g.header, Qt::AlignVCenter | Qt::AlignLeft,
               m_book.name + QStringLiteral("　") + displayDate(m_book.date));
    p.drawText(g.header, Qt::AlignVCenter | Qt::AlignRight,
               QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(m_pages));

    // The ruled body: one column a guest, the first on the right.
    p.drawRect(g.body);
    const double capitalsTop = g.body.top() + g.cell * (m_nameSlots + 0.5);
    const double figuresTop = capitalsTop + g.cell * (m_capitalSlots + 0.5);
    p.drawLine(QPointF(g.body.left(), figuresTop), QPointF(g.body.right(), figuresTop));
    const double charPixels = std::min(g.cell * 0.85, g.column * 0.7);
    for (int i = 0; i < m_perPage; ++i) {
        const double x = g.body.right() - (i + 1) * g.column;
        if (i + 1 < m_perPage)
            p.drawLine(QPointF(x, g.body.top()), QPointF(x, g.body.bottom()));
        const qsizetype index = first + i;
        if (index >= last)
            continue;
        const BookLine& line = m_lines[index];
        p.setFont(fontOfPixels(charPixels, true));
        drawStacked(p, line.name, x, g.body.top() + g.cell * 0.25, g.column, g.cell);
        p.setFont(fontOfPixels(charPixels));
        drawStacked(p, amountInCapitals(line.amount), x, capitalsTop, g.column, g.cell);
        // Figures do not stack: they shrink to the column's width.
        const QString figures = money(line.amount);
        QFont f = fontOfPixels(std::min(g.cell * 0.6, g.column * 1.6 / std::max(4, int(figures.size()))));
        p.setFont(f);
        p.drawText(QRectF(x, figuresTop, g.column, g.body.bottom() - figuresTop), Qt::AlignCenter, figures);
    }

    // The page's total, and on the last page the book's.
    const Money pageTotal = sumOf(m_lines, first, last);
    const QRectF firstLine(g.footer.left(), g.footer.top(), g.footer.width(), g.footer.height() / 2);
    const QRectF secondLine(g.footer.left(), firstLine.bottom(), g.footer.width(), g.footer.height() / 2);
    const QString pageLine = QStringLiteral("本页 %1 人　合计：%2 元　%3")
                                 .arg(last - first)
                                 .arg(money(pageTotal), amountInCapitals(pageTotal));
    p.setFont(fitted(p, pageLine, g.footer.height() * 0.22, firstLine.width()));
    p.drawText(firstLine, Qt::AlignVCenter | Qt::AlignRight, pageLine);
    if (page == m_pages - 1) {
        const Money total = sumOf(m_lines, 0, m_lines.size());
        const QString bookLine = QStringLiteral("共 %1 人　总计：%2 元　合计（大写）：%3")
                                     .arg(m_lines.size())
                                     .arg(money(total), amountInCapitals(total));
        p.setFont(fitted(p, bookLine, g.footer.height() * 0.26, secondLine.width(), true));
        p.drawText(secondLine, Qt::AlignVCenter | Qt::AlignRight, bookLine);
    }
    p.restore();
}

int printBook(BookPrint& book, QPrinter& printer)
{
    const int pages = book.layOut(printer);
    QPainter p;
    if (!p.begin(&printer))
        return -1;
    const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer.newPage();
        book.paintPage(p, page, i);
    }
    p.end();
    return pages;
}

int printBookToPdf(BookPrint& book, const QString& fileName, QString* error)
{
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(fileName);
    pdf.setPageLayout(sharedPrinter().pageLayout());
    pdf.setDocName(book.name());
    const int pages = printBook(book, pdf);
    if (pages < 0) {
        if (error)
            *error = QStringLiteral("不能写入文件“%1”").arg(fileName);
        return -1;
    }
    // The fonts map radicals to the glyphs of 人, 日, 月…: a saved book must
    // give back the characters that were printed.
    repairPdfCharacters(fileName);
    return pages;
}

void previewBook(BookPrint& book, QWidget* parent)
{
    QPointer<QPrintPreviewDialog> dialog = new QPrintPreviewDialog(&sharedPrinter(), parent);
    dialog->setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [&book](QPrinter* printer) { printBook(book, *printer); });
    if (auto* toolbar = dialog->findChild<QToolBar*>()) {
        auto* savePdf = toolbar->addAction(QStringLiteral("另存为PDF"));
        savePdf->setObjectName(QStringLiteral("savePdf"));
        QObject::connect(savePdf, &QAction::triggered, dialog, [&book, dialog] {
            QString file = saveFileName(QStringLiteral("另存为PDF"), book.name() + QStringLiteral(".pdf"),
                                        QStringLiteral("PDF (*.pdf)"));
            if (file.isEmpty() || !dialog)
                return;
            if (QFileInfo(file).suffix().isEmpty())
                file += QStringLiteral(".pdf");
            QString error;
            if (printBookToPdf(book, file, &error) < 0)
                messagebox(QStringLiteral("错误"), error, Icon::StopSign);
        });
    }
    dialog->exec();
    delete dialog.data();
}

} // namespace qv
