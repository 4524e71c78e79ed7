#include "support/testledger.h"

#include "data/bookstore.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace {

struct Finished
{
    bool ended = false; // within the wait; a program waiting for input never ends
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QString out;
    QString err;
};

// Runs a built program in `dir` without any display; a window that opened
// would wait for an operator who is not there.
Finished runProgram(const QString& program, const QStringList& arguments, const QString& dir,
                    const QStringList& extraEnvironment = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString& pair : extraEnvironment)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(program, arguments);
    Finished f;
    if (!p.waitForStarted())
        return f;
    f.ended = p.waitForFinished(60000);
    if (!f.ended) {
        p.kill();
        p.waitForFinished();
    }
    f.status = p.exitStatus();
    f.code = p.exitCode();
    f.out = QString::fromUtf8(p.readAllStandardOutput());
    f.err = QString::fromUtf8(p.readAllStandardError());
    return f;
}

const QString kQuorvel = QStringLiteral(QUORVEL_EXECUTABLE);
const QString kScripted = QStringLiteral(QUORVEL_KEYSCRIPT_EXECUTABLE);

// The operator's way through the login window: code, then password, each
// committed with Enter.
const QString kLogIn = QStringLiteral("w_login>7063{Return}7063{Return}");
const QString kWrongPassword = QStringLiteral("|w_login>x{Return}|错误>{Return}");

} // namespace

TEST(CommandLine, EachOptionEndsWithItsStatusInsteadOfOpeningTheWindows)
{
    struct Case
    {
        QStringList arguments;
        int code;
        const char* stdoutHas;
        const char* stderrHas;
    };
    const Case cases[] = {
        {{QStringLiteral("--help")}, 0, "--init-db", ""},
        {{QStringLiteral("-h")}, 0, "--version", ""},
        {{QStringLiteral("--version")}, 0, QUORVEL_VERSION, ""},
        {{QStringLiteral("--backup")}, 2, "", "--backup"},
        {{QStringLiteral("--bogus")}, 2, "", "不认识的选项：--bogus"},
        {{QStringLiteral("-platform"), QStringLiteral("xcb")}, 2, "", "--platform"},
        {{QStringLiteral("ledger.db")}, 2, "", "ledger.db"},
        // Without a pb.ini the command fails, but as itself, not as a window.
        {{QStringLiteral("--init-db")}, 2, "", "pb.ini"},
        {{QStringLiteral("--backup"), QStringLiteral("x.db")}, 2, "", "pb.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        QTemporaryDir dir;
        const Finished f = runProgram(kQuorvel, c.arguments, dir.path());
        ASSERT_TRUE(f.ended) << "the program opened its windows and waited";
        EXPECT_EQ(f.status, QProcess::NormalExit);
        EXPECT_EQ(f.code, c.code) << f.err.toStdString();
        EXPECT_TRUE(f.out.contains(QString::fromUtf8(c.stdoutHas))) << f.out.toStdString();
        EXPECT_TRUE(f.err.contains(QString::fromUtf8(c.stderrHas))) << f.err.toStdString();
    }
}

TEST(CommandLine, InitDbBuildsTheLedgerThatPbIniNames)
{
    QTemporaryDir dir;
    QFile profile(dir.filePath(QStringLiteral("pb.ini")));
    ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
    profile.write("[database]\ndbms=SQLite\ndatabase=ledger.db\n");
    profile.close();
    const Finished f = runProgram(kQuorvel, {QStringLiteral("--init-db")}, dir.path());
    ASSERT_TRUE(f.ended);
    EXPECT_EQ(f.code, 0) << f.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("ledger.db"))));
}

TEST(CommandLine, BackupWritesTheNamedCopyAndRefusesToOverwriteIt)
{
    QTemporaryDir dir;
    QFile profile(dir.filePath(QStringLiteral("pb.ini")));
    ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
    profile.write("[database]\ndbms=SQLite\ndatabase=ledger.db\n");
    profile.close();
    ASSERT_EQ(runProgram(kQuorvel, {QStringLiteral("--init-db")}, dir.path()).code, 0);

    const Finished first =
        runProgram(kQuorvel, {QStringLiteral("--backup"), QStringLiteral("copy.db")}, dir.path());
    ASSERT_TRUE(first.ended);
    EXPECT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(dir.filePath(QStringLiteral("copy.db")))) << first.out.toStdString();
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("copy.db"))).size(), 0);

    const Finished again =
        runProgram(kQuorvel, {QStringLiteral("--backup"), QStringLiteral("copy.db")}, dir.path());
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("已经存在"))) << again.err.toStdString();
}

class WaysOut : public qv::test::LedgerTest
{
};

TEST_P(WaysOut, EveryWayOutOfTheProgramEndsCleanly)
{
    ledger().writeProfile();
    struct Case
    {
        const char* way;
        QString script;
    };
    const Case cases[] = {
        {"Escape at the login", QStringLiteral("w_login>{Escape}")},
        {"取消 at the login", QStringLiteral("w_login>{click:cb_2}")},
        {"the fourth counted attempt", QStringLiteral("w_login>7063{Return}x{Return}|错误>{Return}") +
                                           kWrongPassword + kWrongPassword + kWrongPassword},
        {"退出系统 by Ctrl+X", kLogIn + QStringLiteral("|w_main>{Ctrl+X}")},
        {"退出系统 from the menu", kLogIn + QStringLiteral("|w_main>{Alt+H}{Up}{Return}")},
        {"the close box answered OK", kLogIn + QStringLiteral("|w_main>{close}|退出>{click:确定}")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.way);
        const Finished f =
            runProgram(kScripted, {}, ledger().workDir(), {QStringLiteral("QUORVEL_KEY_SCRIPT=") + c.script});
        ASSERT_TRUE(f.ended) << "the program did not end";
        EXPECT_EQ(f.status, QProcess::NormalExit) << f.err.toStdString();
        EXPECT_EQ(f.code, 0) << f.err.toStdString();
    }
}

// Each editable window, left with an edit and told not to save, goes whole:
// nothing stays behind to ask again or to crash when the program ends.
TEST_P(WaysOut, AnEditableWindowLeftUnsavedGoesWholeAndTheProgramEndsCleanly)
{
    ledger().writeProfile();
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    ledger().exec(
        QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sj, sq) VALUES ('000000000001', 'Tom', "
                       "'收情', 100, ?, ?)"),
        {today, today});
    for (int m = 1; m <= 12; ++m)
        ledger().exec(
            QStringLiteral("INSERT INTO tjb_save (year, mon, sou, song, je) VALUES ('2003', ?, 1, 0, 1)"),
            {QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'))});
    const QString no = QStringLiteral("|退出>{click:否(&N)}");
    const QString quit = QStringLiteral("|w_main>{Ctrl+X}");
    struct Case
    {
        const char* window;
        QString script;
    };
    const Case cases[] = {
        {"收情登记", QStringLiteral("|w_main>{action:m_1_1}|w_main>abc{click:退出}") + no + quit},
        {"送情登记", QStringLiteral("|w_main>{action:m_3_1}|w_main>abc{click:退出}") + no + quit},
        {"往来人员设置",
         QStringLiteral("|w_main>{action:m_2_1}|w_main>{click:增加}{focus:dw_1}abc{click:退出}") + no + quit},
        {"记录库维护", QStringLiteral("|w_main>{action:m_2_6}|w_main>{focus:sle_1}Tom{click:查询}{click:删除}"
                                      "|删除！>{click:确定}|w_main>{click:退出}") +
                           no + quit},
        {"统计库维护",
         QStringLiteral("|w_main>{action:m_2_7}|w_main>{click:查询}{click:删除}|删除！>{click:确定}"
                        "|w_main>{click:退出}") +
             no + quit},
        {"操作人员设置",
         QStringLiteral("|w_main>{action:m_2_5}|w_czrsz>{click:增加}{focus:dw_1}abc{click:退出}") + no +
             quit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        const Finished f = runProgram(kScripted, {}, ledger().workDir(),
                                      {QStringLiteral("QUORVEL_KEY_SCRIPT=") + kLogIn + c.script});
        ASSERT_TRUE(f.ended) << "the program did not end";
        EXPECT_EQ(f.status, QProcess::NormalExit) << f.err.toStdString();
        EXPECT_EQ(f.code, 0) << f.err.toStdString();
    }
}

QV_LEDGER_TEST_SUITE(WaysOut);

class KilledAtTheTable : public qv::test::LedgerTest
{
};

// A guest's line is committed when Enter stores it: the program killed
// outright (power lost, kill -9) right after keeps every stored line, with
// its link to the book, and loses no more than the line being typed.
TEST_P(KilledAtTheTable, ALineStoredByEnterOutlivesAKill)
{
    ledger().writeProfile();
    qv::BookStore books(sqlca());
    qv::Book book{0,
                  QStringLiteral("婚礼"),
                  QStringLiteral("20241001"),
                  qv::BookStore::kWedding,
                  QStringLiteral("结婚"),
                  false};
    ASSERT_TRUE(books.create(book).ok) << books.error().toStdString();

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUORVEL_KEY_SCRIPT"),
               kLogIn + QStringLiteral("|w_main>{action:m_1_5}|w_main>Tom{Tab}200{Return}Ann{Tab}3"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(ledger().workDir());
    p.start(kScripted, {});
    ASSERT_TRUE(p.waitForStarted());
    const QString stored = QStringLiteral(
        "SELECT count(*) FROM lbmx m JOIN rqwlb r ON r.xtbh = m.xtbh WHERE m.lbid = ? AND r.xm = 'Tom' "
        "AND r.lx = '收情' AND CAST(ROUND(r.je * 100) AS BIGINT) = 20000");
    QDeadlineTimer deadline(30000);
    while (ledger().scalar(stored, {book.id}).toLongLong() == 0 && !deadline.hasExpired() &&
           p.state() == QProcess::Running)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(p.state(), QProcess::Running) << p.readAllStandardError().toStdString();
    ::kill(pid_t(p.processId()), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);

    // A fresh connection, as the next start would open the ledger.
    qv::Transaction after;
    ledger().configure(after);
    ASSERT_TRUE(after.connect()) << after.SQLErrText.toStdString();
    QVariantList row;
    ASSERT_EQ(after.selectInto(stored, {book.id}, row), 0) << after.SQLErrText.toStdString();
    EXPECT_EQ(row.value(0).toLongLong(), 1);
    ASSERT_EQ(after.selectInto(QStringLiteral("SELECT count(*) FROM rqwlb"), {}, row), 0);
    EXPECT_EQ(row.value(0).toLongLong(), 1) << "the line being typed is all that is lost";
    after.disconnect();
}

QV_LEDGER_TEST_SUITE(KilledAtTheTable);

TEST(FailedStart, EndsWithStatusOneAfterItsMessage)
{
    struct Case
    {
        const char* what;
        QByteArray profile; // null: no pb.ini, so the ledger home is used
        QString message;    // the title of the box the program shows
    };
    const Case cases[] = {
        {"a ledger that is not there", "[database]\ndbms=SQLite\ndatabase=typo/ledger.db\n",
         QStringLiteral("不能连接数据库")},
        {"a ledger home that cannot be made", QByteArray(), QStringLiteral("不能建立账本")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        if (!c.profile.isNull()) {
            QFile profile(dir.filePath(QStringLiteral("pb.ini")));
            ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
            profile.write(c.profile);
        }
        // The ledger home would lie under a file, where no folder can be made.
        QFile blocker(dir.filePath(QStringLiteral("notes.txt")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Finished f =
            runProgram(kScripted, {}, dir.path(),
                       {QStringLiteral("QUORVEL_KEY_SCRIPT=") + c.message + QStringLiteral(">{Return}"),
                        QStringLiteral("QUORVEL_HOME=") + dir.filePath(QStringLiteral("notes.txt/Quorvel"))});
        ASSERT_TRUE(f.ended);
        EXPECT_EQ(f.status, QProcess::NormalExit) << f.err.toStdString();
        EXPECT_EQ(f.code, 1) << f.err.toStdString();
    }
}
