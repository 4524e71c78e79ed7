#pragma once

#include "giftreports.h"

#include "platform/output/printing.h"
#include "platform/reports/chartdata.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace qv {

class ChartWidget;
class DateEdit;
class Transaction;

// w_gwgd ("收情分析") and w_wjgd ("送情分析"): how the gifts of one kind
// in a period divide up, by relationship category (left pie) and by reason
// (right pie). Each pie has its own "打印" and "导出" under it.
struct AnalysisConfig
{
    QString name;
    QString title;
    GiftSide side = GiftSide::Received;
};

AnalysisConfig analysisConfig(const QString& windowName);

class AnalysisWindow : public QWidget
{
    Q_OBJECT
public:
    AnalysisWindow(AnalysisConfig config, Transaction& transaction, QWidget* parent = nullptr);

    const AnalysisConfig& config() const { return m_config; }
    // dw_1 (by category) and dw_2 (by reason).
    ChartWidget* categoryChart() const { return m_dw1; }
    ChartWidget* reasonChart() const { return m_dw2; }
    const PrintHeading& heading() const { return m_heading; }

    // "查询": reads both pies. A failed read says why and keeps both pies
    // as they were; returns false then.
    bool query();

private:
    void printChart(const ChartWidget* chart);

    AnalysisConfig m_config;
    Transaction& m_tr;
    PrintHeading m_heading;

    QLabel* m_dateLabel;   // st_2
    DateEdit* m_from;      // em_1
    QLabel* m_toLabel;     // st_3
    DateEdit* m_to;        // em_2
    QPushButton* m_query;  // cb_1
    QPushButton* m_exit;   // cb_3
    ChartWidget* m_dw1;    // dw_1, share of each category
    ChartWidget* m_dw2;    // dw_2, share of each reason
    QPushButton* m_print1; // b_1, under dw_1
    QPushButton* m_print2; // b_2, under dw_2
};

QWidget* createAnalysis(QStringView windowName, Transaction& transaction);

} // namespace qv
