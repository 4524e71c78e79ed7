// Reads every gift record of a ledger through the report engine and totals
// the amounts, then does the same with the sqlite3 shell on the same file,
// which is the floor any reader of that file can hope for.

#include "ledgergen.h"

#include "platform/datastore.h"
#include "platform/transaction.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {

const QString kSelect = QStringLiteral("SELECT xtbh, xm, fw, lx, sy, dx, je, wp, sj, sq FROM rqwlb "
                                       "WHERE sq BETWEEN :as_begin AND :as_end");
const QString kSum = QStringLiteral("SELECT SUM(je) FROM rqwlb WHERE sq BETWEEN :as_begin AND :as_end");
// The whole period: every yyyymmdd date lies between these.
const QString kBegin = QStringLiteral("00000000");
const QString kEnd = QStringLiteral("99999999");

qv::ReportDef allRecordsDef()
{
    qv::ReportDef def;
    def.name = QStringLiteral("bench_all_records");
    def.select = kSelect;
    def.arguments = {QStringLiteral("as_begin"), QStringLiteral("as_end")};
    for (const char* name : {"xtbh", "xm", "fw", "lx", "sy", "dx", "je", "wp", "sj", "sq"}) {
        qv::ColumnDef column;
        column.name = QString::fromLatin1(name);
        column.type = column.name == u"je" ? qv::ColumnType::Money : qv::ColumnType::Text;
        def.columns << column;
    }
    return def;
}

// Kilobytes of one "Vm…:" line of /proc/self/status.
qint64 statusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Wall-clock time is what the operator waits for, but other programs on a
// busy machine stretch it; processor time (user + system, page faults
// included) is the steadier figure to compare two readers by.
struct Clock
{
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = processSeconds();
    double wallSeconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    }
    double cpuSeconds() const { return processSeconds() - cpu; }

    static double processSeconds()
    {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + ts.tv_nsec / 1e9;
    }
};

// User + system seconds of the children reaped so far.
double childrenSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
    Timing operator+(const Timing& o) const { return {wall + o.wall, cpu + o.cpu}; }
    Timing operator-(const Timing& o) const { return {wall - o.wall, cpu - o.cpu}; }
    QString text() const { return QStringLiteral("%1 / %2 s").arg(wall, 0, 'f', 3).arg(cpu, 0, 'f', 3); }
};

// The fastest of several runs, each measure on its own: the one least
// disturbed by whatever else the machine was doing.
struct Best
{
    Timing best{1e300, 1e300};
    void add(const Timing& t)
    {
        best.wall = std::min(best.wall, t.wall);
        best.cpu = std::min(best.cpu, t.cpu);
    }
};

QString mb(qint64 kb)
{
    return QString::number(kb / 1024.0, 'f', 1) + QStringLiteral(" MB");
}

QString perSecond(qint64 rows, double seconds)
{
    return QString::number(qint64(rows / std::max(seconds, 1e-9)));
}

struct ShellRun
{
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;
    QByteArray output;
    QString error;
};

// One statement through the shell with the same named arguments bound, so
// that it plans and reads exactly what the engine asks for.
ShellRun runShell(const QString& shell, const QString& file, const QString& sql, bool keepOutput)
{
    QProcess process;
    if (!keepOutput)
        process.setStandardOutputFile(QProcess::nullDevice());
    const QStringList args = {file, QStringLiteral(".parameter set :as_begin '%1'").arg(kBegin),
                              QStringLiteral(".parameter set :as_end '%1'").arg(kEnd), sql};
    ShellRun run;
    const double cpuBefore = childrenSeconds();
    const auto start = std::chrono::steady_clock::now();
    process.start(shell, args);
    const bool finished = process.waitForFinished(-1);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = childrenSeconds() - cpuBefore;
    run.output = process.readAllStandardOutput().trimmed();
    run.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
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
    bool rowsOk = true, repeatOk = true;
    const qint64 rowsIfMissing = args.size() > 2 ? args[2].toLongLong(&rowsOk) : 1'000'000;
    const int repeat = args.size() > 3 ? args[3].toInt(&repeatOk) : 3;
    if (args.size() < 2 || args.size() > 4 || !rowsOk || rowsIfMissing < 0 || !repeatOk || repeat < 1) {
        err << "usage: quorvel_bench_retrieve <sqlite-file> [rows-if-missing=1000000] [repeat=3]" << Qt::endl;
        return 2;
    }
    const QString file = QFileInfo(args[1]).absoluteFilePath();

    if (!QFileInfo::exists(file)) {
        out << QStringLiteral("%1 does not exist: generating %2 records").arg(file).arg(rowsIfMissing)
            << Qt::endl;
        qv::bench::GeneratedLedger generated;
        QString error;
        if (!qv::bench::generateLedger(file, rowsIfMissing, 1, out, generated, error)) {
            err << "generation failed: " << error << Qt::endl;
            return 1;
        }
    }

    qv::Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = file;
    if (!t.connect()) {
        err << "cannot open the ledger: " << t.SQLErrText << Qt::endl;
        return 1;
    }

    out << QStringLiteral("ledger %1 (%2)").arg(file, mb(QFileInfo(file).size() / 1024)) << Qt::endl;
    out << QStringLiteral("engine: DataStore::retrieve + sum(\"je\"), best of %1 (wall / processor seconds)")
               .arg(repeat)
        << Qt::endl;

    qv::DataStore store(allRecordsDef());
    store.setTransObject(&t);
    const qint64 hwmBefore = statusKb("VmHWM:");
    const qint64 rssBefore = statusKb("VmRSS:");
    Best engine, engineRetrieve;
    long rows = 0;
    qv::Money total;
    qint64 hwmAfter = 0, rssAfter = 0;
    for (int i = 0; i < repeat; ++i) {
        const Clock clock;
        rows = store.retrieve({kBegin, kEnd});
        const Timing retrieved{clock.wallSeconds(), clock.cpuSeconds()};
        total = store.sum(QStringLiteral("je"));
        const Timing summed{clock.wallSeconds(), clock.cpuSeconds()};
        if (rows < 0) {
            err << "retrieve failed: " << store.errorText() << Qt::endl;
            return 1;
        }
        if (i == 0) {
            hwmAfter = statusKb("VmHWM:");
            rssAfter = statusKb("VmRSS:");
        }
        out << QStringLiteral("  run %1: %2 rows, retrieve %3, sum %4, %5 rows/s")
                   .arg(i + 1)
                   .arg(rows)
                   .arg(retrieved.text(), (summed - retrieved).text(), perSecond(rows, summed.wall))
            << Qt::endl;
        engine.add(summed);
        engineRetrieve.add(retrieved);
    }
    out << QStringLiteral("  rows %1, seconds %2 (retrieve %3), rows/s %4, total %5")
               .arg(rows)
               .arg(engine.best.text(), engineRetrieve.best.text(), perSecond(rows, engine.best.wall),
                    total.format(u"0.00"))
        << Qt::endl;
    out << QStringLiteral("  peak memory (VmHWM) %1, grew by %2 over the first retrieve; resident %3 -> %4")
               .arg(mb(hwmAfter), mb(hwmAfter - hwmBefore), mb(rssBefore), mb(rssAfter))
        << Qt::endl;

    // What the Qt cursor alone costs, to tell the driver's share from the
    // engine's own.
    {
        const auto bound = qv::bindNamed(kSelect, allRecordsDef().arguments, {kBegin, kEnd});
        const Clock clock;
        auto query = t.open(bound->first, bound->second);
        qint64 cursorRows = 0;
        if (query)
            while (query->next()) {
                for (int c = 0; c < 10; ++c)
                    query->value(c);
                ++cursorRows;
            }
        out << QStringLiteral("  for reference, the bare QSqlQuery loop over the same SELECT: %1 rows in %2")
                   .arg(cursorRows)
                   .arg(Timing{clock.wallSeconds(), clock.cpuSeconds()}.text())
            << Qt::endl;
    }
    t.disconnect();

    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        err << "no sqlite3 shell on the PATH: no baseline" << Qt::endl;
        return 1;
    }
    out << QStringLiteral(
               "baseline: %1, SELECT to /dev/null + SUM(je), best of %2 (wall / processor seconds)")
               .arg(shell)
               .arg(repeat)
        << Qt::endl;
    Best shellTotalTime, shellSelect;
    QByteArray shellTotal;
    for (int i = 0; i < repeat; ++i) {
        const ShellRun select = runShell(shell, file, kSelect, false);
        const ShellRun sum = runShell(shell, file, kSum, true);
        if (!select.ok || !sum.ok) {
            err << "sqlite3 failed: " << select.error << sum.error << Qt::endl;
            return 1;
        }
        shellTotal = sum.output;
        const Timing selectTime{select.seconds, select.cpuSeconds};
        const Timing sumTime{sum.seconds, sum.cpuSeconds};
        out << QStringLiteral("  run %1: select %2, sum %3").arg(i + 1).arg(selectTime.text(), sumTime.text())
            << Qt::endl;
        shellTotalTime.add(selectTime + sumTime);
        shellSelect.add(selectTime);
    }
    const ShellRun count =
        runShell(shell, file,
                 QStringLiteral("SELECT count(*) FROM rqwlb WHERE sq BETWEEN :as_begin AND :as_end"), true);
    out << QStringLiteral("  rows %1, seconds %2 (select %3), rows/s %4, total %5")
               .arg(QString::fromUtf8(count.output), shellTotalTime.best.text(), shellSelect.best.text(),
                    perSecond(rows, shellTotalTime.best.wall), QString::fromUtf8(shellTotal))
        << Qt::endl;

    // The shell sums in floating point; the engine in cents. They must agree
    // to the cent.
    const auto shellCents = qv::Money::parse(QString::number(shellTotal.toDouble(), 'f', 2));
    const bool totalsAgree = shellCents && *shellCents == total && count.output.toLongLong() == rows;
    const double wallRatio = engine.best.wall / shellTotalTime.best.wall;
    const double cpuRatio = engine.best.cpu / shellTotalTime.best.cpu;
    out << QStringLiteral("ratio engine/sqlite3: %1 wall, %2 processor (retrieve/select alone %3 wall, %4 "
                          "processor); target 2.0: %5; rows and totals %6")
               .arg(wallRatio, 0, 'f', 2)
               .arg(cpuRatio, 0, 'f', 2)
               .arg(engineRetrieve.best.wall / shellSelect.best.wall, 0, 'f', 2)
               .arg(engineRetrieve.best.cpu / shellSelect.best.cpu, 0, 'f', 2)
               .arg(std::max(wallRatio, cpuRatio) <= 2.0 ? QStringLiteral("met") : QStringLiteral("MISSED"),
                    totalsAgree ? QStringLiteral("agree") : QStringLiteral("DIFFER"))
        << Qt::endl;
    return totalsAgree ? 0 : 1;
}
