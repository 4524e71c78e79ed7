#include "support/testledger.h"

#include "app/mainwindow.h"
#include "app/personquery.h"
#include "app/sheets.h"
#include "platform/dateedit.h"
#include "platform/messagebox.h"
#include "platform/reportgrid.h"
#include "queries/balanceswindow.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

using namespace qv;

namespace {

// The controls of 人情往来查询（单人） that a caller fills in, and what they
// held each time 查询 was pressed.
class PersonQueryStandIn : public QWidget
{
public:
    explicit PersonQueryStandIn(QList<QStringList>& queries)
    {
        auto* name = new QLineEdit(this);
        name->setObjectName(QStringLiteral("sle_1"));
        auto* from = new DateEdit(this);
        from->setObjectName(QStringLiteral("em_1"));
        auto* to = new DateEdit(this);
        to->setObjectName(QStringLiteral("em_2"));
        auto* run = new QPushButton(QStringLiteral("查询"), this);
        run->setObjectName(QStringLiteral("cb_1"));
        connect(run, &QPushButton::clicked, this, [=, &queries] {
            queries.append({name->text(), from->storedText(), to->storedText()});
        });
    }
};

class PersonQueryTest : public test::LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        installScriptedMessageBoxes();
        for (const auto& [xtbh, xm, lx, je] : {std::tuple{"240105000001", "张三", "收情", "100.00"},
                                               std::tuple{"240106000001", "李四", "送情", "-20.00"}})
            ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES (?, ?, ?, ?, ?)"),
                          {QString::fromLatin1(xtbh), QString::fromUtf8(xm), QString::fromUtf8(lx),
                           QString::fromLatin1(je), QStringLiteral("20240105")});
        registerBalancesWindow();
        registerWindow(QStringLiteral("w_lwcx"),
                       [this](Transaction&) { return new PersonQueryStandIn(m_queries); });
    }
    void TearDown() override
    {
        unregisterWindow(QStringLiteral("w_lwcx"));
        unregisterWindow(QStringLiteral("w_wlye"));
        LedgerTest::TearDown();
    }

    QList<QStringList> m_queries;
};

TEST_P(PersonQueryTest, ADoubleClickedBalanceOpensThePersonsRecordsAlreadyQueried)
{
    MainWindow frame(sqlca());
    frame.show();
    frame.findChild<QAction*>(QStringLiteral("m_4_3"))->trigger();
    auto* balances = qobject_cast<BalancesWindow*>(frame.clientArea()->activeSubWindow()->widget());
    ASSERT_TRUE(balances);
    EXPECT_EQ(frame.findChild<QAction*>(QStringLiteral("m_4_3"))->text(), QStringLiteral("往来余额（按人）"));
    balances->findChild<DateEdit*>(QStringLiteral("em_1"))->setDate(QDate(2024, 1, 1));
    balances->findChild<DateEdit*>(QStringLiteral("em_2"))->setDate(QDate(2024, 6, 30));
    ASSERT_EQ(balances->query(), 2);

    ReportGrid* grid = balances->grid();
    for (long row : {1L, 2L}) {
        const QPoint at = grid->visualRect(grid->cellIndex(row, QStringLiteral("xm"))).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
    // One sheet, reused, each time filled in and queried.
    EXPECT_EQ(m_queries,
              (QList<QStringList>{
                  {QStringLiteral("张三"), QStringLiteral("20240101"), QStringLiteral("20240630")},
                  {QStringLiteral("李四"), QStringLiteral("20240101"), QStringLiteral("20240630")}}));
    EXPECT_EQ(frame.clientArea()->subWindowList().size(), 2);
    EXPECT_EQ(frame.clientArea()->activeSubWindow()->widget()->objectName(), QStringLiteral("w_lwcx"));
}

QV_LEDGER_TEST_SUITE(PersonQueryTest);

} // namespace
