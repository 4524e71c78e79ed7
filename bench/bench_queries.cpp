// The query windows on a large ledger: the all-records query of one year and
// the per-person query of one name, timed from "查询" to the first screen of
// rows drawn and to the total drawn under them, against the same SELECT and
// SUM in the sqlite3 shell on the same file.
//
// Each figure is given for the first query of a fresh process (a child
// process per run, since a process that has queried once has its fonts,
// plugins and statement caches warm) and as the median of repeated queries
// in one process; never only the best.

#include "benchsupport.h"

#include "platform/database/transaction.h"
#include "platform/output/reportgrid.h"
#include "platform/widgets/dateedit.h"
#include "queries/giftquerywindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTextStream>

#include <algorithm>

using namespace qv;

namespace {

using bench::Clock;
using bench::median;
using bench::msSince;

struct Figures
{
    double read = 0;        // ms from 查询 to the rows read and swapped in
    double firstScreen = 0; // ms from 查询 to the rows drawn
    double totalShown = 0;  // ms from 查询 to the total drawn
    long rows = 0;
    QString total;
};

struct QuerySpec
{
    const char* window;
    QString name; // per-person windows only
    QString from;
    QString to;
};

// One press of "查询" and the paints that follow it, as the operator sees them.
Figures pressQuery(GiftQueryWindow& window, const QuerySpec& spec)
{
    auto* name = window.findChild<QLineEdit*>(QStringLiteral("sle_1"));
    if (name)
        name->setText(spec.name);
    window.findChild<DateEdit*>(QStringLiteral("em_1"))->setStoredText(spec.from);
    window.findChild<DateEdit*>(QStringLiteral("em_2"))->setStoredText(spec.to);

    Figures f;
    const auto start = Clock::now();
    f.rows = window.query();
    f.read = msSince(start);
    ReportGrid* grid = window.grid();
    grid->viewport()->repaint();
    f.firstScreen = msSince(start);
    if (QWidget* totals = grid->findChild<QWidget*>(QStringLiteral("totals")))
        totals->repaint();
    f.totalShown = msSince(start);
    for (const auto& cell : grid->totalsTexts())
        f.total += cell.second;
    return f;
}

QuerySpec spec(const QStringList& args, int at)
{
    QuerySpec s;
    static const QByteArray window = args.value(at).toLatin1();
    s.window = window.constData();
    s.name = args.value(at + 1);
    s.from = args.value(at + 2);
    s.to = args.value(at + 3);
    return s;
}

// The shell's wall time for the statement with the arguments bound.
double shellMs(const QString& shell, const QString& file, const QString& sql, const QStringList& parameters,
               QByteArray* output)
{
    QProcess process;
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    QStringList args{file};
    args << parameters << sql;
    const auto start = Clock::now();
    process.start(shell, args);
    process.waitForFinished(-1);
    const double ms = msSince(start);
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return ms;
}

// Runs one query in this process and prints its figures on one line; the
// parent process reads it.
int child(const QString& file, const QuerySpec& s)
{
    Transaction t;
    QTextStream err(stderr);
    if (!bench::openLedger(t, file, err))
        return 1;
    std::unique_ptr<QWidget> w(createGiftQuery(QString::fromLatin1(s.window), t));
    auto* window = static_cast<GiftQueryWindow*>(w.get());
    window->show();
    QApplication::processEvents();
    const Figures f = pressQuery(*window, s);
    QTextStream(stdout) << f.firstScreen << ' ' << f.totalShown << ' ' << f.rows << Qt::endl;
    return f.rows < 0 ? 1 : 0;
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
    if (args.size() == 7 && args[1] == u"--child")
        return child(args[2], spec(args, 3));
    if (args.size() < 2 || args.size() > 4) {
        err << "usage: quorvel_bench_queries <sqlite-file> [year=2015] [repeat=7]" << Qt::endl;
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();
    const QString year = args.value(2, QStringLiteral("2015"));
    const int repeat = std::max(1, args.value(3, QStringLiteral("7")).toInt());
    if (!bench::ensureLedger(file, 1'000'000, out, err))
        return 1;
    const QString shell = bench::sqliteShell(err);
    if (shell.isEmpty())
        return 1;

    Transaction t;
    if (!bench::openLedger(t, file, err))
        return 1;
    // The person with the most records, for the per-person query.
    QVariantList busiest;
    t.selectInto(QStringLiteral("SELECT xm FROM rqwlb GROUP BY xm ORDER BY count(*) DESC LIMIT 1"), {},
                 busiest);
    const QString person = busiest.value(0).toString();

    const QuerySpec queries[] = {
        {"w_fwcx", QString(), year + QStringLiteral("0101"), year + QStringLiteral("1231")},
        {"w_lwcx", person, QStringLiteral("19000101"), QStringLiteral("29991231")},
    };
    out << QStringLiteral("ledger %1; %2 runs each; milliseconds (wall)").arg(file).arg(repeat) << Qt::endl;

    for (const QuerySpec& q : queries) {
        const bool byPerson = !q.name.isEmpty();
        out << Qt::endl
            << (byPerson ? QStringLiteral("%1, the per-person query of %2 (all dates)").arg(q.window, q.name)
                         : QStringLiteral("%1, the all-records query of %2").arg(q.window, year))
            << Qt::endl;

        // The first query of a fresh process, once per run.
        QList<double> freshScreen, freshTotal;
        long rows = 0;
        for (int i = 0; i < repeat; ++i) {
            QProcess p;
            p.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), file, QString::fromLatin1(q.window), q.name, q.from, q.to});
            p.waitForFinished(-1);
            const QStringList parts = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char(' '));
            if (parts.size() < 3) {
                err << "the child run failed" << Qt::endl;
                return 1;
            }
            freshScreen << parts[0].toDouble();
            freshTotal << parts[1].toDouble();
            rows = parts[2].trimmed().toLong();
        }

        // Repeated queries in one process.
        std::unique_ptr<QWidget> w(createGiftQuery(QString::fromLatin1(q.window), t));
        auto* window = static_cast<GiftQueryWindow*>(w.get());
        window->show();
        QApplication::processEvents();
        QList<double> warmScreen, warmTotal, warmRead;
        QString total;
        for (int i = 0; i < repeat; ++i) {
            const Figures f = pressQuery(*window, q);
            warmScreen << f.firstScreen;
            warmRead << f.read;
            warmTotal << f.totalShown;
            total = f.total;
        }

        // The same SELECT and SUM in the shell.
        const QString where = byPerson ? QStringLiteral("xm = :s_xm AND sq BETWEEN :s_d1 AND :s_d2")
                                       : QStringLiteral("sq BETWEEN :s_d1 AND :s_d2");
        QStringList parameters{QStringLiteral(".parameter set :s_d1 '%1'").arg(q.from),
                               QStringLiteral(".parameter set :s_d2 '%1'").arg(q.to)};
        if (byPerson)
            parameters << QStringLiteral(".parameter set :s_xm '%1'").arg(q.name);
        QList<double> shellSelect, shellBoth;
        QByteArray shellSum;
        for (int i = 0; i < repeat; ++i) {
            const double select = shellMs(
                shell, file,
                QStringLiteral("SELECT xtbh, xm, lx, dx, sy, wp, je, sj, sq FROM rqwlb WHERE ") + where,
                parameters, nullptr);
            const double sum =
                shellMs(shell, file, QStringLiteral("SELECT SUM(je) FROM rqwlb WHERE ") + where, parameters,
                        &shellSum);
            shellSelect << select;
            shellBoth << select + sum;
        }

        out << QStringLiteral("  rows %1, total %2 (shell SUM %3)")
                   .arg(rows)
                   .arg(total, QString::fromUtf8(shellSum))
            << Qt::endl;
        out << QStringLiteral(
                   "  first screen: fresh process first run %1, fresh median %2, in-process median %3")
                   .arg(freshScreen.first(), 0, 'f', 1)
                   .arg(median(freshScreen), 0, 'f', 1)
                   .arg(median(warmScreen), 0, 'f', 1)
            << Qt::endl;
        out << QStringLiteral("  of which reading the rows (in-process median): %1")
                   .arg(median(warmRead), 0, 'f', 1)
            << Qt::endl;
        out << QStringLiteral(
                   "  total shown:  fresh process first run %1, fresh median %2, in-process median %3")
                   .arg(freshTotal.first(), 0, 'f', 1)
                   .arg(median(freshTotal), 0, 'f', 1)
                   .arg(median(warmTotal), 0, 'f', 1)
            << Qt::endl;
        out << QStringLiteral("  sqlite3 shell: SELECT first %1 median %2; SELECT + SUM first %3 median %4")
                   .arg(shellSelect.first(), 0, 'f', 1)
                   .arg(median(shellSelect), 0, 'f', 1)
                   .arg(shellBoth.first(), 0, 'f', 1)
                   .arg(median(shellBoth), 0, 'f', 1)
            << Qt::endl;
        const double ratio = median(warmTotal) / median(shellBoth);
        const double freshRatio = median(freshTotal) / median(shellBoth);
        out << QStringLiteral("  target first screen < 100 ms: %1; total / shell %2 in process, %3 fresh "
                              "(target 1.5): %4")
                   .arg(median(freshScreen) < 100 && median(warmScreen) < 100 ? QStringLiteral("met")
                                                                              : QStringLiteral("MISSED"))
                   .arg(ratio, 0, 'f', 2)
                   .arg(freshRatio, 0, 'f', 2)
                   .arg(ratio <= 1.5 ? QStringLiteral("met") : QStringLiteral("MISSED"))
            << Qt::endl;
    }
    return 0;
}
