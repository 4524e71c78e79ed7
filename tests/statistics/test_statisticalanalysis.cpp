#include "statisticstest.h"

#include "statistics/statisticalanalysiswindow.h"

#include "platform/output/chartwidget.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"

#include <QTabWidget>

using namespace qv;
using qv::test::click;
using qv::test::StatisticsTest;

namespace {

class StatisticalAnalysisTest : public StatisticsTest
{
protected:
    auto openWindow() { return test::showWindow<StatisticalAnalysisWindow>(sqlca()); }

    // Types the starting year on a page and presses its "分析图".
    void draw(StatisticalAnalysisWindow& w, AnalysisPage* page, const QString& year)
    {
        const bool received = page == w.receivedPage();
        chooseYear(*page, received ? "ddlb_1" : "ddlb_2", year);
        click(*page, received ? "cb_1" : "cb_3");
    }

    // One month of one year in the archive.
    void archiveMonth(const char* year, const char* mon, const char* sou, const char* song)
    {
        ledger().exec("INSERT INTO tjb_save (year, mon, sou, song, je) VALUES (?, ?, ?, ?, ?)",
                      {QString::fromLatin1(year), QString::fromLatin1(mon), QString::fromLatin1(sou),
                       QString::fromLatin1(song), QStringLiteral("0")});
    }

    static QStringList seriesNames(const ChartData& chart)
    {
        QStringList names;
        for (const auto& s : chart.series)
            names << s.name;
        return names;
    }

    static Money value(const ChartData& chart, const QString& year, const QString& mon)
    {
        const int c = int(chart.categories.indexOf(mon));
        for (const auto& s : chart.series)
            if (s.name == year && c >= 0)
                return s.values.value(c);
        return Money::fromCents(-1);
    }
};

} // namespace

TEST_P(StatisticalAnalysisTest, DrawsOneColumnPerArchivedYearInEachMonth)
{
    archiveYear("2006");
    archiveYear("2004");
    archiveYear("2005");
    archiveYear("2002");
    archiveMonth("2007", "03", "0", "0"); // a year with one month archived, at 0
    auto w = openWindow();
    EXPECT_EQ(w->objectName(), "w_tjfx");
    EXPECT_EQ(w->windowTitle(), "统计分析");
    auto* tabs = w->findChild<QTabWidget*>("tab_1");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tabs->tabText(0), "收情分析");
    EXPECT_EQ(tabs->tabText(1), "送情分析");
    for (const char* list : {"ddlb_1", "ddlb_2"})
        EXPECT_EQ(w->findChild<QComboBox*>(list)->currentText(), "2001") << list;
    EXPECT_TRUE(w->receivedPage()->chartData().isEmpty()) << "nothing is drawn before 分析图";
    EXPECT_EQ(w->findChild<ChartWidget*>("dw_2")->data().isEmpty(), true);

    draw(*w, w->receivedPage(), "2004");
    const ChartData& chart = w->receivedPage()->chartData();
    EXPECT_EQ(chart.type, ChartType::Column);
    EXPECT_EQ(chart.title, "收情分析比较");
    EXPECT_EQ(chart.categoryAxis, "月份");
    EXPECT_EQ(chart.valueAxis, "元");
    EXPECT_EQ(chart.categories,
              (QStringList{"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"}));
    EXPECT_EQ(seriesNames(chart), (QStringList{"2004", "2005", "2006", "2007"}));
    EXPECT_EQ(value(chart, "2005", "03"), Money::fromCents(30000));
    EXPECT_EQ(value(chart, "2007", "03"), Money()) << "a month archived at 0 is a column of height 0";
    EXPECT_TRUE(m_boxes->shown().isEmpty());

    draw(*w, w->receivedPage(), " 2001 ");
    EXPECT_EQ(seriesNames(w->receivedPage()->chartData()),
              (QStringList{"2002", "2004", "2005", "2006", "2007"}));
    draw(*w, w->receivedPage(), "2008");
    EXPECT_TRUE(w->receivedPage()->chartData().series.isEmpty()) << "no year from 2008 on";
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(StatisticalAnalysisTest, TheGivenChartDrawsTheSizeOfWhatWasGiven)
{
    archiveMonth("2004", "02", "500", "-300");
    archiveMonth("2005", "02", "0", "-12.34");
    auto w = openWindow();
    draw(*w, w->givenPage(), "2004");
    const ChartData& chart = w->givenPage()->chartData();
    EXPECT_EQ(chart.title, "送情分析比较");
    EXPECT_EQ(value(chart, "2004", "02"), Money::fromCents(30000));
    EXPECT_EQ(value(chart, "2005", "02"), Money::fromCents(1234));
}

TEST_P(StatisticalAnalysisTest, EachPageKeepsItsOwnYearAndChart)
{
    archiveYear("2004");
    archiveYear("2005");
    archiveYear("2006");
    auto w = openWindow();
    draw(*w, w->receivedPage(), "2004");
    draw(*w, w->givenPage(), "2006");
    EXPECT_EQ(seriesNames(w->receivedPage()->chartData()), (QStringList{"2004", "2005", "2006"}));
    EXPECT_EQ(seriesNames(w->givenPage()->chartData()), QStringList{"2006"});

    // A refused year leaves the chart as it was.
    for (const char* typed : {"24", "2004年", ""}) {
        m_boxes->clear();
        draw(*w, w->receivedPage(), QString::fromUtf8(typed));
        EXPECT_EQ(m_boxes->texts(), QStringList{"年份不对！"}) << typed;
        EXPECT_EQ(seriesNames(w->receivedPage()->chartData()), (QStringList{"2004", "2005", "2006"}));
    }
}

TEST_P(StatisticalAnalysisTest, AChartThatCannotBeReadSaysSoAndKeepsWhatItShowed)
{
    archiveYear("2004");
    auto w = openWindow();
    draw(*w, w->receivedPage(), "2004");
    ledger().exec("ALTER TABLE tjb_save RENAME TO tjb_saved");
    draw(*w, w->receivedPage(), "2004");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
    EXPECT_TRUE(m_boxes->shown()[0].text.startsWith("统计库读取出错!\n"))
        << m_boxes->shown()[0].text.toStdString();
    EXPECT_EQ(seriesNames(w->receivedPage()->chartData()), QStringList{"2004"});
}

TEST_P(StatisticalAnalysisTest, PrintsTheChartOfItsPage)
{
    archiveYear("2004");
    auto w = openWindow();
    draw(*w, w->givenPage(), "2004");
    int previews = 0;
    setPreviewRunner([&](PrintPreviewDialog&) { ++previews; });
    click(*w->givenPage(), "cb_4");
    setPreviewRunner({});
    EXPECT_EQ(previews, 1);

    QString error;
    const QString pdf = ledger().workDir() + "/given.pdf";
    EXPECT_EQ(printChartToPdf(w->givenPage()->chartData(), pdf, &error), 1) << error.toStdString();
}

QV_LEDGER_TEST_SUITE(StatisticalAnalysisTest);
