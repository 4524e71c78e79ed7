#include "statisticstest.h"

#include "statistics/annualstatisticswindow.h"
#include "statistics/archivemaintenancewindow.h"

#include "platform/datastore.h"
#include "platform/reportgrid.h"

#include <QHeaderView>
#include <QTest>

using namespace qv;
using qv::test::StatisticsTest;

namespace {

class ArchiveMaintenanceTest : public StatisticsTest
{
protected:
    std::unique_ptr<ArchiveMaintenanceWindow> openWindow()
    {
        auto w = std::make_unique<ArchiveMaintenanceWindow>(sqlca());
        w->show();
        return w;
    }

    void query(ArchiveMaintenanceWindow& w, const char* year)
    {
        chooseYear(w, "ddlb_1", QString::fromLatin1(year));
        click(w, "cb_1");
    }

    // Makes `row` current, presses "删除" and answers the question.
    void deleteRow(ArchiveMaintenanceWindow& w, long row, int answer = 1)
    {
        w.grid()->setRow(row);
        m_boxes->queueAnswer(answer);
        click(w, "cb_2");
    }

    static QStringList months(ArchiveMaintenanceWindow& w)
    {
        QStringList shown;
        for (long r = 1; r <= w.grid()->rowCount(); ++r)
            shown << w.grid()->store().getItemString(r, "mon");
        return shown;
    }
};

} // namespace

TEST_P(ArchiveMaintenanceTest, ShowsTheArchivedMonthsOfTheChosenYear)
{
    archiveYear("2004");
    archiveYear("2005");
    auto w = openWindow();
    EXPECT_EQ(w->objectName(), "w_lsk_wh");
    EXPECT_EQ(w->windowTitle(), "统计库维护");
    EXPECT_EQ(w->grid()->rowCount(), 0) << "nothing is shown before 查询";
    EXPECT_EQ(w->findChild<QComboBox*>("ddlb_1")->currentText(), "2003");

    query(*w, " 2004 ");
    EXPECT_EQ(w->grid()->rowCount(), 12);
    QStringList captions;
    for (int c = 0; c < w->grid()->model()->columnCount(); ++c)
        captions << w->grid()->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions, (QStringList{"年份", "月份", "收情", "送情", "平衡合计"}));
    EXPECT_EQ(w->grid()->store().getItemString(3, "je"), "290.00");

    query(*w, "2004年");
    EXPECT_EQ(m_boxes->texts(), QStringList{"年份不对！"});
    EXPECT_EQ(w->grid()->rowCount(), 12) << "a refused year leaves the grid as it was";

    m_boxes->clear();
    query(*w, "2009");
    EXPECT_EQ(w->grid()->rowCount(), 0);
    EXPECT_TRUE(m_boxes->shown().isEmpty()) << "a year never archived is no error";
}

TEST_P(ArchiveMaintenanceTest, AClickHighlightsItsRowAndAClickBesideTheRowsHighlightsAll)
{
    archiveYear("2004");
    auto w = openWindow();
    query(*w, "2004");
    QWidget* rows = w->grid()->viewport();
    const int secondRowY = w->grid()->rowViewportPosition(1) + 2;
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, secondRowY));
    EXPECT_EQ(w->selectedRows(), QList<long>{2});
    EXPECT_EQ(w->grid()->getRow(), 2) << "the clicked row becomes current";

    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, rows->height() - 2));
    EXPECT_EQ(w->selectedRows().size(), 12);

    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, w->grid()->rowViewportPosition(4) + 2));
    EXPECT_EQ(w->selectedRows(), QList<long>{5});
    QTest::mouseClick(w->grid()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(w->selectedRows().size(), 12);
}

TEST_P(ArchiveMaintenanceTest, DeletesMonthsInTheGridAndWritesThemWithSave)
{
    archiveYear("2004");
    auto w = openWindow();
    query(*w, "2004");

    deleteRow(*w, 3, 2);
    ASSERT_EQ(m_boxes->shown().size(), 1);
    const ShownMessage question = m_boxes->shown()[0];
    EXPECT_EQ(question.title, "删除！");
    EXPECT_EQ(question.text, "确实删除*200403*的数据吗?");
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_EQ(question.defaultButton, 2);
    EXPECT_EQ(w->grid()->rowCount(), 12) << "Cancel deletes nothing";

    deleteRow(*w, 3);
    deleteRow(*w, 1);
    EXPECT_EQ(w->grid()->rowCount(), 10);
    EXPECT_EQ(count("tjb_save"), 12) << "nothing is written before 存盘";

    m_boxes->clear();
    click(*w, "cb_4");
    EXPECT_EQ(m_boxes->texts(), QStringList{"数据保存成功!"});
    EXPECT_EQ(count("tjb_save"), 10);
    EXPECT_EQ(count("tjb_save WHERE mon IN ('01', '03')"), 0);

    m_boxes->clear();
    click(*w, "cb_4");
    EXPECT_EQ(m_boxes->texts(), QStringList{"数据保存成功!"})
        << "nothing pending saves nothing, successfully";

    // Without a current row there is nothing to ask about.
    query(*w, "2009");
    m_boxes->clear();
    click(*w, "cb_2");
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(ArchiveMaintenanceTest, ARefusedSaveKeepsTheDeletionsPending)
{
    archiveYear("2004");
    refuseOn("DELETE", "tjb_save", "05");
    auto w = openWindow();
    query(*w, "2004");
    deleteRow(*w, 5);
    m_boxes->clear();
    click(*w, "cb_4");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].title, "错误");
    EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
    EXPECT_TRUE(m_boxes->shown()[0].text.startsWith("数据保存出错,请查明原因!\n"));
    EXPECT_TRUE(m_boxes->shown()[0].text.contains("refused by test"));
    EXPECT_EQ(count("tjb_save"), 12);
    EXPECT_EQ(w->grid()->store().deletedCount(), 1);
}

// A new 查询 would drop the months removed but not saved: the operator is
// asked first, and each answer does what it says.
TEST_P(ArchiveMaintenanceTest, ANewQueryAsksBeforeDroppingDeletions)
{
    const struct
    {
        const char* name;
        int answer;
        int inGrid;     // rows shown afterwards
        int inDatabase; // archived months of 2004 afterwards
        int pending;
    } cases[] = {
        {"Cancel keeps the deletion", 3, 11, 12, 1},
        {"No drops it", 2, 12, 12, 0},
        {"Yes saves it", 1, 11, 11, 0},
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
        query(*w, "2004");
        EXPECT_EQ(m_boxes->shown().value(0).text, "数据未保存！是否存盘?");
        EXPECT_EQ(w->grid()->rowCount(), c.inGrid);
        EXPECT_EQ(count("tjb_save WHERE year = '2004'"), c.inDatabase);
        EXPECT_EQ(w->grid()->store().deletedCount(), c.pending);
    }
}

TEST_P(ArchiveMaintenanceTest, ClosingAsksBeforeDroppingDeletions)
{
    archiveYear("2004");
    auto w = openWindow();
    query(*w, "2004");
    deleteRow(*w, 2);
    m_boxes->clear();
    m_boxes->queueAnswer(3);
    click(*w, "cb_3");
    EXPECT_EQ(m_boxes->texts(), QStringList{"数据未保存！是否存盘?"});
    EXPECT_TRUE(w->isVisible()) << "Cancel keeps the window";

    m_boxes->clear();
    m_boxes->queueAnswer(3);
    EXPECT_FALSE(w->close()) << "the close box asks as well";
    EXPECT_EQ(m_boxes->shown().size(), 1);

    m_boxes->queueAnswer(2);
    click(*w, "cb_3");
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(count("tjb_save"), 12);
}

// The archive takes each month once; emptying a year here lets the annual
// statistics archive it again.
TEST_P(ArchiveMaintenanceTest, AYearDeletedWholeCanBeArchivedAgain)
{
    addReceived("500", "20040229");
    auto stats = std::make_unique<AnnualStatisticsWindow>(sqlca());
    chooseYear(*stats, "ddlb_1", "2004");
    click(*stats, "cb_1");
    m_boxes->queueAnswer(1);
    click(*stats, "cb_2");
    ASSERT_EQ(count("tjb_save"), 12);
    stats.reset();

    auto w = openWindow();
    query(*w, "2004");
    for (int i = 0; i < 12; ++i)
        deleteRow(*w, 1);
    click(*w, "cb_4");
    ASSERT_EQ(count("tjb_save"), 0);

    stats = std::make_unique<AnnualStatisticsWindow>(sqlca());
    chooseYear(*stats, "ddlb_1", "2004");
    click(*stats, "cb_1");
    m_boxes->clear();
    m_boxes->queueAnswer(1);
    click(*stats, "cb_2");
    EXPECT_EQ(m_boxes->texts().value(1), "数据保存成功!");
    EXPECT_EQ(count("tjb_save WHERE year = '2004' AND mon = '02' AND sou = 500"), 1);
}

QV_LEDGER_TEST_SUITE(ArchiveMaintenanceTest);
