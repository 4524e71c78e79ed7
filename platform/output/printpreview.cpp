#include "printpreview.h"

#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/widgets/sheetfit.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <list>

namespace qv {

namespace {
// A print or save quicker than this is over before a progress dialog would
// be read; until it shows, the window does not repaint.
constexpr int kShowProgressAfterMs = 250;
constexpr double kZoomStep = 1.25;
} // namespace

// The pages one under another on a grey ground. A page is drawn when it
// comes into view and kept among the last few drawn, so that scrolling back
// and forth over a few pages does not draw them again, while the memory held
// stays that of a few pages whatever the document's length. The scroll range
// is kept here rather than in a widget as tall as all pages, which Qt could
// not make for thousands of them.
class PageView : public QAbstractScrollArea
{
public:
    enum class Fit { None, Width, Page };

    PageView(PrintDocument& document, QWidget* parent) : QAbstractScrollArea(parent), m_document(document)
    {
        setObjectName(QStringLiteral("pageView"));
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
        verticalScrollBar()->setSingleStep(40);
        horizontalScrollBar()->setSingleStep(40);
    }

    std::function<void(int page)> currentPageChanged;

    // The paper and where its printable area starts, in printer pixels, at
    // the printer's resolution (dots per inch).
    void setPaper(const QSizeF& paper, const QPointF& printableOffset, int resolution)
    {
        m_paper = paper;
        m_offset = printableOffset;
        m_resolution = resolution;
        forget();
        fit();
    }

    void forget()
    {
        m_cache.clear();
        viewport()->update();
    }

    void setFit(Fit fit)
    {
        m_fit = fit;
        const int page = currentPage();
        this->fit();
        scrollToPage(page);
    }

    void zoomBy(double factor)
    {
        const int page = currentPage();
        m_fit = Fit::None;
        // From a page the size of a stamp to two and a half times the paper.
        setScale(std::clamp(m_scale * factor, 0.1 * 96 / m_resolution, 2.5 * 96 / m_resolution));
        scrollToPage(page);
    }

    int currentPage() const
    {
        const int stride = pageStride();
        if (stride <= 0)
            return 0;
        // Scrolled to the end, the last page is the one asked for (末页),
        // whichever lies a third down the window.
        const QScrollBar* bar = verticalScrollBar();
        if (bar->maximum() > 0 && bar->value() == bar->maximum())
            return std::max(0, m_document.pages() - 1);
        // The page whose top has come a third down the window, or half its
        // own height when pages are small: a page scrolled to stays current.
        const int y = verticalScrollBar()->value() + std::min(viewport()->height() / 3, stride / 2);
        return std::clamp(y / stride, 0, std::max(0, m_document.pages() - 1));
    }

    void scrollToPage(int page) { verticalScrollBar()->setValue(page * pageStride()); }

    int pagesDrawn() const { return m_drawn; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(viewport());
        const int stride = pageStride();
        const QSize size = pageSize();
        if (stride <= 0 || size.isEmpty())
            return;
        const int top = verticalScrollBar()->value();
        const int left =
            std::max(kGap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
        for (int page = std::max(0, (top - kGap) / stride); page < m_document.pages(); ++page) {
            const int y = kGap + page * stride - top;
            if (y >= viewport()->height())
                break;
            const QRect rect(QPoint(left, y), size);
            p.fillRect(rect.translated(3, 3), QColor(0, 0, 0, 60));
            p.drawImage(rect, pageImage(page));
            p.setPen(QColor(90, 90, 90));
            p.drawRect(rect.adjusted(0, 0, -1, -1));
        }
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QAbstractScrollArea::resizeEvent(event);
        const int page = currentPage();
        fit();
        scrollToPage(page);
    }

    void scrollContentsBy(int, int) override
    {
        viewport()->update();
        if (currentPageChanged)
            currentPageChanged(currentPage());
    }

private:
    static constexpr int kGap = 12;
    // Pages kept drawn: enough for those a tall window shows at once and a
    // step back, a few megabytes each at screen size; fewer when zoomed in,
    // but never fewer than the window shows.
    static constexpr int kCachedPages = 8;
    static constexpr qsizetype kCachedBytes = 64 * 1024 * 1024;

    QSize pageSize() const
    {
        return QSize(int(std::lround(m_paper.width() * m_scale)),
                     int(std::lround(m_paper.height() * m_scale)));
    }

    int pageStride() const { return pageSize().height() + kGap; }

    void fit()
    {
        if (m_paper.isEmpty())
            return;
        const double width = std::max(50, viewport()->width() - 2 * kGap) / m_paper.width();
        const double height = std::max(50, viewport()->height() - 2 * kGap) / m_paper.height();
        if (m_fit == Fit::Width)
            setScale(width);
        else if (m_fit == Fit::Page)
            setScale(std::min(width, height));
        else
            updateScrollBars();
    }

    void setScale(double scale)
    {
        if (scale != m_scale) {
            m_scale = scale;
            forget();
        }
        updateScrollBars();
    }

    void updateScrollBars()
    {
        const QSize size = pageSize();
        // Pages of thousands pile up past what an int holds only at sizes no
        // screen shows; the range stops there.
        const qint64 height = qint64(m_document.pages()) * pageStride() + kGap;
        verticalScrollBar()->setRange(0,
                                      int(std::clamp<qint64>(height - viewport()->height(), 0, INT_MAX / 2)));
        verticalScrollBar()->setPageStep(viewport()->height());
        horizontalScrollBar()->setRange(0, std::max(0, size.width() + 2 * kGap - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        viewport()->update();
    }

    const QImage& pageImage(int page)
    {
        for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
            if (it->first == page) {
                m_cache.splice(m_cache.begin(), m_cache, it);
                return m_cache.front().second;
            }
        }
        const qreal ratio = devicePixelRatioF();
        const QSize size = pageSize();
        QImage image(size * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        // The page is drawn at the printer's resolution and scaled: fonts
        // measure as on paper, so every line breaks where it will print.
        const int dotsPerMeter = int(std::lround(m_resolution / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        {
            QPainter p(&image);
            p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                             QPainter::SmoothPixmapTransform);
            p.scale(size.width() / m_paper.width(), size.height() / m_paper.height());
            p.translate(m_offset);
            m_document.paintPage(p, page);
        }
        ++m_drawn;
        m_cache.emplace_front(page, std::move(image));
        qsizetype bytes = 0;
        for (const auto& cached : m_cache)
            bytes += cached.second.sizeInBytes();
        const size_t shown = size_t(viewport()->height() / std::max(1, pageStride()) + 2);
        while (m_cache.size() > std::max(size_t(kCachedPages), shown) ||
               (m_cache.size() > shown && bytes > kCachedBytes)) {
            bytes -= m_cache.back().second.sizeInBytes();
            m_cache.pop_back();
        }
        return m_cache.front().second;
    }

    PrintDocument& m_document;
    QSizeF m_paper;
    QPointF m_offset;
    int m_resolution = 96;
    double m_scale = 0.1;
    Fit m_fit = Fit::Width;
    std::list<std::pair<int, QImage>> m_cache; // most recently shown first
    int m_drawn = 0;
};

PrintPreviewDialog::PrintPreviewDialog(std::unique_ptr<PrintDocument> document, QPrinter* printer,
                                       QWidget* parent)
    : QDialog(parent), m_document(std::move(document)), m_printer(printer)
{
    setObjectName(QStringLiteral("printPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("previewTools"));
    auto action = [this, toolbar](const char* name, const QString& text, const QKeySequence& key = {}) {
        QAction* a = toolbar->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        return a;
    };
    QAction* print = action("print", QStringLiteral("打印"), QKeySequence::Print);
    QAction* savePdf = action("savePdf", QStringLiteral("另存为PDF"));
    toolbar->addSeparator();
    QAction* first = action("firstPage", QStringLiteral("首页"), Qt::CTRL | Qt::Key_Home);
    QAction* previous = action("previousPage", QStringLiteral("上一页"));
    m_pageNumber = new QSpinBox(toolbar);
    m_pageNumber->setObjectName(QStringLiteral("pageNumber"));
    m_pageNumber->setPrefix(QStringLiteral("第 "));
    m_pageNumber->setKeyboardTracking(false);
    toolbar->addWidget(m_pageNumber);
    QAction* next = action("nextPage", QStringLiteral("下一页"));
    QAction* last = action("lastPage", QStringLiteral("末页"), Qt::CTRL | Qt::Key_End);
    toolbar->addSeparator();
    QAction* zoomOut = action("zoomOut", QStringLiteral("缩小"), QKeySequence::ZoomOut);
    QAction* zoomIn = action("zoomIn", QStringLiteral("放大"), QKeySequence::ZoomIn);
    QAction* fitWidth = action("fitWidth", QStringLiteral("适合宽度"));
    QAction* fitPage = action("fitPage", QStringLiteral("整页"));
    toolbar->addSeparator();
    QAction* close = action("closePreview", QStringLiteral("关闭"));

    m_view = new PageView(*m_document, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_view, 1);

    connect(print, &QAction::triggered, this, &PrintPreviewDialog::print);
    connect(savePdf, &QAction::triggered, this, &PrintPreviewDialog::savePdf);
    connect(first, &QAction::triggered, this, [this] { setCurrentPage(1); });
    connect(previous, &QAction::triggered, this, [this] { setCurrentPage(currentPage() - 1); });
    connect(next, &QAction::triggered, this, [this] { setCurrentPage(currentPage() + 1); });
    connect(last, &QAction::triggered, this, [this] { setCurrentPage(pageCount()); });
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != currentPage())
            setCurrentPage(page);
    });
    connect(zoomOut, &QAction::triggered, this, [this] { m_view->zoomBy(1 / kZoomStep); });
    connect(zoomIn, &QAction::triggered, this, [this] { m_view->zoomBy(kZoomStep); });
    connect(fitWidth, &QAction::triggered, this, [this] { m_view->setFit(PageView::Fit::Width); });
    connect(fitPage, &QAction::triggered, this, [this] { m_view->setFit(PageView::Fit::Page); });
    connect(close, &QAction::triggered, this, &QDialog::reject);
    m_view->currentPageChanged = [this](int page) { showCurrentPage(page + 1); };

    layOutAgain();
    // The keys page through the pages from the start (Page Down, arrows).
    m_view->setFocusPolicy(Qt::StrongFocus);
    m_view->setFocus();
    // Most of the screen: the page at a width that reads like paper.
    if (QScreen* screen = screenOf(parent)) {
        const QRect available = screen->availableGeometry();
        resize(std::min(available.width() * 9 / 10, available.height() * 3 / 4), available.height() * 9 / 10);
    }
}

PrintPreviewDialog::~PrintPreviewDialog() = default;

int PrintPreviewDialog::pageCount() const
{
    return m_document->pages();
}

int PrintPreviewDialog::currentPage() const
{
    return m_view->currentPage() + 1;
}

void PrintPreviewDialog::setCurrentPage(int page)
{
    m_view->scrollToPage(std::clamp(page, 1, std::max(1, pageCount())) - 1);
    showCurrentPage(currentPage());
}

int PrintPreviewDialog::pagesDrawn() const
{
    return m_view->pagesDrawn();
}

void PrintPreviewDialog::showCurrentPage(int page)
{
    const QSignalBlocker quiet(m_pageNumber);
    m_pageNumber->setValue(page);
}

void PrintPreviewDialog::layOutAgain()
{
    const int pages = m_document->layOut(*m_printer);
    const int resolution = m_printer->resolution();
    const QPageLayout page = m_printer->pageLayout();
    const QRectF paper = page.fullRectPixels(resolution);
    const QRectF printable = page.paintRectPixels(resolution);
    m_pageNumber->setRange(1, std::max(1, pages));
    m_pageNumber->setSuffix(QStringLiteral(" / %1 页").arg(pages));
    const int current = currentPage();
    m_view->setPaper(paper.size(), printable.topLeft() - paper.topLeft(), resolution);
    setCurrentPage(current);
}

int PrintPreviewDialog::withProgress(const QString& title, const QString& label,
                                     const std::function<int(const PrintProgress&)>& work)
{
    QPointer<PrintPreviewDialog> self = this;
    // Sized for the widest page number, so that no later one is cut off.
    QPointer<QProgressDialog> progress = new QProgressDialog(label.arg(pageCount()).arg(pageCount()),
                                                             QStringLiteral("取消"), 0, pageCount(), this);
    progress->setObjectName(QStringLiteral("printProgress"));
    progress->setWindowTitle(title);
    progress->setWindowModality(Qt::ApplicationModal);
    progress->setMinimumDuration(kShowProgressAfterMs);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    m_working = true;
    const int result = work([&progress, &label](int page, int pages) {
        if (!progress || progress->wasCanceled())
            return false;
        progress->setMaximum(pages);
        progress->setLabelText(label.arg(page).arg(pages));
        // A modal progress dialog keeps the windows painted as it goes.
        progress->setValue(page);
        return progress && !progress->wasCanceled();
    });
    delete progress.data();
    if (self)
        m_working = false;
    return result;
}

void PrintPreviewDialog::print()
{
    if (m_working)
        return;
    QPrinter& printer = *m_printer;
    if (printer.outputFormat() != QPrinter::NativeFormat && printer.outputFileName().isEmpty()) {
        // No printer on this machine: the pages can still go to a file.
        savePdf();
        return;
    }
    QPointer<PrintPreviewDialog> self = this;
    QPointer<QPrintDialog> dialog = new QPrintDialog(&printer, this);
    dialog->setWindowTitle(QStringLiteral("打印"));
    dialog->setMinMax(1, std::max(1, pageCount()));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    delete dialog.data();
    if (!accepted || !self)
        return;
    const int printed = withProgress(QStringLiteral("打印"), QStringLiteral("正在打印，第 %1 / %2 页……"),
                                     [this, &printer](const PrintProgress& progress) {
                                         return printDocument(*m_document, printer, progress);
                                     });
    if (!self)
        return;
    layOutAgain();
    if (printed < 0)
        messagebox(QStringLiteral("错误"), QStringLiteral("不能开始打印，请在“打印设置”里检查打印机"),
                   Icon::StopSign);
}

void PrintPreviewDialog::savePdf()
{
    if (m_working)
        return;
    QPointer<PrintPreviewDialog> self = this;
    QString file = saveFileName(QStringLiteral("另存为PDF"), QString(), QStringLiteral("PDF (*.pdf)"));
    // The file dialog ran a loop of its own: the preview, and what it shows,
    // must still be there to be written.
    if (file.isEmpty() || !self)
        return;
    if (QFileInfo(file).suffix().isEmpty()) {
        file += QStringLiteral(".pdf");
        // The dialog asked about the name as typed, not about this one.
        if (QFileInfo::exists(file) &&
            messagebox(QStringLiteral("另存为PDF"), QStringLiteral("“%1”已存在，要替换它吗？").arg(file),
                       Icon::Question, Buttons::YesNo, 2) != 1)
            return;
    }
    if (!self)
        return;
    QString error;
    const int pages =
        withProgress(QStringLiteral("另存为PDF"), QStringLiteral("正在保存为PDF，第 %1 / %2 页……"),
                     [this, &file, &error](const PrintProgress& progress) {
                         return printDocumentToPdf(*m_document, file, &error, progress);
                     });
    if (!self)
        return;
    layOutAgain();
    if (pages < 0)
        messagebox(QStringLiteral("错误"), error, Icon::StopSign);
}

} // namespace qv
