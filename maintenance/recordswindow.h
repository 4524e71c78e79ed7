#pragma once

#include "platform/core/money.h"
#include "platform/output/editablewindow.h"
#include "platform/output/printing.h"
#include "platform/reports/reportdef.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class ContactPicker;
class DataStore;
class DateEdit;
class ReportGrid;
class Transaction;

// "dw_jlk_wh": one person's gift records of both kinds whose gift date lies
// in a period, written back by the record number.
ReportDef recordsDefinition();

// Given gifts are stored negative and received ones positive, so that a plain
// sum is the balance. An amount as it must be stored for its kind; any other
// kind keeps the amount as it is.
Money signedForKind(const QString& kind, Money amount);

// What keeps edited records from being saved: a record without a name or
// with no amount. The message names the column and the row.
std::optional<QString> checkRecords(const DataStore& store);

// w_jlk_wh, "记录库维护": the stored records of a person and a period,
// corrected or deleted in a grid and written with one save.
class RecordsWindow : public EditableWindow
{
    Q_OBJECT
public:
    explicit RecordsWindow(Transaction& transaction, QWidget* parent = nullptr);

    ReportGrid* grid() const { return m_grid; }
    ContactPicker* picker() const { return m_picker; }

    // "查询": false when the operator kept the pending changes instead.
    bool list();
    // "存盘": true when saved.
    bool save();
    // Highlights one row, or every row for row 0, as a click does.
    void highlightRow(long row);

protected:
    bool hasUnsavedChanges() override;
    bool saveBeforeClose() override { return save(); }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deleteRow();
    void print();
    PrintHeading heading() const;
    void keepSign(long row, const QString& column);

    Transaction& m_tr;
    QLabel* m_nameLabel;     // st_1
    QLineEdit* m_name;       // sle_1
    ContactPicker* m_picker; // dw_2
    QLabel* m_periodLabel;   // st_2
    DateEdit* m_from;        // em_1
    QLabel* m_toLabel;       // st_3
    DateEdit* m_to;          // em_2
    QPushButton* m_query;    // cb_1
    QPushButton* m_exit;     // cb_3
    ReportGrid* m_grid;      // dw_1
    QPushButton* m_delete;   // cb_2
    QPushButton* m_save;     // cb_4
    QPushButton* m_print;    // cb_5
    QPushButton* m_export;   // cb_export
};

} // namespace qv
