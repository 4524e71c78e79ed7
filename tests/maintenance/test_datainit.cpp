#include "support/testledger.h"

#include "gridinput.h"

#include "maintenance/datainit.h"
#include "maintenance/recordswindow.h"
#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/core/profile.h"
#include "platform/output/reportgrid.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace qv;
using qv::test::LedgerTest;

namespace {

const QString kQuestion = QStringLiteral("只能在程序正式使用前初始化，您确认初始化吗？");
const QString kWarning = QStringLiteral("您已经初始化一次了，如果确实需要重新初始化，请确定！");
const QString kDone = QStringLiteral("数据初始化成功！");
const QString kRunAgain = QStringLiteral("请重新执行数据初始化！");
const QString kFlagFailed = QStringLiteral("初始化标志设置失败！");

class DataInitTest : public LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_boxes = &installScriptedMessageBoxes();
        globals().ls_dir = QDir::toNativeSeparators(ledger().workDir());
        setLedgerBackup({});
        ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES "
                                     "('260101120000', '张三', '收情', 50, '20260101'), "
                                     "('260102120000', '李四', '送情', -80, '20260102')"));
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb) VALUES ('张三', '男'), ('李四', '女')"));
        ledger().exec(QStringLiteral("INSERT INTO tjb_save (year, mon, sou, song, je) VALUES "
                                     "('2025', '01', 50, -80, -30)"));
        ledger().exec(QStringLiteral("INSERT INTO tjb (year, mon, sou, song, je) VALUES "
                                     "('2026', '01', 50, -80, -30)"));
        // A book of the first gift: it goes with the gifts.
        ledger().exec(QStringLiteral("INSERT INTO lbb (lbid, mc, rq, lx, sy, zt) VALUES "
                                     "(1, '婚礼', '20260101', '喜事', '结婚', 0)"));
        ledger().exec(QStringLiteral("INSERT INTO lbmx (lbid, xtbh, px) VALUES (1, '260101120000', 1)"));
        ledger().exec(QStringLiteral(
            "INSERT INTO drjl (drid, wjm, drsj, ts) VALUES (1, 'a.csv', '2026-01-02 12:00:00', 1)"));
        ledger().exec(QStringLiteral("INSERT INTO drmx (drid, xtbh, zw) VALUES (1, '260102120000', 'x')"));
    }

    void TearDown() override
    {
        setLedgerBackup({});
        globals().ls_dir.clear();
        LedgerTest::TearDown();
    }

    QString profilePath() { return QDir(ledger().workDir()).filePath(QStringLiteral("pb.ini")); }
    void writeFlag(const char* other) { ledger().writeProfile(QString::fromUtf8(other)); }
    QString flag()
    {
        return profilestring(profilePath(), QStringLiteral("other"), QStringLiteral("csh"), {});
    }

    int rows(const char* table)
    {
        return ledger().scalar(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table)).toInt();
    }
    // rqwlb, tjb_save, wlryb and what the imports wrote: the tables the
    // initialisation empties.
    std::vector<int> emptiedTables()
    {
        return {rows("rqwlb"), rows("tjb_save"), rows("wlryb"), rows("drmx"), rows("drjl")};
    }

    void run(const QList<int>& answers, QWidget* frame = nullptr)
    {
        for (int a : answers)
            m_boxes->queueAnswer(a);
        initialiseData(sqlca(), frame);
    }

    ScriptedMessageBoxes* m_boxes = nullptr;
};

struct FlagCase
{
    const char* name;
    const char* other; // the [other] section, or nothing
    QList<int> answers;
    QStringList texts;
    const char* flagAfter;
    bool emptied;
};

TEST_P(DataInitTest, TheFlagDecidesBetweenEmptyingAndRearming)
{
    const QList<FlagCase> cases = {
        {"armed, confirmed", "[other]\ncsh=0\n", {1}, {kQuestion, kDone}, "1", true},
        {"armed, cancelled", "[other]\ncsh=0\n", {2}, {kQuestion}, "0", false},
        {"done, warning confirmed", "[other]\ncsh=1\n", {1, 1}, {kQuestion, kWarning, kRunAgain}, "0", false},
        {"done, warning cancelled", "[other]\ncsh=1\n", {1, 2}, {kQuestion, kWarning}, "1", false},
        {"no flag, warns first", "", {1, 1}, {kQuestion, kWarning, kRunAgain}, "0", false},
        {"other value", "[other]\ncsh=yes\n", {1, 1}, {kQuestion, kWarning, kRunAgain}, "0", false},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != &cases.front())
            SetUp();
        writeFlag(c.other);
        run(c.answers);
        EXPECT_EQ(m_boxes->texts(), c.texts);
        EXPECT_EQ(flag(), QString::fromLatin1(c.flagAfter));
        EXPECT_EQ(emptiedTables(),
                  (c.emptied ? std::vector<int>{0, 0, 0, 0, 0} : std::vector<int>{2, 1, 2, 1, 1}));
        EXPECT_EQ(rows("lbb") + rows("lbmx"), c.emptied ? 0 : 2);
        // The operators, the working statistics and the lookups stay.
        EXPECT_EQ(rows("czr"), 1);
        EXPECT_EQ(rows("tjb"), 1);
        EXPECT_GT(rows("syb"), 0);
        EXPECT_GT(rows("pym"), 20000);
        // The profile's other lines survive the flag being written.
        ProfileFile profile(profilePath());
        ASSERT_EQ(profile.load(), ProfileFile::Status::Ok);
        EXPECT_EQ(profile.value(QStringLiteral("database"), QStringLiteral("dbms")), ledger().dbms());
    }
}

TEST_P(DataInitTest, ProfileWithoutTheFlagEmptiesOnTheSecondRun)
{
    writeFlag("[other]\nver=2.0\n");
    run({1, 1});
    EXPECT_EQ(emptiedTables(), (std::vector<int>{2, 1, 2, 1, 1}));
    m_boxes->clear();
    run({1});
    EXPECT_EQ(m_boxes->texts(), (QStringList{kQuestion, kDone}));
    EXPECT_EQ(emptiedTables(), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(flag(), QStringLiteral("1"));
    EXPECT_EQ(profilestring(profilePath(), QStringLiteral("other"), QStringLiteral("ver"), {}),
              QStringLiteral("2.0"));
}

TEST_P(DataInitTest, EmptyTablesAreNoFailure)
{
    // Neither SQLite nor PostgreSQL answers a delete that finds nothing with
    // "no row", so an empty ledger initialises like a full one.
    ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
    ledger().exec(QStringLiteral("DELETE FROM tjb_save"));
    writeFlag("[other]\ncsh=0\n");
    run({1});
    EXPECT_EQ(m_boxes->texts(), (QStringList{kQuestion, kDone}));
    EXPECT_EQ(flag(), QStringLiteral("1"));
}

// A refused delete takes back the ones before it; the flag stays armed.
TEST_P(DataInitTest, RefusedDeleteRollsBackTheOthers)
{
    struct Case
    {
        const char* table;
        QString failure;
    };
    const QList<Case> cases = {{"rqwlb", QStringLiteral("主数据表初始化失败！")},
                               {"tjb_save", QStringLiteral("数据统计表初始化失败！")},
                               {"wlryb", QStringLiteral("人员数据表初始化失败！")},
                               {"lbmx", QStringLiteral("礼簿表初始化失败！")},
                               {"drjl", QStringLiteral("导入记录表初始化失败！")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        if (&c != &cases.front())
            SetUp();
        const QString table = QLatin1String(c.table);
        if (ledger().dbms() == u"SQLite") {
            ledger().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON %1 "
                                         "BEGIN SELECT RAISE(ABORT, 'refused by test'); END")
                              .arg(table));
        } else {
            ledger().exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN "
                                         "RAISE EXCEPTION 'refused by test'; END $$ LANGUAGE plpgsql"));
            ledger().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON %1 "
                                         "FOR EACH STATEMENT EXECUTE FUNCTION refuse()")
                              .arg(table));
        }
        writeFlag("[other]\ncsh=0\n");
        run({1});
        ASSERT_EQ(m_boxes->shown().size(), 2);
        const ShownMessage& failure = m_boxes->shown().back();
        EXPECT_EQ(failure.icon, Icon::StopSign);
        EXPECT_EQ(failure.title, QStringLiteral("提示"));
        EXPECT_EQ(failure.text.section(u'\n', 0, 0), c.failure);
        EXPECT_TRUE(failure.text.contains(QStringLiteral("refused by test"))) << failure.text.toStdString();
        EXPECT_EQ(emptiedTables(), (std::vector<int>{2, 1, 2, 1, 1}));
        EXPECT_EQ(flag(), QStringLiteral("0"));
        EXPECT_FALSE(sqlca().inTransaction());
    }
}

TEST_P(DataInitTest, UnwritableProfileIsReportedWithItsReason)
{
    // Re-arming in a directory that does not exist.
    globals().ls_dir = QDir(ledger().workDir()).filePath(QStringLiteral("gone"));
    run({1, 1});
    ASSERT_EQ(m_boxes->shown().size(), 3);
    EXPECT_EQ(m_boxes->shown().back().text.section(u'\n', 0, 0), kFlagFailed);
    EXPECT_EQ(m_boxes->shown().back().icon, Icon::StopSign);
    EXPECT_GT(m_boxes->shown().back().text.section(u'\n', 1).size(), 0) << "the reason follows";

    // After emptying: the profile turns into something that cannot be
    // written while the success is shown; the data stay deleted.
    globals().ls_dir = QDir::toNativeSeparators(ledger().workDir());
    writeFlag("[other]\ncsh=0\n");
    m_boxes->clear();
    m_boxes->setOnShow([this](const ShownMessage& m) {
        if (m.text == kDone) {
            QFile::remove(profilePath());
            QDir(ledger().workDir()).mkdir(QStringLiteral("pb.ini"));
        }
    });
    run({1});
    m_boxes->setOnShow({});
    EXPECT_EQ(m_boxes->texts().size(), 3);
    EXPECT_EQ(m_boxes->texts().value(1), kDone);
    EXPECT_EQ(m_boxes->texts().value(2).section(u'\n', 0, 0), kFlagFailed);
    EXPECT_EQ(emptiedTables(), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_P(DataInitTest, BackupRunsBeforeTheDeletesAndCanStopThem)
{
    writeFlag("[other]\ncsh=0\n");
    std::vector<int> seen;
    setLedgerBackup([&](Transaction&, QWidget*, QString&) {
        seen = emptiedTables();
        return false;
    });
    run({1});
    EXPECT_EQ(seen, (std::vector<int>{2, 1, 2, 1, 1})) << "the copy sees the full ledger";
    EXPECT_EQ(emptiedTables(), (std::vector<int>{2, 1, 2, 1, 1}));
    EXPECT_EQ(flag(), QStringLiteral("0"));

    setLedgerBackup([](Transaction&, QWidget*, QString&) { return true; });
    run({1});
    EXPECT_EQ(emptiedTables(), (std::vector<int>{0, 0, 0, 0, 0}));
}

// On SQLite the installed step leaves a copy that still holds every record,
// and the success message says where it is.
TEST_P(DataInitTest, SqliteLedgerIsCopiedBesideItselfFirst)
{
    writeFlag("[other]\ncsh=0\n");
    setLedgerBackup(backupBeforeInitialising);
    run({1});
    EXPECT_EQ(emptiedTables(), (std::vector<int>{0, 0, 0, 0, 0}));
    const QString success = m_boxes->shown().last().text;
    EXPECT_TRUE(success.startsWith(QStringLiteral("数据初始化成功！"))) << success.toStdString();
    if (ledger().dbms() != u"SQLite") {
        EXPECT_EQ(success, QStringLiteral("数据初始化成功！"));
        return;
    }
    const QStringList copies = QDir(ledger().workDir()).entryList({QStringLiteral("*-*-*.db")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1) << "one copy beside the ledger";
    EXPECT_TRUE(success.contains(copies.first())) << success.toStdString();
    QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("initcopy"));
    copy.setDatabaseName(QDir(ledger().workDir()).filePath(copies.first()));
    ASSERT_TRUE(copy.open());
    QSqlQuery q(copy);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM rqwlb")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    q = QSqlQuery();
    copy.close();
    copy = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("initcopy"));
}

// The sheets that list what is emptied close first, each through its own
// close handler; one that keeps its unsaved changes stops everything.
TEST_P(DataInitTest, SheetsShowingTheTablesCloseFirst)
{
    writeFlag("[other]\ncsh=0\n");
    QMainWindow frame;
    auto* area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    auto* records = new RecordsWindow(sqlca());
    QMdiSubWindow* recordsSheet = area->addSubWindow(records);
    auto* other = new QWidget;
    other->setObjectName(QStringLiteral("w_lwdj"));
    QMdiSubWindow* otherSheet = area->addSubWindow(other);
    auto* balances = new QWidget;
    balances->setObjectName(QStringLiteral("w_wlye"));
    QMdiSubWindow* balancesSheet = area->addSubWindow(balances);
    frame.show();
    recordsSheet->show();
    otherSheet->show();
    balancesSheet->show();

    records->findChild<QLineEdit*>(QStringLiteral("sle_1"))->setText(QStringLiteral("张三"));
    ASSERT_TRUE(records->list());
    ASSERT_EQ(records->grid()->rowCount(), 0) << "today holds no record";
    records->grid()->store().insertRow(0);
    records->grid()->store().setItem(1, QStringLiteral("wp"), QStringLiteral("茶叶"));

    run({1, 3}, &frame); // OK, then Cancel at the sheet's unsaved-changes question
    EXPECT_EQ(m_boxes->texts(), (QStringList{kQuestion, QStringLiteral("数据未保存！是否存盘?")}));
    EXPECT_TRUE(recordsSheet->isVisible());
    EXPECT_EQ(emptiedTables(), (std::vector<int>{2, 1, 2, 1, 1}));
    EXPECT_EQ(flag(), QStringLiteral("0"));

    m_boxes->clear();
    run({1, 2}, &frame); // OK, then No: drop the changes
    EXPECT_EQ(m_boxes->texts().back(), kDone);
    EXPECT_TRUE(recordsSheet->isHidden());
    EXPECT_TRUE(balancesSheet->isHidden()) << "the balances sum the emptied gifts";
    EXPECT_TRUE(otherSheet->isVisible()) << "a form that lists nothing stays";
    EXPECT_EQ(emptiedTables(), (std::vector<int>{0, 0, 0, 0, 0}));
}

} // namespace

QV_LEDGER_TEST_SUITE(DataInitTest);
