#pragma once

#include "platform/reports/reportdef.h"

#include <QObject>
#include <QRect>
#include <QString>

class QLineEdit;
class QTableView;
class QWidget;

namespace qv {

class DataStore;
class DataStoreModel;
class Dialect;
class Transaction;

// One row of the picker, as the window receives it on a pick.
struct PickedContact
{
    QString xm;
    QString xb;
    QString py;
    QString fw;
};

// The drop-down grid over the contacts: xm, xb, py, fw of wlryb whose pinyin
// code contains the typed letters, in either case. Read only.
ReportDef dddwWlyrDefinition(const Dialect& dialect);

// The contact picker a window carries: its own name field, and a grid that
// drops below it while it offers matches. The window decides what a pick
// copies and where the focus goes, by listening to picked().
//
// The search runs on a committed change of the name field (Enter, or leaving
// it after typing), never while the input method is still composing. Text
// that starts with a character above 'z' - a Chinese name above all - is
// taken as a name and searches nothing. Escape, in the name field or in the
// grid, hides the grid and leaves the text alone.
class ContactPicker : public QObject
{
    Q_OBJECT
public:
    // `window` parents the grid; `geometryUnits` places it in layout units of
    // the window. The grid is called dw_1 unless the window renames it.
    ContactPicker(QLineEdit* nameField, Transaction& transaction, QWidget* window,
                  const QRect& geometryUnits);
    ~ContactPicker() override;

    QTableView* grid() const { return m_grid; }
    DataStore& store() const { return *m_store; }
    // The search pattern of the last search (the window's gs_pym).
    const QString& pattern() const { return m_pattern; }

    // The modified event: searches on the name field's current text.
    void search();
    // Picks the grid's current row; false (and nothing changes) when there
    // is none.
    bool pick();

signals:
    void picked(const qv::PickedContact& contact);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onEditingFinished();
    void moveIntoGrid();
    void dismiss();

    QLineEdit* m_name;
    Transaction& m_transaction;
    DataStore* m_store;
    DataStoreModel* m_model;
    QTableView* m_grid;
    QString m_pattern;
    bool m_composing = false; // the input method holds uncommitted text
};

// After a pick the grid that had the keyboard is hidden: the focus goes on to
// the next field of the tab order after `field`, so the keys typed next (the
// period, most often) are not appended to the name just picked.
void focusFieldAfter(QWidget* field);

// The picker under a query window's name box: dw_2, 512 by 448 layout
// units with its top at 236 and its left at `leftUnits`. A pick copies only
// the name and moves on to the next field.
ContactPicker* attachNamePicker(QLineEdit* nameField, Transaction& transaction, QWidget* window,
                                int leftUnits);

} // namespace qv
