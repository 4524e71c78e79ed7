// 导入礼单 on a large list: a workbook of 100,000 gifts (written by the
// program's own exporter) read, previewed and imported into a fresh SQLite
// ledger, beside the sqlite3 shell's .import of the same rows as CSV into a
// bare table of the same columns (no checks, no contacts, no record of the
// import: the floor of what writing the rows costs).

#include "benchsupport.h"

#include "data/ledgerschema.h"
#include "imports/giftimport.h"
#include "platform/core/money.h"
#include "platform/database/transaction.h"
#include "platform/reports/reportexport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

using namespace qv;
using namespace qv::bench;

namespace {

const char* kUsage = "quorvel_bench_import [--rows N] [--keep DIR]\n"
                     "Writes a gift list of N rows (100000) as .xlsx and .csv, then times reading,\n"
                     "previewing and importing it into a fresh ledger, and the sqlite3 shell's .import.\n";

// A list as people keep it: names repeating (so that some become contacts
// and most are found), both kinds, amounts with cents, dates over years.
ReportTable giftList(int rows)
{
    ReportTable table;
    table.title = QStringLiteral("礼单");
    table.captions = {QStringLiteral("姓名"), QStringLiteral("收/送"), QStringLiteral("金额"),
                      QStringLiteral("日期"), QStringLiteral("事由"),  QStringLiteral("备注")};
    static const QString family = QStringLiteral("赵钱孙李周吴郑王冯陈褚卫蒋沈韩杨朱秦尤许何吕施张");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂");
    const QDate first(2000, 1, 1);
    table.rows.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        const QString name = QString(family.at(i % family.size())) +
                             given.at((i / family.size()) % given.size()) + QString::number(i % 10);
        table.rows << QVariantList{name,
                                   i % 3 == 0 ? QStringLiteral("送") : QStringLiteral("收"),
                                   QVariant::fromValue(Money::fromCents(10000 + (i * 37) % 100000)),
                                   first.addDays(i % 9000).toString(QStringLiteral("yyyy-MM-dd")),
                                   i % 2 ? QStringLiteral("婚礼") : QStringLiteral("满月"),
                                   QStringLiteral("第%1份").arg(i)};
    }
    return table;
}

bool freshLedger(Transaction& t, const QString& file, QTextStream& err)
{
    t.DBMS = QStringLiteral("SQLite");
    t.Database = file;
    QStringList report;
    QString error;
    if (!t.connect(Transaction::OpenMode::CreateSQLiteFile) || !LedgerSchema::create(t, report, error)) {
        err << QStringLiteral("cannot make the ledger %1: %2 %3").arg(file, t.SQLErrText, error) << Qt::endl;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    int rows = 100000;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--rows" && i + 1 < args.size())
            rows = args[++i].toInt();
        else if (args[i] == u"--keep" && i + 1 < args.size())
            keep = args[++i];
        else {
            err << kUsage;
            return 2;
        }
    }
    QTemporaryDir temporary;
    const QString dir = keep.isEmpty() ? temporary.path() : keep;
    const QString xlsx = dir + QStringLiteral("/list.xlsx");
    const QString csv = dir + QStringLiteral("/list.csv");

    auto start = Clock::now();
    {
        const ReportTable list = giftList(rows);
        QString error;
        if (!exportTable(list, xlsx, &error) || !exportTable(list, csv, &error)) {
            err << "cannot write the list: " << error << Qt::endl;
            return 1;
        }
    }
    out << QStringLiteral("list of %1 rows written as .xlsx (%2 KiB) and .csv in %3 ms")
               .arg(rows)
               .arg(QFileInfo(xlsx).size() / 1024)
               .arg(msSince(start), 0, 'f', 0)
        << Qt::endl;

    Transaction t;
    if (!freshLedger(t, dir + QStringLiteral("/ledger.db"), err))
        return 1;
    GiftImport import(t);
    QString error;
    // The machine may be shared: processor time is given beside the wall
    // clock, which counts the waits for another's work too.
    double cpu = processSeconds();
    auto cpuSince = [&cpu] {
        const double now = processSeconds();
        const double spent = (now - cpu) * 1000;
        cpu = now;
        return QStringLiteral("%1 ms of processor").arg(spent, 0, 'f', 0);
    };
    start = Clock::now();
    const auto sheet = readSheet(xlsx, 0, error);
    const double readMs = msSince(start);
    const QString readCpu = cpuSince();
    if (!sheet) {
        err << error << Qt::endl;
        return 1;
    }
    start = Clock::now();
    const ColumnMapping mapping = guessMapping(*sheet);
    auto preview = import.preview(*sheet, mapping, {}, error);
    const double previewMs = msSince(start);
    const QString previewCpu = cpuSince();
    if (!preview) {
        err << error << Qt::endl;
        return 1;
    }
    preview->fileName = xlsx;
    out << QStringLiteral("read .xlsx:        %1 ms (%2)").arg(readMs, 0, 'f', 0).arg(readCpu) << Qt::endl
        << QStringLiteral("preview:           %1 ms (%2; %3)")
               .arg(previewMs, 0, 'f', 0)
               .arg(previewCpu, preview->summary().first())
        << Qt::endl
        << QStringLiteral("read + preview:    %1 ms  (target under 3000)").arg(readMs + previewMs, 0, 'f', 0)
        << Qt::endl;
    start = Clock::now();
    const ImportResult result = import.run(*preview, QStringLiteral("bench"));
    const double importMs = msSince(start);
    const QString importCpu = cpuSince();
    if (!result.ok) {
        err << result.error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("import:            %1 ms (%4; target under 5000; %2 records, %3 new contacts)")
               .arg(importMs, 0, 'f', 0)
               .arg(result.written)
               .arg(result.contactsAdded)
               .arg(importCpu)
        << Qt::endl;
    t.disconnect();

    const QString shell = sqliteShell(err);
    if (shell.isEmpty()) {
        out << "sqlite3 shell: not installed (apt-get install sqlite3), no comparison" << Qt::endl;
        return 0;
    }
    const QString bare = dir + QStringLiteral("/bare.db");
    QProcess p;
    start = Clock::now(); // the shell's start-up, a few milliseconds, is counted too
    p.start(shell, {bare});
    p.waitForStarted();
    p.write(
        QStringLiteral("CREATE TABLE list (xm varchar(16), lx varchar(4), je numeric(14,2), sq varchar(10), "
                       "sy varchar(10), wp varchar(16));\n"
                       ".import --csv --skip 1 %1 list\n"
                       "SELECT COUNT(*) FROM list;\n")
            .arg(csv)
            .toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    const double shellMs = msSince(start);
    const QString said = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    out << QStringLiteral("sqlite3 .import of the CSV: %1 ms (shell run, %2 rows in the table)")
               .arg(shellMs, 0, 'f', 0)
               .arg(said.section(u'\n', -1))
        << Qt::endl;
    return 0;
}
