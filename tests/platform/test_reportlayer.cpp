// The report layer: cell texts, totals, row colours, chart data, export and
// printing of reports and charts, and the database's exact sums.
#include "support/pdftext.h"
#include "support/testledger.h"
#include "support/xlsxreader.h"

#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/output/chartwidget.h"
#include "platform/output/exportbutton.h"
#include "platform/output/printing.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/chartdata.h"
#include "platform/reports/datastore.h"
#include "platform/reports/report.h"
#include "platform/reports/reportexport.h"

#include <QApplication>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

using namespace qv;
using qv::test::LedgerTest;
using qv::test::pdfText;

namespace {

const QColor kGreen(180, 255, 200);
const QColor kPink(250, 200, 255);
const QColor kWhite(255, 255, 255);

ReportDef giftsDef()
{
    ReportDef def;
    def.name = QStringLiteral("dw_test");
    def.title = QStringLiteral("往来明细");
    def.columns = {
        textColumn(QStringLiteral("xm"), QStringLiteral("姓名"), 466),
        textColumn(QStringLiteral("fw"), QStringLiteral("分类"), 302),
        textColumn(QStringLiteral("wp"), QStringLiteral("等价物品"), 466),
        moneyColumn(QStringLiteral("je"), QStringLiteral("金额"), 329),
        dateColumn(QStringLiteral("sq"), QStringLiteral("日期"), 400, QStringLiteral("yyyy年mm月dd日")),
        textColumn(QStringLiteral("xtbh"), QStringLiteral("编号"), 0)};
    TotalDef caption{QStringLiteral("wp"), QStringLiteral("共计："), TotalKind::Text};
    TotalDef sum{QStringLiteral("je")};
    sum.format = QStringLiteral("0.00");
    TotalDef unit{QStringLiteral("sq"), QStringLiteral("元"), TotalKind::Text};
    unit.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    def.totals = {caption, sum, unit};
    def.rowColor = rowcolors::bySign(QStringLiteral("je"), kGreen, kPink, kWhite);
    return def;
}

struct Gift
{
    const char* xm;
    const char* fw;
    const char* je; // nullptr = empty
    const char* sq;
};

void fill(DataStore& store, std::initializer_list<Gift> gifts)
{
    for (const Gift& g : gifts) {
        const long r = store.insertRow(0);
        store.setItem(r, QStringLiteral("xm"), QString::fromUtf8(g.xm));
        store.setItem(r, QStringLiteral("fw"), QString::fromUtf8(g.fw));
        if (g.je)
            store.setItem(r, QStringLiteral("je"), QString::fromLatin1(g.je));
        store.setItem(r, QStringLiteral("sq"), QString::fromLatin1(g.sq));
    }
}

} // namespace

TEST(ReportCells, DatesShowInTheRequestedFormatAndDamagedDatesStayVisible)
{
    struct Case
    {
        const char* stored;
        const char* format;
        const char* shown;
    } cases[] = {
        {"20031231", "yyyy年mm月dd日", "2003年12月31日"},
        {"20000101", "yyyy年mm月dd日", "2000年01月01日"},
        {"20031231", "", "20031231"},
        {"2003123", "yyyy年mm月dd日", "2003123"},
        {"2003a231", "yyyy年mm月dd日", "2003a231"},
        {"", "yyyy年mm月dd日", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatStoredDate(QString::fromUtf8(c.stored), QString::fromUtf8(c.format)),
                  QString::fromUtf8(c.shown))
            << c.stored << " / " << c.format;

    DataStore store(giftsDef());
    fill(store, {{"张三", "亲戚", "100", "20030105"}});
    EXPECT_EQ(cellText(store, 1, store.definition().columnIndex(QStringLiteral("sq"))),
              QStringLiteral("2003年01月05日"));
    EXPECT_EQ(store.getItemString(1, QStringLiteral("sq")), QStringLiteral("20030105")) << "stored as digits";
    EXPECT_EQ(cellText(store, 1, store.definition().columnIndex(QStringLiteral("je"))),
              QStringLiteral("100.00"));
}

TEST(ReportTotals, SumsCountsConditionsAndTextsFormOneLineUnderTheirColumns)
{
    ReportDef def = giftsDef();
    TotalDef count{QStringLiteral("xm"), QStringLiteral("笔数"), TotalKind::Count};
    TotalDef received{QStringLiteral("fw"), QStringLiteral("收"), TotalKind::Sum};
    received.column = QStringLiteral("je");
    received.where = [](const DataStore& s, long r) {
        return s.getItemMoney(r, QStringLiteral("je")) > Money();
    };
    def.totals << count;
    DataStore store(def);
    fill(store, {{"张三", "亲戚", "100", "20030105"},
                 {"张三", "亲戚", "50", "20030106"},
                 {"张三", "朋友", "-80", "20030107"},
                 {"张三", "朋友", nullptr, "20030108"}});

    const QList<TotalCell> line = totalsLine(store);
    ASSERT_EQ(line.size(), 4);
    EXPECT_EQ(line[0].text, QStringLiteral("共计："));
    EXPECT_EQ(line[0].column, def.columnIndex(QStringLiteral("wp")));
    EXPECT_EQ(line[1].text, QStringLiteral("70.00"));
    EXPECT_EQ(line[2].text, QStringLiteral("元"));
    EXPECT_EQ(line[2].alignment, Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(line[3].text, QStringLiteral("笔数 4"));

    EXPECT_EQ(totalSum(store, received), Money::fromCents(15000)) << "only the rows the condition takes";
    TotalDef given = received;
    given.where = [](const DataStore& s, long r) {
        return s.getItemMoney(r, QStringLiteral("je")) < Money();
    };
    store.deleteRow(4);
    EXPECT_EQ(totalSum(store, given), Money::fromCents(-8000)) << "the only row taken is the last";
    received.kind = TotalKind::Count;
    EXPECT_EQ(totalCount(store, received), 2);

    // The grid's totals line is the same line.
    ReportGrid grid(def);
    fill(grid.store(), {{"李四", "同事", "-150", "20030101"}, {"李四", "同事", "200", "20030102"}});
    const auto shown = grid.totalsTexts();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[1].second, QStringLiteral("50.00"));
    EXPECT_EQ(shown[1].first, grid.viewColumn(QStringLiteral("je")));

    // The line has room of its own under the rows, once the view has laid
    // out its headers too.
    grid.setTotalsVisible(true);
    grid.resize(900, 300);
    grid.show();
    QApplication::processEvents();
    EXPECT_GE(grid.height() - grid.viewport()->geometry().bottom(), grid.fontMetrics().height());
}

TEST(ReportRowColours, AlternateByRowNumberOrFollowTheSignOfTheAmount)
{
    DataStore store(giftsDef());
    fill(store, {{"a", "", "100", "20030101"},
                 {"b", "", "-0.01", "20030101"},
                 {"c", "", "0", "20030101"},
                 {"d", "", nullptr, "20030101"}});
    const RowColorFunction sign = store.definition().rowColor;
    const RowColorFunction alternate = rowcolors::alternating(kGreen, kWhite);
    const QColor bySign[] = {kGreen, kPink, kWhite, kWhite};
    const QColor byNumber[] = {kGreen, kWhite, kGreen, kWhite};
    for (long r = 1; r <= 4; ++r) {
        EXPECT_EQ(sign(store, r), bySign[r - 1]) << "row " << r;
        EXPECT_EQ(alternate(store, r), byNumber[r - 1]) << "row " << r;
    }
}

TEST(ChartData, GroupsRowsSumsThemAndSharesTheTotal)
{
    DataStore store(giftsDef());
    fill(store, {{"a", "亲戚", "-200", "20030101"},
                 {"b", "同事", "-100", "20030101"},
                 {"c", "亲戚", "-150", "20030101"},
                 {"d", "", "-50", "20030101"},
                 {"e", "亲戚", "50", "20030101"}});
    ChartDef def;
    def.title = QStringLiteral("送情·类别");
    def.categoryColumn = QStringLiteral("fw");
    def.valueColumn = QStringLiteral("je");
    def.absoluteValues = true;
    def.emptyCategory = QStringLiteral("（未分类）");
    const ChartData chart = chartFromStore(store, def);

    EXPECT_EQ(chart.categories, (QStringList{"亲戚", "同事", "（未分类）"}));
    ASSERT_EQ(chart.series.size(), 1);
    // -200 - 150 + 50 = -300: the size of the group's sum, not of each row.
    EXPECT_EQ(chart.series[0].values,
              (QList<Money>{Money::fromCents(30000), Money::fromCents(10000), Money::fromCents(5000)}));
    EXPECT_EQ(chart.total(), Money::fromCents(45000));
    EXPECT_EQ(chart.shareText(0), QStringLiteral("66.67%"));
    EXPECT_EQ(chart.shareText(2), QStringLiteral("11.11%"));

    // Several series: one per value of the series column.
    def.seriesColumn = QStringLiteral("xm");
    def.absoluteValues = false;
    const ChartData grouped = chartFromStore(store, def);
    ASSERT_EQ(grouped.series.size(), 5);
    EXPECT_EQ(grouped.series[4].name, QStringLiteral("e"));
    EXPECT_EQ(grouped.series[4].values, (QList<Money>{Money::fromCents(5000), Money(), Money()}));

    ChartData zero;
    zero.categories = {QStringLiteral("x")};
    zero.series = {{QString(), {Money()}}};
    EXPECT_EQ(zero.shareText(0), QStringLiteral("0.00%")) << "no division by a zero total";
    EXPECT_TRUE(chartFromStore(DataStore(giftsDef()), ChartDef{}).isEmpty());
}

TEST(ReportExport, CsvAndXlsxHoldCaptionsRowsAsShownAndTheTotalsLast)
{
    DataStore store(giftsDef());
    fill(store, {{"张三", "亲戚", "100", "20030105"},
                 {"李\"四,", "朋友", "-80.5", "20030106"},
                 {"=1+2", "-", "0", "20030107"}});
    const ReportTable table = tableFromStore(store);
    ASSERT_EQ(table.captions, (QStringList{"姓名", "分类", "等价物品", "金额", "日期"}))
        << "hidden columns stay out";
    QTemporaryDir dir;

    const QString csv = dir.filePath(QStringLiteral("gifts.CSV"));
    QString error;
    ASSERT_TRUE(exportTable(table, csv, &error)) << error.toStdString();
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines =
        QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{"姓名,分类,等价物品,金额,日期", "张三,亲戚,,100.00,2003年01月05日",
                                  "\"李\"\"四,\",朋友,,-80.50,2003年01月06日",
                                  "'=1+2,'-,,0.00,2003年01月07日", ",,共计：,19.50,元"}));

    const QString xlsx = dir.filePath(QStringLiteral("gifts.xlsx"));
    ASSERT_TRUE(exportTable(table, xlsx, &error)) << error.toStdString();
    const auto sheet = qv::test::readFirstSheet(xlsx);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->rows.size(), 5);
    EXPECT_EQ(sheet->rows[0][0].text, QStringLiteral("姓名"));
    EXPECT_EQ(sheet->rows[1][0].text, QStringLiteral("张三"));
    EXPECT_EQ(sheet->rows[2][0].text, QStringLiteral("李\"四,"));
    for (int r : {1, 2}) {
        const auto& amount = sheet->rows[r][3];
        EXPECT_TRUE(amount.isNumber) << "row " << r;
        EXPECT_EQ(amount.numberFormat, QStringLiteral("0.00"));
        EXPECT_FALSE(sheet->rows[r][4].isNumber) << "dates are text";
    }
    EXPECT_DOUBLE_EQ(sheet->rows[2][3].text.toDouble(), -80.5);
    EXPECT_EQ(sheet->rows[1][4].text, QStringLiteral("2003年01月05日"));
    EXPECT_EQ(sheet->rows[3][0].text, QStringLiteral("=1+2")) << "a workbook cell is text, never a formula";
    EXPECT_FALSE(sheet->rows[3][0].isNumber);
    EXPECT_EQ(sheet->rows[4][2].text, QStringLiteral("共计："));
    EXPECT_DOUBLE_EQ(sheet->rows[4][3].text.toDouble(), 19.5);
    EXPECT_EQ(sheet->rows[4][4].text, QStringLiteral("元"));
    ASSERT_GE(sheet->columnWidths.size(), 5);
    EXPECT_GT(sheet->columnWidths[4], sheet->columnWidths[0]) << "a long date is wider than a short name";
    EXPECT_GE(sheet->columnWidths[4], 14.0) << "2003年01月05日 fits";

    EXPECT_FALSE(exportTable(table, dir.filePath(QStringLiteral("gifts.txt")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral(".xlsx")));
    EXPECT_FALSE(exportTable(table, dir.filePath(QStringLiteral("no/such/dir/x.csv")), &error));
    EXPECT_FALSE(exportTable(table, dir.filePath(QStringLiteral("no/such/dir/x.xlsx")), &error));
}

// A workbook is written beside its name and takes the name only once it is
// whole: a failed export keeps the earlier file and leaves nothing behind.
TEST(ReportExport, AFailedWorkbookKeepsTheEarlierFileAndLeavesNoOtherFile)
{
    DataStore store(giftsDef());
    fill(store, {{"张三", "亲戚", "100", "20030105"}});
    const ReportTable good = tableFromStore(store);
    ReportTable refused = good;
    refused.rows[0][0] = QString(40000, QLatin1Char('x')); // past what a cell holds
    QTemporaryDir dir;
    auto files = [&dir] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); };
    auto bytes = [](const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QString xlsx = dir.filePath(QStringLiteral("gifts.xlsx"));
    QString error;
    ASSERT_TRUE(exportTable(good, xlsx, &error)) << error.toStdString();
    ASSERT_TRUE(QFile::setPermissions(xlsx, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadUser | QFileDevice::WriteUser));
    const QByteArray before = bytes(xlsx);

    EXPECT_FALSE(exportTable(refused, xlsx, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("32767"))) << error.toStdString();
    EXPECT_EQ(bytes(xlsx), before);
    EXPECT_FALSE(exportTable(refused, dir.filePath(QStringLiteral("new.xlsx")), &error));
    EXPECT_EQ(files(), QStringList{QStringLiteral("gifts.xlsx")});

    // A good export replaces the earlier file whole, with its permissions.
    store.setItem(1, QStringLiteral("xm"), QStringLiteral("李四"));
    ASSERT_TRUE(exportTable(tableFromStore(store), xlsx, &error)) << error.toStdString();
    EXPECT_EQ(qv::test::readFirstSheet(xlsx)->rows[1][0].text, QStringLiteral("李四"));
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    EXPECT_EQ(QFileInfo(xlsx).permissions() & (ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther),
              ownerOnly);
    EXPECT_EQ(files(), QStringList{QStringLiteral("gifts.xlsx")});
}

// A long report is written a row at a time: the workbook holds its strings
// in the rows (the form that keeps one row in memory), reads back whole,
// reports its progress as it goes, and a stop keeps the earlier file.
TEST(ReportExport, LongReportsAreWrittenRowByRowWithProgressAndCanBeStopped)
{
    DataStore store(giftsDef());
    constexpr int kRows = 5000;
    for (int i = 1; i <= kRows; ++i) {
        const long r = store.insertRow(0);
        store.setItem(r, QStringLiteral("xm"), QStringLiteral("客人%1").arg(i));
        store.setItem(r, QStringLiteral("je"), QString::number(i));
        store.setItem(r, QStringLiteral("sq"), QStringLiteral("20030105"));
    }
    QTemporaryDir dir;
    for (const char* name : {"long.xlsx", "long.csv"}) {
        SCOPED_TRACE(name);
        const QString file = dir.filePath(QString::fromLatin1(name));
        QList<long> reported;
        QString error;
        ASSERT_TRUE(exportRows(rowsFromStore(store), file, &error, [&](long done, long total) {
            EXPECT_EQ(total, kRows);
            reported << done;
            return true;
        })) << error.toStdString();
        ASSERT_FALSE(reported.isEmpty()) << "no progress";
        EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
        EXPECT_LE(reported.last(), kRows);

        const QByteArray before = [&file] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        store.setItem(1, QStringLiteral("xm"), QStringLiteral("改过"));
        EXPECT_FALSE(exportRows(rowsFromStore(store), file, &error, [](long, long) { return false; }));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before) << "a stopped export replaced the file";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".part")),
                  QStringList());
        store.setItem(1, QStringLiteral("xm"), QStringLiteral("客人1"));
    }
    const QString xlsx = dir.filePath(QStringLiteral("long.xlsx"));
    const auto zip = qv::test::readZip(xlsx);
    ASSERT_TRUE(zip);
    EXPECT_FALSE(zip->value(QStringLiteral("xl/worksheets/sheet1.xml")).contains("t=\"s\""))
        << "strings were gathered in a shared table, the whole sheet in memory";
    const auto sheet = qv::test::readFirstSheet(xlsx);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->rows.size(), kRows + 2);
    EXPECT_EQ(sheet->rows[1][0].text, QStringLiteral("客人1"));
    EXPECT_EQ(sheet->rows[kRows][0].text, QStringLiteral("客人%1").arg(kRows));
    EXPECT_DOUBLE_EQ(sheet->rows[kRows][3].text.toDouble(), kRows);
    EXPECT_EQ(sheet->rows[kRows][4].text, QStringLiteral("2003年01月05日"));
    EXPECT_DOUBLE_EQ(sheet->rows[kRows + 1][3].text.toDouble(), kRows * (kRows + 1) / 2.0);
    ASSERT_GE(sheet->columnWidths.size(), 5);
    EXPECT_GE(sheet->columnWidths[4], 14.0);
}

TEST(ReportExport, ChartsExportTheirSlicesWithAmountAndShare)
{
    ChartData chart;
    chart.title = QStringLiteral("收情·类别");
    chart.categories = {QStringLiteral("亲戚"), QStringLiteral("同事")};
    chart.series = {{QString(), {Money::fromCents(30000), Money::fromCents(10000)}}};
    const ReportTable table = tableFromChart(chart);
    EXPECT_EQ(table.captions, (QStringList{"分类", "金额", "比例"}));
    ASSERT_EQ(table.rows.size(), 2);
    EXPECT_EQ(table.rows[0][0].toString(), QStringLiteral("亲戚"));
    EXPECT_EQ(table.rows[0][1].value<Money>(), Money::fromCents(30000));
    EXPECT_EQ(table.rows[1][2].toString(), QStringLiteral("25.00%"));
    EXPECT_EQ(table.totals[1].value<Money>(), Money::fromCents(40000));
}

TEST(ReportPrinting, ReportsCarryTheWindowsFieldsAndTheirTotalsLine)
{
    DataStore store(giftsDef());
    fill(store, {{"张三", "亲戚", "100", "20030105"},
                 {"张三", "亲戚", "50", "20030106"},
                 {"张三", "朋友", "-80", "20030107"}});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    PrintHeading heading{
        QStringLiteral("人情往来查询（按单人）"),
        {QStringLiteral("姓名：张三"), QStringLiteral("日期：2003年01月01日 至 2003年12月31日")}};
    ASSERT_EQ(printStoreToPdf(store, file, nullptr, heading), 1);
    const QString text = pdfText(file);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected : {"人情往来查询（按单人）", "姓名：张三", "2003年01月01日至2003年12月31日",
                                 "2003年01月07日", "共计：70.00元"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC)))
            << expected << "\n"
            << text.toStdString();
}

TEST(ReportPrinting, ChartsPrintWithTitleLegendAndShares)
{
    ChartData chart;
    chart.title = QStringLiteral("收情·类别在收情总额中的比例");
    chart.categories = {QStringLiteral("亲戚"), QStringLiteral("同事")};
    chart.series = {{QString(), {Money::fromCents(30000), Money::fromCents(10000)}}};
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("chart.pdf"));
    ASSERT_EQ(printChartToPdf(chart, file, nullptr,
                              {{}, {QStringLiteral("日期：2000年01月01日 至 2003年12月31日")}}),
              1);
    const QString text = pdfText(file);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected :
         {"收情·类别在收情总额中的比例", "亲戚", "同事", "75.00%", "25.00%", "2000年01月01日"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC)))
            << expected << "\n"
            << text.toStdString();
}

TEST(ChartWidget, SlicesShowTheirShareAndTheLegendNamesThem)
{
    ChartData data;
    data.title = QStringLiteral("送情·事由在送情总额中的比例");
    data.categories = {QStringLiteral("婚礼"), QStringLiteral("（无事由）")};
    data.series = {{QString(), {Money::fromCents(30000), Money::fromCents(10000)}}};
    ChartWidget widget;
    widget.setData(data);
    EXPECT_EQ(widget.chart()->title(), data.title);
    auto* pie = qobject_cast<QPieSeries*>(widget.chart()->series().value(0));
    ASSERT_TRUE(pie);
    ASSERT_EQ(pie->count(), 2);
    EXPECT_EQ(pie->slices()[0]->label(), QStringLiteral("75.00%"));
    EXPECT_EQ(pie->slices()[1]->label(), QStringLiteral("25.00%"));
    const auto markers = widget.chart()->legend()->markers(pie);
    ASSERT_EQ(markers.size(), 2);
    EXPECT_EQ(markers[0]->label(), QStringLiteral("婚礼"));
    EXPECT_EQ(markers[1]->label(), QStringLiteral("（无事由）"));

    widget.setData({});
    EXPECT_TRUE(widget.chart()->series().isEmpty()) << "new data replaces the old chart";
}

// The shares of a reasons pie as a period gives them: big and tiny slices
// side by side. Laid out at the window's size and at a smaller one, every
// share is read whole on the pie or in the legend, and the tiny slices,
// whose labels would run into their neighbours', keep off the pie.
TEST(ChartWidget, EveryShareIsShownWholeAndSmallSlicesSayItInTheLegend)
{
    ChartData data;
    data.title = QStringLiteral("收情·事由在收情总额中的比例");
    data.categories = {QStringLiteral("结婚"), QStringLiteral("祝寿"), QStringLiteral("丧事"),
                       QStringLiteral("升学"), QStringLiteral("生子"), QStringLiteral("乔迁"),
                       QStringLiteral("生日"), QStringLiteral("其它")};
    data.series = {{QString(),
                    {Money::fromCents(1620000), Money::fromCents(1057000), Money::fromCents(2230000), Money(),
                     Money::fromCents(800000), Money::fromCents(120000), Money::fromCents(2000000),
                     Money::fromCents(300000)}}};
    for (const QSize size : {QSize(372, 332), QSize(300, 240)}) {
        ChartWidget widget;
        widget.resize(size);
        widget.setData(data);
        widget.show();
        QApplication::processEvents();
        auto* pie = qobject_cast<QPieSeries*>(widget.chart()->series().value(0));
        ASSERT_TRUE(pie);
        // What the scene draws as text: the slice labels as laid out, cut
        // short where they would not fit.
        QStringList drawn;
        for (QGraphicsItem* item : widget.chart()->scene()->items())
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
                drawn << text->toPlainText();
        const auto markers = widget.chart()->legend()->markers(pie);
        for (int c = 0; c < data.categories.size(); ++c) {
            const QString share = data.shareText(c);
            const QPieSlice* slice = pie->slices()[c];
            const bool onPie =
                slice->isLabelVisible() && drawn.contains(slice->label()) && slice->label().endsWith(share);
            const bool inLegend = widget.chart()->legend()->isVisible() && markers.value(c) &&
                                  markers[c]->isVisible() &&
                                  markers[c]->label() == data.categories[c] + QLatin1Char(' ') + share;
            EXPECT_TRUE(onPie || inLegend) << size.width() << " px: " << share.toStdString() << " of "
                                           << data.categories[c].toStdString() << " is not shown whole";
            if (data.share(c) < 0.05) {
                EXPECT_FALSE(slice->isLabelVisible())
                    << data.categories[c].toStdString() << " is drawn on the pie";
            }
        }
    }
}

// More reasons than the legend has room for: the largest keep slices of
// their own, each named in the legend and told from its neighbours, the first
// and the last included; the rest go together into "其他", so that no name
// runs off the legend.
TEST(ChartWidget, ManySlicesKeepTheirNamesAndDistinctColours)
{
    for (int count : {8, 13, 25}) {
        ChartData data;
        QList<Money> values;
        for (int c = 0; c < count; ++c) {
            data.categories << QStringLiteral("结婚纪念日%1").arg(c + 1);
            values << Money::fromCents(10000);
        }
        // The last one the largest: kept whatever its place.
        values.last() = Money::fromCents(20000);
        data.series = {{QString(), values}};
        ChartWidget widget;
        widget.resize(372, 332); // a chart of the analysis windows
        widget.setData(data);
        widget.show();
        QApplication::processEvents();
        auto* pie = qobject_cast<QPieSeries*>(widget.chart()->series().value(0));
        ASSERT_TRUE(pie);
        for (QGraphicsItem* item : widget.chart()->scene()->items()) {
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible()) {
                EXPECT_FALSE(text->toPlainText().endsWith(QStringLiteral("...")))
                    << count << " slices: " << text->toPlainText().toStdString() << " is cut";
            }
        }
        const auto markers = widget.chart()->legend()->markers(pie);
        const int slices = std::min(count, 10);
        ASSERT_EQ(pie->count(), slices) << count << " reasons";
        ASSERT_EQ(markers.size(), slices);
        QStringList named;
        QSet<QRgb> colours;
        for (int c = 0; c < slices; ++c) {
            EXPECT_TRUE(widget.chart()->legend()->isVisible() && markers[c]->isVisible());
            named << markers[c]->label().section(QLatin1Char(' '), 0, 0);
            colours.insert(pie->slices()[c]->color().rgb());
        }
        EXPECT_EQ(colours.size(), slices) << count << " slices share colours";
        EXPECT_EQ(named.first(), data.categories.first());
        if (count <= 10) {
            EXPECT_EQ(named, data.categories);
            continue;
        }
        EXPECT_EQ(named.value(8), data.categories.last());
        EXPECT_EQ(named.last(), QStringLiteral("其他"));
        EXPECT_DOUBLE_EQ(pie->slices().last()->value(), (count - 9) * 100.0) << "其他 holds the rest";
    }
}

TEST(ExportButton, StandsBesidePrintAndWritesTheFileTheOperatorNames)
{
    QWidget window;
    auto* print = new QPushButton(QStringLiteral("打印"), &window);
    print->setGeometry(100, 10, 60, 24);
    DataStore store(giftsDef());
    fill(store, {{"张三", "亲戚", "100", "20030105"}});
    QPushButton* button = addExportButton(print, [&store] { return tableFromStore(store); });
    EXPECT_EQ(button->text(), QStringLiteral("导出"));
    EXPECT_EQ(button->geometry(), QRect(160, 10, 60, 24));

    QTemporaryDir dir;
    // A name typed without an ending becomes a workbook the dialog never
    // asked about: replacing one that exists is asked first.
    const QString kept = dir.filePath(QStringLiteral("d.xlsx"));
    {
        QFile existing(kept);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("kept");
    }
    struct Case
    {
        QString answer;  // what the save dialog returns
        QString written; // the file that must exist afterwards; empty = none
        bool errorShown;
        int replace = 0; // the answer to the replace question; 0 = none asked
    } cases[] = {
        {dir.filePath(QStringLiteral("a.csv")), dir.filePath(QStringLiteral("a.csv")), false},
        {dir.filePath(QStringLiteral("b")), dir.filePath(QStringLiteral("b.xlsx")), false},
        {dir.filePath(QStringLiteral("c.txt")), {}, true},
        {QString(), {}, false},
        {dir.filePath(QStringLiteral("d")), {}, false, 2},
        {dir.filePath(QStringLiteral("d")), kept, false, 1},
    };
    for (const Case& c : cases) {
        auto& boxes = installScriptedMessageBoxes();
        auto& dialogs = installScriptedFileDialogs();
        dialogs.queueAnswer(c.answer);
        if (c.replace) {
            boxes.queueAnswer(c.replace);
        }
        button->click();
        if (c.answer.endsWith(u'd')) {
            ASSERT_EQ(boxes.shown().size(), 1);
            EXPECT_EQ(boxes.shown()[0].buttons, Buttons::YesNo);
            EXPECT_EQ(boxes.shown()[0].defaultButton, 2) << "replacing is not the default";
            QFile now(kept);
            ASSERT_TRUE(now.open(QIODevice::ReadOnly));
            EXPECT_EQ(now.readAll() == "kept", c.replace == 2);
            boxes.clear();
        }
        ASSERT_EQ(dialogs.shown().size(), 1);
        EXPECT_EQ(dialogs.shown()[0].mode, FileDialogMode::Save);
        EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("导出"));
        EXPECT_TRUE(dialogs.shown()[0].path.endsWith(QStringLiteral(".xlsx")));
        if (!c.written.isEmpty()) {
            EXPECT_TRUE(QFile::exists(c.written)) << c.written.toStdString();
        }
        ASSERT_EQ(boxes.shown().size(), c.errorShown ? 1 : 0) << c.answer.toStdString();
        if (c.errorShown) {
            EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("错误"));
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("c.txt"))));
}

// Sums the database computes are exact to the cent on every database.
class ExactSumTest : public LedgerTest
{
};

TEST_P(ExactSumTest, TwentyThousandLargeAmountsAddUpToTheCent)
{
    ledger().exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                       "INSERT INTO rqwlb (xtbh, xm, lx, je, sq) "
                       "SELECT 'x' || i, 'a', '收情', 49999999.99, '20030101' FROM n"));
    const Dialect& dialect = sqlca().dialect();
    QVariantList into;
    ASSERT_EQ(
        sqlca().selectInto(
            QStringLiteral("SELECT %1 FROM rqwlb").arg(dialect.sumInCents(QStringLiteral("je"))), {}, into),
        0)
        << sqlca().SQLErrText.toStdString();
    EXPECT_EQ(Dialect::sumFromCents(into.value(0)), Money::fromCents(99999999980000LL))
        << "999,999,999,800.00";

    ASSERT_EQ(
        sqlca().selectInto(
            QStringLiteral("SELECT %1 FROM rqwlb WHERE xm = ?").arg(dialect.sumInCents(QStringLiteral("je"))),
            {QStringLiteral("nobody")}, into),
        0);
    EXPECT_EQ(Dialect::sumFromCents(into.value(0)), Money()) << "no rows sum to zero, not null";
}

QV_LEDGER_TEST_SUITE(ExactSumTest);
