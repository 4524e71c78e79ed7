#pragma once

#include "platform/reports/chartdata.h"

#include <QWidget>

class QChart;
class QChartView;

namespace qv {

// Builds the Qt chart of a ChartData: a pie whose slices carry their share
// ("37.50%") and whose legend names the categories, or grouped columns with
// one set per series. Used by the widget and by printing, so that the page
// shows what the screen shows. The caller owns the chart.
QChart* buildChart(const ChartData& data);

// A chart on screen. It holds plain data and redraws when given new data;
// where the data comes from is the window's business.
class ChartWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ChartWidget(QWidget* parent = nullptr);

    void setData(ChartData data);
    const ChartData& data() const { return m_data; }
    QChart* chart() const;

private:
    ChartData m_data;
    QChartView* m_view;
};

} // namespace qv
