#include "support/testledger.h"

#include "app/commands/initdb.h"
#include "app/pack.h"
#include "data/ledgerschema.h"
#include "platform/core/messagebox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

using namespace qv;
using qv::test::TestLedger;

namespace {

// Runs the start-up in `dir` with a stand-in login window.
struct StartUp
{
    bool loginOpened = false;
    ScriptedMessageBoxes* boxes = nullptr;

    bool run(const QString& dir, Transaction& t)
    {
        boxes = &installScriptedMessageBoxes();
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir);
        Pack pack(t);
        QWidget login;
        pack.setLoginOpener([&](Transaction&) {
            loginOpened = true;
            return &login;
        });
        const bool opened = pack.open() != nullptr;
        QDir::setCurrent(previous);
        return opened;
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

} // namespace

TEST(StartUp, EachUnusableProfileOrLedgerIsNamedUnderCannotConnectAndOpensNoWindow)
{
    struct Case
    {
        QByteArray profile; // null: no pb.ini at all
        QString firstLine;  // what is wrong, naming the file or server; %1 is the directory
        QString reason;     // found on the line below
    };
    const Case cases[] = {
        {QByteArray(), QStringLiteral("找不到配置文件 %1/pb.ini"), QStringLiteral("dbms")},
        {"[database]\ndbms=Oracle9\n", QStringLiteral("配置文件 %1/pb.ini 中的数据库设置不能使用"),
         QStringLiteral("Oracle9")},
        {"[database]\ndbms=SQLite\n", QStringLiteral("配置文件 %1/pb.ini 中的数据库设置不能使用"),
         QStringLiteral("database")},
        {"[database]\ndbms=SQLite\ndatabase=typo/ledger.db\n",
         QStringLiteral("不能打开账本文件 %1/typo/ledger.db"), QStringLiteral("typo/ledger.db")},
        {"[database]\ndbms=SQLite\ndatabase=notes.txt\n", QStringLiteral("不能打开账本文件 %1/notes.txt"),
         QStringLiteral("not a database")},
        {"[database]\ndbms=SQLite\ndatabase=sub\n", QStringLiteral("不能打开账本文件 %1/sub"),
         QStringLiteral("sub")},
        // SQLite opens these; they are still no ledger.
        {"[database]\ndbms=SQLite\ndatabase=empty.db\n",
         QStringLiteral("账本文件 %1/empty.db 不是本程序的账本"), QStringLiteral("缺少账本的表 czr")},
        {"[database]\ndbms=SQLite\ndatabase=notes.db\n",
         QStringLiteral("账本文件 %1/notes.db 不是本程序的账本"), QStringLiteral("缺少账本的表 czr")},
        {QByteArray("\0\0\x13garbage", 10), QStringLiteral("配置文件 %1/pb.ini 已损坏"), QString()},
        {"[database]\ndbms=PostgreSQL\nservername=127.0.0.1:1\ndatabase=ledger\nlogid=nobody\n",
         QStringLiteral("不能连接数据库服务器 127.0.0.1:1 上的数据库“ledger”（用户 nobody）"),
         QStringLiteral("127.0.0.1")},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        SCOPED_TRACE(c.firstLine.toStdString());
        if (!c.profile.isNull())
            writeFile(dir.filePath(QStringLiteral("pb.ini")), c.profile);
        writeFile(dir.filePath(QStringLiteral("notes.txt")), QByteArray(4096, 'x'));
        writeFile(dir.filePath(QStringLiteral("empty.db")), {});
        {
            Transaction other;
            other.DBMS = QStringLiteral("SQLite");
            other.Database = dir.filePath(QStringLiteral("notes.db"));
            ASSERT_TRUE(other.connect(Transaction::OpenMode::CreateSQLiteFile));
            ASSERT_EQ(other.execute(QStringLiteral("CREATE TABLE notes (id integer, body text)")), 0);
            ASSERT_TRUE(other.commit());
        }
        QDir(dir.path()).mkdir(QStringLiteral("sub"));
        Transaction t;
        StartUp s;
        EXPECT_FALSE(s.run(dir.path(), t));
        EXPECT_FALSE(s.loginOpened);
        EXPECT_FALSE(t.isConnected());
        ASSERT_EQ(s.boxes->shown().size(), 1);
        const ShownMessage& shown = s.boxes->shown()[0];
        EXPECT_EQ(shown.title, QStringLiteral("不能连接数据库"));
        EXPECT_EQ(shown.icon, Icon::StopSign);
        const QStringList lines = shown.text.split(QLatin1Char('\n'));
        EXPECT_TRUE(lines[0].startsWith(QString(c.firstLine).replace(QStringLiteral("%1"), dir.path())))
            << shown.text.toStdString();
        if (!c.reason.isEmpty()) {
            ASSERT_GE(lines.size(), 2) << shown.text.toStdString();
            EXPECT_TRUE(lines[1].contains(c.reason)) << shown.text.toStdString();
        }
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("typo/ledger.db"))));
    }
}

TEST(StartUp, InitDbCreatesTheLedgerOnceAndRefusesToTouchItAgain)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("pb.ini")), "[database]\r\ndbms=SQLite\r\ndatabase=ledger.db\r\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(runInitDb(out, err), 0) << errText.toStdString();
    EXPECT_TRUE(outText.contains(QStringLiteral("pym")));
    const qint64 size = QFileInfo(dir.filePath(QStringLiteral("ledger.db"))).size();
    EXPECT_GT(size, 0);
    EXPECT_NE(runInitDb(out, err), 0);
    EXPECT_TRUE(errText.contains(QStringLiteral("rqwlb")));
    QDir::setCurrent(previous);

    Transaction t;
    StartUp s;
    EXPECT_TRUE(s.run(dir.path(), t)) << "a profile without [other] starts normally";
    EXPECT_TRUE(s.loginOpened);
    EXPECT_TRUE(s.boxes->shown().isEmpty());
}

class StartUpDb : public qv::test::LedgerTest
{
};

TEST_P(StartUpDb, AGoodProfileConnectsAndOpensTheLoginWindow)
{
    ledger().writeProfile();
    Transaction t;
    StartUp s;
    EXPECT_TRUE(s.run(ledger().workDir(), t));
    EXPECT_TRUE(s.loginOpened);
    EXPECT_TRUE(t.isConnected());
    EXPECT_TRUE(s.boxes->shown().isEmpty());
}

// Turns a fresh ledger into one as the first design made it: only the
// first version's tables, and no version recorded.
void makeFirstVersion(TestLedger& ledger)
{
    Transaction& t = ledger.sqlca();
    for (const QString& table : t.database().tables(QSql::Tables)) {
        const QString name = table.section(u'.', -1).toLower();
        if (!LedgerSchema::tableNames().contains(name))
            ledger.exec(QStringLiteral("DROP TABLE %1").arg(name));
    }
    if (t.dialect().dbms() == Dbms::SQLite)
        ledger.exec(QStringLiteral("PRAGMA user_version = 0"));
    t.commit();
}

int storedVersion(Transaction& t)
{
    QString error;
    return LedgerSchema::version(t, error).value_or(-1);
}

TEST_P(StartUpDb, AnOlderLedgerIsUpgradedOnceAndANewerOrBrokenOneIsNotTouched)
{
    const int newest = LedgerSchema::newestVersion();
    struct Case
    {
        const char* name;
        std::function<void(TestLedger&)> prepare;
        bool opens;
        int versionAfter;
        const char* says; // the one box of the first start
    };
    const QList<Case> cases = {
        {"older", makeFirstVersion, true, newest, "已从第 1 版升级到第"},
        {"newer",
         [&](TestLedger& l) {
             if (l.sqlca().dialect().dbms() == Dbms::SQLite)
                 l.exec(QStringLiteral("PRAGMA user_version = %1").arg(newest + 1));
             else
                 l.exec(QStringLiteral("UPDATE zbbb SET bbh = ?"), {newest + 1});
             l.sqlca().commit();
         },
         false, newest + 1, "较新版本的程序"},
        {"half-made",
         [](TestLedger& l) {
             makeFirstVersion(l);
             l.exec(QStringLiteral("CREATE TABLE drmx (something integer)"));
             l.sqlca().commit();
         },
         false, 1, "账本升级失败，账本没有改动"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestLedger fresh(QString::fromStdString(GetParam()));
        QString error;
        ASSERT_TRUE(fresh.create(error)) << error.toStdString();
        c.prepare(fresh);
        fresh.exec(
            QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES ('240501120000', ?, ?, 200, "
                           "'20240501')"),
            {QStringLiteral("张三"), QStringLiteral("收情")});
        fresh.sqlca().commit();
        fresh.writeProfile();

        for (int start = 1; start <= 2; ++start) {
            Transaction t;
            StartUp s;
            EXPECT_EQ(s.run(fresh.workDir(), t), c.opens) << "start " << start;
            EXPECT_EQ(s.loginOpened, c.opens);
            const QStringList texts = s.boxes->texts();
            if (start == 1 || !c.opens) {
                ASSERT_EQ(texts.size(), 1) << texts.join(u'|').toStdString();
                EXPECT_TRUE(texts[0].contains(QString::fromUtf8(c.says))) << texts[0].toStdString();
            } else {
                EXPECT_TRUE(texts.isEmpty()) << "said once: " << texts.join(u'|').toStdString();
            }
        }
        EXPECT_EQ(storedVersion(fresh.sqlca()), c.versionAfter);
        EXPECT_EQ(fresh.scalar(QStringLiteral("SELECT xm FROM rqwlb")).toString(), QStringLiteral("张三"));
        bool hasImportMemory = false;
        for (const QString& table : fresh.sqlca().database().tables())
            hasImportMemory = hasImportMemory || table.section(u'.', -1) == u"drjl";
        EXPECT_EQ(hasImportMemory, c.versionAfter >= 2);
        const QStringList backups =
            QDir(fresh.workDir()).entryList({QStringLiteral("ledger-*.db")}, QDir::Files);
        EXPECT_EQ(backups.size(), c.opens && GetParam() == "SQLite" ? 1 : 0) << "a copy before the upgrade";
    }
}

QV_LEDGER_TEST_SUITE(StartUpDb);
