#include "chartwidget.h"

#include "platform/widgets/songfont.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <numeric>

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

// The legend beside a pie has room for about this many names at a size
// that reads, on the smallest pie of a window as on paper. Reasons are typed
// freely, so a period can have more: the smallest then go together into one
// slice, "其他", rather than into names the legend would cut off.
constexpr int kLegendRoom = 10;

// The pie as drawn: the categories as they are when the legend holds them
// all, else the largest ones in their order and "其他" with the rest.
ChartData pieSlices(const ChartData& data)
{
    if (data.categories.size() <= kLegendRoom || data.series.isEmpty())
        return data;
    const QList<Money>& values = data.series[0].values;
    QList<int> bySize(data.categories.size());
    std::iota(bySize.begin(), bySize.end(), 0);
    std::stable_sort(bySize.begin(), bySize.end(),
                     [&values](int a, int b) { return values.value(b) < values.value(a); });
    bySize.resize(kLegendRoom - 1);
    std::sort(bySize.begin(), bySize.end());
    ChartData pie = data;
    pie.categories.clear();
    pie.series = {{data.series[0].name, {}}};
    Money rest = data.total();
    for (int c : bySize) {
        pie.categories << data.categories[c];
        pie.series[0].values << values.value(c);
        rest -= values.value(c);
    }
    pie.categories << QStringLiteral("其他");
    pie.series[0].values << rest;
    return pie;
}

// Labels of neighbouring slices of at least this share keep apart even on
// the smallest pie of a window; smaller slices say their share in the legend.
constexpr double kLabelledShare = 0.10;

// Room left between a label and the edge of the plot area, in pixels.
constexpr double kLabelMargin = 10;

bool isLabelled(const QPieSlice* slice)
{
    return slice->percentage() >= kLabelledShare;
}

// The chart cuts a label that reaches past its plot area. The pie is sized
// so that the widest label still fits beside it on either side.
void fitPieToLabels(QChart* chart, QPieSeries* pie)
{
    const QRectF area = chart->plotArea();
    if (area.isEmpty())
        return;
    double labelWidth = 0;
    double labelHeight = 0;
    for (const QPieSlice* slice : pie->slices()) {
        if (!slice->isLabelVisible())
            continue;
        const QFontMetricsF fm(slice->labelFont());
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(slice->label()));
        labelHeight = std::max(labelHeight, fm.height());
    }
    const double reach = 1.0 + pie->slices().value(0)->labelArmLengthFactor();
    const double across = labelWidth > 0 ? labelWidth + kLabelMargin : 0;
    const double upDown = labelHeight > 0 ? labelHeight + kLabelMargin : 0;
    const double radius =
        std::max(10.0, std::min((area.width() / 2 - across) / reach, (area.height() / 2 - upDown) / reach));
    pie->setPieSize(std::clamp(2 * radius / std::min(area.width(), area.height()), 0.2, 0.8));
}

// The smallest legend text that still reads on screen and paper.
constexpr double kSmallestLegendPoints = 7;

// Whether the legend shortened a name to fit ("结婚纪念日 8.1...").
bool legendCutsAName(const QGraphicsItem* item)
{
    for (const QGraphicsItem* child : item->childItems()) {
        if (const auto* text = dynamic_cast<const QGraphicsTextItem*>(child); text && text->isVisible()) {
            const QString shown = text->toPlainText();
            if (shown.endsWith(QStringLiteral("...")) || shown.endsWith(QChar(0x2026)))
                return true;
        }
        if (legendCutsAName(child))
            return true;
    }
    return false;
}

// A legend too narrow for its longest name gets a smaller font, down to one
// that still reads, rather than names cut short.
void fitLegendToNames(QChart* chart)
{
    QLegend* legend = chart->legend();
    QFont font = legend->font();
    while (font.pointSizeF() > kSmallestLegendPoints && legendCutsAName(legend)) {
        font.setPointSizeF(std::max(kSmallestLegendPoints, font.pointSizeF() - 0.5));
        // Quietly: laying the chart out again tells of a new plot area.
        const QSignalBlocker quiet(chart);
        legend->setFont(font);
        for (QGraphicsLayout* layout : {chart->layout(), legend->layout()}) {
            if (layout) {
                layout->invalidate();
                layout->activate();
            }
        }
    }
}

void addPie(QChart* chart, const ChartData& all)
{
    const ChartData data = pieSlices(all);
    const bool hasRest = data.categories.size() < all.categories.size();
    auto* pie = new QPieSeries;
    QFont labelFont;
    labelFont.setPointSize(8);
    for (int c = 0; c < data.categories.size(); ++c) {
        const Money value = data.series[0].values.value(c);
        auto* slice = pie->append(data.shareText(c), double(value.cents()) / 100.0);
        slice->setLabelPosition(QPieSlice::LabelOutside);
        slice->setLabelFont(labelFont);
        slice->setLabelArmLengthFactor(0.08);
        // "其他" in a grey none of the named slices has.
        slice->setColor(hasRest && c + 1 == data.categories.size() ? QColor(215, 215, 215)
                                                                   : categoryColour(c));
        slice->setBorderColor(Qt::white);
    }
    // Percentages are known once every slice is in.
    for (QPieSlice* slice : pie->slices())
        slice->setLabelVisible(isLabelled(slice));
    chart->addSeries(pie);

    // The slices drawn with their share are named in the legend; the small
    // ones, whose labels would run into each other, say their share there.
    QFont legendFont = chart->legend()->font();
    legendFont.setPointSize(8);
    chart->legend()->setFont(legendFont);
    const auto markers = chart->legend()->markers(pie);
    for (int c = 0; c < markers.size() && c < data.categories.size(); ++c) {
        const bool labelled = isLabelled(pie->slices()[c]);
        markers[c]->setLabel(labelled ? data.categories[c]
                                      : data.categories[c] + QLatin1Char(' ') + data.shareText(c));
    }
    chart->legend()->setAlignment(Qt::AlignRight);
    QObject::connect(chart, &QChart::plotAreaChanged, pie, [chart, pie] {
        fitPieToLabels(chart, pie);
        fitLegendToNames(chart);
    });
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
