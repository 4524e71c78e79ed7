// Many desks saving gifts at once through the gift store, each its own
// process and connection, on one SQLite ledger or one PostgreSQL database,
// optionally with server restarts; afterwards the ledger is checked against
// what every writer was told.

#include "benchsupport.h"

#include "data/giftstore.h"
#include "data/ledgerschema.h"
#include "platform/database/transaction.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <unistd.h>

#include <algorithm>

using namespace qv;

namespace {

struct Options
{
    int writers = 8;
    int seconds = 30;
    QString sqliteFile;
    bool pg = false;
    QString pgHost = qEnvironmentVariable("QUORVEL_TEST_PG_HOST");
    QString pgPort = qEnvironmentVariable("QUORVEL_TEST_PG_PORT", QStringLiteral("5432"));
    QString pgUser = qEnvironmentVariable("QUORVEL_TEST_PG_USER", QStringLiteral("postgres"));
    QString pgDatabase = QStringLiteral("qv_bench_writers");
    QString pgDataDir;
    QString pgCtl;
    QString runAs;
    int restarts = 0;
};

const char* kUsage =
    "quorvel_bench_writers [--writers N] [--seconds D] (--sqlite FILE | --pg [--pg-host H] [--pg-port P]\n"
    "    [--pg-user U] [--pg-database NAME] [--pg-datadir DIR --restarts R [--pg-ctl PATH] [--run-as "
    "USER]])\n"
    "The PostgreSQL settings default to QUORVEL_TEST_PG_HOST, _PORT and _USER. Only a Unix socket\n"
    "directory or the loopback address is accepted as the host.\n";

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

void configure(Transaction& t, const Options& o, const QString& database)
{
    if (!o.pg) {
        t.DBMS = QStringLiteral("SQLite");
        t.Database = o.sqliteFile;
        return;
    }
    t.DBMS = QStringLiteral("PostgreSQL");
    t.Database = database;
    t.ServerName = o.pgHost + u':' + o.pgPort;
    t.LogID = o.pgUser;
}

bool isLocal(const QString& host)
{
    return host.startsWith(u'/') || host == u"localhost" || host == u"127.0.0.1" || host == u"::1";
}

// One desk: saves until `endMs`, one line per save in `out`.
int runWriter(const Options& o, int id, const QString& run, qint64 startMs, qint64 endMs, const QString& out)
{
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 2;
    QTextStream lines(&file);
    Transaction t;
    configure(t, o, o.pgDatabase);
    while (!t.connect() && nowMs() < endMs)
        QThread::msleep(50);
    while (nowMs() < startMs)
        QThread::msleep(5);
    GiftStore store(t);
    Gift gift;
    gift.name = QStringLiteral("b") + run;
    gift.kind = QStringLiteral("收情");
    gift.reason = QStringLiteral("结婚");
    gift.object = QStringLiteral("本人");
    gift.occasionDate = gift.giftDate = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    for (int seq = 0; nowMs() < endMs; ++seq) {
        gift.goods = QStringLiteral("w%1s%2").arg(id).arg(seq);
        gift.amount = Money::fromCents(100 * (seq % 50 + 1));
        const qint64 began = nowMs();
        const GiftSaveResult r = store.save(gift);
        const qint64 ended = nowMs();
        if (r.saved())
            lines << "S " << gift.goods << ' ' << r.number << ' ' << began << ' ' << ended << '\n';
        else
            lines << "F " << gift.goods << " - " << began << ' ' << ended << ' '
                  << QString(r.error).replace(u'\n', u' ') << '\n';
    }
    lines.flush();
    return 0;
}

bool preparePg(const Options& o, QTextStream& err)
{
    bool ok = false;
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench_admin"));
        admin.setHostName(o.pgHost);
        admin.setPort(o.pgPort.toInt());
        admin.setUserName(o.pgUser);
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (admin.open()) {
            QSqlQuery q(admin);
            q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(o.pgDatabase));
            ok = q.exec(
                QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(o.pgDatabase));
            if (!ok)
                err << q.lastError().text() << Qt::endl;
        } else {
            err << admin.lastError().text() << Qt::endl;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench_admin"));
    if (!ok)
        return false;
    Transaction t;
    configure(t, o, o.pgDatabase);
    QStringList report;
    QString error;
    if (!t.connect() || !LedgerSchema::create(t, report, error)) {
        err << "cannot make the ledger: " << t.SQLErrText << error << Qt::endl;
        return false;
    }
    return true;
}

bool prepareSqlite(const Options& o, QTextStream& err)
{
    if (QFileInfo::exists(o.sqliteFile))
        return true;
    Transaction t;
    configure(t, o, {});
    QStringList report;
    QString error;
    if (!t.connect(Transaction::OpenMode::CreateSQLiteFile) || !LedgerSchema::create(t, report, error)) {
        err << "cannot make the ledger: " << t.SQLErrText << error << Qt::endl;
        return false;
    }
    return true;
}

QString defaultPgCtl()
{
    QStringList found =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return found.isEmpty() ? QString()
                           : QStringLiteral("/usr/lib/postgresql/%1/bin/pg_ctl").arg(found.last());
}

struct Save
{
    bool saved = false;
    QString goods;
    QString number;
    qint64 began = 0;
    qint64 ended = 0;
    QString reason;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    Options o;
    QStringList args = app.arguments().mid(1);
    int childId = -1;
    QString childRun, childOut;
    qint64 childStart = 0, childEnd = 0;
    auto take = [&args](int& i) { return i + 1 < args.size() ? args[++i] : QString(); };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--writers")
            o.writers = take(i).toInt();
        else if (a == u"--seconds")
            o.seconds = take(i).toInt();
        else if (a == u"--sqlite")
            o.sqliteFile = QFileInfo(take(i)).absoluteFilePath();
        else if (a == u"--pg")
            o.pg = true;
        else if (a == u"--pg-host")
            o.pgHost = take(i);
        else if (a == u"--pg-port")
            o.pgPort = take(i);
        else if (a == u"--pg-user")
            o.pgUser = take(i);
        else if (a == u"--pg-database")
            o.pgDatabase = take(i);
        else if (a == u"--pg-datadir")
            o.pgDataDir = take(i);
        else if (a == u"--pg-ctl")
            o.pgCtl = take(i);
        else if (a == u"--run-as")
            o.runAs = take(i);
        else if (a == u"--restarts")
            o.restarts = take(i).toInt();
        else if (a == u"--writer") {
            childId = take(i).toInt();
            childRun = take(i);
            childStart = take(i).toLongLong();
            childEnd = take(i).toLongLong();
            childOut = take(i);
        } else {
            err << "unknown option " << a << '\n' << kUsage;
            return 2;
        }
    }
    if (o.pg == !o.sqliteFile.isEmpty() || o.writers < 1 || o.seconds < 1) {
        err << kUsage;
        return 2;
    }
    if (o.pg && !isLocal(o.pgHost)) {
        err << "the host must be a local socket directory or the loopback address\n";
        return 2;
    }
    if (childId >= 0)
        return runWriter(o, childId, childRun, childStart, childEnd, childOut);
    if (o.restarts > 0 && (!o.pg || o.pgDataDir.isEmpty())) {
        err << "restarts need --pg and --pg-datadir\n";
        return 2;
    }
    if (o.pgCtl.isEmpty())
        o.pgCtl = defaultPgCtl();
    if (o.runAs.isEmpty() && geteuid() == 0)
        o.runAs = QStringLiteral("postgres");

    if (!(o.pg ? preparePg(o, err) : prepareSqlite(o, err)))
        return 1;
    const QString run = QString::number(QDateTime::currentSecsSinceEpoch() % 100000);
    QTemporaryDir reports;
    // Time for every writer to start and connect before the first save.
    const qint64 startMs = nowMs() + 2000 + 50 * o.writers;
    const qint64 endMs = startMs + qint64(o.seconds) * 1000;
    QList<QProcess*> writers;
    QStringList common;
    if (o.pg)
        common << QStringLiteral("--pg") << QStringLiteral("--pg-host") << o.pgHost
               << QStringLiteral("--pg-port") << o.pgPort << QStringLiteral("--pg-user") << o.pgUser
               << QStringLiteral("--pg-database") << o.pgDatabase;
    else
        common << QStringLiteral("--sqlite") << o.sqliteFile;
    for (int id = 0; id < o.writers; ++id) {
        auto* p = new QProcess(&app);
        // The drivers warn on every lost connection; the figures say what matters.
        p->setStandardErrorFile(QProcess::nullDevice());
        p->start(QCoreApplication::applicationFilePath(),
                 common << QStringLiteral("--writer") << QString::number(id) << run
                        << QString::number(startMs) << QString::number(endMs)
                        << reports.filePath(QString::number(id)));
        common.resize(common.size() - 6);
        writers << p;
    }
    out << (o.pg ? QStringLiteral("PostgreSQL %1").arg(o.pgHost)
                 : QStringLiteral("SQLite %1").arg(o.sqliteFile))
        << QStringLiteral(": %1 writers for %2 s, %3 restarts").arg(o.writers).arg(o.seconds).arg(o.restarts)
        << Qt::endl;

    // Restarts spread evenly over the run.
    QList<std::pair<qint64, qint64>> restarts; // began, server up again
    for (int k = 1; k <= o.restarts; ++k) {
        const qint64 at = startMs + qint64(o.seconds) * 1000 * k / (o.restarts + 1);
        while (nowMs() < at)
            QThread::msleep(10);
        QStringList command = {o.pgCtl,
                               QStringLiteral("restart"),
                               QStringLiteral("-m"),
                               QStringLiteral("fast"),
                               QStringLiteral("-w"),
                               QStringLiteral("-D"),
                               o.pgDataDir,
                               QStringLiteral("-l"),
                               QDir(o.pgDataDir).filePath(QStringLiteral("../server.log"))};
        if (!o.runAs.isEmpty())
            command =
                QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), o.runAs, QStringLiteral("--")} +
                command;
        const qint64 began = nowMs();
        QProcess ctl;
        ctl.start(command.takeFirst(), command);
        ctl.waitForFinished(60000);
        restarts << std::make_pair(began, nowMs());
        out << QStringLiteral("restart %1: %2 ms, exit %3").arg(k).arg(nowMs() - began).arg(ctl.exitCode())
            << Qt::endl;
    }
    for (QProcess* p : writers)
        p->waitForFinished(qMax<qint64>(60000, endMs - nowMs() + 60000));

    QList<QList<Save>> perWriter;
    for (int id = 0; id < o.writers; ++id) {
        QFile f(reports.filePath(QString::number(id)));
        QList<Save> saves;
        if (f.open(QIODevice::ReadOnly)) {
            QTextStream in(&f);
            while (!in.atEnd()) {
                const QStringList parts = in.readLine().split(u' ');
                if (parts.size() < 5)
                    continue;
                Save s{
                    parts[0] == u"S",       parts[1], parts[2], parts[3].toLongLong(), parts[4].toLongLong(),
                    parts.mid(5).join(u' ')};
                saves << s;
            }
        }
        perWriter << saves;
    }

    // What the ledger holds of this run.
    Transaction t;
    configure(t, o, o.pgDatabase);
    if (!t.connect()) {
        err << "cannot check the ledger: " << t.SQLErrText << Qt::endl;
        return 1;
    }
    QHash<QString, QStringList> stored; // goods -> numbers
    t.selectRows(QStringLiteral("SELECT wp, xtbh FROM rqwlb WHERE xm = ?"), {QStringLiteral("b") + run},
                 [&stored](QVector<QVariant>&& row) { stored[row[0].toString()] << row[1].toString(); });

    qint64 attempts = 0, refused = 0, lost = 0, refusedButStored = 0, duplicates = 0;
    QList<double> times;
    QHash<QString, int> reasons;
    for (const auto& saves : perWriter) {
        for (const Save& s : saves) {
            ++attempts;
            times << double(s.ended - s.began);
            const QStringList numbers = stored.value(s.goods);
            if (s.saved && !numbers.contains(s.number))
                ++lost;
            if (!s.saved) {
                ++refused;
                ++reasons[s.reason.left(60)];
                if (!numbers.isEmpty())
                    ++refusedButStored;
            }
        }
    }
    qint64 rows = 0;
    for (const QStringList& numbers : std::as_const(stored)) {
        rows += numbers.size();
        duplicates += numbers.size() - 1;
    }
    const double longest = times.isEmpty() ? 0 : *std::max_element(times.begin(), times.end());
    out << QStringLiteral("attempts %1, saved rows %2, refused %3 (stored all the same %4), lost %5, "
                          "duplicated %6")
               .arg(attempts)
               .arg(rows)
               .arg(refused)
               .arg(refusedButStored)
               .arg(lost)
               .arg(duplicates)
        << Qt::endl;
    out << QStringLiteral("save time: median %1 ms, max %2 ms; %3 saves/s")
               .arg(bench::median(times), 0, 'f', 1)
               .arg(longest, 0, 'f', 1)
               .arg(double(rows) / o.seconds, 0, 'f', 0)
        << Qt::endl;
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it)
        out << "  refused " << it.value() << "x: " << it.key() << Qt::endl;

    // After each restart: how long until every writer had saved again,
    // counted from the server being up and from the restart's start.
    for (int k = 0; k < restarts.size(); ++k) {
        const auto [began, up] = restarts[k];
        qint64 worstFromUp = 0, worstGap = 0;
        int never = 0;
        for (const auto& saves : perWriter) {
            qint64 lastBefore = began, firstAfter = -1;
            for (const Save& s : saves) {
                if (!s.saved)
                    continue;
                if (s.ended <= began)
                    lastBefore = std::max(lastBefore, s.ended);
                else if (s.ended >= up && (firstAfter < 0 || s.ended < firstAfter))
                    firstAfter = s.ended;
            }
            if (firstAfter < 0) {
                ++never;
                continue;
            }
            worstFromUp = std::max(worstFromUp, firstAfter - up);
            worstGap = std::max(worstGap, firstAfter - lastBefore);
        }
        out << QStringLiteral("restart %1 (server down %2 ms): every writer saved again within %3 ms of the "
                              "server being up; longest gap between saves %4 ms; never again %5")
                   .arg(k + 1)
                   .arg(up - began)
                   .arg(worstFromUp)
                   .arg(worstGap)
                   .arg(never)
            << Qt::endl;
    }
    return lost == 0 && duplicates == 0 ? 0 : 1;
}
