#pragma once

#include "platform/output/editablewindow.h"
#include "platform/reports/reportdef.h"

#include <optional>

class QPushButton;

namespace qv {

class DataStore;
class ReportGrid;
class Transaction;

// "dw_mm": every operator of czr with code, name and password, written back
// by the code. The password is drawn as nine asterisks whatever it is.
ReportDef operatorsDefinition();

// What keeps a save of the operators from reaching the database: a new or
// changed code that is not four letters or digits, a name or password the
// login could not take (empty, blanks around a password, too wide), or no
// operator left to log in with. The message names the row and the column,
// one line for each problem; nothing when the rows may be saved.
std::optional<QString> checkOperators(const DataStore& store);

// w_czrsz, "操作人员设置": the operators in one editable grid, saved at once.
// A top-level window of its own beside the main frame.
class OperatorsWindow : public EditableWindow
{
    Q_OBJECT
public:
    explicit OperatorsWindow(Transaction& transaction, QWidget* parent = nullptr);

    ReportGrid* grid() const { return m_grid; }

protected:
    bool hasUnsavedChanges() override;
    // 退出 and the close box alike save with the exit text.
    bool saveBeforeClose() override;

private:
    void addRow();
    void deleteRow();
    void save();
    // Writes every pending change; on a refusal shows `failureText` with the
    // database's reason and keeps the changes. True when saved.
    bool writeChanges(const QString& failureText);

    Transaction& m_tr;
    ReportGrid* m_grid;    // dw_1
    QPushButton* m_add;    // cb_1
    QPushButton* m_delete; // cb_2
    QPushButton* m_save;   // cb_3
    QPushButton* m_exit;   // cb_4
};

} // namespace qv
