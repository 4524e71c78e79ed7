#include "support/pdftext.h"
#include "support/testledger.h"

#include "data/contactpicker.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/output/exportbutton.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"
#include "platform/widgets/dateedit.h"
#include "queries/balanceswindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace qv;

namespace {

struct Gift
{
    const char* xtbh;
    const char* xm;
    const char* fw;
    const char* lx;
    const char* je; // as stored: given gifts negative
    const char* sq;
};

// A household's year 2024, and a little on either side of it.
const Gift kGifts[] = {
    {"240105000001", "张三", "朋友", "收情", "100.10", "20240105"},
    {"240310000002", "张三", "朋友", "送情", "-50.05", "20240310"},
    // Same day as the gift above but entered later: the last exchange.
    {"240310000009", "张三", "朋友", "收情", "200.20", "20240310"},
    {"230101000001", "李四", "亲戚", "收情", "500.00", "20231231"}, // the day before the period
    {"240601000001", "李四", "亲戚", "送情", "-300.00", "20240601"},
    {"250101000001", "王五", "同学", "收情", "80.00", "20250101"},   // the day after: not listed
    {"240101000001", "赵六", "邻居", "收情", "1000.00", "20240101"}, // both ends of the period count
    {"241231000001", "赵六", "邻居", "收情", "0.10", "20241231"},
    {"241231000002", "赵六", "邻居", "收情", "0.20", "20241231"},
};

struct Row
{
    const char* xm;
    const char* fw;
    const char* souN;
    const char* souJe;
    const char* songN;
    const char* songJe;
    const char* ye;
    const char* lastSq;
    const char* lastLx;
};

class BalancesTest : public test::LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_boxes = &installScriptedMessageBoxes();
        for (const Gift& g : kGifts)
            addGift(g);
        // 张三's category was corrected in the contacts since the gifts.
        ledger().exec(
            QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)"),
            {QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("zs"), QStringLiteral("同事")});
        ledger().exec(
            QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)"),
            {QStringLiteral("赵六"), QStringLiteral("女"), QStringLiteral("zl"), QStringLiteral("邻居")});
    }

    void addGift(const Gift& g)
    {
        ledger().exec(
            QStringLiteral("INSERT INTO rqwlb (xtbh, xm, fw, lx, je, sq) VALUES (?, ?, ?, ?, ?, ?)"),
            {QString::fromUtf8(g.xtbh), QString::fromUtf8(g.xm), QString::fromUtf8(g.fw),
             QString::fromUtf8(g.lx), QString::fromUtf8(g.je), QString::fromUtf8(g.sq)});
    }

    std::unique_ptr<BalancesWindow> openWindow()
    {
        auto w = std::make_unique<BalancesWindow>(sqlca());
        w->show();
        w->findChild<DateEdit*>(QStringLiteral("em_1"))->setDate(QDate(2024, 1, 1));
        w->findChild<DateEdit*>(QStringLiteral("em_2"))->setDate(QDate(2024, 12, 31));
        return w;
    }

    static QStringList names(const BalancesWindow& w)
    {
        QStringList out;
        for (long r = 1; r <= w.grid()->rowCount(); ++r)
            out << w.grid()->store().getItemString(r, QStringLiteral("xm"));
        return out;
    }

    static void clickHeader(BalancesWindow& w, const char* column)
    {
        const int section = w.grid()->viewColumn(QString::fromLatin1(column));
        ASSERT_GE(section, 0) << column;
        emit w.grid()->horizontalHeader()->sectionClicked(section);
    }

    ScriptedMessageBoxes* m_boxes = nullptr;
};

TEST_P(BalancesTest, OneRowPerPersonOfThePeriodSortedByBalance)
{
    auto w = openWindow();
    w->findChild<QPushButton*>(QStringLiteral("cb_1"))->click();

    const Row expected[] = {
        {"赵六", "邻居", "3", "1,000.30", "0", "0.00", "1,000.30", "20241231", "收情"},
        {"张三", "同事", "2", "300.30", "1", "50.05", "250.25", "20240310", "收情"},
        {"李四", "亲戚", "0", "0.00", "1", "300.00", "-300.00", "20240601", "送情"},
    };
    const DataStore& store = w->grid()->store();
    ASSERT_EQ(store.rowCount(), long(std::size(expected)));
    const char* columns[] = {"xm", "fw", "sou_n", "sou_je", "song_n", "song_je", "ye", "last_sq", "last_lx"};
    for (long r = 1; r <= store.rowCount(); ++r) {
        const Row& e = expected[r - 1];
        const char* values[] = {e.xm, e.fw, e.souN, e.souJe, e.songN, e.songJe, e.ye, e.lastSq, e.lastLx};
        for (int c = 0; c < int(std::size(columns)); ++c) {
            QString shown = store.getItemString(r, QString::fromLatin1(columns[c]));
            if (QLatin1String(columns[c]) == QLatin1String("last_sq"))
                shown.remove(QRegularExpression(QStringLiteral("\\D"))); // however the date is written
            EXPECT_EQ(shown, QString::fromUtf8(values[c])) << "row " << r << ' ' << columns[c];
        }
    }
    QStringList totals;
    for (const auto& [column, text] : w->grid()->totalsTexts())
        totals << text;
    EXPECT_TRUE(totals.join(u'|').contains(QStringLiteral("1,300.60"))) << totals.join(u'|').toStdString();
    EXPECT_TRUE(totals.join(u'|').contains(QStringLiteral("350.05")));
    EXPECT_TRUE(totals.join(u'|').contains(QStringLiteral("950.55")));
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(BalancesTest, SumsStayExactWhereDoublesWouldDrift)
{
    // One very large gift and three hundred small ones: added as doubles the
    // total comes out a cent off.
    addGift({"240701000001", "钱七", "朋友", "收情", "900000000000.01", "20240701"});
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(
            sqlca().execute(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES (?, ?, ?, ?, ?)"),
                            {QString::number(240702000000LL + i), QStringLiteral("钱七"),
                             QStringLiteral("收情"), QStringLiteral("0.03"), QStringLiteral("20240702")}),
            0);
    ASSERT_TRUE(sqlca().commit());
    auto w = openWindow();
    w->findChild<QLineEdit*>(QStringLiteral("sle_1"))->setText(QStringLiteral("钱七"));
    ASSERT_EQ(w->query(), 1);
    EXPECT_EQ(w->grid()->store().getItemString(1, QStringLiteral("sou_je")),
              QStringLiteral("900,000,000,009.01"));
    EXPECT_EQ(w->grid()->store().getItemString(1, QStringLiteral("ye")),
              QStringLiteral("900,000,000,009.01"));
}

TEST_P(BalancesTest, HeaderClicksSortByAnyColumnEitherWay)
{
    auto w = openWindow();
    ASSERT_EQ(w->query(), 3);
    struct Click
    {
        const char* column;
        QStringList order;
        Qt::SortOrder indicator;
    };
    const Click clicks[] = {
        {"xm", {"李四", "张三", "赵六"}, Qt::AscendingOrder},       // names in pinyin order first
        {"xm", {"赵六", "张三", "李四"}, Qt::DescendingOrder},      // the same header turns it round
        {"song_je", {"李四", "张三", "赵六"}, Qt::DescendingOrder}, // amounts from the largest
        {"sou_n", {"赵六", "张三", "李四"}, Qt::DescendingOrder},
        {"sou_n", {"李四", "张三", "赵六"}, Qt::AscendingOrder},
        {"last_sq", {"赵六", "李四", "张三"}, Qt::DescendingOrder},
        {"ye", {"赵六", "张三", "李四"}, Qt::DescendingOrder},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.column);
        clickHeader(*w, c.column);
        EXPECT_EQ(names(*w), c.order);
        EXPECT_EQ(w->grid()->horizontalHeader()->sortIndicatorSection(),
                  w->grid()->viewColumn(QString::fromLatin1(c.column)));
        EXPECT_EQ(w->grid()->horizontalHeader()->sortIndicatorOrder(), c.indicator);
    }
    // A new query keeps the order chosen.
    clickHeader(*w, "xm");
    ASSERT_EQ(w->query(), 3);
    EXPECT_EQ(names(*w), (QStringList{"李四", "张三", "赵六"}));
}

TEST_P(BalancesTest, TheNameBoxFiltersToOnePersonPickedByPinyin)
{
    auto w = openWindow();
    auto* name = w->findChild<QLineEdit*>(QStringLiteral("sle_1"));
    QTableView* picker = w->picker()->grid();
    EXPECT_EQ(picker->objectName(), QStringLiteral("dw_2"));
    EXPECT_FALSE(picker->isVisible());

    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("ZS"));
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_TRUE(picker->isVisible());
    QTest::keyClick(name, Qt::Key_Down);
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(name->text(), QStringLiteral("张三"));

    struct Filter
    {
        QString typed;
        QStringList rows;
    };
    const Filter filters[] = {
        {QStringLiteral("张三"), {"张三"}},
        {QStringLiteral("  李四 "), {"李四"}},
        {QStringLiteral("王五"), {}}, // only outside the period
        {QStringLiteral("张"), {}},   // a name, not a prefix
        {QString(), {"赵六", "张三", "李四"}},
    };
    for (const Filter& f : filters) {
        SCOPED_TRACE(f.typed.toStdString());
        name->setText(f.typed);
        EXPECT_EQ(w->query(), f.rows.size());
        EXPECT_EQ(names(*w), f.rows);
    }
}

TEST_P(BalancesTest, ARowAsksForThatPersonOverTheSamePeriod)
{
    auto w = openWindow();
    ASSERT_EQ(w->query(), 3);
    QList<std::tuple<QString, QDate, QDate>> asked;
    QObject::connect(w.get(), &BalancesWindow::personRequested,
                     [&](const QString& name, const QDate& from, const QDate& to) {
                         asked.append({name, from, to});
                     });

    ReportGrid* grid = w->grid();
    const QModelIndex second = grid->cellIndex(2, QStringLiteral("fw"));
    const QPoint at = grid->visualRect(second).center();
    // A double-click as the system delivers it: press, release, then the double-click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], std::make_tuple(QStringLiteral("张三"), QDate(2024, 1, 1), QDate(2024, 12, 31)));

    // The keyboard gets there too: Enter on the current row.
    grid->setFocus();
    grid->setRow(3);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(std::get<0>(asked[1]), QStringLiteral("李四"));
}

TEST_P(BalancesTest, PrintAndExportCarryTheRowsAsSortedTheTotalsAndThePeriod)
{
    auto w = openWindow();
    ASSERT_EQ(w->query(), 3);
    clickHeader(*w, "xm");
    QTemporaryDir dir;

    const QString csv = dir.filePath(QStringLiteral("balances.csv"));
    auto& dialogs = installScriptedFileDialogs();
    dialogs.queueAnswer(csv);
    w->findChild<QPushButton*>(QStringLiteral("cb_export"))->click();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(file.readAll()).remove(QChar(0xFEFF)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("姓名,分类,收情次数,收情金额")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("李四,")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("张三,同事,2,300.30,1,50.05,250.25,")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("赵六,")));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("共计：")) && lines[4].contains(QStringLiteral("1300.60")) &&
                lines[4].contains(QStringLiteral("350.05")) && lines[4].contains(QStringLiteral("950.55")))
        << lines[4].toStdString();

    // 打印 previews; its "另存为PDF" shows what the paper would.
    const QString pdf = dir.filePath(QStringLiteral("balances.pdf"));
    dialogs.queueAnswer(pdf);
    setPreviewRunner([](PrintPreviewDialog& preview) {
        preview.findChild<QAction*>(QStringLiteral("savePdf"))->trigger();
    });
    w->findChild<QPushButton*>(QStringLiteral("cb_2"))->click();
    setPreviewRunner({});
    FileDialogService::install(nullptr);
    const QString text = test::pdfText(pdf);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    // The text comes back normalised: full-width brackets and colons as ASCII.
    for (const char* part : {"往来余额(按人)", "姓名:所有人", "日期:2024年01月01日至2024年12月31日",
                             "共计:", "1,300.60", "950.55", "李四", "赵六"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << " in " << text.toStdString();
}

TEST_P(BalancesTest, OpensEmptyOverTheWholeHistoryAndRefusesAnInvertedPeriod)
{
    BalancesWindow w(sqlca());
    EXPECT_EQ(w.objectName(), QStringLiteral("w_wlye"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("往来余额（按人）"));
    EXPECT_EQ(w.findChild<DateEdit*>(QStringLiteral("em_1"))->date(), QDate(2000, 1, 1));
    EXPECT_EQ(w.findChild<DateEdit*>(QStringLiteral("em_2"))->date(), QDate::currentDate());
    EXPECT_EQ(w.grid()->rowCount(), 0);
    EXPECT_EQ(w.sortColumn(), QStringLiteral("ye"));
    EXPECT_FALSE(w.sortAscending());

    w.findChild<DateEdit*>(QStringLiteral("em_1"))->setDate(QDate(2025, 1, 1));
    w.findChild<DateEdit*>(QStringLiteral("em_2"))->setDate(QDate(2024, 1, 1));
    EXPECT_EQ(w.query(), -1);
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(w.grid()->rowCount(), 0);
}

QV_LEDGER_TEST_SUITE(BalancesTest);

// The query reads the ledger through the index on (xm, sq), in name order,
// for everyone as for one person: no scan of the table, no sort.
TEST(BalancesQuery, RunsOnTheNameAndDateIndex)
{
    test::TestLedger ledger(QStringLiteral("SQLite"));
    QString error;
    ASSERT_TRUE(ledger.create(error)) << error.toStdString();
    const ReportDef def = balancesDefinition(ledger.sqlca().dialect());
    for (const QVariant& name : {QVariant(), QVariant(QStringLiteral("张三"))}) {
        const auto bound = bindNamed(def.select, def.arguments,
                                     {name, QStringLiteral("20000101"), QStringLiteral("20241231")});
        ASSERT_TRUE(bound);
        QSqlQuery plan(ledger.sqlca().database());
        ASSERT_TRUE(plan.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + bound->first));
        for (const QVariant& v : bound->second)
            plan.addBindValue(v);
        ASSERT_TRUE(plan.exec());
        QStringList steps;
        while (plan.next())
            steps << plan.value(3).toString();
        const QString text = steps.join(u'\n');
        EXPECT_TRUE(text.contains(QStringLiteral("SEARCH rqwlb USING INDEX rqwlb_xm_sq")))
            << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("TEMP B-TREE"))) << text.toStdString();
    }
}

} // namespace
