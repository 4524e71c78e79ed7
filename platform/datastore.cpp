#include "datastore.h"

#include "gbktext.h"
#include "transaction.h"

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

bool DataStore::Row::modified() const { return std::any_of(changed.begin(), changed.end(), [](bool b) { return b; }); }

DataStore::DataStore(ReportDef def, QObject* parent) : QObject(parent), m_def(std::move(def)) {}

QVariant DataStore::normalise(int column, const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (m_def.columns[column - 1].type) {
    case ColumnType::Money: {
        if (value.userType() == qMetaTypeId<Money>())
            return value;
        if (auto m = Money::fromVariant(value))
            return QVariant::fromValue(*m);
        return {};
    }
    case ColumnType::Integer: {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case ColumnType::Text:
    case ColumnType::Date:
        if (value.typeId() == QMetaType::QString)
            return value;
        break;
    }
    return value.toString();
}

void DataStore::reset()
{
    emit aboutToReset();
    m_rows.clear();
    m_deleted.clear();
    emit didReset();
}

long DataStore::retrieve(const QVariantList& arguments)
{
    m_error.clear();
    if (!m_tr) {
        m_error = QStringLiteral("没有连接数据库");
        return -1;
    }
    const auto bound = bindNamed(m_def.select, m_def.arguments, arguments);
    if (!bound) {
        m_error = QStringLiteral("%1 的检索参数与定义不符").arg(m_def.name);
        return -1;
    }
    emit aboutToReset();
    m_rows.clear();
    m_deleted.clear();
    const int n = int(m_def.columns.size());
    const int rc = m_tr->selectRows(bound->first, bound->second, [&](QVector<QVariant>&& cells) {
        Row row;
        row.values = std::move(cells);
        row.values.resize(n);
        for (int c = 0; c < n; ++c)
            row.values[c] = normalise(c + 1, row.values[c]);
        row.original = row.values;
        m_rows.append(std::move(row));
    });
    if (rc != 0) {
        m_rows.clear();
        m_error = m_tr->SQLErrText;
        emit didReset();
        return -1;
    }
    emit didReset();
    return rowCount();
}

long DataStore::modifiedCount() const
{
    return long(std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) { return r.modified(); }));
}

long DataStore::insertRow(long beforeRow)
{
    const int n = int(m_def.columns.size());
    Row row;
    row.values.resize(n);
    row.original.resize(n);
    row.isNew = true;
    const long at = (beforeRow <= 0 || beforeRow > rowCount()) ? rowCount() + 1 : beforeRow;
    emit rowAboutToBeInserted(at);
    m_rows.insert(at - 1, std::move(row));
    emit rowInserted(at);
    return at;
}

bool DataStore::deleteRow(long row)
{
    if (!validRow(row))
        return false;
    emit rowAboutToBeRemoved(row);
    Row removed = m_rows.takeAt(row - 1);
    // A row that never reached the database leaves nothing to delete there.
    if (!removed.isNew)
        m_deleted.append(std::move(removed));
    emit rowRemoved(row);
    return true;
}

bool DataStore::setItem(long row, int column, const QVariant& value)
{
    if (!validRow(row) || !validColumn(column))
        return false;
    Row& r = m_rows[row - 1];
    const QVariant v = normalise(column, value);
    const bool same = (v.isNull() && r.values[column - 1].isNull()) ||
                      (!v.isNull() && !r.values[column - 1].isNull() && v == r.values[column - 1]);
    r.values[column - 1] = v;
    if (!same) {
        // Rows carry change flags only once edited: a large retrieve stays lean.
        if (r.changed.isEmpty())
            r.changed.fill(false, m_def.columns.size());
        r.changed[column - 1] = true;
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
    const auto& rows = buffer == RowBuffer::Primary ? m_rows : m_deleted;
    if (row < 1 || row > rows.size() || !validColumn(column))
        return {};
    return rows[row - 1].values[column - 1];
}

QVariant DataStore::getItem(long row, const QString& column) const
{
    return getItem(row, m_def.columnIndex(column));
}

QString DataStore::getItemString(long row, int column) const
{
    const QVariant v = getItem(row, column);
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
    const QVariant v = getItem(row, column);
    if (v.userType() == qMetaTypeId<Money>())
        return v.value<Money>();
    return Money::fromVariant(v).value_or(Money());
}

RowStatus DataStore::rowStatus(long row, RowBuffer buffer) const
{
    const auto& rows = buffer == RowBuffer::Primary ? m_rows : m_deleted;
    if (row < 1 || row > rows.size())
        return RowStatus::NotModified;
    const Row& r = rows[row - 1];
    if (r.isNew)
        return r.modified() ? RowStatus::NewModified : RowStatus::New;
    return r.modified() ? RowStatus::DataModified : RowStatus::NotModified;
}

bool DataStore::itemModified(long row, int column) const
{
    return validRow(row) && validColumn(column) && column <= m_rows[row - 1].changed.size() &&
           m_rows[row - 1].changed[column - 1];
}

long DataStore::find(const std::function<bool(const DataStore&, long)>& predicate, long first, long last) const
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

// Texts sort in GBK byte order, which puts the common characters in pinyin
// order, the order Chinese household ledgers are read in.
int compareValues(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (a.userType() == qMetaTypeId<Money>()) {
        const auto x = a.value<Money>(), y = b.value<Money>();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (a.typeId() == QMetaType::LongLong) {
        const auto x = a.toLongLong(), y = b.toLongLong();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const auto ga = gbk::encode(a.toString()), gb = gbk::encode(b.toString());
    if (ga && gb)
        return ga->compare(*gb);
    return a.toString().compare(b.toString());
}

} // namespace

void DataStore::sort()
{
    QVector<std::pair<int, bool>> keys;
    for (const SortKey& k : m_sort)
        if (const int c = m_def.columnIndex(k.column))
            keys.append({c - 1, k.ascending});
    if (keys.isEmpty())
        return;
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& x, const Row& y) {
        for (const auto& [c, asc] : keys) {
            const int cmp = compareValues(x.values[c], y.values[c]);
            if (cmp != 0)
                return asc ? cmp < 0 : cmp > 0;
        }
        return false;
    });
    emit rowsReordered();
}

int DataStore::rowsCopy(long start, long end, RowBuffer source, DataStore& target, long beforeRow) const
{
    const auto& rows = source == RowBuffer::Primary ? m_rows : m_deleted;
    if (start < 1 || end < start || end > rows.size())
        return -1;
    long at = (beforeRow <= 0 || beforeRow > target.rowCount()) ? target.rowCount() + 1 : beforeRow;
    for (long r = start; r <= end; ++r, ++at) {
        const long inserted = target.insertRow(at);
        for (int c = 1; c <= target.m_def.columns.size(); ++c) {
            const int sc = m_def.columnIndex(target.m_def.columns[c - 1].name);
            if (sc)
                target.setItem(inserted, c, rows[r - 1].values[sc - 1]);
        }
    }
    return 1;
}

std::optional<QString> DataStore::validate() const
{
    for (const Row& row : m_rows) {
        if (!row.modified())
            continue;
        for (int c = 0; c < m_def.columns.size(); ++c) {
            const ColumnDef& col = m_def.columns[c];
            if (!row.changed[c] || col.type != ColumnType::Text || row.values[c].isNull())
                continue;
            if (auto message = gbk::checkField(row.values[c].toString(), col.gbkWidth,
                                               col.caption.isEmpty() ? col.name : col.caption))
                return message;
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
            values << row.original[k];
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
    for (const Row& row : m_rows) {
        if (!row.modified())
            continue;
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
        const QString where = whereKey(row, values);
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
    m_deleted.clear();
    for (Row& row : m_rows) {
        row.original = row.values;
        row.changed.clear();
        row.isNew = false;
    }
}

Money DataStore::sum(const QString& column) const
{
    const int c = m_def.columnIndex(column);
    Money total;
    if (!c)
        return total;
    const int moneyType = qMetaTypeId<Money>();
    for (const Row& row : m_rows) {
        const QVariant& v = row.values[c - 1];
        if (v.userType() == moneyType)
            total += *static_cast<const Money*>(v.constData());
        else if (auto m = Money::fromVariant(v))
            total += *m;
    }
    return total;
}

QString DataStore::totalText(const TotalDef& total) const
{
    const int c = m_def.columnIndex(total.column);
    if (!c)
        return {};
    const QString amount = formatMoney(m_def.columns[c - 1], sum(total.column));
    return total.label.isEmpty() ? amount : total.label + QLatin1Char(' ') + amount;
}

} // namespace qv
