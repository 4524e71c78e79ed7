#pragma once

#include "platform/reports/reportdef.h"

#include <QDate>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class ContactPicker;
class DateEdit;
class Dialect;
class ReportGrid;
class Transaction;

// "dw_wlye": one row per person in the gift records of a period, from one
// GROUP BY over the (xm, sq) index: name, category, count and sum of each
// kind (given shown positive), balance received minus given, the last
// exchange's date and kind. Retrieval arguments: the name (null for every
// person) and the period as yyyymmdd.
ReportDef balancesDefinition(const Dialect& dialect);

// w_wlye, "往来余额（按人）": who the household owes a return gift and who
// owes it one. Sorted by balance, largest first, until a header is clicked;
// a double-click (or Enter) on a row asks for that person's records.
class BalancesWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BalancesWindow(Transaction& transaction, QWidget* parent = nullptr);

    ReportGrid* grid() const { return m_grid; }
    ContactPicker* picker() const { return m_picker; }
    // The column the rows are sorted by and the direction.
    QString sortColumn() const { return m_sortColumn; }
    bool sortAscending() const { return m_sortAscending; }

    // 查询: reads the balances of the period, of the one person named in the
    // name box or of everyone when it is empty. The number of rows, or -1.
    long query();
    // Sorts by a column of the definition, as a header click does.
    void sortBy(const QString& column, bool ascending);

signals:
    // The person of a row, for "人情往来查询（单人）" over the same period.
    void personRequested(const QString& name, const QDate& from, const QDate& to);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onHeaderClicked(int section);
    void requestPerson(long row);
    void print();

    Transaction& m_transaction;
    QLabel* m_nameLabel;     // st_1
    QLineEdit* m_name;       // sle_1
    QLabel* m_fromLabel;     // st_2
    DateEdit* m_from;        // em_1
    QLabel* m_toLabel;       // st_3
    DateEdit* m_to;          // em_2
    QPushButton* m_query;    // cb_1
    QPushButton* m_print;    // cb_2
    QPushButton* m_export;   // cb_export
    QPushButton* m_exit;     // cb_3
    ReportGrid* m_grid;      // dw_1
    ContactPicker* m_picker; // dw_2
    QString m_sortColumn;
    bool m_sortAscending = false;
};

} // namespace qv
