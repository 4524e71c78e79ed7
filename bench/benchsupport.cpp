#include "benchsupport.h"

#include "ledgergen.h"

#include "platform/database/transaction.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <ctime>

namespace qv::bench {

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double processSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

bool ensureLedger(const QString& file, qint64 rows, QTextStream& out, QTextStream& err)
{
    if (QFileInfo::exists(file))
        return true;
    out << QStringLiteral("%1 does not exist: generating %2 records").arg(file).arg(rows) << Qt::endl;
    GeneratedLedger generated;
    QString error;
    if (!generateLedger(file, rows, 1, out, generated, error)) {
        err << "generation failed: " << error << Qt::endl;
        return false;
    }
    return true;
}

QString sqliteShell(QTextStream& err)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        err << "no sqlite3 shell on the PATH: no baseline" << Qt::endl;
    return shell;
}

bool openLedger(Transaction& t, const QString& file, QTextStream& err)
{
    t.DBMS = QStringLiteral("SQLite");
    t.Database = file;
    if (t.connect())
        return true;
    err << "cannot open the ledger: " << t.SQLErrText << Qt::endl;
    return false;
}

} // namespace qv::bench
