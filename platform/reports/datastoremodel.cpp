#include "datastoremodel.h"

#include "report.h"
#include "units.h"

#include <QBrush>
#include <QSize>

namespace qv {

DataStoreModel::DataStoreModel(DataStore* store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store)
{
    const auto& columns = store->definition().columns;
    for (int c = 0; c < columns.size(); ++c)
        if (columns[c].widthUnits > 0)
            m_columns.append(c + 1);

    connect(store, &DataStore::aboutToReset, this, [this] { beginResetModel(); });
    connect(store, &DataStore::didReset, this, [this] { endResetModel(); });
    connect(store, &DataStore::rowsReordered, this, [this] {
        beginResetModel();
        endResetModel();
    });
    // Views must hear of a row before it exists, or they count it twice.
    connect(store, &DataStore::rowAboutToBeInserted, this,
            [this](long row) { beginInsertRows({}, int(row - 1), int(row - 1)); });
    connect(store, &DataStore::rowInserted, this, [this](long row) {
        endInsertRows();
        // Colours by row number shift for every row below.
        if (row < m_store->rowCount())
            emit dataChanged(index(int(row), 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::BackgroundRole});
    });
    connect(store, &DataStore::rowAboutToBeRemoved, this,
            [this](long row) { beginRemoveRows({}, int(row - 1), int(row - 1)); });
    connect(store, &DataStore::rowRemoved, this, [this](long row) {
        endRemoveRows();
        if (row <= m_store->rowCount())
            emit dataChanged(index(int(row - 1), 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::BackgroundRole});
    });
    connect(store, &DataStore::itemChanged, this, [this](long row, int column) {
        const int vc = viewColumn(column);
        if (vc >= 0)
            emit dataChanged(index(int(row - 1), vc), index(int(row - 1), vc));
    });
}

int DataStoreModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_store->rowCount());
}

int DataStoreModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataStoreModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const long row = index.row() + 1;
    const int column = storeColumn(index.column());
    const ColumnDef& def = m_store->definition().columns[column - 1];
    switch (role) {
    case Qt::DisplayRole:
        return cellText(*m_store, row, column);
    case Qt::EditRole: {
        const QVariant v = m_store->getItem(row, column);
        if (def.type == ColumnType::Money)
            return m_store->getItemString(row, column);
        return v.isNull() ? QString() : v;
    }
    case Qt::BackgroundRole:
        if (m_store->definition().rowColor)
            return QBrush(m_store->definition().rowColor(*m_store, row));
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(def.alignment);
    default:
        return {};
    }
}

bool DataStoreModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const int column = storeColumn(index.column());
    const ColumnDef& def = m_store->definition().columns[column - 1];
    QVariant stored = value;
    if (def.type == ColumnType::Money) {
        const auto money = Money::parse(value.toString());
        if (!money && !value.toString().trimmed().isEmpty())
            return false;
        stored = money ? QVariant::fromValue(*money) : QVariant();
    }
    // An emptied cell is stored as null, as a cell never typed into.
    if (stored.typeId() == QMetaType::QString && stored.toString().isEmpty())
        stored = QVariant();
    return m_store->setItem(index.row() + 1, column, stored);
}

Qt::ItemFlags DataStoreModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_store->definition().columns[storeColumn(index.column()) - 1].editable)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant DataStoreModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= m_columns.size())
        return {};
    const ColumnDef& def = m_store->definition().columns[m_columns[section] - 1];
    // No size hint: a hint without a height collapses the header; the grid
    // sets the designed widths itself.
    if (role == Qt::DisplayRole)
        return def.caption;
    return {};
}

} // namespace qv
