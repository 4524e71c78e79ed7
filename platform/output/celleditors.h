#pragma once

#include "platform/reports/reportdef.h"

#include <QLineEdit>
#include <QVariant>

#include <optional>

namespace qv {

// The editor of an amount cell: digits with an optional minus sign and at
// most two decimals, thousands separators allowed as a pasted amount has
// them. Keystrokes that could never become an amount are refused.
class MoneyLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MoneyLineEdit(QWidget* parent = nullptr);
};

// Editors of the typed cells of a grid: a DateEdit for date columns (shown
// as on the forms, stored as yyyymmdd), a MoneyLineEdit for amounts. Null
// for any other column.
QWidget* createTypedCellEditor(const ColumnDef& column, QWidget* parent);
// Puts the stored value into an editor made above; false for other editors.
bool setTypedEditorData(QWidget* editor, const QVariant& stored);
// What the editor hands to the model, or nothing when the cell is to stay as
// it was (a date that was not a date and was not touched). Only for editors
// made above.
std::optional<QVariant> typedEditorValue(QWidget* editor);
bool isTypedCellEditor(const QWidget* editor);

} // namespace qv
