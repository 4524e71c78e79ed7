#include "statisticalanalysiswindow.h"

#include "yearchoice.h"

#include "platform/core/messagebox.h"
#include "platform/output/chartwidget.h"
#include "platform/output/printing.h"
#include "platform/reports/datastore.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>

namespace qv {

namespace {

// The designed size less the title bar and borders it included.
constexpr int kClientWidth = 3675 - 32;
constexpr int kClientHeight = 2116 - 132;

// The archive from a starting year on (text order, which for four-digit
// years is the order of the years).
ReportDef archiveFromYear(const char* name)
{
    ReportDef def;
    def.name = QString::fromLatin1(name);
    def.select = QStringLiteral("SELECT year, mon, sou, song, je FROM tjb_save WHERE year >= :s_year");
    def.arguments = {QStringLiteral("s_year")};
    for (const char* column : {"year", "mon", "sou", "song", "je"}) {
        ColumnDef c;
        c.name = QString::fromLatin1(column);
        c.type = c.name == u"year" || c.name == u"mon" ? ColumnType::Text : ColumnType::Money;
        def.columns << c;
    }
    return def;
}

ChartDef columnsByYear(const char* title, const char* value, bool absolute)
{
    ChartDef chart;
    chart.type = ChartType::Column;
    chart.title = QString::fromUtf8(title);
    chart.categoryColumn = QStringLiteral("mon");
    chart.seriesColumn = QStringLiteral("year");
    chart.valueColumn = QString::fromLatin1(value);
    chart.absoluteValues = absolute;
    chart.categoryAxis = QStringLiteral("月份");
    chart.valueAxis = QStringLiteral("元");
    return chart;
}

} // namespace

AnalysisPageConfig receivedAnalysisPage()
{
    return {
        QStringLiteral("tabpage_1"), QStringLiteral("收情分析"), QStringLiteral("st_1"),
        QStringLiteral("ddlb_1"),    QStringLiteral("cb_1"),     QStringLiteral("cb_2"),
        QStringLiteral("dw_1"),      archiveFromYear("dw_t_tj"), columnsByYear("收情分析比较", "sou", false)};
}

AnalysisPageConfig givenAnalysisPage()
{
    return {QStringLiteral("tabpage_2"),
            QStringLiteral("送情分析"),
            QStringLiteral("st_2"),
            QStringLiteral("ddlb_2"),
            QStringLiteral("cb_3"),
            QStringLiteral("cb_4"),
            QStringLiteral("dw_2"),
            archiveFromYear("dw_t_tj3"),
            columnsByYear("送情分析比较", "song", true)};
}

AnalysisPage::AnalysisPage(AnalysisPageConfig config, Transaction& transaction, QWidget* parent)
    : QWidget(parent), m_config(std::move(config)), m_rows(std::make_unique<DataStore>(m_config.report))
{
    setObjectName(m_config.pageName);
    m_rows->setTransObject(&transaction);
    // Months in order along the axis, years in order within each month.
    m_rows->setSort({{QStringLiteral("mon"), true}, {QStringLiteral("year"), true}});

    m_label = new QLabel(QStringLiteral("请选择起始年份"), this);
    m_label->setObjectName(m_config.labelName);
    m_year = createYearList(m_config.yearListName, QStringLiteral("2001"), this);
    m_label->setBuddy(m_year);
    m_draw = new QPushButton(QStringLiteral("分析图"), this);
    m_draw->setObjectName(m_config.drawName);
    m_print = new QPushButton(QStringLiteral("打印"), this);
    m_print->setObjectName(m_config.printName);
    m_chart = new ChartWidget(this);
    m_chart->setObjectName(m_config.chartName);

    setTabOrder(m_year, m_draw);
    setTabOrder(m_draw, m_print);

    connect(m_draw, &QPushButton::clicked, this, &AnalysisPage::draw);
    connect(m_print, &QPushButton::clicked, this, &AnalysisPage::print);
}

AnalysisPage::~AnalysisPage() = default;

const ChartData& AnalysisPage::chartData() const
{
    return m_chart->data();
}

void AnalysisPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_label->setGeometry(units::toPixels(60, 40, 420, 72));
    m_year->setGeometry(units::toPixels(490, 28, 357, 92));
    m_draw->setGeometry(units::toPixels(920, 24, 320, 100));
    m_print->setGeometry(units::toPixels(1280, 24, 320, 100));
    const QRect top = units::toPixels(30, 160, 10, 10);
    m_chart->setGeometry(top.x(), top.y(), width() - 2 * top.x(), height() - top.y() - top.x());
}

void AnalysisPage::draw()
{
    const auto year = checkedYear(m_year->currentText());
    if (!year)
        return;
    // A chart that could not be read is not drawn as if the archive were
    // empty: the operator is told, and the chart keeps what it showed.
    if (m_rows->retrieve({*year}) < 0) {
        messagebox(QStringLiteral("错误"), withReason(QStringLiteral("统计库读取出错!"), m_rows->errorText()),
                   Icon::StopSign);
        return;
    }
    m_rows->sort();
    ChartData chart = chartFromStore(*m_rows, m_config.chart);
    // Series in the order of the years, whichever month each first has.
    std::stable_sort(chart.series.begin(), chart.series.end(),
                     [](const ChartData::Series& a, const ChartData::Series& b) { return a.name < b.name; });
    m_chart->setData(std::move(chart));
}

void AnalysisPage::print()
{
    printPreview(m_chart->data(), this);
}

StatisticalAnalysisWindow::StatisticalAnalysisWindow(Transaction& transaction, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("w_tjfx"));
    setWindowTitle(QStringLiteral("统计分析"));
    useSongFont(this);
    resize(units::toPixels(kClientWidth, kClientHeight));

    m_tabs = named<QTabWidget>(this, "tab_1");
    m_received = new AnalysisPage(receivedAnalysisPage(), transaction);
    m_given = new AnalysisPage(givenAnalysisPage(), transaction);
    m_tabs->addTab(m_received, style()->standardIcon(QStyle::SP_DialogApplyButton),
                   QStringLiteral("收情分析"));
    m_tabs->addTab(m_given, style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("送情分析"));
    m_tabs->setCurrentIndex(0);

    m_exit = new QPushButton(QStringLiteral("退出"), this);
    m_exit->setObjectName(QStringLiteral("cb_5"));
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
}

void StatisticalAnalysisWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRect button = units::toPixels(0, 0, 320, 100);
    const int margin = units::toPixelsX(30);
    m_exit->setGeometry(width() - margin - button.width(), margin, button.width(), button.height());
    m_tabs->setGeometry(margin, margin, width() - 3 * margin - button.width(), height() - 2 * margin);
}

} // namespace qv
