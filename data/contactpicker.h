#pragma once

#include "platform/reports/reportdef.h"

#include <QByteArray>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QLineEdit;
class QTableView;
class QWidget;

namespace qv {

class DataStore;
class DataStoreModel;
class Dialect;
class ResultRow;
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

// Every contact as dddw_wlyr reads it, kept in memory for searching as the
// operator types. A code contains the typed letters when one of its
// suffixes starts with them; the suffixes are kept sorted, so a search is a
// binary search whatever the number of contacts. Matches as the SELECT's
// LIKE does: ASCII case ignored, a contact without a code never found.
class ContactIndex
{
public:
    // Reads every contact; false, with the database's reason in the
    // transaction, when it cannot.
    bool build(Transaction& transaction);
    bool isBuilt() const { return m_built; }
    qsizetype size() const { return qsizetype(m_contacts.size()); }
    // Whether the index still holds the contacts as they are: no one has
    // said otherwise through contactsChanged() since it was built.
    bool isCurrent() const;

    // The contacts whose code contains `text`, in the order read.
    std::vector<quint32> containing(const QString& text) const;
    // Hands `contacts` to `onRow` as rows of dddw_wlyr (xm, xb, py, fw); 0.
    int read(const std::vector<quint32>& contacts,
             const std::function<bool(const ResultRow& row)>& onRow) const;

private:
    struct Contact
    {
        QByteArray cells[4]; // UTF-8
        quint8 nulls = 0;    // bit c: cells[c] is null
    };
    std::vector<Contact> m_contacts;
    // Each suffix of each code, ASCII lowered: (contact, byte offset).
    std::vector<std::pair<quint32, quint32>> m_suffixes;
    std::vector<QByteArray> m_codes; // ASCII lowered; by contact
    quint64 m_generation = 0;
    bool m_built = false;
};

// Contacts were added, changed or removed: the pickers read them again at
// their next search. Whatever writes wlryb calls it after committing.
void contactsChanged();

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

    // Whether `name`, typed and not picked, is to be stored as a name.
    // Letters that still list people are pinyin initials, not yet a name:
    // stored as "zs" instead of 张三, the gift would stand apart from every
    // other record of that person, so the operator is asked (under `title`,
    // 否 the default). A name the list itself offers is a name.
    bool acceptTypedName(const QString& name, const QString& title) const;

signals:
    void picked(const qv::PickedContact& contact);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onEditingFinished();
    // The contacts whose code contains `typed` into the grid's store.
    long retrieveMatches(const QString& typed);
    void moveIntoGrid();
    void dismiss();

    QLineEdit* m_name;
    Transaction& m_transaction;
    DataStore* m_store;
    DataStoreModel* m_model;
    QTableView* m_grid;
    QString m_pattern;
    ContactIndex m_index;
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
