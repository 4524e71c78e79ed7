#pragma once

#include "datastorecolumns.h"
#include "platform/core/money.h"
#include "reportdef.h"

#include <QObject>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

namespace qv {

class Transaction;
class DataStore;

// The one shape of a save: write without resetting, commit, and only then
// forget the pending changes; on any failure roll back and keep them all.
// Returns 1 or -1; the database's text is in the transaction's SQLErrText.
int saveChanges(DataStore& store, Transaction& transaction);

enum class RowStatus { NotModified, DataModified, New, NewModified };
enum class RowBuffer { Primary, Delete };

struct SortKey
{
    QString column;
    bool ascending = true;
};

// The non-visual report engine: rows read by a definition's SELECT, edited
// in memory with their status, and written back by key in one update().
// Rows and columns are numbered from 1, as in the report expressions; row 0
// means "none".
class DataStore : public QObject
{
    Q_OBJECT
public:
    explicit DataStore(ReportDef def, QObject* parent = nullptr);

    const ReportDef& definition() const { return m_def; }
    void setTransObject(Transaction* transaction) { m_tr = transaction; }
    Transaction* transObject() const { return m_tr; }

    // Replaces every row with the SELECT's result; the number of rows or -1.
    long retrieve(const QVariantList& arguments = {});
    // The same, calling `progress` with the rows read so far after every
    // batch of kRetrieveBatch rows; when it returns false the retrieve stops,
    // leaves the store empty and returns -1 with wasCancelled() true.
    static constexpr long kRetrieveBatch = 1000;
    long retrieve(const QVariantList& arguments, const std::function<bool(long rowsRead)>& progress);
    bool wasCancelled() const { return m_cancelled; }
    // Replaces every row with the rows `read` hands to its argument, as if
    // retrieved (the same columns, in the order of the definition's SELECT),
    // for rows kept in memory elsewhere. `read` returns 0, or -1 with the
    // reason in the transaction; the number of rows or -1.
    using RowSink = std::function<bool(const ResultRow& row)>;
    long retrieveFrom(const std::function<int(const RowSink& onRow)>& read);
    void reset();

    long rowCount() const { return long(m_rows.size()); }
    long deletedCount() const { return long(m_deleted.size()); }
    long modifiedCount() const;

    // Inserts an empty row before `beforeRow` (0 = append); returns its number.
    long insertRow(long beforeRow);
    bool deleteRow(long row);

    bool setItem(long row, int column, const QVariant& value);
    bool setItem(long row, const QString& column, const QVariant& value);
    QVariant getItem(long row, int column, RowBuffer buffer = RowBuffer::Primary) const;
    QVariant getItem(long row, const QString& column) const;
    // Text as shown: money formatted by the column's format, null as "".
    QString getItemString(long row, const QString& column) const;
    QString getItemString(long row, int column) const;
    Money getItemMoney(long row, const QString& column) const;

    RowStatus rowStatus(long row, RowBuffer buffer = RowBuffer::Primary) const;
    bool itemModified(long row, int column) const;

    // First row in [first, last] for which the predicate holds; 0 when none.
    long find(const std::function<bool(const DataStore&, long row)>& predicate, long first, long last) const;
    long findText(const QString& column, const QString& value, long first, long last) const;

    void setSort(QList<SortKey> keys) { m_sort = std::move(keys); }
    void sort();

    // Copies rows [start, end] of this store's buffer into `target` before
    // `beforeRow` (0 = append) as new rows; returns 1 or -1.
    int rowsCopy(long start, long end, RowBuffer source, DataStore& target, long beforeRow) const;

    // Checks every pending value against the column widths in GBK bytes; the
    // first offence as a message naming its row and the column's caption.
    std::optional<QString> validate() const;

    // Writes deletes, changes and inserts by key through the transaction,
    // without committing. 1 on success (flags reset when asked), -1 on
    // failure with every pending change kept; the reason is in errorText()
    // and in the transaction's SQLErrText.
    int update(bool resetFlags = true);
    // After a write: edited and inserted rows count as stored, deleted rows
    // are forgotten; rows inserted and never typed into stay new.
    void resetUpdate();
    QString errorText() const { return m_error; }

    Money sum(const QString& column) const;

signals:
    void aboutToReset();
    void didReset();
    void rowAboutToBeInserted(long row);
    void rowInserted(long row);
    void rowAboutToBeRemoved(long row);
    void rowRemoved(long row);
    void itemChanged(long row, int column);
    void rowsReordered();

private:
    // A row as edited: every value, the values last read or saved, and which
    // cells changed since. Rows get one only when edited or inserted.
    struct Edit
    {
        QVector<QVariant> values;
        QVector<QVariant> original;
        QVector<bool> changed; // empty = nothing changed
        bool isNew = false;
        bool modified() const;
    };
    struct Row
    {
        static constexpr quint32 kNoBase = 0xFFFFFFFF;
        quint32 base = kNoBase;     // its place in m_retrieved, if it came from there
        std::unique_ptr<Edit> edit; // null while the row is as retrieved
    };
    using Rows = std::vector<Row>;

    bool validRow(long row) const { return row >= 1 && row <= rowCount(); }
    bool validColumn(int column) const { return column >= 1 && column <= m_def.columns.size(); }
    const Rows& buffer(RowBuffer which) const { return which == RowBuffer::Primary ? m_rows : m_deleted; }
    // Columns count from 0 in these.
    QVariant value(const Row& row, int column) const;
    QVariant originalValue(const Row& row, int column) const;
    Edit& editOf(Row& row);
    QVariant normalise(int column, const QVariant& value) const;
    int failUpdate(const QString& text);
    long load(const std::function<int(const RowSink& onRow)>& read,
              const std::function<bool(long rowsRead)>& progress);
    void clearRows();

    ReportDef m_def;
    Transaction* m_tr = nullptr;
    RetrievedColumns m_retrieved;
    Rows m_rows;
    Rows m_deleted;
    QList<SortKey> m_sort;
    QString m_error;
    bool m_cancelled = false;
};

} // namespace qv
