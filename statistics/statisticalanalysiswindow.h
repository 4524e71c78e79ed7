#pragma once

#include "platform/reports/chartdata.h"
#include "platform/reports/reportdef.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace qv {

class ChartWidget;
class DataStore;
class Transaction;

// What tells the two pages of w_tjfx apart.
struct AnalysisPageConfig
{
    QString pageName;     // "tabpage_1"
    QString caption;      // "收情分析"
    QString labelName;    // "st_1"
    QString yearListName; // "ddlb_1"
    QString drawName;     // "cb_1"
    QString printName;    // "cb_2"
    QString chartName;    // "dw_1"
    ReportDef report;     // the archive from :s_year on
    ChartDef chart;       // months along, one column series per year
};

AnalysisPageConfig receivedAnalysisPage(); // dw_t_tj: sou
AnalysisPageConfig givenAnalysisPage();    // dw_t_tj3: abs(song)

// One page: a starting year, "分析图" and "打印" over its own chart.
class AnalysisPage : public QWidget
{
    Q_OBJECT
public:
    AnalysisPage(AnalysisPageConfig config, Transaction& transaction, QWidget* parent = nullptr);
    ~AnalysisPage() override;

    const ChartData& chartData() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void draw();
    void print();

    AnalysisPageConfig m_config;
    std::unique_ptr<DataStore> m_rows;
    QLabel* m_label;
    QComboBox* m_year;
    QPushButton* m_draw;
    QPushButton* m_print;
    ChartWidget* m_chart;
};

// w_tjfx, "统计分析": the archived years compared month by month, received
// gifts on one page and given gifts on the other. It only reads.
class StatisticalAnalysisWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StatisticalAnalysisWindow(Transaction& transaction, QWidget* parent = nullptr);

    AnalysisPage* receivedPage() const { return m_received; }
    AnalysisPage* givenPage() const { return m_given; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabWidget* m_tabs;       // tab_1
    AnalysisPage* m_received; // tabpage_1
    AnalysisPage* m_given;    // tabpage_2
    QPushButton* m_exit;      // cb_5
};

} // namespace qv
