#pragma once

#include "giftreports.h"

#include "platform/output/printing.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace qv {

class ContactPicker;
class DateEdit;
class ReportGrid;
class Transaction;

// The differences between the six gift query windows, as data.
struct GiftQueryConfig
{
    QString name; // w_ldpy …
    QString title;
    GiftSide side = GiftSide::Both;
    bool byPerson = false; // the name box and its contact picker
    int widthUnits = 3630;
};

// The configurations by window name: w_ldpy, w_sgsh, w_lwcx (one person),
// w_dbcl, w_wjfx, w_fwcx (everyone). Unknown names give an empty name.
GiftQueryConfig giftQueryConfig(const QString& windowName);

// The gift query windows: the gifts of a period, of one person or of
// everyone, received, given or both, with their total; "查询" reads them,
// "打印" prints, "导出" writes a spreadsheet. They only read.
class GiftQueryWindow : public QWidget
{
    Q_OBJECT
public:
    GiftQueryWindow(GiftQueryConfig config, Transaction& transaction, QWidget* parent = nullptr);

    const GiftQueryConfig& config() const { return m_config; }
    // The report on show (dw_1).
    ReportGrid* grid() const { return m_dw1; }
    ContactPicker* picker() const { return m_picker; }
    // What the printed page says above the rows: the person and the period
    // of the rows on show.
    const PrintHeading& heading() const { return m_heading; }

    // "查询": reads the period's gifts. A failed read says why and keeps the
    // rows shown before; returns the number of rows or -1. A read that runs
    // longer than the progress delay shows how far it is in a dialog whose
    // "取消" stops it, keeping the rows shown before too.
    long query();
    // 0 shows the progress from the first batch of rows on.
    void setProgressDelay(int ms) { m_progressDelayMs = ms; }

private:
    void print();
    void placeControls();

    GiftQueryConfig m_config;
    Transaction& m_tr;
    // Under a quarter second, so the window is never left unpainted longer.
    int m_progressDelayMs = 150;
    PrintHeading m_heading;

    QLabel* m_nameLabel = nullptr;     // st_1
    QLineEdit* m_name = nullptr;       // sle_1
    ContactPicker* m_picker = nullptr; // its grid is dw_2
    QLabel* m_dateLabel;               // st_2
    DateEdit* m_from;                  // em_1
    QLabel* m_toLabel;                 // st_3
    DateEdit* m_to;                    // em_2
    QPushButton* m_query;              // cb_1
    QPushButton* m_print;              // cb_2
    QPushButton* m_export;             // cb_export
    QPushButton* m_exit;               // cb_3
    // dw_1 and the grid that stands by for the next query: a query fills
    // the standby grid and only a successful one is swapped in, so a
    // failure leaves the rows on show untouched.
    QStackedWidget* m_reports;
    ReportGrid* m_dw1;
    ReportGrid* m_standby;
};

QWidget* createGiftQuery(QStringView windowName, Transaction& transaction);

} // namespace qv
