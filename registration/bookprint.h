#pragma once

#include "data/bookstore.h"

#include <QList>
#include <QRectF>
#include <QString>

class QPainter;
class QPrinter;
class QWidget;

namespace qv {

// A book on paper the way it is kept at the table: a cover with the book's
// name and day under 囍 (red on white) or 奠 (black on white), then the
// guests in vertical columns read from right to left, each name stacked
// above its amount in capitals and in figures, every page with its own
// total, the last with the grand total in capitals.
//
// Laid out once for a page size, then drawn a page at a time, so that a
// preview can draw only the pages it shows.
class BookPrint
{
public:
    BookPrint(Book book, QList<BookLine> lines);

    // The name a print job or a PDF carries.
    QString name() const;
    // Lays the book out on `printer`'s page; returns the page count.
    int layOut(QPrinter& printer);
    int pages() const { return m_pages; }
    // Draws page `page` (0-based: the cover) into `pageRect`, in the
    // painter's device pixels.
    void paintPage(QPainter& p, const QRectF& pageRect, int page) const;

    int guestsPerPage() const { return m_perPage; }

private:
    Book m_book;
    QList<BookLine> m_lines;
    int m_perPage = 12;
    int m_pages = 2;
    int m_nameSlots = 4;
    int m_capitalSlots = 6;
    double m_dpi = 96;
};

// Prints every page; the page count, or -1 when the printer did not start.
int printBook(BookPrint& book, QPrinter& printer);
// Writes the book as a PDF with the shared printer's page layout, its text
// searchable; the page count, or -1 with the reason in `error`.
int printBookToPdf(BookPrint& book, const QString& fileName, QString* error = nullptr);
// The print preview over the shared printer, with "另存为PDF".
void previewBook(BookPrint& book, QWidget* parent);

} // namespace qv
