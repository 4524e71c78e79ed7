#include "platform/database/transaction.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kFirstProfile = "[database]\ndbms=SQLite\ndatabase=ledger.db\n\n[other]\ncsh=0\nver=1.0.0\n";

// Starts the program as the application menu would, in `dir` with the given
// HOME and QUORVEL_HOME (empty: unset), logs in and quits. The exit status
// is 0 only when the login found a working ledger.
int logInAndQuit(const QString& dir, const QString& home, const QString& ledgerHome, QString* err)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("QUORVEL_HOME"));
    if (!ledgerHome.isEmpty())
        env.insert(QStringLiteral("QUORVEL_HOME"), ledgerHome);
    env.insert(QStringLiteral("QUORVEL_KEY_SCRIPT"),
               QStringLiteral("w_login>7063{Return}7063{Return}|w_main>{Ctrl+X}"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(QUORVEL_KEYSCRIPT_EXECUTABLE), {});
    if (!p.waitForStarted())
        return -1;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return -2;
    }
    *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A ledger made by --init-db in `dir`, with a pb.ini of the user's own
// wording and a table of the user's own that a remade ledger would not have.
void makeUsersLedger(const QString& dir, const QByteArray& profile)
{
    QDir().mkpath(dir);
    QFile f(QDir(dir).filePath(QStringLiteral("pb.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(profile);
    f.close();
    QProcess init;
    init.setWorkingDirectory(dir);
    init.start(QStringLiteral(QUORVEL_EXECUTABLE), {QStringLiteral("--init-db")});
    ASSERT_TRUE(init.waitForFinished(60000));
    ASSERT_EQ(init.exitCode(), 0) << init.readAllStandardError().toStdString();
    qv::Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = QDir(dir).filePath(QStringLiteral("ledger.db"));
    ASSERT_TRUE(t.connect());
    ASSERT_EQ(t.execute(QStringLiteral("CREATE TABLE mine (note text)")), 0);
    ASSERT_TRUE(t.commit());
}

bool hasUsersTable(const QString& dir)
{
    qv::Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = QDir(dir).filePath(QStringLiteral("ledger.db"));
    return t.connect() && t.execute(QStringLiteral("SELECT count(*) FROM mine")) == 0;
}

} // namespace

TEST(FirstStart, AStartOutsideALedgerMakesTheLedgerHomeAndLogsIntoIt)
{
    struct Case
    {
        const char* what;
        QString ledgerHome; // QUORVEL_HOME, relative to the temporary directory
        QString expected;   // where the ledger is to be made
    };
    const Case cases[] = {
        {"the default home", QString(), QStringLiteral("user/Quorvel")},
        {"QUORVEL_HOME, not there yet", QStringLiteral("elsewhere/ledger"),
         QStringLiteral("elsewhere/ledger")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir tmp;
        const QString user = tmp.filePath(QStringLiteral("user"));
        ASSERT_TRUE(QDir().mkpath(user));
        const QString home = tmp.filePath(c.expected);
        QString err;
        EXPECT_EQ(
            logInAndQuit(user, user, c.ledgerHome.isEmpty() ? QString() : tmp.filePath(c.ledgerHome), &err),
            0)
            << err.toStdString();
        EXPECT_EQ(contents(QDir(home).filePath(QStringLiteral("pb.ini"))), kFirstProfile);
        EXPECT_TRUE(QFile::exists(QDir(home).filePath(QStringLiteral("ledger.db"))));
        // Nothing lands where the program was started.
        EXPECT_FALSE(QFile::exists(QDir(user).filePath(QStringLiteral("pb.ini"))));
        EXPECT_FALSE(QFile::exists(QDir(user).filePath(QStringLiteral("ledger.db"))));
        if (!c.ledgerHome.isEmpty()) {
            EXPECT_FALSE(QFile::exists(QDir(user).filePath(QStringLiteral("Quorvel"))));
        }
    }
}

TEST(FirstStart, AnExistingLedgerIsUsedAsItIsAndNoHomeIsMadeBesideIt)
{
    const QByteArray profile = "; our own ledger\r\n[database]\r\ndbms=SQLite\r\ndatabase=ledger.db\r\n";
    struct Case
    {
        const char* what;
        QString ledger; // where the user's ledger is
        QString start;  // where the program starts
        QString ledgerHome;
    };
    const Case cases[] = {
        {"a ledger home made before", QStringLiteral("user/Quorvel"), QStringLiteral("user"), QString()},
        {"QUORVEL_HOME made before", QStringLiteral("mine"), QStringLiteral("user"), QStringLiteral("mine")},
        {"started in a ledger's directory", QStringLiteral("work"), QStringLiteral("work"), QString()},
        {"started in a ledger's directory, QUORVEL_HOME set", QStringLiteral("work"), QStringLiteral("work"),
         QStringLiteral("other")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir tmp;
        const QString user = tmp.filePath(QStringLiteral("user"));
        ASSERT_TRUE(QDir().mkpath(user));
        const QString ledger = tmp.filePath(c.ledger);
        makeUsersLedger(ledger, profile);
        QString err;
        EXPECT_EQ(logInAndQuit(tmp.filePath(c.start), user,
                               c.ledgerHome.isEmpty() ? QString() : tmp.filePath(c.ledgerHome), &err),
                  0)
            << err.toStdString();
        EXPECT_EQ(contents(QDir(ledger).filePath(QStringLiteral("pb.ini"))), profile);
        EXPECT_TRUE(hasUsersTable(ledger)) << "the ledger was made anew";
        QStringList made = QDir(tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        made.removeOne(c.ledger.section(QLatin1Char('/'), 0, 0));
        made.removeOne(QStringLiteral("user"));
        EXPECT_TRUE(made.isEmpty()) << made.join(QLatin1Char(' ')).toStdString();
        if (c.ledger != QStringLiteral("user/Quorvel")) {
            EXPECT_FALSE(QFile::exists(QDir(user).filePath(QStringLiteral("Quorvel"))));
        }
    }
}
