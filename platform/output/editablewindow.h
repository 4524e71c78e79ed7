#pragma once

#include <QWidget>

#include <functional>

namespace qv {

class DataStore;
class ReportGrid;
class Transaction;

// A window whose typed input lives only in memory until it is saved.
// Whichever way it is closed (its own exit button calling close(), its
// close box, the frame closing its sheets) the operator is asked
// "数据未保存！是否存盘?" before anything is dropped; Cancel, or a save that
// fails, keeps the window open with everything typed.
class EditableWindow : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    // Takes any edit still open into the data, then tells whether anything
    // would be lost by closing.
    virtual bool hasUnsavedChanges() = 0;
    // Saves for closing; shows its own messages. True when saved.
    virtual bool saveBeforeClose() = 0;

    void closeEvent(QCloseEvent* event) override;
};

// What a grid holds that closing would drop: the cell being typed in (taken
// into the grid first; a refused cell counts), inserted or changed rows and
// deleted rows.
bool gridHasUnsavedChanges(ReportGrid& grid);

// The buttons of an editable grid window. 增加: an empty row after the last,
// made current and scrolled to.
void appendGridRow(ReportGrid& grid);

// 删除: asks "确实删除*name*吗?" (Cancel the default), naming the current
// row by its `nameColumn`, and deletes the row on OK. Nothing without a
// current row.
void deleteGridRow(ReportGrid& grid, const QString& nameColumn);

// 保存 and the save asked for on closing: takes the open edit in (a refused
// cell has already said why), names a text too wide for its column, lets
// the window check its own rules (`check` shows its message and returns
// false to refuse), then writes every change in one transaction. A failure
// shows `failureText` with the database's reason and keeps the changes;
// success says "数据保存成功!". True when saved.
bool saveGrid(ReportGrid& grid, Transaction& transaction, const QString& failureText,
              const std::function<bool(DataStore&)>& check = {});

} // namespace qv
