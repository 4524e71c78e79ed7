// 往来余额（按人） over a large ledger, from pressing 查询 to the first screen
// drawn, against the same GROUP BY in the sqlite3 shell; and the online
// backup of that ledger against the shell's .backup.

#include "benchsupport.h"

#include "platform/database/ledgerbackup.h"
#include "platform/database/transaction.h"
#include "platform/output/reportgrid.h"
#include "queries/balanceswindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>

namespace {

// User + system seconds of the children reaped so far.
double childrenSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall-clock time is what the operator waits for; on a machine shared with
// other work processor time (user + system) is the steadier figure.
struct Timing
{
    double wall = 0;
    double cpu = 0;
    QString text() const { return QStringLiteral("%1 / %2 s").arg(wall, 0, 'f', 3).arg(cpu, 0, 'f', 3); }
};

template <typename F> Timing measure(F&& work, bool child = false)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = child ? childrenSeconds() : qv::bench::processSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            (child ? childrenSeconds() : qv::bench::processSeconds()) - cpu};
}

// The first run stands alone (caches still cold for this process); the
// median of the others is the steady figure.
struct Runs
{
    QList<Timing> all;
    Timing first() const { return all.value(0); }
    Timing median() const
    {
        QList<double> wall, cpu;
        for (qsizetype i = all.size() > 1 ? 1 : 0; i < all.size(); ++i) {
            wall << all[i].wall;
            cpu << all[i].cpu;
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        return {wall.value(wall.size() / 2), cpu.value(cpu.size() / 2)};
    }
};

struct ShellRun
{
    bool ok = false;
    QByteArray output;
    QString error;
};

ShellRun runShell(const QString& shell, const QStringList& arguments, bool keepOutput)
{
    QProcess process;
    if (!keepOutput)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(shell, arguments);
    ShellRun run;
    const bool finished = process.waitForFinished(-1);
    run.output = process.readAllStandardOutput().trimmed();
    run.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!run.ok)
        run.error = QString::fromUtf8(process.readAllStandardError()).trimmed() + process.errorString();
    return run;
}

QString ratio(double a, double b)
{
    return QString::number(a / std::max(b, 1e-9), 'f', 2);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments();
    bool repeatOk = true;
    const int repeat = args.size() > 2 ? args[2].toInt(&repeatOk) : 5;
    if (args.size() < 2 || args.size() > 3 || !repeatOk || repeat < 2) {
        err << "usage: quorvel_bench_balances <sqlite-file> [repeat=5, at least 2]" << Qt::endl;
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();
    if (!qv::bench::ensureLedger(file, 1'000'000, out, err))
        return 1;
    const QString shell = qv::bench::sqliteShell(err);
    if (shell.isEmpty())
        return 1;
    const double megabytes = QFileInfo(file).size() / (1024.0 * 1024.0);

    qv::Transaction t;
    if (!qv::bench::openLedger(t, file, err))
        return 1;
    QVariantList count;
    t.selectInto(QStringLiteral("SELECT count(*), count(DISTINCT xm) FROM rqwlb"), {}, count);
    out << QStringLiteral("ledger %1: %2 MB, %3 records, %4 people")
               .arg(file)
               .arg(megabytes, 0, 'f', 1)
               .arg(count.value(0).toLongLong())
               .arg(count.value(1).toLongLong())
        << Qt::endl;

    // --- 往来余额 ---
    qv::BalancesWindow window(t);
    window.show();
    QCoreApplication::processEvents();
    const qv::ReportDef def = window.grid()->store().definition();
    const QString from = QStringLiteral("20000101");
    const QString to = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    {
        const auto bound = qv::bindNamed(def.select, def.arguments, {QVariant(), from, to});
        QSqlQuery plan(t.database());
        plan.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + bound->first);
        for (const QVariant& v : bound->second)
            plan.addBindValue(v);
        plan.exec();
        out << "query plan:" << Qt::endl;
        while (plan.next())
            out << "  " << plan.value(3).toString() << Qt::endl;
    }

    out << QStringLiteral(
               "window: 查询 pressed to the first screen drawn, %1 runs (wall / processor seconds)")
               .arg(repeat)
        << Qt::endl;
    auto* queryButton = window.findChild<QPushButton*>(QStringLiteral("cb_1"));
    Runs windowRuns;
    long rows = 0;
    for (int i = 0; i < repeat; ++i) {
        const Timing run = measure([&] {
            queryButton->click();
            window.repaint(); // paints the grid's first screen there and then
        });
        rows = window.grid()->rowCount();
        out << QStringLiteral("  run %1: %2 people, %3").arg(i + 1).arg(rows).arg(run.text()) << Qt::endl;
        windowRuns.all << run;
    }
    const qv::Money total = window.grid()->store().sum(QStringLiteral("ye"));
    t.disconnect();

    out << QStringLiteral("baseline: %1, the same SELECT with the same arguments, output to /dev/null")
               .arg(shell)
        << Qt::endl;
    const QStringList parameters = {QStringLiteral(".parameter set :as_xm NULL"),
                                    QStringLiteral(".parameter set :as_from '%1'").arg(from),
                                    QStringLiteral(".parameter set :as_to '%1'").arg(to)};
    Runs shellRuns;
    for (int i = 0; i < repeat; ++i) {
        ShellRun result;
        const Timing run = measure(
            [&] {
                result = runShell(shell, QStringList{file} + parameters + QStringList{def.select}, false);
            },
            true);
        if (!result.ok) {
            err << "sqlite3 failed: " << result.error << Qt::endl;
            return 1;
        }
        out << QStringLiteral("  run %1: %2").arg(i + 1).arg(run.text()) << Qt::endl;
        shellRuns.all << run;
    }
    const ShellRun check = runShell(
        shell,
        QStringList{file} + parameters +
            QStringList{
                QStringLiteral("SELECT count(*) || ' ' || CAST(ROUND(SUM(ye) * 100) AS INTEGER) FROM (%1)")
                    .arg(def.select)},
        true);
    const bool agree =
        check.output == QByteArray::number(qlonglong(rows)) + ' ' + QByteArray::number(total.cents());
    const double wallRatio = windowRuns.median().wall / shellRuns.median().wall;
    const double cpuRatio = windowRuns.median().cpu / shellRuns.median().cpu;
    out << QStringLiteral("往来余额: window first %1, median %2; sqlite3 first %3, median %4")
               .arg(windowRuns.first().text(), windowRuns.median().text(), shellRuns.first().text(),
                    shellRuns.median().text())
        << Qt::endl;
    out << QStringLiteral("  ratio window/sqlite3 (medians): %1 wall, %2 processor; target 1.5: %3; "
                          "people and balance total %4 (%5 people, %6)")
               .arg(wallRatio, 0, 'f', 2)
               .arg(cpuRatio, 0, 'f', 2)
               .arg(cpuRatio <= 1.5 ? QStringLiteral("met") : QStringLiteral("MISSED"),
                    agree ? QStringLiteral("agree")
                          : QStringLiteral("DIFFER: sqlite3 says ") + QString::fromUtf8(check.output))
               .arg(rows)
               .arg(total.format())
        << Qt::endl;

    // --- backup ---
    const QString copy = QStringLiteral("/tmp/qv_bench_backup_%1.db").arg(QCoreApplication::applicationPid());
    const QString shellCopy =
        QStringLiteral("/tmp/qv_bench_shellbackup_%1.db").arg(QCoreApplication::applicationPid());
    out << QStringLiteral("backup of the %1 MB ledger, %2 runs (wall / processor seconds)")
               .arg(megabytes, 0, 'f', 1)
               .arg(repeat)
        << Qt::endl;
    Runs backupRuns, shellBackupRuns;
    for (int i = 0; i < repeat; ++i) {
        QFile::remove(copy);
        QFile::remove(shellCopy);
        qv::BackupResult result;
        const Timing ours = measure([&] { result = qv::backupSqliteDatabase(file, copy); });
        if (!result.ok) {
            err << "backup failed: " << result.error << Qt::endl;
            return 1;
        }
        ShellRun theirs;
        const Timing shellTime = measure(
            [&] {
                theirs = runShell(shell, {file, QStringLiteral(".backup '%1'").arg(shellCopy)}, false);
            },
            true);
        if (!theirs.ok) {
            err << "sqlite3 .backup failed: " << theirs.error << Qt::endl;
            return 1;
        }
        out << QStringLiteral("  run %1: backupSqliteDatabase %2 (%3 MB/s); sqlite3 .backup %4 (%5 MB/s)")
                   .arg(i + 1)
                   .arg(ours.text())
                   .arg(megabytes / ours.wall, 0, 'f', 0)
                   .arg(shellTime.text())
                   .arg(megabytes / shellTime.wall, 0, 'f', 0)
            << Qt::endl;
        backupRuns.all << ours;
        shellBackupRuns.all << shellTime;
    }
    const bool sameSize = QFileInfo(copy).size() == QFileInfo(shellCopy).size();
    QFile::remove(copy);
    QFile::remove(shellCopy);
    out << QStringLiteral("backup: median %1, %2 MB/s; sqlite3 .backup median %3, %4 MB/s; ratio %5 wall, "
                          "%6 processor; copies %7")
               .arg(backupRuns.median().text())
               .arg(megabytes / backupRuns.median().wall, 0, 'f', 0)
               .arg(shellBackupRuns.median().text())
               .arg(megabytes / shellBackupRuns.median().wall, 0, 'f', 0)
               .arg(ratio(backupRuns.median().wall, shellBackupRuns.median().wall),
                    ratio(backupRuns.median().cpu, shellBackupRuns.median().cpu),
                    sameSize ? QStringLiteral("the same size") : QStringLiteral("DIFFER in size"))
        << Qt::endl;
    return agree && sameSize ? 0 : 1;
}
