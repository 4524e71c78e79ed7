#include "testledger.h"

#include "data/ledgerschema.h"
#include "platform/core/profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace qv::test {

namespace {

QString pgHost()
{
    return qEnvironmentVariable("QUORVEL_TEST_PG_HOST");
}
QString pgPort()
{
    return qEnvironmentVariable("QUORVEL_TEST_PG_PORT", QStringLiteral("5432"));
}
QString pgUser()
{
    return qEnvironmentVariable("QUORVEL_TEST_PG_USER", QStringLiteral("postgres"));
}

void fillPg(Transaction& t, const QString& database)
{
    t.DBMS = QStringLiteral("PostgreSQL");
    t.Database = database;
    t.ServerName = pgHost() + u':' + pgPort();
    t.LogID = pgUser();
    t.LogPass.clear();
}

bool pgAdmin(const QString& sql, QString& error)
{
    const QString name = QStringLiteral("qv_test_admin");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::contains(name)
                              ? QSqlDatabase::database(name, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!db.isOpen()) {
            db.setHostName(pgHost());
            db.setPort(pgPort().toInt());
            db.setUserName(pgUser());
            db.setDatabaseName(QStringLiteral("postgres"));
            if (!db.open()) {
                error = db.lastError().text();
                return false;
            }
        }
        QSqlQuery q(db);
        ok = q.exec(sql);
        if (!ok)
            error = q.lastError().text();
    }
    return ok;
}

// The seeded ledger is built once per test process and copied for each test.
QString sqliteTemplate(QString& error)
{
    static QTemporaryDir dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    const QString file = dir.filePath(QStringLiteral("template.db"));
    Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = file;
    QStringList report;
    if (!t.connect(Transaction::OpenMode::CreateSQLiteFile) || !LedgerSchema::create(t, report, error)) {
        if (error.isEmpty())
            error = t.SQLErrText;
        return {};
    }
    t.disconnect();
    path = file;
    return path;
}

QString pgTemplate(QString& error)
{
    static QString name;
    if (!name.isEmpty())
        return name;
    const QString candidate = QStringLiteral("qv_tpl_%1").arg(QCoreApplication::applicationPid());
    pgAdmin(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(candidate), error);
    if (!pgAdmin(QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(candidate),
                 error))
        return {};
    Transaction t;
    fillPg(t, candidate);
    QStringList report;
    if (!t.connect() || !LedgerSchema::create(t, report, error)) {
        if (error.isEmpty())
            error = t.SQLErrText;
        return {};
    }
    t.disconnect();
    name = candidate;
    return name;
}

} // namespace

std::vector<std::string> ledgerBackends()
{
    std::vector<std::string> out{"SQLite"};
    if (!pgHost().isEmpty())
        out.push_back("PostgreSQL");
    return out;
}

std::vector<std::string> odbcBackends()
{
    if (pgHost().isEmpty() || qEnvironmentVariable("QUORVEL_TEST_ODBC_DRIVER").isEmpty())
        return {};
    return {"ODBC"};
}

TestLedger::TestLedger(const QString& dbms) : m_dbms(dbms) {}

TestLedger::~TestLedger()
{
    m_sqlca.disconnect();
    if (!m_pgDatabase.isEmpty()) {
        QString error;
        pgAdmin(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_pgDatabase), error);
    }
}

bool TestLedger::create(QString& error)
{
    if (!m_dir.isValid()) {
        error = QStringLiteral("no temporary directory");
        return false;
    }
    if (m_dbms == u"SQLite") {
        const QString tpl = sqliteTemplate(error);
        if (tpl.isEmpty())
            return false;
        const QString file = m_dir.filePath(QStringLiteral("ledger.db"));
        if (!QFile::copy(tpl, file)) {
            error = QStringLiteral("cannot copy the template ledger");
            return false;
        }
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        m_sqlca.DBMS = QStringLiteral("SQLite");
        m_sqlca.Database = file;
    } else {
        const QString tpl = pgTemplate(error);
        if (tpl.isEmpty())
            return false;
        static int counter = 0;
        m_pgDatabase = QStringLiteral("qv_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        if (!pgAdmin(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_pgDatabase, tpl), error))
            return false;
        fillPg(m_sqlca, m_pgDatabase);
        if (m_dbms == u"ODBC") {
            m_sqlca.DBMS = QStringLiteral("ODBC");
            m_sqlca.DBParm =
                QStringLiteral("ConnectString='Driver=%1;Servername=%2;Port=%3;Database=%4;UID=%5'")
                    .arg(qEnvironmentVariable("QUORVEL_TEST_ODBC_DRIVER"), pgHost(), pgPort(), m_pgDatabase,
                         pgUser());
        }
    }
    if (!m_sqlca.connect()) {
        error = m_sqlca.SQLErrText;
        return false;
    }
    return true;
}

void TestLedger::configure(Transaction& t) const
{
    t.DBMS = m_sqlca.DBMS;
    t.Database = m_sqlca.Database;
    t.ServerName = m_sqlca.ServerName;
    t.LogID = m_sqlca.LogID;
    t.LogPass = m_sqlca.LogPass;
    t.UserID = m_sqlca.UserID;
    t.DBPass = m_sqlca.DBPass;
    t.DBParm = m_sqlca.DBParm;
}

void TestLedger::writeProfile(const QString& extra) const
{
    QFile file(QDir(m_dir.path()).filePath(QStringLiteral("pb.ini")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QString text = QStringLiteral("[database]\ndbms=%1\ndatabase=%2\nservername=%3\nlogid=%4\n")
                       .arg(m_sqlca.DBMS, m_sqlca.Database, m_sqlca.ServerName, m_sqlca.LogID);
    text += extra;
    file.write(text.toUtf8());
}

bool TestLedger::cutServerConnection(Transaction& t)
{
    if (m_dbms == u"SQLite")
        return false;
    QVariantList row;
    if (t.selectInto(QStringLiteral("SELECT pg_backend_pid()"), {}, row) != 0)
        return false;
    const int pid = row.front().toInt();
    Transaction admin;
    configure(admin);
    if (!admin.connect())
        return false;
    // The second argument makes the server wait until the session has ended.
    return admin.selectInto(QStringLiteral("SELECT pg_terminate_backend(?, 5000)"), {pid}, row) == 0 &&
           row.front().toBool();
}

QVariant TestLedger::scalar(const QString& sql, const QVariantList& values)
{
    QVariantList row;
    const int rc = m_sqlca.selectInto(sql, values, row);
    EXPECT_NE(rc, -1) << sql.toStdString() << ": " << m_sqlca.SQLErrText.toStdString();
    return row.isEmpty() ? QVariant() : row.front();
}

void TestLedger::exec(const QString& sql, const QVariantList& values)
{
    ASSERT_EQ(m_sqlca.execute(sql, values), 0)
        << sql.toStdString() << ": " << m_sqlca.SQLErrText.toStdString();
    ASSERT_TRUE(m_sqlca.commit()) << m_sqlca.SQLErrText.toStdString();
}

void LedgerTest::SetUp()
{
    m_ledger = std::make_unique<TestLedger>(QString::fromStdString(GetParam()));
    QString error;
    ASSERT_TRUE(m_ledger->create(error)) << error.toStdString();
}

void LedgerTest::TearDown()
{
    m_ledger.reset();
}

} // namespace qv::test
