#pragma once

#include "platform/output/printing.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace qv {

class DataStore;
class ReportGrid;
class Transaction;

// w_ndtj, "年度统计": the months of one year summed into tjb and shown with
// the year's balance; "存盘" appends them to the archive tjb_save.
class AnnualStatisticsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AnnualStatisticsWindow(Transaction& transaction, QWidget* parent = nullptr);

    ReportGrid* report() const { return m_report; }
    DataStore& archive() const { return *m_archive; }

private:
    void openWindow();
    void compute();
    void archiveMonths();
    void print();
    PrintHeading heading() const;

    Transaction& m_tr;
    QLabel* m_yearLabel;          // st_1
    QComboBox* m_year;            // ddlb_1
    QPushButton* m_compute;       // cb_1
    QPushButton* m_archiveButton; // cb_2
    QPushButton* m_print;         // cb_4
    QPushButton* m_export;        // cb_5, "导出"
    QPushButton* m_exit;          // cb_3
    ReportGrid* m_report;         // dw_1
    // dw_2: never shown. It holds the archive as read at opening plus every
    // copy made since; copies that were refused stay pending in it, so each
    // further "存盘" in this window tries them again and is refused again.
    DataStore* m_archive;
};

} // namespace qv
