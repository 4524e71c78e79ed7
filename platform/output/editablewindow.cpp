#include "editablewindow.h"

#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/reports/datastore.h"
#include "reportgrid.h"

#include <QCloseEvent>

namespace qv {

void EditableWindow::closeEvent(QCloseEvent* event)
{
    if (confirmUnsavedChanges(hasUnsavedChanges(), [this] { return saveBeforeClose(); })) {
        event->accept();
        return;
    }
    event->ignore();
}

bool gridHasUnsavedChanges(ReportGrid& grid)
{
    if (grid.acceptText() != 1)
        return true;
    const DataStore& store = grid.store();
    return store.deletedCount() > 0 || store.modifiedCount() > 0;
}

void appendGridRow(ReportGrid& grid)
{
    const long n = grid.rowCount();
    grid.store().insertRow(0);
    grid.setRow(n + 1);
    grid.scrollToRow(grid.getRow());
}

void deleteGridRow(ReportGrid& grid, const QString& nameColumn)
{
    const long row = grid.getRow();
    // Without a current row there is nothing to name or to delete.
    if (row == 0)
        return;
    const QString name = grid.store().getItemString(row, nameColumn);
    if (messagebox(QStringLiteral("删除！"), QStringLiteral("确实删除*") + name + QStringLiteral("*吗?"),
                   Icon::Question, Buttons::OKCancel, 2) == 1)
        grid.store().deleteRow(row);
}

bool saveGrid(ReportGrid& grid, Transaction& transaction, const QString& failureText,
              const std::function<bool(DataStore&)>& check)
{
    if (grid.acceptText() != 1)
        return false;
    DataStore& store = grid.store();
    // A text too wide for its column is named to the operator instead of the
    // general failure text, which would send them looking for duplicates.
    if (auto message = store.validate()) {
        messagebox(QStringLiteral("错误"), *message, Icon::StopSign);
        return false;
    }
    if (check && !check(store))
        return false;
    if (saveChanges(store, transaction) != 1) {
        messagebox(QStringLiteral("错误"), withReason(failureText, transaction.SQLErrText), Icon::StopSign);
        return false;
    }
    messagebox(QStringLiteral("提示"), QStringLiteral("数据保存成功!"), Icon::Information);
    return true;
}

} // namespace qv
