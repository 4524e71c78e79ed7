#pragma once

#include "datastore.h"

#include <QAbstractTableModel>

namespace qv {

// Shows a DataStore to Qt's item views: one view column per definition
// column with a non-zero on-screen width, headers from the captions, the
// code tables' display values, the row colours of the definition. Edits go
// through setItem so that the store keeps its row status.
class DataStoreModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DataStoreModel(DataStore* store, QObject* parent = nullptr);

    DataStore* store() const { return m_store; }
    // Definition column (1-based) behind a view column, and back (-1 = hidden).
    int storeColumn(int viewColumn) const { return m_columns.value(viewColumn, 0); }
    int viewColumn(int storeColumn) const { return int(m_columns.indexOf(storeColumn)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    DataStore* m_store;
    QList<int> m_columns;
};

} // namespace qv
