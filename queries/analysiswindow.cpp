#include "analysiswindow.h"

#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/output/chartwidget.h"
#include "platform/output/exportbutton.h"
#include "platform/reports/datastore.h"
#include "platform/reports/units.h"
#include "platform/widgets/dateedit.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPushButton>

namespace qv {

AnalysisConfig analysisConfig(const QString& windowName)
{
    static const AnalysisConfig configs[] = {
        {QStringLiteral("w_gwgd"), QStringLiteral("收情分析"), GiftSide::Received},
        {QStringLiteral("w_wjgd"), QStringLiteral("送情分析"), GiftSide::Given},
    };
    for (const AnalysisConfig& c : configs)
        if (c.name == windowName)
            return c;
    return {};
}

namespace {
constexpr int kWidthUnits = 3630;
constexpr int kHeightUnits = 2296;
// Room under each chart for its "打印" and "导出".
constexpr int kButtonRowUnits = 140;
} // namespace

AnalysisWindow::AnalysisWindow(AnalysisConfig config, Transaction& transaction, QWidget* parent)
    : QWidget(parent), m_config(std::move(config)), m_tr(transaction)
{
    setObjectName(m_config.name);
    setWindowTitle(m_config.title);
    setFont(windowFont());
    resize(units::toPixels(kWidthUnits, kHeightUnits));

    auto place = [](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(units::toPixels(x, y, width, height));
    };
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    m_dateLabel = new QLabel(QStringLiteral("%1日期    从").arg(giftKindText(m_config.side)), this);
    named(m_dateLabel, "st_2");
    m_from = new DateEdit(this);
    named(m_from, "em_1");
    m_from->setDate(QDate(2000, 1, 1));
    m_toLabel = new QLabel(QStringLiteral("至"), this);
    named(m_toLabel, "st_3");
    m_to = new DateEdit(this);
    named(m_to, "em_2");
    m_to->setDate(QDate::currentDate());
    m_query = new QPushButton(QStringLiteral("查询"), this);
    named(m_query, "cb_1");
    m_exit = new QPushButton(QStringLiteral("退出"), this);
    named(m_exit, "cb_3");
    m_dw1 = new ChartWidget(this);
    named(m_dw1, "dw_1");
    m_dw2 = new ChartWidget(this);
    named(m_dw2, "dw_2");

    place(m_dateLabel, 270, 124, 430, 84);
    place(m_from, 786, 108, 539, 92);
    place(m_toLabel, 1390, 124, 73, 68);
    place(m_to, 1518, 108, 562, 92);
    place(m_query, 2587, 104, 247, 108);
    place(m_exit, 2857, 104, 247, 108);
    place(m_dw1, 137, 320, 1627, 1468 - kButtonRowUnits);
    place(m_dw2, 1874, 320, 1605, 1468 - kButtonRowUnits);

    // Each chart's own "打印", centred under it, and "导出" beside it.
    // Each report's own button is its b_1; in one window they are b_1 and b_2.
    auto chartButtons = [&](ChartWidget* chart, int x, int width, const char* printName,
                            const char* exportName) {
        auto* print = new QPushButton(QStringLiteral("打印"), this);
        print->setObjectName(QString::fromLatin1(printName));
        place(print, x + width / 2 - 320, 320 + 1468 - kButtonRowUnits + 20, 320, 120);
        connect(print, &QPushButton::clicked, this, [this, chart] { printChart(chart); });
        QPushButton* exportButton = addExportButton(print, [chart] { return tableFromChart(chart->data()); });
        exportButton->setObjectName(QString::fromLatin1(exportName));
        return print;
    };
    m_print1 = chartButtons(m_dw1, 137, 1627, "b_1", "cb_export1");
    m_print2 = chartButtons(m_dw2, 1874, 1605, "b_2", "cb_export2");

    setTabOrder(m_from, m_to);
    setTabOrder(m_to, m_query);
    setTabOrder(m_query, m_exit);

    connect(m_query, &QPushButton::clicked, this, &AnalysisWindow::query);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    m_query->setDefault(true);

    ChartData empty;
    for (auto [chart, share] :
         {std::pair{m_dw1, GiftShare::ByCategory}, std::pair{m_dw2, GiftShare::ByReason}}) {
        empty.title = giftShareChart(m_config.side, share).title;
        chart->setData(empty);
    }
}

bool AnalysisWindow::query()
{
    const QString s_d1 = m_from->storedText();
    const QString s_d2 = m_to->storedText();
    globals().g_lb = giftKindText(m_config.side);
    const QVariantList arguments{globals().g_lb, s_d1, s_d2};

    // Both pies are read before either is drawn, so that a failure leaves
    // the two showing the same period.
    ChartData pies[2];
    const GiftShare shares[2] = {GiftShare::ByCategory, GiftShare::ByReason};
    for (int i = 0; i < 2; ++i) {
        DataStore store(giftShareDefinition(m_config.side, shares[i]));
        store.setTransObject(&m_tr);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const long rows = store.retrieve(arguments);
        QApplication::restoreOverrideCursor();
        if (rows < 0) {
            messagebox(QStringLiteral("错误"), withReason(QStringLiteral("查询失败"), store.errorText()),
                       Icon::StopSign);
            return false;
        }
        pies[i] = chartFromStore(store, giftShareChart(m_config.side, shares[i]));
    }
    m_dw1->setData(pies[0]);
    m_dw2->setData(pies[1]);
    m_heading.fields = {QStringLiteral("日期：%1 至 %2")
                            .arg(m_from->date().toString(DateEdit::displayFormat()),
                                 m_to->date().toString(DateEdit::displayFormat()))};
    return true;
}

void AnalysisWindow::printChart(const ChartWidget* chart)
{
    printPreview(chart->data(), this, m_heading);
}

QWidget* createAnalysis(QStringView windowName, Transaction& transaction)
{
    AnalysisConfig config = analysisConfig(windowName.toString());
    if (config.name.isEmpty())
        return nullptr;
    return new AnalysisWindow(std::move(config), transaction);
}

} // namespace qv
