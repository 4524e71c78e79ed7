#pragma once

class QApplication;
class QWidget;

namespace qv {

// While a modal dialog runs, no other window closes: the dialog's event loop
// still has the window that opened it, and that window's data, on its stack,
// and would wake up inside a destroyed window. A close asked for then
// (through an accessibility tool that presses buttons behind the dialog) is
// refused, and the dialog is brought to the front so that the operator sees
// what holds the window. The dialog itself, what it contains, popups and
// tooltips close as usual.
void installModalCloseGuard(QApplication& app);

// Whether `widget` is `dialog` itself or lies inside it, across window
// boundaries (a box opened over the dialog lies inside it).
bool liesInside(const QWidget* widget, const QWidget* dialog);

} // namespace qv
