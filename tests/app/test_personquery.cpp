#include "support/testledger.h"

#include "app/mainwindow.h"
#include "app/personquery.h"
#include "app/sheets.h"
#include "platform/core/messagebox.h"
#include "platform/output/reportgrid.h"
#include "platform/widgets/dateedit.h"
#include "queries/balanceswindow.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

using namespace qv;

namespace {

class PersonQueryTest : public test::LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        installScriptedMessageBoxes();
        // 张三's gift of 2025 lies outside the period the balances are read for.
        for (const auto& [xtbh, xm, lx, je, sq] :
             {std::tuple{"240105000001", "张三", "收情", "100.00", "20240105"},
              std::tuple{"250101000001", "张三", "收情", "50.00", "20250101"},
              std::tuple{"240106000001", "李四", "送情", "-20.00", "20240106"}})
            ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES (?, ?, ?, ?, ?)"),
                          {QString::fromLatin1(xtbh), QString::fromUtf8(xm), QString::fromUtf8(lx),
                           QString::fromLatin1(je), QString::fromLatin1(sq)});
        registerTaskWindows();
    }
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
    QWidget* opened = nullptr;
    for (long row : {1L, 2L}) {
        const QString name = grid->store().getItemString(row, QStringLiteral("xm"));
        SCOPED_TRACE(name.toStdString());
        const QPoint at = grid->visualRect(grid->cellIndex(row, QStringLiteral("xm"))).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);

        // One sheet, reused, each time filled in and queried.
        QMdiSubWindow* active = frame.clientArea()->activeSubWindow();
        ASSERT_TRUE(active && active->widget());
        ASSERT_EQ(active->widget()->objectName(), QStringLiteral("w_lwcx"));
        EXPECT_TRUE(!opened || opened == active->widget());
        opened = active->widget();
        EXPECT_EQ(opened->findChild<QLineEdit*>(QStringLiteral("sle_1"))->text(), name);
        EXPECT_EQ(opened->findChild<DateEdit*>(QStringLiteral("em_1"))->date(), QDate(2024, 1, 1));
        EXPECT_EQ(opened->findChild<DateEdit*>(QStringLiteral("em_2"))->date(), QDate(2024, 6, 30));
        auto* records = opened->findChild<ReportGrid*>(QStringLiteral("dw_1"));
        ASSERT_TRUE(records);
        ASSERT_EQ(records->rowCount(), 1);
        EXPECT_EQ(records->store().getItemString(1, QStringLiteral("xm")), name);
    }
    EXPECT_EQ(frame.clientArea()->subWindowList().size(), 2);
}

QV_LEDGER_TEST_SUITE(PersonQueryTest);

} // namespace
