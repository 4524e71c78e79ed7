#pragma once

#include "printing.h"

#include <QDialog>

#include <memory>

class QAction;
class QPrinter;
class QSpinBox;

namespace qv {

class PageView;

// "打印预览": the pages of a document one under another, drawn only as they
// come into view, so that a report of thousands of pages opens as quickly as
// one of a single page. Its "打印" goes to the printer through the print
// dialog and its "另存为PDF" to a file, each page by page with progress and
// 取消. The pages it keeps drawn go with the dialog.
class PrintPreviewDialog : public QDialog
{
    Q_OBJECT
public:
    PrintPreviewDialog(std::unique_ptr<PrintDocument> document, QPrinter* printer, QWidget* parent = nullptr);
    ~PrintPreviewDialog() override;

    PrintDocument& document() { return *m_document; }
    int pageCount() const;
    // The page most in view, 1-based.
    int currentPage() const;
    void setCurrentPage(int page);
    // How many times a page has been drawn for the screen since the dialog
    // opened.
    int pagesDrawn() const;

    // "打印": the print dialog, then every chosen page with progress. On a
    // machine without a printer, the pages go to a PDF file instead.
    void print();
    // "另存为PDF": asks for a file name and writes every page to it with
    // progress; a name typed without an ending gets ".pdf".
    void savePdf();

private:
    // Runs `work` with a progress dialog saying `label` ("…第 %1 / %2 页…")
    // and offering 取消; returns what `work` returns.
    int withProgress(const QString& title, const QString& label,
                     const std::function<int(const PrintProgress&)>& work);
    // Lays the document out on the preview's printer again: printing may
    // have chosen another paper, and a PDF is laid out on a printer of its
    // own.
    void layOutAgain();
    void showCurrentPage(int page);

    std::unique_ptr<PrintDocument> m_document;
    QPrinter* m_printer;
    PageView* m_view;
    QSpinBox* m_pageNumber; // pageNumber
    bool m_working = false;
};

} // namespace qv
