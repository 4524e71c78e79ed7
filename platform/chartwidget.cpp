#include "chartwidget.h"

#include "songfont.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QVBoxLayout>
#include <QValueAxis>

namespace qv {

namespace {

QFont titleFont()
{
    QFont f = songFont(QFont(), 11);
    f.setWeight(QFont::Bold);
    return f;
}

// Neighbouring slices and columns in clearly different colours, so that
// the legend tells them apart even in a printout. Past the hand-picked ones
// the hues step by the golden angle: no colour comes round again, so the
// last slice never repeats the first one beside it.
QColor categoryColour(int index)
{
    static const QColor colours[] = {{68, 114, 196}, {237, 125, 49},  {112, 173, 71}, {255, 192, 0},
                                     {0, 150, 136},  {165, 165, 165}, {158, 72, 14},  {99, 37, 110},
                                     {38, 68, 120},  {153, 115, 0},   {67, 104, 43},  {200, 80, 120}};
    const int fixed = int(std::size(colours));
    if (index < fixed)
        return colours[index];
    return QColor::fromHsv((index - fixed) * 137 % 360, 150 + (index % 3) * 40, 150 + (index % 2) * 60);
}

// The legend beside a pie has room for about this many names; reasons are
// typed freely, so a period can have more. Past it each slice carries its
// own name, since a cut-off legend leaves slices no one can name.
constexpr int kLegendRoom = 10;

void addPie(QChart* chart, const ChartData& data)
{
    auto* pie = new QPieSeries;
    // Room around the pie for the share labels outside it.
    pie->setPieSize(0.55);
    QFont labelFont;
    labelFont.setPointSize(8);
    const bool namedSlices = data.categories.size() > kLegendRoom;
    for (int c = 0; c < data.categories.size(); ++c) {
        const Money value = data.series[0].values.value(c);
        const QString label = namedSlices ? data.categories[c] + QLatin1Char(' ') + data.shareText(c)
                                          : data.shareText(c);
        auto* slice = pie->append(label, double(value.cents()) / 100.0);
        slice->setLabelVisible(true);
        slice->setLabelPosition(QPieSlice::LabelOutside);
        slice->setLabelFont(labelFont);
        slice->setLabelArmLengthFactor(0.08);
        slice->setColor(categoryColour(c));
        slice->setBorderColor(Qt::white);
    }
    chart->addSeries(pie);
    // The slices say their share; the legend says what they are.
    const auto markers = chart->legend()->markers(pie);
    for (int c = 0; c < markers.size() && c < data.categories.size(); ++c)
        markers[c]->setLabel(data.categories[c]);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setVisible(!namedSlices);
}

void addColumns(QChart* chart, const ChartData& data)
{
    auto* bars = new QBarSeries;
    double top = 0;
    for (const ChartData::Series& s : data.series) {
        auto* set = new QBarSet(s.name);
        set->setColor(categoryColour(int(bars->count())));
        for (const Money& v : s.values) {
            *set << double(v.cents()) / 100.0;
            top = std::max(top, double(v.cents()) / 100.0);
        }
        bars->append(set);
    }
    chart->addSeries(bars);
    auto* categories = new QBarCategoryAxis;
    categories->append(data.categories);
    categories->setTitleText(data.categoryAxis);
    chart->addAxis(categories, Qt::AlignBottom);
    bars->attachAxis(categories);
    auto* values = new QValueAxis;
    values->setTitleText(data.valueAxis);
    values->setLabelFormat(QStringLiteral("%.0f"));
    values->setRange(0, top > 0 ? top * 1.1 : 1);
    values->applyNiceNumbers();
    chart->addAxis(values, Qt::AlignLeft);
    bars->attachAxis(values);
    chart->legend()->setAlignment(Qt::AlignBottom);
}

} // namespace

QChart* buildChart(const ChartData& data)
{
    auto* chart = new QChart;
    chart->setTitle(data.title);
    chart->setTitleFont(titleFont());
    chart->setBackgroundBrush(Qt::white);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setVisible(true);
    if (!data.isEmpty()) {
        if (data.type == ChartType::Pie)
            addPie(chart, data);
        else
            addColumns(chart, data);
    }
    return chart;
}

ChartWidget::ChartWidget(QWidget* parent) : QWidget(parent), m_view(new QChartView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setFrameShape(QFrame::StyledPanel);
    m_view->setFrameShadow(QFrame::Sunken);
    setData({});
}

void ChartWidget::setData(ChartData data)
{
    m_data = std::move(data);
    QChart* old = m_view->chart();
    m_view->setChart(buildChart(m_data));
    delete old;
}

QChart* ChartWidget::chart() const
{
    return m_view->chart();
}

} // namespace qv
