#pragma once

#include <QWidget>

namespace qv {

class ReportGrid;

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

} // namespace qv
