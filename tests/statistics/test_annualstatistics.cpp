#include "statisticstest.h"

#include "statistics/annualstatisticswindow.h"

#include "platform/core/filedialog.h"
#include "platform/output/exportbutton.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"
#include "support/pdftext.h"

#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>

using namespace qv;
using qv::test::click;
using qv::test::StatisticsTest;

namespace {

class AnnualStatisticsTest : public StatisticsTest
{
protected:
    auto openWindow() { return test::showWindow<AnnualStatisticsWindow>(sqlca()); }

    void compute(AnnualStatisticsWindow& w, const QString& year)
    {
        chooseYear(w, "ddlb_1", year);
        click(w, "cb_1");
    }

    // Presses "存盘" and answers its question; the text shown after it.
    QString archive(AnnualStatisticsWindow& w, int answer = 1)
    {
        m_boxes->clear();
        m_boxes->queueAnswer(answer);
        click(w, "cb_2");
        return m_boxes->texts().value(1);
    }

    // "year mon sou song je" per row as shown, then the totals line.
    static QStringList shown(AnnualStatisticsWindow& w)
    {
        QStringList rows;
        const DataStore& s = w.report()->store();
        for (long r = 1; r <= s.rowCount(); ++r) {
            QStringList cells;
            for (const char* c : {"year", "mon", "sou", "song", "je"})
                cells << s.getItemString(r, c);
            rows << cells.join(u' ');
        }
        QStringList totals;
        for (const auto& [column, text] : w.report()->totalsTexts())
            totals << text;
        return rows << totals.join(u' ');
    }

    Money stored(const char* column, const char* mon)
    {
        return Money::fromVariant(
                   ledger().scalar(
                       QStringLiteral("SELECT %1 FROM tjb WHERE mon = ?").arg(QString::fromLatin1(column)),
                       {QString::fromLatin1(mon)}))
            .value_or(Money::fromCents(-1));
    }
};

QStringList zeroYear(const QString& year, const char* balance = "0.00")
{
    QStringList rows;
    for (int m = 1; m <= 12; ++m)
        rows << QStringLiteral("%1 %2 0.00 0.00 0.00").arg(year).arg(m, 2, 10, QLatin1Char('0'));
    return rows << QStringLiteral("进出平衡金额： ") + QString::fromLatin1(balance);
}

} // namespace

TEST_P(AnnualStatisticsTest, OpensEmptyAndEmptiesTjbWithoutCommitting)
{
    ledger().exec("INSERT INTO tjb (year, mon, sou, song, je) VALUES ('2003', '01', 1, 0, 1)");
    archiveYear("2002");
    auto w = openWindow();
    EXPECT_EQ(w->objectName(), "w_ndtj");
    EXPECT_EQ(w->windowTitle(), "年度统计");
    EXPECT_EQ(w->findChild<QComboBox*>("ddlb_1")->currentText(), "2003");
    EXPECT_EQ(w->report()->rowCount(), 0);
    EXPECT_EQ(w->findChild<DataStore*>("dw_2")->rowCount(), 12) << "the hidden store holds the archive";
    EXPECT_EQ(count("tjb"), 0);
    sqlca().rollback();
    EXPECT_EQ(count("tjb"), 1) << "nothing committed the emptying";

    // With nothing computed there is nothing to archive.
    EXPECT_EQ(archive(*w), "数据拷贝出错,请与管理员联系!");
    EXPECT_EQ(count("tjb_save"), 12);
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
    compute(*w, "2004"); // twice: still twelve months

    EXPECT_TRUE(m_boxes->shown().isEmpty()) << m_boxes->texts().join(u'|').toStdString();
    QStringList expected = zeroYear("2004", "219.57");
    expected[1] = "2004 02 500.00 -300.00 200.00";
    expected[2] = "2004 03 100.00 0.00 100.00";
    expected[3] = "2004 04 0.00 -80.50 -80.50";
    expected[11] = "2004 12 0.07 0.00 0.07";
    EXPECT_EQ(shown(*w), expected);
    EXPECT_EQ(count("tjb"), 12);
    EXPECT_EQ(stored("song", "02"), Money::fromCents(-30000));

    compute(*w, "2007"); // a year without gifts
    EXPECT_EQ(shown(*w), zeroYear("2007"));
    EXPECT_EQ(count("tjb"), 12);
}

TEST_P(AnnualStatisticsTest, ChecksTheYearBeforeComputing)
{
    const struct
    {
        QString typed;
        QString year; // empty: refused
    } cases[] = {
        {" 2004 ", "2004"}, {"2004", "2004"}, {"24", ""},   {"2004年", ""},
        {"", ""},           {"abcd", ""},     {"-inf", ""},
    };
    auto w = openWindow();
    auto* list = w->findChild<QComboBox*>("ddlb_1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        compute(*w, "2003"); // a known state: twelve rows of 2003
        m_boxes->clear();
        // Enter in the year field computes, like the button.
        list->setFocus();
        list->setEditText(c.typed);
        QTest::keyClick(list->lineEdit(), Qt::Key_Return);
        if (c.year.isEmpty()) {
            EXPECT_EQ(m_boxes->texts(), QStringList{"年份不对！"});
            EXPECT_EQ(count("tjb WHERE year = '2003'"), 12) << "a refused year changes nothing";
        } else {
            EXPECT_TRUE(m_boxes->shown().isEmpty());
            EXPECT_EQ(count("tjb WHERE year = ?", {c.year}), 12) << "stored without the blanks";
        }
    }
}

// A refused insert, and a sum that cannot be read (which must not be stored
// as a made-up figure), each undo their month alone and say why.
TEST_P(AnnualStatisticsTest, ARefusedMonthIsUndoneAloneAndTheOthersGoOn)
{
    const char* const injections[] = {"insert", "sum"};
    for (const char* injection : injections) {
        SCOPED_TRACE(injection);
        ledger().exec("DELETE FROM rqwlb");
        addReceived("500", "20040515");
        addReceived("600", "20040615");
        addReceived("700", "20040715");
        if (injection == injections[0]) {
            refuseOn("INSERT", "tjb", "06");
        } else {
            // rqwlb becomes a view that cannot compute June's amounts.
            ledger().exec("ALTER TABLE rqwlb RENAME TO rqwlb_data");
            ledger().exec(onPostgreSQL()
                              ? "CREATE VIEW rqwlb AS SELECT xtbh, lx, sq, CASE WHEN substr(sq, 1, 6) = "
                                "'200406' THEN je / (length(sq) - 8) ELSE je END AS je FROM rqwlb_data"
                              : "CREATE VIEW rqwlb AS SELECT xtbh, lx, sq, CASE WHEN substr(sq, 1, 6) = "
                                "'200406' THEN abs(CAST(je AS INTEGER) * 0 - 9223372036854775807 - 1) "
                                "ELSE je END AS je FROM rqwlb_data");
        }
        m_boxes->clear();
        auto w = openWindow();
        compute(*w, "2004");

        ASSERT_EQ(m_boxes->shown().size(), 1) << m_boxes->texts().join(u'|').toStdString();
        EXPECT_EQ(m_boxes->shown()[0].title, "提示");
        EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
        const QStringList lines = m_boxes->shown()[0].text.split(u'\n');
        EXPECT_EQ(lines.value(0), "保存不成功");
        EXPECT_FALSE(lines.value(1).trimmed().isEmpty()) << "the database's reason";
        EXPECT_EQ(count("tjb WHERE mon = '06'"), 0);
        EXPECT_EQ(stored("sou", "05"), Money::fromCents(50000));
        EXPECT_EQ(stored("sou", "07"), Money::fromCents(70000));
        EXPECT_EQ(count("tjb"), 11);
        EXPECT_EQ(w->report()->rowCount(), 11);
        if (injection == injections[0])
            ledger().exec(onPostgreSQL() ? "DROP TRIGGER refuse_tjb ON tjb" : "DROP TRIGGER refuse_tjb");
    }
}

// A year whose commit is refused leaves nothing to archive: not the months
// just computed, and not what tjb held before the window emptied it.
TEST_P(AnnualStatisticsTest, ARefusedCommitLeavesTjbAndTheReportEmpty)
{
    ledger().exec("INSERT INTO tjb (year, mon, sou, song, je) VALUES ('2003', '01', 1, 0, 1)");
    addReceived("500", "20040515");
    // Each database refuses the commit itself, after every statement went through.
    if (onPostgreSQL()) {
        ledger().exec("CREATE FUNCTION refuse_commit() RETURNS trigger AS $$ BEGIN "
                      "RAISE EXCEPTION 'refused at commit'; END $$ LANGUAGE plpgsql");
        ledger().exec("CREATE CONSTRAINT TRIGGER refuse_commit AFTER INSERT ON tjb DEFERRABLE INITIALLY "
                      "DEFERRED FOR EACH ROW EXECUTE FUNCTION refuse_commit()");
    } else {
        ASSERT_FALSE(sqlca().inTransaction());
        sqlca().database().exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        ledger().exec("CREATE TABLE commit_parent (mon TEXT PRIMARY KEY)");
        ledger().exec("CREATE TABLE commit_guard (mon TEXT REFERENCES commit_parent (mon) "
                      "DEFERRABLE INITIALLY DEFERRED)");
        ledger().exec("CREATE TRIGGER refuse_commit AFTER INSERT ON tjb "
                      "BEGIN INSERT INTO commit_guard VALUES (NEW.mon); END");
    }
    m_boxes->clear();
    auto w = openWindow();
    compute(*w, "2004");

    ASSERT_EQ(m_boxes->texts().size(), 1);
    EXPECT_TRUE(m_boxes->texts()[0].startsWith("保存不成功\n")) << m_boxes->texts()[0].toStdString();
    EXPECT_EQ(w->report()->rowCount(), 0);
    EXPECT_EQ(count("tjb"), 0) << "the rollback must not bring back the year before";
    EXPECT_EQ(archive(*w), "数据拷贝出错,请与管理员联系!");
    EXPECT_EQ(count("tjb_save"), 0);
}

TEST_P(AnnualStatisticsTest, SumsAreExactToTheCent)
{
    // SQLite holds these as floating-point numbers; its own SUM over them
    // is sixteen cents off.
    ledger().exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                  "INSERT INTO rqwlb (xtbh, lx, je, sj, sq) SELECT CAST(100000000000 + i AS VARCHAR(12)), "
                  "'收情', 49999999.99, '20040515', '20040515' FROM n");
    for (int i = 0; i < 100; ++i) {
        addReceived("0.07", "20040310");
        addReceived("1234.56", "20040311");
        addGiven("-0.01", "20040312");
    }
    auto w = openWindow();
    compute(*w, "2004");

    EXPECT_TRUE(m_boxes->shown().isEmpty()) << m_boxes->texts().join(u'|').toStdString();
    EXPECT_EQ(stored("sou", "05"), Money::fromCents(99999999980000LL));
    EXPECT_EQ(stored("sou", "03"), Money::fromCents(100 * (7 + 123456)));
    EXPECT_EQ(stored("song", "03"), Money::fromCents(-100));
    EXPECT_EQ(stored("je", "03"), Money::fromCents(100 * (7 + 123456) - 100));
    EXPECT_EQ(shown(*w).last(), "进出平衡金额： 1000000123262.00");
}

TEST_P(AnnualStatisticsTest, ArchivesTheMonthsOnceAfterAsking)
{
    addReceived("500", "20040229");
    auto w = openWindow();
    compute(*w, "2004");

    EXPECT_TRUE(archive(*w, 2).isEmpty());
    const ShownMessage question = m_boxes->shown().value(0);
    EXPECT_EQ(question.title, "统计数据保存");
    EXPECT_EQ(question.text, "每年只能保存一次数据，是否继续？");
    EXPECT_EQ(question.icon, Icon::Exclamation);
    EXPECT_EQ(question.defaultButton, 2);
    EXPECT_EQ(count("tjb_save"), 0) << "Cancel archives nothing";

    EXPECT_EQ(archive(*w), "数据保存成功!");
    EXPECT_EQ(count("tjb_save WHERE year = '2004'"), 12);
    EXPECT_EQ(ledger().scalar("SELECT sou FROM tjb_save WHERE mon = '02'").toDouble(), 500.0);

    // The key refuses the same year twice, with the database's reason.
    EXPECT_TRUE(archive(*w).startsWith("数据保存出错,请与管理员联系!\n"));
    EXPECT_EQ(m_boxes->shown().value(1).icon, Icon::StopSign);
    EXPECT_EQ(count("tjb_save"), 12);

    // The refused copies stay pending in this window, so every further
    // archive here is refused too, even of a year not yet archived.
    compute(*w, "2005");
    EXPECT_TRUE(archive(*w).startsWith("数据保存出错,请与管理员联系!"));
    EXPECT_EQ(count("tjb_save"), 12);

    // A window opened anew archives 2005.
    w.reset();
    auto again = openWindow();
    compute(*again, "2005");
    EXPECT_EQ(archive(*again), "数据保存成功!");
    EXPECT_EQ(count("tjb_save"), 24);
}

TEST_P(AnnualStatisticsTest, PrintsAndExportsTheYearAsShown)
{
    addReceived("500", "20040229");
    addGiven("-280.43", "20040301");
    auto w = openWindow();
    compute(*w, "2004");
    chooseYear(*w, "ddlb_1", "2009"); // the heading names the year of the rows, not the list

    const QString pdf = ledger().workDir() + "/ndtj.pdf";
    setPreviewRunner([&](PrintPreviewDialog& dialog) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printDocument(dialog.document(), printer);
    });
    click(*w, "cb_4");
    setPreviewRunner({});
    const QString printed = test::pdfText(pdf);
    if (!printed.isEmpty()) {
        EXPECT_TRUE(printed.contains("年份:2004")) << printed.toStdString();
        EXPECT_FALSE(printed.contains("2009"));
        EXPECT_TRUE(printed.contains("进出平衡金额:"));
        EXPECT_TRUE(printed.contains("219.57"));
    }

    const QString csv = ledger().workDir() + "/ndtj.csv";
    installScriptedFileDialogs().queueAnswer(csv);
    click(*w, "cb_5");
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll())
                                  .remove(QChar(0xFEFF))
                                  .remove(u'\r')
                                  .split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14) << "captions, twelve months, the totals line";
    EXPECT_EQ(lines[0], "年,月,收情,送情,余额");
    EXPECT_EQ(lines[3], "2004,03,0.00,-280.43,-280.43");
    EXPECT_TRUE(lines[13].contains("进出平衡金额：")) << lines[13].toStdString();
    EXPECT_TRUE(lines[13].endsWith("219.57"));
}

QV_LEDGER_TEST_SUITE(AnnualStatisticsTest);
