#include "statisticstest.h"

#include "statistics/annualstatistics.h"
#include "statistics/annualstatisticswindow.h"

#include "platform/datastore.h"
#include "platform/exportbutton.h"
#include "platform/printing.h"
#include "platform/reportgrid.h"
#include "support/pdftext.h"

#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>

#include <QLineEdit>
#include <QTest>

using namespace qv;
using qv::test::StatisticsTest;

namespace {

class AnnualStatisticsTest : public StatisticsTest
{
protected:
    std::unique_ptr<AnnualStatisticsWindow> openWindow()
    {
        auto w = std::make_unique<AnnualStatisticsWindow>(sqlca());
        w->show();
        return w;
    }

    void compute(AnnualStatisticsWindow& w, const QString& year)
    {
        chooseYear(w, "ddlb_1", year);
        click(w, "cb_1");
    }

    // Presses "存盘" and answers its question.
    void archive(AnnualStatisticsWindow& w, int answer = 1)
    {
        m_boxes->queueAnswer(answer);
        click(w, "cb_2");
    }

    // The report as shown: "mon sou song je" per row.
    static QStringList shownRows(AnnualStatisticsWindow& w)
    {
        QStringList rows;
        const DataStore& s = w.report()->store();
        for (long r = 1; r <= s.rowCount(); ++r)
            rows << QStringList{s.getItemString(r, "year"), s.getItemString(r, "mon"),
                                s.getItemString(r, "sou"), s.getItemString(r, "song"),
                                s.getItemString(r, "je")}
                        .join(u' ');
        return rows;
    }

    static QString balanceShown(AnnualStatisticsWindow& w)
    {
        QStringList cells;
        for (const auto& [column, text] : w.report()->totalsTexts())
            cells << text;
        return cells.join(u' ');
    }

    Money stored(const char* column, const char* year, const char* mon)
    {
        return Money::fromVariant(
                   ledger().scalar(QStringLiteral("SELECT %1 FROM tjb WHERE year = ? AND mon = ?")
                                       .arg(QString::fromLatin1(column)),
                                   {QString::fromLatin1(year), QString::fromLatin1(mon)}))
            .value_or(Money::fromCents(-1));
    }
};

QStringList zeroYear(const QString& year)
{
    QStringList rows;
    for (int m = 1; m <= 12; ++m)
        rows << QStringLiteral("%1 %2 0.00 0.00 0.00").arg(year).arg(m, 2, 10, QLatin1Char('0'));
    return rows;
}

} // namespace

TEST_P(AnnualStatisticsTest, OpensEmptyWithTheArchiveLoadedAndTjbEmptiedButNotCommitted)
{
    ledger().exec("INSERT INTO tjb (year, mon, sou, song, je) VALUES ('2003', '01', 1, 0, 1)");
    archiveYear("2002");
    auto w = openWindow();
    EXPECT_EQ(w->objectName(), "w_ndtj");
    EXPECT_EQ(w->windowTitle(), "年度统计");
    EXPECT_EQ(w->findChild<QComboBox*>("ddlb_1")->currentText(), "2003");
    EXPECT_EQ(w->report()->rowCount(), 0);
    EXPECT_EQ(w->findChild<DataStore*>("dw_2"), &w->archive());
    EXPECT_EQ(w->archive().rowCount(), 12);
    EXPECT_EQ(count("tjb"), 0);
    // Nothing has committed the emptying yet.
    sqlca().rollback();
    EXPECT_EQ(count("tjb"), 1);
}

TEST_P(AnnualStatisticsTest, SumsEachMonthByItsGiftDate)
{
    addReceived("500", "20040229"); // the last day of a short month is February's
    addGiven("-300", "20040201");
    addReceived("100", "20040301"); // and the first of March is March's only
    addGiven("-80.50", "20040415");
    addReceived("0.07", "20041231");
    addReceived("999", "20031231"); // outside the year
    addGiven("-999", "20050101");
    auto w = openWindow();
    compute(*w, "2004");

    EXPECT_TRUE(m_boxes->shown().isEmpty()) << m_boxes->texts().join(u'|').toStdString();
    QStringList expected = zeroYear("2004");
    expected[1] = "2004 02 500.00 -300.00 200.00";
    expected[2] = "2004 03 100.00 0.00 100.00";
    expected[3] = "2004 04 0.00 -80.50 -80.50";
    expected[11] = "2004 12 0.07 0.00 0.07";
    EXPECT_EQ(shownRows(*w), expected);
    EXPECT_EQ(balanceShown(*w), "进出平衡金额： 219.57");
    EXPECT_EQ(count("tjb"), 12);
    EXPECT_EQ(stored("song", "2004", "02"), Money::fromCents(-30000));
    EXPECT_EQ(stored("je", "2004", "04"), Money::fromCents(-8050));
}

TEST_P(AnnualStatisticsTest, AYearWithoutGiftsGivesTwelveZeroMonths)
{
    addReceived("500", "20040229");
    auto w = openWindow();
    compute(*w, "2007");
    EXPECT_EQ(shownRows(*w), zeroYear("2007"));
    EXPECT_EQ(balanceShown(*w), "进出平衡金额： 0.00");
}

TEST_P(AnnualStatisticsTest, ChecksTheYearBeforeComputing)
{
    const struct
    {
        QString typed;
        QString year; // empty: refused
    } cases[] = {
        {" 2004 ", "2004"}, {"2004", "2004"}, {"24", ""},    {"2004年", ""},
        {"", ""},           {"abcd", ""},     {"20045", ""}, {"-inf", ""},
    };
    addReceived("500", "20040229");
    auto w = openWindow();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        compute(*w, "2003"); // a known state: twelve rows of 2003
        m_boxes->clear();
        compute(*w, c.typed);
        if (c.year.isEmpty()) {
            EXPECT_EQ(m_boxes->texts(), QStringList{"年份不对！"});
            EXPECT_EQ(m_boxes->shown().value(0).title, "提示");
            EXPECT_EQ(count("tjb WHERE year = '2003'"), 12) << "a refused year changes nothing";
        } else {
            EXPECT_TRUE(m_boxes->shown().isEmpty());
            EXPECT_EQ(count("tjb WHERE year = ?", {c.year}), 12) << "stored without the blanks";
            EXPECT_EQ(count("tjb"), 12);
        }
    }
}

TEST_P(AnnualStatisticsTest, ComputingAgainReplacesTheMonths)
{
    addReceived("500", "20040229");
    auto w = openWindow();
    compute(*w, "2004");
    compute(*w, "2004");
    EXPECT_EQ(count("tjb"), 12);
    compute(*w, "2005");
    EXPECT_EQ(count("tjb"), 12);
    EXPECT_EQ(shownRows(*w), zeroYear("2005"));
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(AnnualStatisticsTest, ARefusedMonthIsRolledBackAndTheOthersGoOn)
{
    addReceived("500", "20040615");
    addReceived("70", "20040715");
    refuseOn("INSERT", "tjb", "06");
    auto w = openWindow();
    compute(*w, "2004");

    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].title, "提示");
    EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
    EXPECT_TRUE(m_boxes->shown()[0].text.startsWith("保存不成功\n"))
        << m_boxes->shown()[0].text.toStdString();
    EXPECT_TRUE(m_boxes->shown()[0].text.contains("refused by test"));
    EXPECT_EQ(count("tjb"), 11);
    EXPECT_EQ(count("tjb WHERE mon = '06'"), 0);
    EXPECT_EQ(stored("sou", "2004", "07"), Money::fromCents(7000));
    EXPECT_EQ(w->report()->rowCount(), 11);
}

// A month whose sums cannot be read is not stored with a made-up figure: it
// is refused like a refused insert, with the database's reason.
TEST_P(AnnualStatisticsTest, AFailingSumRefusesItsMonthInsteadOfStoringAFigure)
{
    addReceived("500", "20040515");
    addReceived("600", "20040615");
    addReceived("700", "20040715");
    // rqwlb becomes a view that cannot compute June's amounts.
    ledger().exec("ALTER TABLE rqwlb RENAME TO rqwlb_data");
    ledger().exec(onPostgreSQL()
                      ? "CREATE VIEW rqwlb AS SELECT xtbh, lx, sq, CASE WHEN substr(sq, 1, 6) = '200406' "
                        "THEN je / (length(sq) - 8) ELSE je END AS je FROM rqwlb_data"
                      : "CREATE VIEW rqwlb AS SELECT xtbh, lx, sq, CASE WHEN substr(sq, 1, 6) = '200406' "
                        "THEN abs(CAST(je AS INTEGER) * 0 - 9223372036854775807 - 1) ELSE je END AS je "
                        "FROM rqwlb_data");
    auto w = openWindow();
    compute(*w, "2004");

    ASSERT_EQ(m_boxes->shown().size(), 1) << m_boxes->texts().join(u'|').toStdString();
    EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
    const QStringList lines = m_boxes->shown()[0].text.split(u'\n');
    EXPECT_EQ(lines.value(0), "保存不成功");
    EXPECT_FALSE(lines.value(1).trimmed().isEmpty()) << "the database's reason";
    EXPECT_EQ(count("tjb WHERE mon = '06'"), 0);
    EXPECT_EQ(stored("sou", "2004", "05"), Money::fromCents(50000));
    EXPECT_EQ(stored("sou", "2004", "07"), Money::fromCents(70000));
    EXPECT_EQ(count("tjb"), 11);
}

TEST_P(AnnualStatisticsTest, SumsAreExactToTheCent)
{
    // SQLite holds these as floating-point numbers; its own SUM over them
    // is sixteen cents off.
    ledger().exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
        "INSERT INTO rqwlb (xtbh, lx, je, sj, sq) "
        "SELECT CAST(100000000000 + i AS VARCHAR(12)), '收情', 49999999.99, '20040515', '20040515' FROM n");
    for (int i = 0; i < 100; ++i) {
        addReceived("0.07", "20040310");
        addReceived("1234.56", "20040311");
        addGiven("-0.01", "20040312");
    }
    auto w = openWindow();
    compute(*w, "2004");

    EXPECT_TRUE(m_boxes->shown().isEmpty()) << m_boxes->texts().join(u'|').toStdString();
    EXPECT_EQ(stored("sou", "2004", "05"), Money::fromCents(99999999980000LL));
    EXPECT_EQ(stored("sou", "2004", "03"), Money::fromCents(100 * (7 + 123456)));
    EXPECT_EQ(stored("song", "2004", "03"), Money::fromCents(-100));
    EXPECT_EQ(stored("je", "2004", "03"), Money::fromCents(100 * (7 + 123456) - 100));
    EXPECT_EQ(balanceShown(*w), "进出平衡金额： 1000000123262.00");

    // The sum as asked of the database, without the window.
    QVariantList into;
    ASSERT_EQ(sqlca().selectInto("SELECT " + sqlca().dialect().sumInCents("je") +
                                     " FROM rqwlb WHERE sq = '20040515'",
                                 {}, into),
              0);
    EXPECT_EQ(Dialect::sumFromCents(into.value(0)), Money::fromCents(99999999980000LL));
}

TEST_P(AnnualStatisticsTest, ArchivingStoresTheMonthsOnceAndAsksFirst)
{
    addReceived("500", "20040229");
    auto w = openWindow();
    compute(*w, "2004");

    archive(*w, 2);
    ASSERT_EQ(m_boxes->shown().size(), 1);
    const ShownMessage question = m_boxes->shown()[0];
    EXPECT_EQ(question.title, "统计数据保存");
    EXPECT_EQ(question.text, "每年只能保存一次数据，是否继续？");
    EXPECT_EQ(question.icon, Icon::Exclamation);
    EXPECT_EQ(question.buttons, Buttons::OKCancel);
    EXPECT_EQ(question.defaultButton, 2);
    EXPECT_EQ(count("tjb_save"), 0) << "Cancel archives nothing";

    m_boxes->clear();
    archive(*w);
    EXPECT_EQ(m_boxes->texts().value(1), "数据保存成功!");
    EXPECT_EQ(count("tjb_save WHERE year = '2004'"), 12);
    EXPECT_EQ(ledger().scalar("SELECT sou FROM tjb_save WHERE mon = '02'").toDouble(), 500.0);

    // The key refuses the same year twice.
    m_boxes->clear();
    archive(*w);
    ASSERT_EQ(m_boxes->shown().size(), 2);
    EXPECT_EQ(m_boxes->shown()[1].title, "错误");
    EXPECT_TRUE(m_boxes->shown()[1].text.startsWith("数据保存出错,请与管理员联系!\n"));
    EXPECT_EQ(count("tjb_save"), 12);

    // The refused copies stay pending in this window, so every further
    // archive here is refused too, even of a year not yet archived.
    compute(*w, "2005");
    m_boxes->clear();
    archive(*w);
    EXPECT_TRUE(m_boxes->texts().value(1).startsWith("数据保存出错,请与管理员联系!"));
    EXPECT_EQ(count("tjb_save"), 12);

    // A window opened anew archives 2005.
    w.reset();
    auto again = openWindow();
    compute(*again, "2005");
    m_boxes->clear();
    archive(*again);
    EXPECT_EQ(m_boxes->texts().value(1), "数据保存成功!");
    EXPECT_EQ(count("tjb_save"), 24);
}

TEST_P(AnnualStatisticsTest, ArchivingBeforeComputingArchivesNothing)
{
    auto w = openWindow();
    archive(*w);
    EXPECT_EQ(m_boxes->texts().value(1), "数据拷贝出错,请与管理员联系!");
    EXPECT_EQ(count("tjb_save"), 0);
}

TEST(MonthBounds, RunFromDayOneToDayThirtyOneOfEveryMonth)
{
    const MonthBounds feb = monthBounds("2004", 2);
    EXPECT_EQ(feb.mon, "02");
    EXPECT_EQ(feb.first, "20040201");
    EXPECT_EQ(feb.last, "20040231");
    EXPECT_EQ(monthBounds("2004", 12).last, "20041231");
}

TEST_P(AnnualStatisticsTest, EnterInTheYearFieldComputes)
{
    addReceived("500", "20040229");
    auto w = openWindow();
    auto* year = w->findChild<QComboBox*>("ddlb_1");
    year->setFocus();
    year->setEditText("2004");
    QTest::keyClick(year->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(count("tjb WHERE year = '2004'"), 12);
}

TEST_P(AnnualStatisticsTest, PrintsAndExportsTheYearAsShown)
{
    addReceived("500", "20040229");
    addGiven("-280.43", "20040301");
    auto w = openWindow();
    compute(*w, "2004");
    chooseYear(*w, "ddlb_1", "2009"); // the heading names the year of the rows, not the list

    const QString pdf = ledger().workDir() + "/ndtj.pdf";
    setPreviewRunner([&](QPrintPreviewDialog& dialog) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        emit dialog.paintRequested(&printer);
    });
    click(*w, "cb_4");
    setPreviewRunner({});
    const QString printed = test::pdfText(pdf);
    if (!printed.isEmpty()) {
        EXPECT_TRUE(printed.contains("年份:2004")) << printed.toStdString();
        EXPECT_FALSE(printed.contains("2009"));
        EXPECT_TRUE(printed.contains("进出平衡金额:")) << printed.toStdString();
        EXPECT_TRUE(printed.contains("219.57"));
    }

    const QString csv = ledger().workDir() + "/ndtj.csv";
    setSaveFileNameProvider([&](QWidget*, const QString&) { return csv; });
    click(*w, "cb_5");
    setSaveFileNameProvider({});
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll())
                                  .remove(QChar(0xFEFF))
                                  .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14) << "captions, twelve months, the totals line";
    EXPECT_EQ(lines[0], "年,月,收情,送情,余额");
    EXPECT_EQ(lines[3], "2004,03,0.00,-280.43,-280.43");
    EXPECT_TRUE(lines[13].contains("进出平衡金额：")) << lines[13].toStdString();
    EXPECT_TRUE(lines[13].endsWith("219.57")) << lines[13].toStdString();
}

QV_LEDGER_TEST_SUITE(AnnualStatisticsTest);
