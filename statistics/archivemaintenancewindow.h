#pragma once

#include "platform/output/editablewindow.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace qv {

class ReportGrid;
class Transaction;

// w_lsk_wh, "统计库维护": the archived months of one year; months removed in
// the grid leave tjb_save with "存盘", so that a year emptied this way can be
// archived again.
class ArchiveMaintenanceWindow : public EditableWindow
{
    Q_OBJECT
public:
    explicit ArchiveMaintenanceWindow(Transaction& transaction, QWidget* parent = nullptr);

    ReportGrid* grid() const { return m_grid; }
    // The rows highlighted, 1-based, ascending.
    QList<long> selectedRows() const;

protected:
    bool hasUnsavedChanges() override;
    bool saveBeforeClose() override { return save(); }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showYear();
    void deleteMonth();
    bool save();
    // Highlights one row only, or every row for 0 (a click beside the rows).
    void highlightRow(long row);

    Transaction& m_tr;
    ReportGrid* m_grid;    // dw_1
    QGroupBox* m_frame;    // gb_1
    QLabel* m_yearLabel;   // st_1
    QComboBox* m_year;     // ddlb_1
    QPushButton* m_query;  // cb_1
    QPushButton* m_delete; // cb_2
    QPushButton* m_save;   // cb_4
    QPushButton* m_exit;   // cb_3
};

} // namespace qv
