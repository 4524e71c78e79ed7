#include "support/testledger.h"

#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace qv;
using qv::test::LedgerTest;

TEST(Transaction, RefusesUnknownDbmsAndMissingSQLiteFiles)
{
    Transaction t;
    t.DBMS = QStringLiteral("Quillbase");
    EXPECT_FALSE(t.connect());
    EXPECT_EQ(t.SQLCode, -1);
    EXPECT_TRUE(t.SQLErrText.contains(QStringLiteral("Quillbase")));

    t.DBMS = QStringLiteral("sqlite"); // any case
    t.Database =
        QDir::temp().filePath(QStringLiteral("no-such-ledger-%1.db").arg(QCoreApplication::applicationPid()));
    EXPECT_FALSE(t.connect());
    EXPECT_FALSE(QFile::exists(t.Database)) << "a mistyped path must not create an empty ledger";
    EXPECT_TRUE(t.SQLErrText.contains(QStringLiteral("no-such-ledger")));
}

TEST(Transaction, AFileThatIsNotSQLiteIsRefusedAtConnect)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.db"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(4096, 'x'));
    f.close();
    Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = path;
    EXPECT_FALSE(t.connect());
    EXPECT_FALSE(t.SQLErrText.isEmpty());
}

TEST(Transaction, ALedgerLockedByAnotherProgramIsRefusedAtConnect)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.db"));
    Transaction holder;
    holder.DBMS = QStringLiteral("SQLite");
    holder.Database = path;
    ASSERT_TRUE(holder.connect(Transaction::OpenMode::CreateSQLiteFile));
    ASSERT_EQ(holder.execute(QStringLiteral("CREATE TABLE t (a integer)")), 0);
    ASSERT_TRUE(holder.commit());
    QSqlQuery lock(holder.database());
    ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));

    Transaction t;
    t.DBMS = QStringLiteral("SQLite");
    t.Database = path;
    EXPECT_FALSE(t.connect());
    EXPECT_TRUE(t.SQLErrText.contains(QStringLiteral("locked"))) << t.SQLErrText.toStdString();
    lock.exec(QStringLiteral("ROLLBACK"));
}

TEST(Transaction, BindNamedHandlesRepeatsQuotesAndCasts)
{
    auto r = bindNamed(QStringLiteral("select ':x', a::text from t where a = :a and b between :b and :a"),
                       {QStringLiteral("a"), QStringLiteral("b")}, {1, 2});
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->first, QStringLiteral("select ':x', a::text from t where a = ? and b between ? and ?"));
    EXPECT_EQ(r->second, (QVariantList{1, 2, 1}));
    EXPECT_FALSE(bindNamed(QStringLiteral("select :nope"), {QStringLiteral("a")}, {1}).has_value());
}

class TransactionDb : public LedgerTest
{
};

TEST_P(TransactionDb, WritesStayUncommittedUntilTheCallerCommits)
{
    ASSERT_EQ(sqlca().execute(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("测试")}),
              0);
    EXPECT_TRUE(sqlca().inTransaction());
    ASSERT_TRUE(sqlca().rollback());
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT count(*) FROM syb WHERE sy = ?"), {QStringLiteral("测试")})
                  .toInt(),
              0);

    ASSERT_EQ(sqlca().execute(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("测试")}),
              0);
    ASSERT_TRUE(sqlca().commit());
    Transaction other;
    ledger().configure(other);
    ASSERT_TRUE(other.connect()) << other.SQLErrText.toStdString();
    QVariantList row;
    ASSERT_EQ(other.selectInto(QStringLiteral("SELECT count(*) FROM syb WHERE sy = ?"),
                               {QStringLiteral("测试")}, row),
              0);
    EXPECT_EQ(row.front().toInt(), 1);
}

TEST_P(TransactionDb, SingletonSelectReportsNoRowAs100)
{
    QVariantList row;
    EXPECT_EQ(sqlca().selectInto(QStringLiteral("SELECT name FROM czr WHERE code = ?"),
                                 {QStringLiteral("9999")}, row),
              100);
    EXPECT_EQ(sqlca().SQLCode, 100);
    EXPECT_EQ(sqlca().selectInto(QStringLiteral("SELECT name, password FROM czr WHERE code = ?"),
                                 {QStringLiteral("7063")}, row),
              0);
    EXPECT_EQ(row.value(1).toString(), QStringLiteral("7063"));
    EXPECT_EQ(sqlca().selectInto(QStringLiteral("SELECT nothing FROM nowhere"), {}, row), -1);
    EXPECT_FALSE(sqlca().SQLErrText.isEmpty());
}

TEST_P(TransactionDb, DuplicateKeysAndMissingRequiredValuesAreRefusedWithTheDatabaseText)
{
    const QString insert = QStringLiteral("INSERT INTO wlryb (xm, xb) VALUES (?, ?)");
    ASSERT_EQ(sqlca().execute(insert, {QStringLiteral("张三"), QStringLiteral("男")}), 0);
    EXPECT_EQ(sqlca().execute(insert, {QStringLiteral("张三"), QStringLiteral("女")}), -1);
    EXPECT_FALSE(sqlca().SQLErrText.isEmpty());
    sqlca().rollback();
    EXPECT_EQ(sqlca().execute(insert, {QStringLiteral("李四"), QVariant()}), -1);
    EXPECT_FALSE(sqlca().SQLErrText.isEmpty());
    sqlca().rollback();
    EXPECT_EQ(sqlca().execute(insert, {QVariant(), QStringLiteral("男")}), -1);
    sqlca().rollback();
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 0);
}

TEST_P(TransactionDb, ValuesAreBoundSoQuotesAndPercentSignsAreStoredAsTyped)
{
    const QString name = QStringLiteral("O'Neil 100%");
    ASSERT_EQ(sqlca().execute(QStringLiteral("INSERT INTO wlryb (xm, xb, py) VALUES (?, ?, ?)"),
                              {name, QStringLiteral("男"), QStringLiteral("on%")}),
              0);
    ASSERT_TRUE(sqlca().commit());
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xm FROM wlryb WHERE xm = ?"), {name}).toString(), name);
}

namespace {

ReportDef contactsByName()
{
    ReportDef def;
    def.name = QStringLiteral("contacts");
    def.select = QStringLiteral("SELECT xm, xb, dh FROM wlryb ORDER BY xm");
    for (const char* name : {"xm", "xb", "dh"}) {
        ColumnDef c;
        c.name = QString::fromLatin1(name);
        c.gbkWidth = 30;
        c.widthUnits = 100;
        c.editable = c.updatable = true;
        def.columns << c;
    }
    def.updateTable = QStringLiteral("wlryb");
    def.keyColumns = {QStringLiteral("xm")};
    return def;
}

} // namespace

// Another program (or another window) changed the ledger between the read
// and the save: a write by key that hits no row must fail, not pass as saved.
TEST_P(TransactionDb, SaveOfARowChangedOrRemovedSinceItWasReadFails)
{
    struct Case
    {
        const char* what;
        const char* meanwhile; // run by a second connection after the read
        std::function<void(DataStore&)> edit;
    };
    const QList<Case> cases = {
        {"changed row removed", "DELETE FROM wlryb WHERE xm = '张三'",
         [](DataStore& s) { s.setItem(1, QStringLiteral("dh"), QStringLiteral("999")); }},
        {"changed row renamed", "UPDATE wlryb SET xm = '张三丰' WHERE xm = '张三'",
         [](DataStore& s) { s.setItem(1, QStringLiteral("dh"), QStringLiteral("999")); }},
        {"deleted row removed", "DELETE FROM wlryb WHERE xm = '张三'", [](DataStore& s) { s.deleteRow(1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ledger().exec(QStringLiteral("DELETE FROM wlryb"));
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, dh) VALUES (?, ?, ?)"),
                      {QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("111")});
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, dh) VALUES (?, ?, ?)"),
                      {QStringLiteral("李四"), QStringLiteral("女"), QStringLiteral("222")});
        DataStore store(contactsByName());
        store.setTransObject(&sqlca());
        ASSERT_EQ(store.retrieve(), 2);
        // Row 2 also changes, so the failure must undo a write that did hit.
        store.setItem(2, QStringLiteral("dh"), QStringLiteral("333"));
        c.edit(store);

        Transaction other;
        ledger().configure(other);
        ASSERT_TRUE(other.connect()) << other.SQLErrText.toStdString();
        ASSERT_EQ(other.execute(QString::fromUtf8(c.meanwhile)), 0) << other.SQLErrText.toStdString();
        ASSERT_TRUE(other.commit());
        other.disconnect();

        EXPECT_EQ(saveChanges(store, sqlca()), -1);
        EXPECT_EQ(sqlca().SQLCode, -1);
        EXPECT_TRUE(sqlca().SQLErrText.contains(QStringLiteral("已不在数据库中")))
            << sqlca().SQLErrText.toStdString();
        EXPECT_FALSE(sqlca().inTransaction());
        EXPECT_EQ(ledger()
                      .scalar(QStringLiteral("SELECT dh FROM wlryb WHERE xm = ?"), {QStringLiteral("李四")})
                      .toString(),
                  QStringLiteral("222"))
            << "nothing of the refused save stays";
        EXPECT_GT(store.modifiedCount() + store.deletedCount(), 1) << "the operator's changes are kept";
    }
}

// The server went away (restart, network): a statement outside a
// transaction reconnects and runs, whether or not the driver's failure told
// us (a statement without values did not), and a transaction the loss cut
// off is never finished through the new connection.
TEST_P(TransactionDb, ALostServerConnectionComesBackButACutTransactionIsNeverFinished)
{
    if (ledger().dbms() == u"SQLite")
        GTEST_SKIP() << "an embedded ledger has no server connection to lose";
    QVariantList row;
    const QString count = QStringLiteral("SELECT count(*) FROM syb WHERE sy = ?");

    // Lost while idle, found by statements with and without values.
    for (const QString& sql : {QStringLiteral("SELECT count(*) FROM syb"), count}) {
        SCOPED_TRACE(sql.toStdString());
        ASSERT_TRUE(ledger().cutServerConnection(sqlca()));
        const QVariantList values = sql == count ? QVariantList{QStringLiteral("甲")} : QVariantList{};
        EXPECT_EQ(sqlca().selectInto(sql, values, row), 0) << sqlca().SQLErrText.toStdString();
        EXPECT_EQ(sqlca().selectInto(count, {QStringLiteral("甲")}, row), 0)
            << sqlca().SQLErrText.toStdString();
        EXPECT_FALSE(sqlca().connectionLost());
    }
    ASSERT_TRUE(ledger().cutServerConnection(sqlca()));
    ASSERT_EQ(sqlca().execute(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("甲")}), 0)
        << sqlca().SQLErrText.toStdString();
    ASSERT_TRUE(sqlca().commit());

    // Lost inside a transaction: its first write must not be committed
    // through the new connection along with later ones.
    ASSERT_EQ(sqlca().execute(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("乙")}), 0);
    ASSERT_TRUE(ledger().cutServerConnection(sqlca()));
    EXPECT_EQ(sqlca().execute(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("丙")}), -1);
    EXPECT_TRUE(sqlca().SQLErrText.startsWith(QStringLiteral("与数据库服务器的连接已断开")))
        << sqlca().SQLErrText.toStdString();
    EXPECT_TRUE(sqlca().SQLErrText.contains(u'\n')) << "the driver's own text follows";
    EXPECT_FALSE(sqlca().inTransaction());
    EXPECT_EQ(sqlca().execute(QStringLiteral("INSERT INTO syb (sy) VALUES (?)"), {QStringLiteral("丁")}), -1)
        << "nothing runs until the cut transaction is rolled back";
    EXPECT_FALSE(sqlca().commit()) << "a cut transaction never reports as committed";
    EXPECT_TRUE(sqlca().rollback());
    EXPECT_EQ(sqlca().selectInto(
                  QStringLiteral("SELECT count(*) FROM syb WHERE sy IN (?, ?, ?, ?)"),
                  {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙"), QStringLiteral("丁")},
                  row),
              0)
        << sqlca().SQLErrText.toStdString();
    EXPECT_EQ(row.front().toInt(), 1) << "only the committed row";
}

QV_LEDGER_TEST_SUITE(TransactionDb);
QV_ODBC_TEST_SUITE(TransactionDb);
