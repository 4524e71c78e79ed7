#include "statisticstest.h"

#include "statistics/annualstatisticswindow.h"
#include "statistics/archivemaintenancewindow.h"

#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"

#include <QHeaderView>
#include <QTest>

using namespace qv;
using qv::test::click;
using qv::test::StatisticsTest;

namespace {

class ArchiveMaintenanceTest : public StatisticsTest
{
protected:
    auto openWindow() { return test::showWindow<ArchiveMaintenanceWindow>(sqlca()); }

    void query(ArchiveMaintenanceWindow& w, const char* year)
    {
        chooseYear(w, "ddlb_1", QString::fromUtf8(year));
        click(w, "cb_1");
    }

    // Makes `row` current, presses "删除" and answers the question.
    void deleteRow(ArchiveMaintenanceWindow& w, long row, int answer = 1)
    {
        w.grid()->setRow(row);
        m_boxes->queueAnswer(answer);
        click(w, "cb_2");
    }

    // Presses "存盘"; the texts shown.
    QStringList save(ArchiveMaintenanceWindow& w)
    {
        m_boxes->clear();
        click(w, "cb_4");
        return m_boxes->texts();
    }
};

} // namespace

TEST_P(ArchiveMaintenanceTest, ShowsAYearAndHighlightsTheClickedRow)
{
    archiveYear("2004");
    archiveYear("2005");
    auto w = openWindow();
    EXPECT_EQ(w->objectName(), "w_lsk_wh");
    EXPECT_EQ(w->windowTitle(), "统计库维护");
    EXPECT_EQ(w->grid()->rowCount(), 0) << "nothing is shown before 查询";

    query(*w, " 2004 ");
    EXPECT_EQ(w->grid()->rowCount(), 12);
    EXPECT_EQ(w->grid()->store().getItemString(3, "je"), "290.00");
    query(*w, "2004年");
    EXPECT_EQ(m_boxes->texts(), QStringList{"年份不对！"});
    EXPECT_EQ(w->grid()->rowCount(), 12) << "a refused year leaves the grid as it was";

    // A click highlights its row only; one beside the rows or on the
    // header hits row 0, which highlights them all.
    QWidget* rows = w->grid()->viewport();
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, w->grid()->rowViewportPosition(1) + 2));
    EXPECT_EQ(w->selectedRows(), QList<long>{2});
    EXPECT_EQ(w->grid()->getRow(), 2) << "the clicked row becomes current";
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, rows->height() - 2));
    EXPECT_EQ(w->selectedRows().size(), 12);
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, w->grid()->rowViewportPosition(4) + 2));
    QTest::mouseClick(w->grid()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(w->selectedRows().size(), 12);

    m_boxes->clear();
    query(*w, "2009");
    EXPECT_EQ(w->grid()->rowCount(), 0);
    EXPECT_TRUE(m_boxes->shown().isEmpty()) << "a year never archived is no error";
    click(*w, "cb_2");
    EXPECT_TRUE(m_boxes->shown().isEmpty()) << "without a row 删除 has nothing to ask about";
}

TEST_P(ArchiveMaintenanceTest, DeletesMonthsInTheGridAndWritesThemWithSave)
{
    archiveYear("2004");
    refuseOn("DELETE", "tjb_save", "05");
    auto w = openWindow();
    query(*w, "2004");

    deleteRow(*w, 3, 2);
    const ShownMessage question = m_boxes->shown().value(0);
    EXPECT_EQ(question.title, "删除！");
    EXPECT_EQ(question.text, "确实删除*200403*的数据吗?");
    EXPECT_EQ(question.defaultButton, 2);
    EXPECT_EQ(w->grid()->rowCount(), 12) << "Cancel deletes nothing";

    deleteRow(*w, 3);
    deleteRow(*w, 1);
    EXPECT_EQ(w->grid()->rowCount(), 10);
    EXPECT_EQ(count("tjb_save"), 12) << "nothing is written before 存盘";
    EXPECT_EQ(save(*w), QStringList{"数据保存成功!"});
    EXPECT_EQ(count("tjb_save"), 10);
    EXPECT_EQ(count("tjb_save WHERE mon IN ('01', '03')"), 0);
    EXPECT_EQ(save(*w), QStringList{"数据保存成功!"}) << "nothing pending saves nothing, successfully";

    // A refused save keeps the deletion pending and says why.
    deleteRow(*w, 3); // May, now the third row
    const QStringList refused = save(*w);
    EXPECT_TRUE(refused.value(0).startsWith("数据保存出错,请查明原因!\n")) << refused.value(0).toStdString();
    EXPECT_TRUE(refused.value(0).contains("refused by test"));
    EXPECT_EQ(count("tjb_save"), 10);
    EXPECT_EQ(w->grid()->store().deletedCount(), 1);
}

// A new 查询 or closing would drop the months removed but not saved: the
// operator is asked first, and each answer does what it says.
TEST_P(ArchiveMaintenanceTest, AsksBeforeDroppingDeletions)
{
    const struct
    {
        const char* name;
        bool close; // by the close box; otherwise by a new 查询
        int answer;
        int inDatabase; // archived months afterwards
        bool windowOpen;
    } cases[] = {
        {"查询, Cancel keeps the deletion", false, 3, 12, true},
        {"查询, No drops it", false, 2, 12, true},
        {"查询, Yes saves it", false, 1, 11, true},
        {"close, Cancel keeps the window", true, 3, 12, true},
        {"close, No closes without saving", true, 2, 12, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ledger().exec("DELETE FROM tjb_save");
        archiveYear("2004");
        auto w = openWindow();
        query(*w, "2004");
        deleteRow(*w, 2);
        m_boxes->clear();
        m_boxes->queueAnswer(c.answer);
        if (c.close)
            w->close();
        else
            query(*w, "2004");
        EXPECT_EQ(m_boxes->shown().value(0).text, "数据未保存！是否存盘?");
        EXPECT_EQ(count("tjb_save"), c.inDatabase);
        EXPECT_EQ(w->isVisible(), c.windowOpen);
        if (!c.close) {
            EXPECT_EQ(w->grid()->rowCount(), c.answer == 3 || c.answer == 1 ? 11 : 12);
        }
    }
}

// The archive takes each month once; emptying a year here lets the annual
// statistics archive it again.
TEST_P(ArchiveMaintenanceTest, AYearDeletedWholeCanBeArchivedAgain)
{
    addReceived("500", "20040229");
    auto archive2004 = [this] {
        AnnualStatisticsWindow stats(sqlca());
        chooseYear(stats, "ddlb_1", "2004");
        click(stats, "cb_1");
        m_boxes->clear();
        m_boxes->queueAnswer(1);
        click(stats, "cb_2");
        return m_boxes->texts().value(1);
    };
    ASSERT_EQ(archive2004(), "数据保存成功!");
    auto w = openWindow();
    query(*w, "2004");
    for (int i = 0; i < 12; ++i)
        deleteRow(*w, 1);
    save(*w);
    ASSERT_EQ(count("tjb_save"), 0);
    EXPECT_EQ(archive2004(), "数据保存成功!");
    EXPECT_EQ(count("tjb_save WHERE year = '2004' AND mon = '02' AND sou = 500"), 1);
}

QV_LEDGER_TEST_SUITE(ArchiveMaintenanceTest);
