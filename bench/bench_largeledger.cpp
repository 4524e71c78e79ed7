// The all-records query window (人情往来查询（所有）) on a ledger of 200,000
// records, over its widest period: how soon the rows are on screen, the
// longest the window goes without handling events while reading them, and
// what 导出 to a workbook and 打印's preview cost in time and memory.
//
// Every figure comes from the first run in a fresh process (one child process
// per run), since memory peaks and caches are those of the whole process.

#include "benchsupport.h"

#include "platform/database/transaction.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/reportexport.h"
#include "platform/widgets/dateedit.h"
#include "queries/giftquerywindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

using namespace qv;

namespace {

using bench::Clock;
using bench::median;
using bench::msSince;

// Kilobytes of a /proc/self/status field: VmRSS now, VmHWM the peak.
double statusMb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Starts the peak (VmHWM) over from the present size.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The longest time between two turns of the event loop while `work` runs:
// how long the window would not have answered a click or repainted.
struct Responsiveness
{
    Responsiveness()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            m_longest = std::max(m_longest, std::chrono::duration<double, std::milli>(now - m_last).count());
            m_last = now;
        });
    }
    void start()
    {
        m_last = Clock::now();
        m_longest = 0;
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        const double tail = msSince(m_last);
        return std::max(m_longest, tail);
    }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    double m_longest = 0;
};

GiftQueryWindow* openWindow(Transaction& t, std::unique_ptr<QWidget>& holder)
{
    holder.reset(createGiftQuery(u"w_fwcx", t));
    auto* w = static_cast<GiftQueryWindow*>(holder.get());
    w->show();
    QApplication::processEvents();
    w->findChild<DateEdit*>(QStringLiteral("em_1"))->setStoredText(QStringLiteral("19000101"));
    w->findChild<DateEdit*>(QStringLiteral("em_2"))->setStoredText(QStringLiteral("29991231"));
    return w;
}

// One measurement in this process; prints "name value" lines for the parent.
int child(const QString& file, const QString& what)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    Transaction t;
    if (!bench::openLedger(t, file, err))
        return 1;
    const double startMb = statusMb("VmRSS:");
    std::unique_ptr<QWidget> holder;
    GiftQueryWindow* w = openWindow(t, holder);

    Responsiveness responsiveness;
    responsiveness.start();
    const auto start = Clock::now();
    const long rows = w->query();
    w->grid()->viewport()->repaint();
    const double screen = msSince(start);
    const double longest = responsiveness.stop();
    out << "rows " << rows << "\nscreen " << screen << "\nstall " << longest << "\n";
    if (rows <= 0)
        return 1;

    if (what == u"export") {
        QTemporaryDir dir;
        const QString xlsx = dir.filePath(QStringLiteral("all.xlsx"));
        QApplication::processEvents();
        const double before = statusMb("VmRSS:");
        resetPeak();
        responsiveness.start();
        const auto exportStart = Clock::now();
        QString error;
        const bool written = exportRows(rowsFromStore(w->grid()->store()), xlsx, &error, [](long, long) {
            QApplication::processEvents();
            return true;
        });
        out << "export " << msSince(exportStart) << "\nexportstall " << responsiveness.stop()
            << "\nexportpeak " << statusMb("VmHWM:") - before << "\nexportsize "
            << QFileInfo(xlsx).size() / 1e6 << "\n";
        if (!written) {
            err << error << Qt::endl;
            return 1;
        }
    } else if (what == u"preview") {
        QApplication::processEvents();
        const double before = statusMb("VmRSS:");
        resetPeak();
        double opened = 0;
        double lastPage = 0;
        double scrolled = 0;
        int pages = 0;
        const auto previewStart = Clock::now();
        setPreviewRunner([&](PrintPreviewDialog& dialog) {
            dialog.show();
            QApplication::processEvents();
            opened = msSince(previewStart);
            pages = dialog.pageCount();
            // Going to the last page, then paging through ten as a reader would.
            auto step = Clock::now();
            dialog.setCurrentPage(pages);
            QApplication::processEvents();
            lastPage = msSince(step);
            step = Clock::now();
            for (int i = 0; i < 10; ++i) {
                dialog.setCurrentPage(pages / 2 + i);
                QApplication::processEvents();
            }
            scrolled = msSince(step) / 10;
        });
        w->findChild<QPushButton*>(QStringLiteral("cb_2"))->click();
        setPreviewRunner({});
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        out << "preview " << opened << "\npages " << pages << "\nlastpage " << lastPage << "\npageturn "
            << scrolled << "\npreviewpeak " << statusMb("VmHWM:") - before << "\npreviewafter "
            << statusMb("VmRSS:") - before << "\n";
    }
    holder.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    out << "leftover " << statusMb("VmRSS:") - startMb << "\n";
    return 0;
}

QHash<QString, double> runChild(const QString& file, const QString& what, QTextStream& err)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), file, what});
    p.waitForFinished(-1);
    QHash<QString, double> figures;
    for (const QString& line :
         QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u' ');
        figures.insert(parts.value(0), parts.value(1).toDouble());
    }
    if (p.exitCode() != 0)
        err << what << ": the child run failed: " << p.readAllStandardError() << Qt::endl;
    return figures;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--child")
        return child(args[2], args[3]);
    if (args.size() < 2 || args.size() > 4) {
        err << "usage: quorvel_bench_largeledger <sqlite-file> [repeat=3] [parts=query,export,preview]"
            << Qt::endl;
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();
    const int repeat = std::max(1, args.value(2, QStringLiteral("3")).toInt());
    const QStringList parts =
        args.value(3, QStringLiteral("query,export,preview")).split(u',', Qt::SkipEmptyParts);
    if (!bench::ensureLedger(file, 200'000, out, err))
        return 1;
    out << QStringLiteral("ledger %1; w_fwcx over every date; %2 fresh processes each; medians")
               .arg(file)
               .arg(repeat)
        << Qt::endl;
    for (const QString& what : parts) {
        QHash<QString, QList<double>> all;
        for (int i = 0; i < repeat; ++i) {
            const auto figures = runChild(file, what, err);
            for (auto it = figures.begin(); it != figures.end(); ++it)
                all[it.key()] << it.value();
        }
        auto m = [&all](const char* key) { return median(all.value(QString::fromLatin1(key))); };
        out << Qt::endl << what << Qt::endl;
        out << QStringLiteral("  rows %1; rows on screen %2 ms; longest without events %3 ms")
                   .arg(m("rows"), 0, 'f', 0)
                   .arg(m("screen"), 0, 'f', 0)
                   .arg(m("stall"), 0, 'f', 0)
            << Qt::endl;
        if (what == u"export")
            out << QStringLiteral("  export to .xlsx %1 ms, %2 MB written; peak memory added %3 MB; longest "
                                  "without events %4 ms")
                       .arg(m("export"), 0, 'f', 0)
                       .arg(m("exportsize"), 0, 'f', 1)
                       .arg(m("exportpeak"), 0, 'f', 0)
                       .arg(m("exportstall"), 0, 'f', 0)
                << Qt::endl;
        if (what == u"preview")
            out << QStringLiteral(
                       "  打印 to the preview of %1 pages shown: %2 s; to its last page %3 ms, a page "
                       "turn %4 ms; peak memory added %5 MB, %6 MB left once the preview is closed")
                       .arg(m("pages"), 0, 'f', 0)
                       .arg(m("preview") / 1000, 0, 'f', 2)
                       .arg(m("lastpage"), 0, 'f', 0)
                       .arg(m("pageturn"), 0, 'f', 0)
                       .arg(m("previewpeak"), 0, 'f', 0)
                       .arg(m("previewafter"), 0, 'f', 0)
                << Qt::endl;
        out << QStringLiteral("  memory left once the window is closed: %1 MB over the start")
                   .arg(m("leftover"), 0, 'f', 0)
            << Qt::endl;
    }
    return 0;
}
