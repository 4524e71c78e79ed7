// The gift query windows (one person, everyone) and the analysis pies, on
// every database: rows, totals, colours, export, printing, failures.
#include "support/pdftext.h"
#include "support/testledger.h"
#include "support/widgetinput.h"
#include "support/xlsxreader.h"

#include "app/sheets.h"
#include "data/contactpicker.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/output/chartwidget.h"
#include "platform/output/exportbutton.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/report.h"
#include "platform/widgets/dateedit.h"
#include "queries/analysiswindow.h"
#include "queries/giftquerywindow.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace qv;
using qv::test::click;
using qv::test::LedgerTest;
using qv::test::pdfText;

namespace {

const QColor kGreen(180, 255, 200);
const QColor kPink(255, 200, 255);
const QColor kBothPink(250, 200, 255);
const QColor kWhite(255, 255, 255);

struct Gift
{
    const char* xm;
    const char* lx;
    const char* je;
    const char* sq;
    const char* fw = "";
    const char* sy = "";
};

class QueryTest : public LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_boxes = &installScriptedMessageBoxes();
    }

    void add(std::initializer_list<Gift> gifts)
    {
        for (const Gift& g : gifts) {
            auto text = [](const char* s) { return *s ? QVariant(QString::fromUtf8(s)) : QVariant(); };
            ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq, sj, fw, sy, dx, wp) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                          {QStringLiteral("%1").arg(++m_number, 12, 10, QLatin1Char('0')), text(g.xm),
                           text(g.lx), QString::fromLatin1(g.je), QString::fromLatin1(g.sq),
                           QString::fromLatin1(g.sq), text(g.fw), text(g.sy), QStringLiteral("本人"),
                           QVariant()});
        }
    }

    GiftQueryWindow& openQuery(const char* name)
    {
        m_window.reset(createGiftQuery(QString::fromLatin1(name), sqlca()));
        auto* w = qobject_cast<GiftQueryWindow*>(m_window.get());
        EXPECT_TRUE(w) << name;
        return *w;
    }

    // 张三's three gifts of 2003, a balance of 70.00, queried by person.
    GiftQueryWindow& queriedZhangSan2003()
    {
        add({{"张三", "收情", "100", "20030105"},
             {"张三", "收情", "50", "20030210"},
             {"张三", "送情", "-80", "20030301"}});
        GiftQueryWindow& w = openQuery("w_lwcx");
        setName(w, QStringLiteral("张三"));
        setPeriod(w, "20030101", "20031231");
        click(w, "cb_1");
        return w;
    }

    AnalysisWindow& openAnalysis(const char* name)
    {
        m_window.reset(createAnalysis(QString::fromLatin1(name), sqlca()));
        auto* w = qobject_cast<AnalysisWindow*>(m_window.get());
        EXPECT_TRUE(w) << name;
        return *w;
    }

    template <class Window> void setPeriod(Window& w, const char* from, const char* to)
    {
        ASSERT_TRUE(w.template findChild<DateEdit*>(QStringLiteral("em_1"))
                        ->setStoredText(QString::fromLatin1(from)));
        ASSERT_TRUE(
            w.template findChild<DateEdit*>(QStringLiteral("em_2"))->setStoredText(QString::fromLatin1(to)));
    }

    void setName(GiftQueryWindow& w, const QString& name)
    {
        w.findChild<QLineEdit*>(QStringLiteral("sle_1"))->setText(name);
    }

    static QStringList column(const ReportGrid& grid, const char* name)
    {
        QStringList values;
        const int c = grid.store().definition().columnIndex(QString::fromLatin1(name));
        for (long r = 1; r <= grid.store().rowCount(); ++r)
            values << cellText(grid.store(), r, c);
        return values;
    }

    static QList<QColor> colours(const ReportGrid& grid)
    {
        QList<QColor> result;
        for (int r = 0; r < grid.model()->rowCount(); ++r)
            result << grid.model()->index(r, 0).data(Qt::BackgroundRole).value<QBrush>().color();
        return result;
    }

    // The totals line as the grid shows it, cell texts joined.
    static QString totalsLine(const ReportGrid& grid)
    {
        QString line;
        for (const auto& cell : grid.totalsTexts())
            line += cell.second;
        return line;
    }

    ScriptedMessageBoxes* m_boxes = nullptr;
    std::unique_ptr<QWidget> m_window;
    int m_number = 0;
};

// ------------------------------------------------------------ gift queries

class GiftQueries : public QueryTest
{
};

TEST_P(GiftQueries, EachWindowListsItsKindAndTotalsIt)
{
    add({{"张三", "收情", "100", "20030105"},
         {"张三", "收情", "50", "20030210"},
         {"张三", "送情", "-80", "20030301"},
         {"李四", "收情", "200", "20030401"},
         {"李四", "送情", "-150", "20030402"},
         {"张三", "收情", "999", "20040101"}});
    struct Case
    {
        const char* window;
        const char* from;
        const char* to;
        int rows;
        const char* total;
        QList<QColor> colours;
        const char* amountCaption;
    } cases[] = {
        {"w_lwcx", "20030101", "20031231", 3, "共计：70.00元", {kGreen, kGreen, kBothPink}, "收情金额"},
        {"w_ldpy", "20030101", "20031231", 2, "共计：150.00元", {kGreen, kWhite}, "收情金额"},
        {"w_sgsh", "20030101", "20031231", 1, "共计：-80.00元", {kPink}, "送情金额"},
        {"w_fwcx",
         "20030101",
         "20031231",
         5,
         "共计：120.00元",
         {kGreen, kGreen, kBothPink, kGreen, kBothPink},
         "收情金额"},
        {"w_dbcl", "20030101", "20031231", 3, "共计：350.00元", {kGreen, kWhite, kGreen}, "收情金额"},
        {"w_wjfx", "20030101", "20031231", 2, "共计：-230.00元", {kPink, kWhite}, "送情金额"},
        // A period with 200 received and 150 given.
        {"w_fwcx", "20030401", "20030402", 2, "共计：50.00元", {kGreen, kBothPink}, "收情金额"},
        {"w_wjfx", "20030401", "20030402", 1, "共计：-150.00元", {kPink}, "送情金额"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        GiftQueryWindow& w = openQuery(c.window);
        setPeriod(w, c.from, c.to);
        if (w.config().byPerson)
            setName(w, QStringLiteral("张三"));
        click(w, "cb_1");
        ReportGrid& grid = *w.grid();
        EXPECT_EQ(&grid, w.findChild<ReportGrid*>(QStringLiteral("dw_1")));
        ASSERT_EQ(grid.store().rowCount(), c.rows);
        // No order is asked of the database; compare the rows as a set by record number.
        grid.store().setSort({{QStringLiteral("xtbh")}});
        grid.store().sort();
        EXPECT_EQ(colours(grid), c.colours);
        EXPECT_EQ(totalsLine(grid), QString::fromUtf8(c.total));
        EXPECT_EQ(grid.model()->headerData(6, Qt::Horizontal).toString(), QString::fromUtf8(c.amountCaption));
        EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("系统编号"));
        EXPECT_TRUE(m_boxes->shown().isEmpty());
    }
}

TEST_P(GiftQueries, PeriodEndsAreIncludedNamesAreTrimmedAndAQueryReplacesTheRows)
{
    add({{"张三", "收情", "1", "20030131"},
         {"张三", "收情", "2", "20030201"},
         {"张三", "收情", "3", "20030228"},
         {"张三", "收情", "4", "20030301"},
         {"张三三", "收情", "5", "20030215"}});
    GiftQueryWindow& w = openQuery("w_ldpy");
    setName(w, QStringLiteral("  张三 "));
    setPeriod(w, "20030201", "20030228");
    click(w, "cb_1");
    EXPECT_EQ(column(*w.grid(), "je").size(), 2);
    EXPECT_EQ(totalsLine(*w.grid()), QStringLiteral("共计：5.00元"));

    setPeriod(w, "20030301", "20030331");
    click(w, "cb_1");
    EXPECT_EQ(column(*w.grid(), "je"), QStringList{QStringLiteral("4.00")})
        << "the former rows do not remain";
    EXPECT_EQ(column(*w.grid(), "sq"), QStringList{QStringLiteral("20030301")});

    setPeriod(w, "20030401", "20030101");
    click(w, "cb_1");
    EXPECT_EQ(w.grid()->store().rowCount(), 0) << "a reversed period is empty";
    EXPECT_EQ(totalsLine(*w.grid()), QStringLiteral("共计：0.00元"));
    EXPECT_TRUE(m_boxes->shown().isEmpty()) << "an empty result says nothing";
}

TEST_P(GiftQueries, AFailedQuerySaysWhyAndKeepsTheRowsShown)
{
    add({{"张三", "收情", "100", "20030105"}});
    GiftQueryWindow& w = openQuery("w_fwcx");
    setPeriod(w, "20030101", "20031231");
    click(w, "cb_1");
    ASSERT_EQ(w.grid()->store().rowCount(), 1);

    ledger().exec(QStringLiteral("ALTER TABLE rqwlb RENAME TO rqwlb_away"));
    click(w, "cb_1");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].title, QStringLiteral("错误"));
    EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
    const QStringList lines = m_boxes->shown()[0].text.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("查询失败"));
    EXPECT_TRUE(lines.value(1).contains(QStringLiteral("rqwlb"), Qt::CaseInsensitive))
        << m_boxes->shown()[0].text.toStdString();
    EXPECT_EQ(column(*w.grid(), "je"), QStringList{QStringLiteral("100.00")}) << "the previous rows stay";
    EXPECT_EQ(totalsLine(*w.grid()), QStringLiteral("共计：100.00元"));
}

// A query of many rows shows how far it is and can be stopped: a stopped
// query keeps the rows and the total shown before, says nothing, and the
// next one that runs to its end shows every row and then the total.
TEST_P(GiftQueries, ALongQueryShowsProgressAndAStoppedOneKeepsTheRowsShown)
{
    add({{"张三", "收情", "100", "20030105"}});
    constexpr int kMany = 2500; // a few batches of rows
    ledger().exec(
        QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq, sj, dx) "
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                       "SELECT CAST(200000000000 + i AS VARCHAR(12)), ?, ?, 2, ?, ?, ? FROM n"),
        {kMany, QStringLiteral("李四"), QStringLiteral("收情"), QStringLiteral("20040105"),
         QStringLiteral("20040105"), QStringLiteral("本人")});
    GiftQueryWindow& w = openQuery("w_fwcx");
    w.show();
    setPeriod(w, "20030101", "20031231");
    click(w, "cb_1");
    ASSERT_EQ(w.grid()->store().rowCount(), 1);

    w.setProgressDelay(0);
    setPeriod(w, "20030101", "20041231");
    QString shown;
    QTimer::singleShot(0, &w, [&shown] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(top);
                progress && progress->isVisible() && progress->objectName() == u"queryProgress") {
                shown = progress->labelText();
                for (auto* button : progress->findChildren<QPushButton*>())
                    if (button->text() == u"取消")
                        button->click();
            }
    });
    EXPECT_EQ(w.query(), -1);
    EXPECT_TRUE(shown.contains(QStringLiteral("已读"))) << "no progress was shown: " << shown.toStdString();
    EXPECT_TRUE(m_boxes->shown().isEmpty()) << "a stop is not a failure";
    EXPECT_EQ(column(*w.grid(), "je"), QStringList{QStringLiteral("100.00")}) << "the previous rows stay";
    EXPECT_EQ(totalsLine(*w.grid()), QStringLiteral("共计：100.00元"));

    EXPECT_EQ(w.query(), kMany + 1);
    EXPECT_EQ(w.grid()->store().rowCount(), kMany + 1);
    EXPECT_EQ(totalsLine(*w.grid()), QStringLiteral("共计：%1.00元").arg(100 + 2 * kMany));
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QProgressDialog*>(top) && top->isVisible()) << "the progress stays open";
}

TEST_P(GiftQueries, ThePickerCopiesOnlyTheName)
{
    ledger().exec(
        QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)"),
        {QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("zs"), QStringLiteral("同事")});
    GiftQueryWindow& w = openQuery("w_sgsh");
    w.show();
    QApplication::setActiveWindow(&w);
    auto* picker = w.findChild<QTableView*>(QStringLiteral("dw_2"));
    ASSERT_TRUE(picker);
    EXPECT_FALSE(picker->isVisible());
    auto* name = w.findChild<QLineEdit*>(QStringLiteral("sle_1"));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("zs"));
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_TRUE(picker->isVisible());
    QTest::keyClick(name, Qt::Key_Down);
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_EQ(name->text(), QStringLiteral("张三"));
    EXPECT_FALSE(picker->isVisible());
    // Typing goes on in the from-date, not at the end of the name.
    EXPECT_EQ(QApplication::focusWidget(), w.findChild<QWidget*>(QStringLiteral("em_1")));
}

TEST_P(GiftQueries, ExportWritesTheRowsAsShownWithTheTotalLast)
{
    GiftQueryWindow& w = queriedZhangSan2003();
    auto* exportButton = w.findChild<QPushButton*>(QStringLiteral("cb_export"));
    ASSERT_TRUE(exportButton);
    EXPECT_EQ(exportButton->text(), QStringLiteral("导出"));

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("gifts.csv"));
    const QString xlsx = dir.filePath(QStringLiteral("gifts.xlsx"));
    auto& dialogs = installScriptedFileDialogs();
    for (const QString& file : {csv, xlsx}) {
        dialogs.queueAnswer(file);
        exportButton->click();
    }
    EXPECT_TRUE(m_boxes->shown().isEmpty());

    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(f.readAll().mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("系统编号,姓名,类别,对象,事由,等价物品,收情金额,发生时间,收情时间"));
    EXPECT_EQ(lines[4], QStringLiteral(",,,,,共计：,70.00,元,"));
    for (long r = 1; r <= 3; ++r)
        EXPECT_TRUE(lines[r].startsWith(w.grid()->store().getItemString(r, QStringLiteral("xtbh")) +
                                        QStringLiteral(",张三,")))
            << "rows in the order shown";

    const auto sheet = qv::test::readFirstSheet(xlsx);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->rows.size(), 5);
    EXPECT_EQ(sheet->rows[0][6].text, QStringLiteral("收情金额"));
    Money sum;
    for (int r = 1; r <= 3; ++r) {
        EXPECT_TRUE(sheet->rows[r][6].isNumber);
        sum += *Money::parse(sheet->rows[r][6].text);
    }
    EXPECT_EQ(sum, Money::fromCents(7000));
    EXPECT_EQ(sheet->rows[4][5].text, QStringLiteral("共计："));
    EXPECT_EQ(sheet->rows[4][6].text.toDouble(), 70.0);
}

TEST_P(GiftQueries, PrintingShowsThePersonThePeriodAndTheTotal)
{
    GiftQueryWindow& w = queriedZhangSan2003();

    int previewPages = -1;
    setPreviewRunner([&](PrintPreviewDialog& dialog) {
        printDocument(dialog.document(), sharedPrinter());
        previewPages = 1;
    });
    click(w, "cb_2");
    setPreviewRunner({});
    EXPECT_EQ(previewPages, 1) << "打印 goes through the preview";

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("query.pdf"));
    ASSERT_EQ(printStoreToPdf(w.grid()->store(), file, nullptr, w.heading()), 1);
    const QString text = pdfText(file);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected :
         {"人情往来查询（按单人）", "姓名：张三", "日期：2003年01月01日至2003年12月31日", "系统编号",
          "收情金额", "共计：70.00元"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC)))
            << expected << "\n"
            << text.toStdString();
}

QV_LEDGER_TEST_SUITE(GiftQueries);

// --------------------------------------------------------------- analysis

class GiftAnalysis : public QueryTest
{
protected:
    static QStringList slices(const ChartWidget& chart)
    {
        QStringList out;
        const ChartData& d = chart.data();
        for (int c = 0; c < d.categories.size(); ++c)
            out << d.categories[c] + QLatin1Char(' ') + d.shareText(c);
        out.sort();
        return out;
    }
};

TEST_P(GiftAnalysis, PiesShareThePeriodsGiftsByCategoryAndByReason)
{
    add({{"a", "收情", "300", "20030105", "亲戚", "婚礼"},
         {"b", "收情", "100", "20030210", "同事", ""},
         {"c", "收情", "500", "19991231", "同事", "婚礼"},
         {"d", "送情", "-700", "20030301", "朋友", "丧事"},
         {"e", "送情", "-300", "20030301", "亲戚", "婚礼"},
         {"f", "送情", "-100", "20030302", "", "升职"}});
    struct Case
    {
        const char* window;
        const char* label;
        QStringList byCategory;
        QStringList byReason;
        const char* leftTitle;
    } cases[] = {
        {"w_gwgd",
         "收情日期    从",
         {"亲戚 75.00%", "同事 25.00%"},
         {"婚礼 75.00%", "（无事由） 25.00%"},
         "收情·类别在收情总额中的比例"},
        {"w_wjgd",
         "送情日期    从",
         {"亲戚 27.27%", "朋友 63.64%", "（未分类） 9.09%"},
         {"丧事 63.64%", "升职 9.09%", "婚礼 27.27%"},
         "送情·类别在送情总额中的比例"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        AnalysisWindow& w = openAnalysis(c.window);
        EXPECT_EQ(w.findChild<DateEdit*>(QStringLiteral("em_1"))->storedText(), QStringLiteral("20000101"));
        EXPECT_EQ(w.findChild<DateEdit*>(QStringLiteral("em_2"))->date(), QDate::currentDate());
        EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("st_2"))->text(), QString::fromUtf8(c.label));
        EXPECT_TRUE(w.categoryChart()->data().isEmpty()) << "nothing is read on opening";
        click(w, "cb_1");
        EXPECT_EQ(slices(*w.categoryChart()), c.byCategory);
        EXPECT_EQ(slices(*w.reasonChart()), c.byReason);
        EXPECT_EQ(w.categoryChart()->data().title, QString::fromUtf8(c.leftTitle));
        for (const Money& v : w.categoryChart()->data().series[0].values)
            EXPECT_GT(v, Money()) << "slices are positive";
    }
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(GiftAnalysis, GivenAmountsStoredNegativeGiveTheSameSharesAsReceived)
{
    add({{"a", "送情", "-300", "20030105", "亲戚"}, {"b", "送情", "-100", "20030210", "同事"}});
    AnalysisWindow& w = openAnalysis("w_wjgd");
    click(w, "cb_1");
    EXPECT_EQ(slices(*w.categoryChart()), (QStringList{"亲戚 75.00%", "同事 25.00%"}));
    EXPECT_EQ(w.categoryChart()->data().total(), Money::fromCents(40000)) << "drawn by their size";
}

TEST_P(GiftAnalysis, AFailedQuerySaysWhyAndKeepsThePies)
{
    add({{"a", "收情", "300", "20030105", "亲戚"}});
    AnalysisWindow& w = openAnalysis("w_gwgd");
    click(w, "cb_1");
    ledger().exec(QStringLiteral("ALTER TABLE rqwlb RENAME TO rqwlb_away"));
    click(w, "cb_1");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].title, QStringLiteral("错误"));
    EXPECT_TRUE(m_boxes->shown()[0].text.startsWith(QStringLiteral("查询失败\n")));
    EXPECT_EQ(slices(*w.categoryChart()), QStringList{QStringLiteral("亲戚 100.00%")});
}

TEST_P(GiftAnalysis, EachPiePrintsAndExportsItsOwnSlices)
{
    add({{"a", "收情", "300", "20030105", "亲戚", "婚礼"}, {"b", "收情", "100", "20030210", "同事", "升职"}});
    AnalysisWindow& w = openAnalysis("w_gwgd");
    click(w, "cb_1");

    QString previewed;
    setPreviewRunner([&](PrintPreviewDialog& dialog) { previewed = dialog.windowTitle(); });
    click(w, "b_2");
    setPreviewRunner({});
    EXPECT_FALSE(previewed.isEmpty());

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("reasons.csv"));
    installScriptedFileDialogs().queueAnswer(csv);
    click(w, "cb_export2");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList lines =
        QString::fromUtf8(f.readAll().mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("事由,金额,比例"));
    EXPECT_TRUE(lines.contains(QStringLiteral("婚礼,300.00,75.00%")));
    EXPECT_TRUE(lines.contains(QStringLiteral("升职,100.00,25.00%")));
    EXPECT_EQ(lines[3], QStringLiteral("合计,400.00,100.00%"));

    const QString pdf = dir.filePath(QStringLiteral("pie.pdf"));
    ASSERT_EQ(printChartToPdf(w.categoryChart()->data(), pdf, nullptr, w.heading()), 1);
    const QString text = pdfText(pdf);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected :
         {"收情·类别在收情总额中的比例", "亲戚", "同事", "75.00%", "25.00%", "2000年01月01日"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC)))
            << expected << "\n"
            << text.toStdString();
}

QV_LEDGER_TEST_SUITE(GiftAnalysis);

// ------------------------------------------------------------------- menu

TEST(QueryMenu, TheEightItemsOpenTheirWindowsWithTheirTitles)
{
    registerTaskWindows();
    Transaction unconnected;
    const std::pair<const char*, const char*> windows[] = {
        {"w_ldpy", "收情查询（按单人）"},
        {"w_sgsh", "送情查询（按单人）"},
        {"w_lwcx", "人情往来查询（按单人）"},
        {"w_dbcl", "收情查询（按所有）"},
        {"w_wjfx", "送情查询（按所有）"},
        {"w_fwcx", "人情往来查询（所有）"},
        {"w_gwgd", "收情分析"},
        {"w_wjgd", "送情分析"},
    };
    for (const auto& [name, title] : windows) {
        const WindowFactory factory = windowFactory(QString::fromLatin1(name));
        ASSERT_TRUE(factory) << name;
        std::unique_ptr<QWidget> w(factory(unconnected));
        ASSERT_TRUE(w) << name;
        EXPECT_EQ(w->objectName(), QString::fromLatin1(name));
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(title));
        EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("cb_1")));
        EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("cb_3")));
    }
}

} // namespace
