// How long a 礼簿 takes on paper: laying it out, writing it as a PDF, and
// drawing every page as the print preview does, for books of a wedding's
// and a large funeral's size.

#include "benchsupport.h"

#include "registration/bookprint.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextStream>

using namespace qv;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString surnames = QStringLiteral("张王李赵刘陈杨黄周吴徐孙胡朱高林何郭马罗");
    const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平");
    for (const int guests : {200, 1000}) {
        QList<BookLine> lines;
        for (int i = 0; i < guests; ++i) {
            BookLine l;
            l.xtbh = QString::number(i);
            l.name = QString(surnames[i % surnames.size()]) + given[(i / 7) % given.size()] +
                     given[(i / 3) % given.size()];
            l.amount = Money::fromCents(qint64(200 + (i % 17) * 50) * 100);
            lines << l;
        }
        const Book book{1,
                        QStringLiteral("张府婚礼"),
                        QStringLiteral("20241001"),
                        QStringLiteral("喜事"),
                        QStringLiteral("结婚"),
                        false};
        BookPrint print(book, lines);

        auto start = bench::Clock::now();
        QString error;
        const int pages = printBookToPdf(print, dir.filePath(QStringLiteral("book.pdf")), &error);
        const double pdfMs = bench::msSince(start);

        // The preview records every page on the shared printer's resolution.
        QPrinter printer(QPrinter::HighResolution);
        start = bench::Clock::now();
        print.layOut(printer);
        const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
        QList<QPicture> pictures(pages);
        for (int i = 0; i < pages; ++i) {
            QPainter p(&pictures[i]);
            print.paintPage(p, page, i);
        }
        const double recordMs = bench::msSince(start);
        start = bench::Clock::now();
        QImage shown(600, 850, QImage::Format_ARGB32_Premultiplied);
        for (int i = 0; i < pages; ++i) {
            QPainter p(&shown);
            p.scale(600.0 / page.width(), 850.0 / page.height());
            pictures[i].play(&p);
        }
        const double showMs = bench::msSince(start);
        out << guests << " guests, " << pages << " pages: PDF " << qRound(pdfMs) << " ms, pages recorded "
            << qRound(recordMs) << " ms, drawn at screen size " << qRound(showMs) << " ms" << Qt::endl;
    }
    return 0;
}
