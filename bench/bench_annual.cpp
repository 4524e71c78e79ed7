// The annual statistics of one year on a large ledger: the twelve months
// summed and stored as the window does it, against the same 24 sums and 12
// inserts run by the sqlite3 shell on the same file.

#include "benchsupport.h"

#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"
#include "statistics/annualstatistics.h"
#include "statistics/statisticsreports.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

namespace {

struct Series
{
    QList<double> runs;
    double first() const { return runs.value(0); }
    double median() const { return qv::bench::median(runs); }
    QString text() const
    {
        return QStringLiteral("first %1 ms, median %2 ms").arg(first(), 0, 'f', 1).arg(median(), 0, 'f', 1);
    }
};

// The twelve stored months, "mon sou song je" in cents, to compare the two
// sides by.
QStringList storedMonths(qv::Transaction& t)
{
    QStringList months;
    auto query = t.open(QStringLiteral("SELECT mon, sou, song, je FROM tjb ORDER BY mon"));
    while (query && query->next()) {
        QStringList row{query->value(0).toString()};
        for (int c = 1; c <= 3; ++c)
            row << QString::number(qv::Money::fromVariant(query->value(c)).value_or(qv::Money()).cents());
        months << row.join(u' ');
    }
    return months;
}

// The same work as one shell script: the twelve months in one transaction,
// each month a savepoint of its own (January's with the emptying of tjb),
// its two sums in cents feeding its insert. With `commitEachMonth` every
// month is instead a transaction of its own, for comparison.
QString shellScript(const QString& year, bool commitEachMonth)
{
    QString script = QStringLiteral(".timer on\n");
    const QString sum = QStringLiteral("(SELECT %1 FROM rqwlb WHERE lx = '%2' AND sq BETWEEN '%3' AND '%4')");
    if (!commitEachMonth)
        script += QStringLiteral("BEGIN;\n");
    for (int month = 1; month <= 12; ++month) {
        const qv::MonthBounds b = qv::monthBounds(year, month);
        script += commitEachMonth ? QStringLiteral("BEGIN;\n") : QStringLiteral("SAVEPOINT stats_month;\n");
        if (month == 1)
            script += QStringLiteral("DELETE FROM tjb;\n");
        const QString received = sum.arg(qv::Dialect(qv::Dbms::SQLite).sumInCents(QStringLiteral("je")),
                                         QStringLiteral("收情"), b.first, b.last);
        const QString given = sum.arg(qv::Dialect(qv::Dbms::SQLite).sumInCents(QStringLiteral("je")),
                                      QStringLiteral("送情"), b.first, b.last);
        script += QStringLiteral(
                      "INSERT INTO tjb (year, mon, sou, song, je) SELECT '%1', '%2', s / 100.0, g / 100.0, "
                      "(s + g) / 100.0 FROM (SELECT %3 AS s, %4 AS g);\n")
                      .arg(year, b.mon, received, given);
        script += commitEachMonth ? QStringLiteral("COMMIT;\n") : QStringLiteral("RELEASE stats_month;\n");
    }
    if (!commitEachMonth)
        script += QStringLiteral("COMMIT;\n");
    return script;
}

struct ShellRun
{
    bool ok = false;
    double processMs = 0;   // the whole shell process
    double statementMs = 0; // its own ".timer" figures, summed
    QString error;
};

ShellRun runShell(const QString& shell, const QString& file, const QString& script)
{
    QProcess process;
    ShellRun run;
    const auto start = qv::bench::Clock::now();
    process.start(shell, {file});
    process.write(script.toUtf8());
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(-1);
    run.processMs = qv::bench::msSince(start);
    run.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression timer(QStringLiteral("Run Time: real ([0-9.]+)"));
    for (auto it = timer.globalMatch(output); it.hasNext();)
        run.statementMs += it.next().captured(1).toDouble() * 1000;
    if (!run.ok)
        run.error = QString::fromUtf8(process.readAllStandardError()).trimmed() + process.errorString();
    return run;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    bool repeatOk = true;
    const int repeat = args.size() > 2 ? args[2].toInt(&repeatOk) : 9;
    const QString year = args.size() > 3 ? args[3] : QStringLiteral("2015");
    if (args.size() < 2 || args.size() > 4 || !repeatOk || repeat < 1) {
        err << "usage: quorvel_bench_annual <sqlite-file> [repeat=9] [year=2015]" << Qt::endl;
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();
    if (!qv::bench::ensureLedger(file, 1'000'000, out, err))
        return 1;

    qv::Transaction t;
    if (!qv::bench::openLedger(t, file, err))
        return 1;
    QVariantList into;
    t.selectInto(QStringLiteral("SELECT count(*) FROM rqwlb"), {}, into);
    out << QStringLiteral("ledger %1: %2 records; year %3, %4 runs each")
               .arg(file, into.value(0).toString(), year)
               .arg(repeat)
        << Qt::endl;

    // The computation alone, and as the window runs it: the report re-read
    // and sorted after every stored month.
    Series engine, window;
    qv::DataStore report(qv::annualStatisticsDefinition());
    report.setTransObject(&t);
    report.setSort({{QStringLiteral("mon"), true}});
    int refused = 0;
    for (int i = 0; i < repeat; ++i) {
        auto start = qv::bench::Clock::now();
        qv::computeYear(t, year, [&](const qv::MonthOutcome& m) { refused += m.stored ? 0 : 1; });
        engine.runs << qv::bench::msSince(start);
        start = qv::bench::Clock::now();
        qv::computeYear(t, year, [&](const qv::MonthOutcome& m) {
            refused += m.stored ? 0 : 1;
            report.retrieve();
            report.sort();
        });
        window.runs << qv::bench::msSince(start);
    }
    const QStringList engineMonths = storedMonths(t);
    t.disconnect();
    out << QStringLiteral("engine: computeYear (24 sums, 12 inserts, one commit): %1").arg(engine.text())
        << Qt::endl;
    out << QStringLiteral("        with the report re-read after each month:      %1").arg(window.text())
        << Qt::endl;

    const QString shell = qv::bench::sqliteShell(err);
    if (shell.isEmpty())
        return 1;
    // The shell's own ".timer" rounds every statement to the millisecond,
    // which on 38 short statements says little; its whole run less the run
    // of an empty script on the same file (start, open, schema) is the
    // finer measure of the work itself.
    Series statements, process, empty, net, perMonth;
    const QString script = shellScript(year, false);
    const QString perMonthScript = shellScript(year, true);
    for (int i = 0; i < repeat; ++i) {
        const ShellRun run = runShell(shell, file, script);
        const ShellRun idle = runShell(shell, file, QStringLiteral("SELECT count(*) FROM tjb;\n"));
        const ShellRun committing = runShell(shell, file, perMonthScript);
        if (!run.ok || !idle.ok || !committing.ok) {
            err << "sqlite3 failed: " << run.error << idle.error << committing.error << Qt::endl;
            return 1;
        }
        statements.runs << run.statementMs;
        process.runs << run.processMs;
        empty.runs << idle.processMs;
        perMonth.runs << committing.statementMs;
    }
    for (int i = 0; i < repeat; ++i)
        net.runs << process.runs[i] - empty.median();
    t.connect();
    const QStringList shellMonths = storedMonths(t);
    out << QStringLiteral("sqlite3 shell, same sums and inserts: whole process %1").arg(process.text())
        << Qt::endl;
    out << QStringLiteral("                                      empty script  %1").arg(empty.text())
        << Qt::endl;
    out << QStringLiteral("                                      the work (whole less empty median) %1")
               .arg(net.text())
        << Qt::endl;
    out << QStringLiteral("                                      its .timer figures summed %1")
               .arg(statements.text())
        << Qt::endl;
    out << QStringLiteral("  for reference, a commit after every month: .timer summed %1")
               .arg(perMonth.text())
        << Qt::endl;

    const bool agree = refused == 0 && engineMonths.size() == 12 && engineMonths == shellMonths;
    const double ratio = engine.median() / net.median();
    out << QStringLiteral(
               "ratio engine/shell work (median): %1 (against the .timer figures: %2); target 1.2: %3; "
               "under 100 ms: %4; months %5")
               .arg(ratio, 0, 'f', 2)
               .arg(engine.median() / statements.median(), 0, 'f', 2)
               .arg(ratio <= 1.2 ? QStringLiteral("met") : QStringLiteral("MISSED"),
                    engine.median() < 100 ? QStringLiteral("yes") : QStringLiteral("NO"),
                    agree ? QStringLiteral("agree") : QStringLiteral("DIFFER"))
        << Qt::endl;
    return agree ? 0 : 1;
}
