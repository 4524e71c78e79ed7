#include "archivemaintenancewindow.h"

#include "statisticsreports.h"
#include "yearchoice.h"

#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"
#include "platform/widgets/sheetfit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace qv {

namespace {
// The designed size less the title bar and borders it included.
constexpr int kClientWidth = 3630 - 32;
constexpr int kClientHeight = 2296 - 132;
constexpr int kPanelWidth = 640;
} // namespace

ArchiveMaintenanceWindow::ArchiveMaintenanceWindow(Transaction& transaction, QWidget* parent)
    : EditableWindow(parent), m_tr(transaction)
{
    setObjectName(QStringLiteral("w_lsk_wh"));
    setWindowTitle(QStringLiteral("统计库维护"));
    useSongFont(this);
    resize(units::toPixels(kClientWidth, kClientHeight));

    m_grid = new ReportGrid(archiveMaintenanceDefinition(), this);
    m_grid->setObjectName(QStringLiteral("dw_1"));
    m_grid->setReadOnly(true);
    // Highlighting follows the report's own rule (one row, or all after a
    // click beside the rows), so the view selects nothing by itself.
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->viewport()->installEventFilter(this);
    m_grid->horizontalHeader()->viewport()->installEventFilter(this);

    m_frame = named<QGroupBox>(this, "gb_1");
    m_yearLabel = new QLabel(QStringLiteral("请选择年份"), this);
    m_yearLabel->setObjectName(QStringLiteral("st_1"));
    m_year = createYearList(QStringLiteral("ddlb_1"), QStringLiteral("2003"), this);
    m_yearLabel->setBuddy(m_year);

    m_query = namedButton(this, "cb_1", "查询");
    m_delete = namedButton(this, "cb_2", "删除");
    m_save = namedButton(this, "cb_4", "存盘");
    m_exit = namedButton(this, "cb_3", "退出");

    setTabOrder(m_year, m_query);
    setTabOrder(m_query, m_grid);
    setTabOrder(m_grid, m_delete);
    setTabOrder(m_delete, m_save);
    setTabOrder(m_save, m_exit);

    // Keyboard users see the row they moved to the way a click shows it.
    connect(m_grid, &ReportGrid::rowFocusChanged, this, [this](long row) {
        if (row > 0 && m_grid->hasFocus())
            highlightRow(row);
    });
    connect(m_query, &QPushButton::clicked, this, &ArchiveMaintenanceWindow::showYear);
    connect(m_delete, &QPushButton::clicked, this, &ArchiveMaintenanceWindow::deleteMonth);
    connect(m_save, &QPushButton::clicked, this, &ArchiveMaintenanceWindow::save);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);

    m_grid->setTransObject(&m_tr);

    // The grid takes what the window gains; the panel keeps to the right.
    m_grid->setGeometry(units::toPixels(37, 32, kClientWidth - kPanelWidth - 110, kClientHeight - 64));
    const int panelX = kClientWidth - kPanelWidth - 37;
    auto place = [panelX](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(units::toPixels(panelX + x, y, width, height));
    };
    place(m_frame, 0, 20, kPanelWidth, 1000);
    place(m_yearLabel, 80, 110, 480, 72);
    place(m_year, 80, 200, 480, 92);
    place(m_query, 80, 380, 480, 100);
    place(m_delete, 80, 520, 480, 100);
    place(m_save, 80, 660, 480, 100);
    place(m_exit, 80, 800, 480, 100);
    fitContents(this, m_grid);
}

bool ArchiveMaintenanceWindow::hasUnsavedChanges()
{
    return gridHasUnsavedChanges(*m_grid);
}

void ArchiveMaintenanceWindow::showYear()
{
    const auto year = checkedYear(m_year->currentText());
    if (!year)
        return;
    // A new year replaces the grid, and with it any months removed but not
    // yet saved: the operator decides what becomes of them first.
    if (!confirmUnsavedChanges(
            hasUnsavedChanges(), [this] { return save(); }, QStringLiteral("查询")))
        return;
    m_grid->retrieve({*year});
}

void ArchiveMaintenanceWindow::deleteMonth()
{
    const long row = m_grid->getRow();
    // Without a current row there is nothing to name or to delete.
    if (row == 0)
        return;
    const DataStore& store = m_grid->store();
    const QString month =
        store.getItemString(row, QStringLiteral("year")) + store.getItemString(row, QStringLiteral("mon"));
    if (messagebox(QStringLiteral("删除！"),
                   QStringLiteral("确实删除*") + month + QStringLiteral("*的数据吗?"), Icon::Question,
                   Buttons::OKCancel, 2) == 1)
        m_grid->store().deleteRow(row);
}

bool ArchiveMaintenanceWindow::save()
{
    if (saveChanges(m_grid->store(), m_tr) != 1) {
        messagebox(QStringLiteral("错误"),
                   withReason(QStringLiteral("数据保存出错,请查明原因!"), m_tr.SQLErrText), Icon::StopSign);
        return false;
    }
    messagebox(QStringLiteral("提示"), QStringLiteral("数据保存成功!"), Icon::Information);
    return true;
}

QList<long> ArchiveMaintenanceWindow::selectedRows() const
{
    QList<long> rows;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedRows())
        rows << index.row() + 1;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ArchiveMaintenanceWindow::highlightRow(long row)
{
    QItemSelectionModel* selection = m_grid->selectionModel();
    selection->clearSelection();
    QAbstractItemModel* model = m_grid->model();
    if (model->rowCount() == 0 || model->columnCount() == 0)
        return;
    const long first = row == 0 ? 0 : row - 1;
    const long last = row == 0 ? model->rowCount() - 1 : row - 1;
    selection->select(
        QItemSelection(model->index(int(first), 0), model->index(int(last), model->columnCount() - 1)),
        QItemSelectionModel::Select);
}

bool ArchiveMaintenanceWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        // A click on the header or below the last row hits no row: the
        // clicked row is then 0 (rowAt gives -1).
        if (watched == m_grid->viewport())
            highlightRow(m_grid->rowAt(int(press->position().y())) + 1);
        else if (watched == m_grid->horizontalHeader()->viewport())
            highlightRow(0);
    }
    return EditableWindow::eventFilter(watched, event);
}

} // namespace qv
