#include "editablewindow.h"

#include "messagebox.h"
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

} // namespace qv
