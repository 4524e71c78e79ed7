#include "datastore.h"

#include "platform/core/gbktext.h"
#include "platform/database/transaction.h"

#include <QSqlRecord>

#include <algorithm>

namespace qv {

int ReportDef::columnIndex(const QString& column) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

namespace {
QString formatMoney(const ColumnDef& column, Money amount)
{
    return amount.format(column.format.isEmpty() ? QStringView(u"0.00") : QStringView(column.format));
}
} // namespace

bool DataStore::Edit::modified() const
{
    return std::any_of(changed.begin(), changed.end(), [](bool b) { return b; });
}

DataStore::DataStore(ReportDef def, QObject* parent) : QObject(parent), m_def(std::move(def))
{
    m_retrieved.reset(m_def.columns);
}

QVariant DataStore::normalise(int column, const QVariant& value) const
{
    return normaliseValue(m_def.columns[column - 1].type, value);
}

QVariant DataStore::value(const Row& row, int column) const
{
    return row.edit ? row.edit->values[column] : m_retrieved.value(row.base, column);
}

QVariant DataStore::originalValue(const Row& row, int column) const
{
    return row.edit ? row.edit->original[column] : m_retrieved.value(row.base, column);
}

DataStore::Edit& DataStore::editOf(Row& row)
{
    if (!row.edit) {
        row.edit = std::make_unique<Edit>();
        const int n = int(m_def.columns.size());
        row.edit->values.resize(n);
        if (row.base != Row::kNoBase)
            for (int c = 0; c < n; ++c)
                row.edit->values[c] = m_retrieved.value(row.base, c);
        row.edit->original = row.edit->values;
    }
    return *row.edit;
}

void DataStore::clearRows()
{
    Rows().swap(m_rows);
    Rows().swap(m_deleted);
    m_retrieved.reset(m_def.columns);
}

void DataStore::reset()
{
    emit aboutToReset();
    clearRows();
    emit didReset();
}

long DataStore::retrieve(const QVariantList& arguments)
{
    return retrieve(arguments, {});
}

long DataStore::retrieve(const QVariantList& arguments, const std::function<bool(long rowsRead)>& progress)
{
    m_error.clear();
    m_cancelled = false;
    if (!m_tr) {
        m_error = QStringLiteral("没有连接数据库");
        return -1;
    }
    const auto bound = bindNamed(m_def.select, m_def.arguments, arguments);
    if (!bound) {
        m_error = QStringLiteral("%1 的检索参数与定义不符").arg(m_def.name);
        return -1;
    }
    return load(
        [&](const RowSink& onRow) { return m_tr->selectRowsWhile(bound->first, bound->second, onRow); },
        progress);
}

long DataStore::retrieveFrom(const std::function<int(const RowSink& onRow)>& read)
{
    m_error.clear();
    m_cancelled = false;
    return load(read, {});
}

long DataStore::load(const std::function<int(const RowSink& onRow)>& read,
                     const std::function<bool(long rowsRead)>& progress)
{
    emit aboutToReset();
    clearRows();
    bool fits = true;
    // Stopping closes the cursor: the rows after it are never read.
    const int rc = read([&](const ResultRow& cells) {
        if (m_retrieved.rowCount() >= qsizetype(Row::kNoBase) || !m_retrieved.append(cells)) {
            fits = false;
            return false;
        }
        m_rows.push_back(Row{quint32(m_retrieved.rowCount() - 1), nullptr});
        if (progress && m_rows.size() % kRetrieveBatch == 0 && !progress(long(m_rows.size())))
            m_cancelled = true;
        return !m_cancelled;
    });
    if (rc != 0 || !fits || m_cancelled) {
        clearRows();
        m_error = m_cancelled ? QStringLiteral("查询已取消")
                  : rc != 0   ? (m_tr ? m_tr->SQLErrText : QString())
                            : QStringLiteral("%1 检索到的数据太多，无法全部放入内存").arg(m_def.name);
        emit didReset();
        return -1;
    }
    emit didReset();
    return rowCount();
}

long DataStore::modifiedCount() const
{
    return long(std::count_if(m_rows.begin(), m_rows.end(),
                              [](const Row& r) { return r.edit && r.edit->modified(); }));
}

long DataStore::insertRow(long beforeRow)
{
    const int n = int(m_def.columns.size());
    Row row;
    row.edit = std::make_unique<Edit>();
    row.edit->values.resize(n);
    row.edit->original.resize(n);
    row.edit->isNew = true;
    const long at = (beforeRow <= 0 || beforeRow > rowCount()) ? rowCount() + 1 : beforeRow;
    emit rowAboutToBeInserted(at);
    m_rows.insert(m_rows.begin() + (at - 1), std::move(row));
    emit rowInserted(at);
    return at;
}

bool DataStore::deleteRow(long row)
{
    if (!validRow(row))
        return false;
    emit rowAboutToBeRemoved(row);
    Row removed = std::move(m_rows[size_t(row - 1)]);
    m_rows.erase(m_rows.begin() + (row - 1));
    // A row that never reached the database leaves nothing to delete there.
    if (!(removed.edit && removed.edit->isNew))
        m_deleted.push_back(std::move(removed));
    emit rowRemoved(row);
    return true;
}

bool DataStore::setItem(long row, int column, const QVariant& value)
{
    if (!validRow(row) || !validColumn(column))
        return false;
    Row& r = m_rows[size_t(row - 1)];
    const QVariant v = normalise(column, value);
    const QVariant current = this->value(r, column - 1);
    const bool same = (v.isNull() && current.isNull()) || (!v.isNull() && !current.isNull() && v == current);
    if (!same) {
        // Rows carry their values and change flags apart from the retrieved
        // columns only once edited: a large retrieve stays lean.
        Edit& e = editOf(r);
        e.values[column - 1] = v;
        if (e.changed.isEmpty())
            e.changed.fill(false, m_def.columns.size());
        e.changed[column - 1] = true;
    } else if (r.edit) {
        r.edit->values[column - 1] = v;
    }
    emit itemChanged(row, column);
    return true;
}

bool DataStore::setItem(long row, const QString& column, const QVariant& value)
{
    return setItem(row, m_def.columnIndex(column), value);
}

QVariant DataStore::getItem(long row, int column, RowBuffer buffer) const
{
    const Rows& rows = this->buffer(buffer);
    if (row < 1 || row > long(rows.size()) || !validColumn(column))
        return {};
    return value(rows[size_t(row - 1)], column - 1);
}

QVariant DataStore::getItem(long row, const QString& column) const
{
    return getItem(row, m_def.columnIndex(column));
}

QString DataStore::getItemString(long row, int column) const
{
    if (!validRow(row) || !validColumn(column))
        return {};
    const Row& r = m_rows[size_t(row - 1)];
    // Texts straight from the retrieved bytes, without a QVariant between;
    // null stays a null QString, which binds as NULL again.
    if (!r.edit && m_retrieved.isText(column - 1)) {
        const TextColumn& texts = m_retrieved.texts(column - 1);
        return texts.isNull(r.base) ? QString() : texts.text(r.base);
    }
    const QVariant v = value(r, column - 1);
    if (v.isNull())
        return {};
    if (v.userType() == qMetaTypeId<Money>())
        return formatMoney(m_def.columns[column - 1], v.value<Money>());
    return v.toString();
}

QString DataStore::getItemString(long row, const QString& column) const
{
    return getItemString(row, m_def.columnIndex(column));
}

Money DataStore::getItemMoney(long row, const QString& column) const
{
    const int c = m_def.columnIndex(column);
    if (validRow(row) && c && !m_rows[size_t(row - 1)].edit &&
        m_def.columns[c - 1].type == ColumnType::Money) {
        const Row& r = m_rows[size_t(row - 1)];
        const NumberColumn& cents = m_retrieved.numbers(c - 1);
        return cents.isNull(r.base) ? Money() : Money::fromCents(cents.value(r.base));
    }
    const QVariant v = getItem(row, c);
    if (v.userType() == qMetaTypeId<Money>())
        return v.value<Money>();
    return Money::fromVariant(v).value_or(Money());
}

RowStatus DataStore::rowStatus(long row, RowBuffer buffer) const
{
    const Rows& rows = this->buffer(buffer);
    if (row < 1 || row > long(rows.size()) || !rows[size_t(row - 1)].edit)
        return RowStatus::NotModified;
    const Edit& e = *rows[size_t(row - 1)].edit;
    if (e.isNew)
        return e.modified() ? RowStatus::NewModified : RowStatus::New;
    return e.modified() ? RowStatus::DataModified : RowStatus::NotModified;
}

bool DataStore::itemModified(long row, int column) const
{
    if (!validRow(row) || !validColumn(column) || !m_rows[size_t(row - 1)].edit)
        return false;
    const Edit& e = *m_rows[size_t(row - 1)].edit;
    return column <= e.changed.size() && e.changed[column - 1];
}

long DataStore::find(const std::function<bool(const DataStore&, long)>& predicate, long first,
                     long last) const
{
    first = std::max(1L, first);
    last = std::min(last, rowCount());
    for (long r = first; r <= last; ++r)
        if (predicate(*this, r))
            return r;
    return 0;
}

long DataStore::findText(const QString& column, const QString& value, long first, long last) const
{
    const int c = m_def.columnIndex(column);
    if (!c)
        return 0;
    return find([&](const DataStore& ds, long r) { return ds.getItemString(r, c) == value; }, first, last);
}

namespace {

// One sort column's key for every row: nulls first, then the values in
// order; texts as their rank in GBK order.
struct RowKeys
{
    std::vector<qint64> key;
    std::vector<bool> isNull;
    bool ascending = true;

    int compare(quint32 a, quint32 b) const
    {
        if (isNull[a] || isNull[b])
            return isNull[a] == isNull[b] ? 0 : (isNull[a] ? -1 : 1);
        return key[a] < key[b] ? -1 : (key[b] < key[a] ? 1 : 0);
    }
};

} // namespace

void DataStore::sort()
{
    std::vector<RowKeys> keys;
    const size_t n = m_rows.size();
    for (const SortKey& k : m_sort) {
        const int c = m_def.columnIndex(k.column) - 1;
        if (c < 0)
            continue;
        RowKeys& keyed = keys.emplace_back();
        keyed.ascending = k.ascending;
        keyed.key.resize(n);
        keyed.isNull.resize(n);
        const bool text =
            m_def.columns[c].type == ColumnType::Text || m_def.columns[c].type == ColumnType::Date;
        if (!text) {
            for (size_t i = 0; i < n; ++i) {
                const QVariant v = value(m_rows[i], c);
                keyed.isNull[i] = v.isNull();
                if (v.isNull())
                    continue;
                keyed.key[i] =
                    v.userType() == qMetaTypeId<Money>() ? v.value<Money>().cents() : v.toLongLong();
            }
            continue;
        }
        // Every distinct retrieved text is encoded once; edited values after them.
        TextOrder order;
        const TextColumn& retrieved = m_retrieved.texts(c);
        for (quint32 e = 0; e < retrieved.entryCount(); ++e)
            order.addUtf8(retrieved.entry(e));
        std::vector<quint32> item(n);
        for (size_t i = 0; i < n; ++i) {
            const Row& r = m_rows[i];
            if (r.edit) {
                const QVariant& v = r.edit->values[c];
                keyed.isNull[i] = v.isNull();
                if (!v.isNull())
                    item[i] = order.addText(v.toString());
            } else {
                keyed.isNull[i] = retrieved.isNull(r.base);
                item[i] = retrieved.code(r.base);
            }
        }
        const std::vector<quint32> rank = order.ranks();
        for (size_t i = 0; i < n; ++i)
            if (!keyed.isNull[i])
                keyed.key[i] = rank[item[i]];
    }
    if (keys.empty())
        return;
    std::vector<quint32> order(n);
    for (quint32 i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        for (const RowKeys& k : keys) {
            const int cmp = k.compare(a, b);
            if (cmp != 0)
                return k.ascending ? cmp < 0 : cmp > 0;
        }
        return false;
    });
    Rows sorted;
    sorted.reserve(n);
    for (const quint32 i : order)
        sorted.push_back(std::move(m_rows[i]));
    m_rows.swap(sorted);
    emit rowsReordered();
}

int DataStore::rowsCopy(long start, long end, RowBuffer source, DataStore& target, long beforeRow) const
{
    const Rows& rows = buffer(source);
    if (start < 1 || end < start || end > long(rows.size()))
        return -1;
    QList<int> sourceColumns; // per target column, 0 = none here
    for (const ColumnDef& column : target.m_def.columns)
        sourceColumns << m_def.columnIndex(column.name);
    // Copying within one store inserts into the rows being read: take the
    // values first.
    QList<QVector<QVariant>> copied;
    for (long r = start; r <= end; ++r) {
        QVector<QVariant> values;
        for (const int sc : sourceColumns)
            values << (sc ? value(rows[size_t(r - 1)], sc - 1) : QVariant());
        copied << values;
    }
    long at = (beforeRow <= 0 || beforeRow > target.rowCount()) ? target.rowCount() + 1 : beforeRow;
    for (const QVector<QVariant>& values : copied) {
        const long inserted = target.insertRow(at++);
        for (int c = 1; c <= values.size(); ++c)
            if (sourceColumns[c - 1])
                target.setItem(inserted, c, values[c - 1]);
    }
    return 1;
}

std::optional<QString> DataStore::validate() const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const Row& r = m_rows[i];
        if (!r.edit || !r.edit->modified())
            continue;
        const Edit& row = *r.edit;
        for (int c = 0; c < m_def.columns.size(); ++c) {
            const ColumnDef& col = m_def.columns[c];
            if (!row.changed[c] || col.type != ColumnType::Text || row.values[c].isNull())
                continue;
            // Named with its row: in a grid of many rows the field alone
            // does not say where to look.
            if (auto message = gbk::checkField(row.values[c].toString(), col.gbkWidth,
                                               col.caption.isEmpty() ? col.name : col.caption))
                return QStringLiteral("第%1行：%2").arg(i + 1).arg(*message);
        }
    }
    return std::nullopt;
}

int DataStore::failUpdate(const QString& text)
{
    m_error = text;
    return -1;
}

int DataStore::update(bool resetFlags)
{
    m_error.clear();
    if (!m_tr)
        return failUpdate(QStringLiteral("没有连接数据库"));
    if (m_def.updateTable.isEmpty() || m_def.keyColumns.isEmpty())
        return failUpdate(QStringLiteral("%1 不能写回数据库").arg(m_def.name));
    if (auto message = validate()) {
        m_tr->SQLCode = -1;
        m_tr->SQLErrText = *message;
        return failUpdate(*message);
    }

    QVector<int> keys;
    for (const QString& k : m_def.keyColumns)
        keys.append(m_def.columnIndex(k) - 1);

    auto whereKey = [&](const Row& row, QVariantList& values) {
        QStringList parts;
        for (int k : keys) {
            parts << m_def.columns[k].name + QStringLiteral(" = ?");
            values << originalValue(row, k);
        }
        return parts.join(QStringLiteral(" AND "));
    };
    auto run = [&](const QString& sql, const QVariantList& values, bool mustHitOne) {
        if (m_tr->execute(sql, values) != 0)
            return failUpdate(m_tr->SQLErrText);
        // A row changed or removed by someone else since it was read must not
        // pass as saved.
        if (mustHitOne && m_tr->SQLNRows == 0) {
            m_tr->SQLCode = -1;
            m_tr->SQLErrText = QStringLiteral("要修改的记录已不在数据库中，请重新检索");
            return failUpdate(m_tr->SQLErrText);
        }
        return 1;
    };

    for (const Row& row : m_deleted) {
        QVariantList values;
        const QString where = whereKey(row, values);
        if (run(QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_def.updateTable, where), values, true) != 1)
            return -1;
    }
    for (const Row& r : m_rows) {
        if (!r.edit || !r.edit->modified())
            continue;
        const Edit& row = *r.edit;
        QStringList columns;
        QVariantList values;
        if (row.isNew) {
            QStringList marks;
            for (int c = 0; c < m_def.columns.size(); ++c) {
                if (!m_def.columns[c].updatable)
                    continue;
                columns << m_def.columns[c].name;
                marks << QStringLiteral("?");
                values << row.values[c];
            }
            if (run(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(m_def.updateTable, columns.join(u','), marks.join(u',')),
                    values, false) != 1)
                return -1;
            continue;
        }
        for (int c = 0; c < m_def.columns.size(); ++c) {
            if (!m_def.columns[c].updatable || !row.changed[c])
                continue;
            columns << m_def.columns[c].name + QStringLiteral(" = ?");
            values << row.values[c];
        }
        if (columns.isEmpty())
            continue;
        const QString where = whereKey(r, values);
        if (run(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(m_def.updateTable, columns.join(u','), where),
                values, true) != 1)
            return -1;
    }
    if (resetFlags)
        resetUpdate();
    return 1;
}

int saveChanges(DataStore& store, Transaction& transaction)
{
    if (store.update(false) != 1) {
        const QString text = transaction.SQLErrText;
        transaction.rollback();
        transaction.SQLCode = -1;
        transaction.SQLErrText = text;
        return -1;
    }
    if (!transaction.commit()) {
        const QString text = transaction.SQLErrText;
        transaction.rollback();
        transaction.SQLCode = -1;
        transaction.SQLErrText = text;
        return -1;
    }
    store.resetUpdate();
    return 1;
}

void DataStore::resetUpdate()
{
    Rows().swap(m_deleted);
    for (Row& row : m_rows) {
        // A new row nobody typed into was not inserted: it stays new, so that
        // what is typed into it later is inserted, not updated by a key the
        // database never had.
        if (!row.edit || (row.edit->isNew && !row.edit->modified()))
            continue;
        row.edit->original = row.edit->values;
        row.edit->changed.clear();
        row.edit->isNew = false;
    }
}

Money DataStore::sum(const QString& column) const
{
    const int c = m_def.columnIndex(column);
    Money total;
    if (!c)
        return total;
    const int moneyType = qMetaTypeId<Money>();
    const bool cents = m_def.columns[c - 1].type == ColumnType::Money;
    for (const Row& row : m_rows) {
        if (!row.edit && cents) {
            const NumberColumn& amounts = m_retrieved.numbers(c - 1);
            if (!amounts.isNull(row.base))
                total += Money::fromCents(amounts.value(row.base));
            continue;
        }
        const QVariant v = value(row, c - 1);
        if (v.userType() == moneyType)
            total += *static_cast<const Money*>(v.constData());
        else if (auto m = Money::fromVariant(v))
            total += *m;
    }
    return total;
}

} // namespace qv
