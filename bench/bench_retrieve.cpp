// Reads every gift record of a ledger through the report engine and totals
// the amounts, then does the same with the sqlite3 shell on the same file,
// which is the floor any reader of that file can hope for.
//
// Each run is a fresh process, measured from start to exit: only the first
// retrieve of a process starts on an empty heap, and that is what the
// operator waits for. Processor time (user + system, page faults included)
// is the figure compared: on a machine shared with other work, wall-clock
// time says more about the neighbours than about the reader.

#include "benchsupport.h"

#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>

extern char** environ;

namespace {

const QString kColumns = QStringLiteral("xtbh, xm, fw, lx, sy, dx, je, wp, sj, sq");
const QString kWhere = QStringLiteral("WHERE sq BETWEEN :as_begin AND :as_end");
// The whole period: every yyyymmdd date lies between these.
const QString kBegin = QStringLiteral("00000000");
const QString kEnd = QStringLiteral("99999999");

// The statement as the all-records window sends it, and the same statement
// told to walk the table instead of the date index.
enum class Plan { AsPlanned, TableWalk };

QString selectText(Plan plan)
{
    return QStringLiteral("SELECT %1 FROM rqwlb%2 %3")
        .arg(kColumns, plan == Plan::TableWalk ? QStringLiteral(" NOT INDEXED") : QString(), kWhere);
}

QString sumText(Plan plan)
{
    return QStringLiteral("SELECT SUM(je), count(*) FROM rqwlb%1 %2")
        .arg(plan == Plan::TableWalk ? QStringLiteral(" NOT INDEXED") : QString(), kWhere);
}

qv::ReportDef allRecordsDef(Plan plan)
{
    qv::ReportDef def;
    def.name = QStringLiteral("bench_all_records");
    def.select = selectText(plan);
    def.arguments = {QStringLiteral("as_begin"), QStringLiteral("as_end")};
    for (const QString& name : kColumns.split(QStringLiteral(", "))) {
        qv::ColumnDef column;
        column.name = name;
        if (name == u"je")
            column.type = qv::ColumnType::Money;
        else if (name == u"sj" || name == u"sq")
            column.type = qv::ColumnType::Date;
        def.columns << column;
    }
    return def;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double seconds(const timeval& tv)
{
    return double(tv.tv_sec) + double(tv.tv_usec) / 1e6;
}

QString mb(qint64 kb)
{
    return QString::number(double(kb) / 1024.0, 'f', 1) + QStringLiteral(" MB");
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

// ---- the engine's side, run in a process of its own -----------------------

// Retrieves `retrieves` times, totals after each, optionally sorts by name,
// and prints one line per measure for the parent to read.
int engineChild(const QString& file, int retrieves, Plan plan, bool sortByName)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    qv::Transaction t;
    if (!qv::bench::openLedger(t, file, err))
        return 1;
    qv::DataStore store(allRecordsDef(plan));
    store.setTransObject(&t);
    for (int i = 0; i < retrieves; ++i) {
        const double cpu0 = qv::bench::processSeconds(), wall0 = wallSeconds();
        const long rows = store.retrieve({kBegin, kEnd});
        const double cpu1 = qv::bench::processSeconds(), wall1 = wallSeconds();
        const qv::Money total = store.sum(QStringLiteral("je"));
        const double cpu2 = qv::bench::processSeconds();
        if (rows < 0) {
            QTextStream(stderr) << "retrieve failed: " << store.errorText() << Qt::endl;
            return 1;
        }
        out << "retrieve " << (cpu1 - cpu0) << ' ' << (wall1 - wall0) << ' ' << (cpu2 - cpu1) << ' ' << rows
            << ' ' << total.cents() << ' ' << statusKb("VmHWM:") << '\n';
    }
    if (sortByName) {
        store.setSort({{QStringLiteral("xm"), true}});
        const double cpu0 = qv::bench::processSeconds(), wall0 = wallSeconds();
        store.sort();
        out << "sort " << (qv::bench::processSeconds() - cpu0) << ' ' << (wallSeconds() - wall0) << '\n';
    }
    out.flush();
    return 0;
}

// ---- the parent: fresh processes, measured from start to exit -------------

struct ProcessRun
{
    bool ok = false;
    double cpu = 0;  // user + system of the whole process
    double wall = 0; // start to exit
    qint64 peakKb = 0;
    QByteArray output;
};

// Starts a program and waits for it, with its standard output captured and
// its resource use taken from the kernel at exit.
ProcessRun runProcess(const QString& program, const QStringList& arguments)
{
    ProcessRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);

    QList<QByteArray> storage{program.toLocal8Bit()};
    for (const QString& a : arguments)
        storage << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const double start = wallSeconds();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return run;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.wall = wallSeconds() - start;
    run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

struct EngineRun
{
    ProcessRun process;
    QList<double> retrieveCpu; // per retrieve inside the process
    double sumCpu = 0;
    long rows = -1;
    qint64 cents = 0;
    double sortCpu = -1;
};

EngineRun runEngine(const QString& self, const QString& file, int retrieves, Plan plan, bool sortByName)
{
    EngineRun run;
    run.process =
        runProcess(self, {QStringLiteral("--engine-child"), file, QString::number(retrieves),
                          plan == Plan::TableWalk ? QStringLiteral("walk") : QStringLiteral("planned"),
                          sortByName ? QStringLiteral("sort") : QStringLiteral("nosort")});
    for (const QByteArray& line : run.process.output.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.value(0) == "retrieve" && f.size() >= 6) {
            run.retrieveCpu << f[1].toDouble();
            if (run.retrieveCpu.size() == 1)
                run.sumCpu = f[3].toDouble();
            run.rows = f[4].toLong();
            run.cents = f[5].toLongLong();
        } else if (f.value(0) == "sort" && f.size() >= 2) {
            run.sortCpu = f[1].toDouble();
        }
    }
    return run;
}

struct ShellRun
{
    ProcessRun process;
    long rows = -1;
    std::optional<qv::Money> total;
};

// The same SELECT with the same named arguments bound, so that the shell
// plans and reads exactly what the engine asks for; its rows go to
// /dev/null, then one more statement totals them.
ShellRun runShell(const QString& shell, const QString& file, Plan plan)
{
    ShellRun run;
    run.process = runProcess(shell, {file, QStringLiteral(".parameter set :as_begin '%1'").arg(kBegin),
                                     QStringLiteral(".parameter set :as_end '%1'").arg(kEnd),
                                     QStringLiteral(".output /dev/null"), selectText(plan),
                                     QStringLiteral(".output stdout"), sumText(plan)});
    const QList<QByteArray> f = run.process.output.trimmed().split('|');
    if (f.size() == 2) {
        // The shell sums in floating point; the engine in cents. They must
        // agree to the cent.
        run.total = qv::Money::parse(QString::number(f[0].toDouble(), 'f', 2));
        run.rows = f[1].toLong();
    }
    return run;
}

struct Stats
{
    double min = 0;
    double median = 0;
    double max = 0;
};

Stats stats(QList<double> values)
{
    if (values.isEmpty())
        return {};
    std::sort(values.begin(), values.end());
    return {values.front(), qv::bench::median(values), values.back()};
}

QString secs(double s)
{
    return QString::number(s, 'f', 3) + QStringLiteral(" s");
}

QString minMedian(const Stats& s, bool memory = false)
{
    if (memory)
        return QStringLiteral("min %1, median %2, max %3")
            .arg(mb(qint64(s.min)), mb(qint64(s.median)), mb(qint64(s.max)));
    return QStringLiteral("min %1, median %2, max %3").arg(secs(s.min), secs(s.median), secs(s.max));
}

struct Side
{
    QList<double> cpu, wall, peak;
    void add(const ProcessRun& p)
    {
        cpu << p.cpu;
        wall << p.wall;
        peak << double(p.peakKb);
    }
};

int usage()
{
    QTextStream(stderr) << "usage: quorvel_bench_retrieve <sqlite-file> [rows-if-missing=1000000] [runs=5]"
                        << Qt::endl;
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == u"--engine-child") {
        if (args.size() != 6)
            return usage();
        return engineChild(args[2], args[3].toInt(), args[4] == u"walk" ? Plan::TableWalk : Plan::AsPlanned,
                           args[5] == u"sort");
    }

    QTextStream out(stdout);
    QTextStream err(stderr);
    bool rowsOk = true, runsOk = true;
    const qint64 rowsIfMissing = args.size() > 2 ? args[2].toLongLong(&rowsOk) : 1'000'000;
    const int runs = args.size() > 3 ? args[3].toInt(&runsOk) : 5;
    if (args.size() < 2 || args.size() > 4 || !rowsOk || rowsIfMissing < 0 || !runsOk || runs < 1)
        return usage();
    const QString file = QFileInfo(args[1]).absoluteFilePath();

    if (!qv::bench::ensureLedger(file, rowsIfMissing, out, err))
        return 1;
    const QString shell = qv::bench::sqliteShell(err);
    if (shell.isEmpty())
        return 1;
    const QString self = QCoreApplication::applicationFilePath();

    out << QStringLiteral("ledger %1 (%2)").arg(file, mb(QFileInfo(file).size() / 1024)) << Qt::endl;
    out << QStringLiteral("statement: %1").arg(selectText(Plan::AsPlanned)) << Qt::endl;
    {
        const ProcessRun plan = runProcess(
            shell, {file, QStringLiteral("EXPLAIN QUERY PLAN %1").arg(selectText(Plan::AsPlanned))});
        QStringList steps;
        for (const QByteArray& line : plan.output.split('\n'))
            if (line.contains("--"))
                steps << QString::fromUtf8(line.mid(line.indexOf("--") + 2));
        out << QStringLiteral("query plan for the whole period: %1").arg(steps.join(QStringLiteral("; ")))
            << Qt::endl;
    }

    bool agree = true;
    auto check = [&](long rows, std::optional<qv::Money> total, long shellRows,
                     std::optional<qv::Money> shellTotal) {
        if (rows != shellRows || !total || !shellTotal || *total != *shellTotal)
            agree = false;
    };

    // Engine and shell take turns, so that a busy spell of the machine falls
    // on both sides alike.
    auto measure = [&](Plan plan, int count, Side& engine, Side& sqlite, QList<double>& firstRetrieve,
                       qv::Money& total, long& rows) -> bool {
        for (int i = 0; i < count; ++i) {
            const EngineRun e = runEngine(self, file, 1, plan, false);
            const ShellRun s = runShell(shell, file, plan);
            if (!e.process.ok || !s.process.ok || e.retrieveCpu.isEmpty()) {
                err << "a run failed" << Qt::endl;
                return false;
            }
            out << QStringLiteral("  run %1: engine %2 (wall %3, retrieve %4, sum %5), peak %6; "
                                  "sqlite3 %7 (wall %8), peak %9")
                       .arg(i + 1)
                       .arg(secs(e.process.cpu), secs(e.process.wall), secs(e.retrieveCpu[0]), secs(e.sumCpu),
                            mb(e.process.peakKb), secs(s.process.cpu), secs(s.process.wall),
                            mb(s.process.peakKb))
                << Qt::endl;
            engine.add(e.process);
            sqlite.add(s.process);
            firstRetrieve << e.retrieveCpu[0];
            total = qv::Money::fromCents(e.cents);
            rows = e.rows;
            check(e.rows, total, s.rows, s.total);
        }
        return true;
    };

    out << QStringLiteral("whole process, retrieve + exact total, %1 fresh processes per side "
                          "(processor seconds: user + system)")
               .arg(runs)
        << Qt::endl;
    Side engine, sqlite;
    QList<double> firstRetrieve;
    qv::Money total;
    long rows = 0;
    if (!measure(Plan::AsPlanned, runs, engine, sqlite, firstRetrieve, total, rows))
        return 1;
    const Stats ec = stats(engine.cpu), sc = stats(sqlite.cpu), ep = stats(engine.peak),
                sp = stats(sqlite.peak);
    out << QStringLiteral("  engine : processor %1; wall median %2; peak %3")
               .arg(minMedian(ec), secs(stats(engine.wall).median), minMedian(ep, true))
        << Qt::endl;
    out << QStringLiteral("           first retrieve inside the process %1")
               .arg(minMedian(stats(firstRetrieve)))
        << Qt::endl;
    out << QStringLiteral("  sqlite3: processor %1; wall median %2; peak %3")
               .arg(minMedian(sc), secs(stats(sqlite.wall).median), minMedian(sp, true))
        << Qt::endl;
    out << QStringLiteral("  rows %1, total %2").arg(rows).arg(total.format(u"0.00")) << Qt::endl;

    // Later retrieves of one process reuse a warm heap; the operator's first
    // one does not, which is why the whole-process figure above counts.
    out << "one process, three retrieves, then sort by name (xm) in GBK order:" << Qt::endl;
    const EngineRun repeated = runEngine(self, file, 3, Plan::AsPlanned, true);
    if (!repeated.process.ok || repeated.retrieveCpu.size() != 3) {
        err << "the repeated run failed" << Qt::endl;
        return 1;
    }
    out << QStringLiteral("  retrieve processor %1 (first), %2, %3 (later); sort %4; peak %5")
               .arg(secs(repeated.retrieveCpu[0]), secs(repeated.retrieveCpu[1]),
                    secs(repeated.retrieveCpu[2]), secs(repeated.sortCpu), mb(repeated.process.peakKb))
        << Qt::endl;

    // Over the whole period the date index buys nothing: every row is read,
    // each through one more b-tree lookup.
    out << QStringLiteral("the same with the table walked instead of the date index (NOT INDEXED), %1 runs:")
               .arg(runs)
        << Qt::endl;
    Side engineWalk, sqliteWalk;
    QList<double> firstWalk;
    qv::Money walkTotal;
    long walkRows = 0;
    if (!measure(Plan::TableWalk, runs, engineWalk, sqliteWalk, firstWalk, walkTotal, walkRows))
        return 1;
    out << QStringLiteral("  engine : processor %1").arg(minMedian(stats(engineWalk.cpu))) << Qt::endl;
    out << QStringLiteral("  sqlite3: processor %1").arg(minMedian(stats(sqliteWalk.cpu))) << Qt::endl;

    const double medianRatio = ec.median / sc.median, minRatio = ec.min / sc.min;
    const bool timeMet = medianRatio <= 1.5, memoryMet = ep.max <= 250.0 * 1024;
    const bool sortMet = repeated.sortCpu >= 0 && repeated.sortCpu <= 2.0;
    out << QStringLiteral("ratio engine/sqlite3 processor: median %1, min %2 (target 1.5: %3); "
                          "engine peak %4 (target 250 MB: %5); sort %6 (target 2 s: %7); rows and totals %8")
               .arg(medianRatio, 0, 'f', 2)
               .arg(minRatio, 0, 'f', 2)
               .arg(timeMet ? QStringLiteral("met") : QStringLiteral("MISSED"), mb(qint64(ep.max)),
                    memoryMet ? QStringLiteral("met") : QStringLiteral("MISSED"), secs(repeated.sortCpu),
                    sortMet ? QStringLiteral("met") : QStringLiteral("MISSED"),
                    agree ? QStringLiteral("agree") : QStringLiteral("DIFFER"))
        << Qt::endl;
    return agree ? 0 : 1;
}
