#include "recordswindow.h"

#include "data/contactpicker.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/output/exportbutton.h"
#include "platform/output/printing.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"
#include "platform/reports/report.h"
#include "platform/reports/reportexport.h"
#include "platform/reports/units.h"
#include "platform/widgets/dateedit.h"
#include "platform/widgets/named.h"
#include "platform/widgets/sheetfit.h"

#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>

namespace qv {

namespace {

// The window as designed, less a title bar and borders.
constexpr int kClientWidth = 3630 - 32;
constexpr int kClientHeight = 2296 - 132;
constexpr QRect kGrid(50, 160, 3490, 1800);

const QString kReceived = QStringLiteral("收情");
const QString kGiven = QStringLiteral("送情");

// Written back to rqwlb when changed.
ColumnDef editable(ColumnDef column)
{
    column.editable = true;
    column.updatable = true;
    return column;
}

const QString kDateFormat = QStringLiteral("yyyy年mm月dd日");

} // namespace

ReportDef recordsDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dw_jlk_wh");
    def.title = QStringLiteral("记录库维护");
    def.select = QStringLiteral("SELECT xtbh, xm, lx, dx, sy, wp, je, sj, sq FROM rqwlb "
                                "WHERE xm = :s_xm AND sq BETWEEN :s_d1 AND :s_d2");
    def.arguments = {QStringLiteral("s_xm"), QStringLiteral("s_d1"), QStringLiteral("s_d2")};

    // Only the two kinds the ledger knows can be chosen.
    ColumnDef lx = editable(textColumn(QStringLiteral("lx"), QStringLiteral("类别"), 230, 4));
    lx.codeTable = {{kReceived, kReceived}, {kGiven, kGiven}};

    // The record number is the key; it is shown, never typed.
    def.columns = {
        textColumn(QStringLiteral("xtbh"), QStringLiteral("系统编号"), 420, 12),
        editable(textColumn(QStringLiteral("xm"), QStringLiteral("姓名"), 250, 16)),
        lx,
        editable(textColumn(QStringLiteral("dx"), QStringLiteral("对象"), 200, 10)),
        editable(textColumn(QStringLiteral("sy"), QStringLiteral("事由"), 200, 10)),
        editable(textColumn(QStringLiteral("wp"), QStringLiteral("等价物品"), 300, 16)),
        editable(
            moneyColumn(QStringLiteral("je"), QStringLiteral("收/送情金额"), 330, QStringLiteral("0.00"))),
        editable(dateColumn(QStringLiteral("sj"), QStringLiteral("发生时间"), 470, kDateFormat)),
        editable(dateColumn(QStringLiteral("sq"), QStringLiteral("收/送情时间"), 470, kDateFormat)),
    };
    def.updateTable = QStringLiteral("rqwlb");
    def.keyColumns = {QStringLiteral("xtbh")};
    def.rowColor = rowcolors::alternating(QColor(180, 255, 200), QColor(255, 255, 255));
    // "共计：" under the goods, the balance under the amounts, "元" after it.
    TotalDef label;
    label.column = QStringLiteral("wp");
    label.label = QStringLiteral("共计：");
    label.kind = TotalKind::Text;
    TotalDef balance;
    balance.column = QStringLiteral("je");
    balance.format = QStringLiteral("0.00");
    TotalDef unit;
    unit.column = QStringLiteral("sj");
    unit.label = QStringLiteral("元");
    unit.kind = TotalKind::Text;
    unit.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    def.totals = {label, balance, unit};
    return def;
}

Money signedForKind(const QString& kind, Money amount)
{
    const Money size = amount < Money() ? -amount : amount;
    if (kind == kReceived)
        return size;
    if (kind == kGiven)
        return -size;
    return amount;
}

std::optional<QString> checkRecords(const DataStore& store)
{
    for (long row = 1; row <= store.rowCount(); ++row) {
        if (store.rowStatus(row) == RowStatus::NotModified)
            continue;
        if (store.getItemString(row, QStringLiteral("xm")).trimmed().isEmpty())
            return QStringLiteral("“姓名”不能为空：第%1行。").arg(row);
        if (store.getItem(row, QStringLiteral("je")).isNull() ||
            store.getItemMoney(row, QStringLiteral("je")).isZero())
            return QStringLiteral("“收/送情金额”不能为零：第%1行。").arg(row);
    }
    return std::nullopt;
}

RecordsWindow::RecordsWindow(Transaction& transaction, QWidget* parent)
    : EditableWindow(parent), m_tr(transaction)
{
    setObjectName(QStringLiteral("w_jlk_wh"));
    setWindowTitle(QStringLiteral("记录库维护"));
    setWindowIcon(QIcon(QDir::current().filePath(QStringLiteral("rqwl.ico"))));
    QFont f = font();
    f.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
    f.setPointSize(9);
    setFont(f);
    resize(units::toPixels(kClientWidth, kClientHeight));

    m_nameLabel = namedLabel(this, "st_1", "请输入姓名：");
    m_name = named<QLineEdit>(this, "sle_1");
    m_periodLabel = namedLabel(this, "st_2", "收/送情日期    从");
    m_from = named<DateEdit>(this, "em_1");
    m_toLabel = namedLabel(this, "st_3", "至");
    m_to = named<DateEdit>(this, "em_2");
    m_query = namedButton(this, "cb_1", "查询");
    m_exit = namedButton(this, "cb_3", "退出");

    m_grid = new ReportGrid(recordsDefinition(), this);
    m_grid->setObjectName(QStringLiteral("dw_1"));
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_grid->setTotalsVisible(true);
    m_grid->viewport()->installEventFilter(this);

    m_delete = namedButton(this, "cb_2", "删除");
    m_save = namedButton(this, "cb_4", "存盘");
    m_print = namedButton(this, "cb_5", "打印");
    m_export = addExportButton(m_print, [this] { return tableFromStore(m_grid->store()); });

    // Created last so that the list it drops over the grid stays on top.
    m_picker = new ContactPicker(m_name, m_tr, this, QRect(360, 120, 822, 600));
    m_picker->grid()->setObjectName(QStringLiteral("dw_2"));

    setTabOrder(m_name, m_from);
    setTabOrder(m_from, m_to);
    setTabOrder(m_to, m_query);
    setTabOrder(m_query, m_exit);
    setTabOrder(m_exit, m_grid);
    setTabOrder(m_grid, m_delete);
    setTabOrder(m_delete, m_save);
    setTabOrder(m_save, m_print);
    setTabOrder(m_print, m_export);

    connect(m_picker, &ContactPicker::picked, this, [this](const PickedContact& contact) {
        m_name->setText(contact.xm);
        focusFieldAfter(m_name);
    });
    connect(m_query, &QPushButton::clicked, this, [this] { list(); });
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_delete, &QPushButton::clicked, this, &RecordsWindow::deleteRow);
    connect(m_save, &QPushButton::clicked, this, [this] { save(); });
    connect(m_print, &QPushButton::clicked, this, &RecordsWindow::print);
    connect(m_grid, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { highlightRow(index.row() + 1); });
    connect(m_grid, &ReportGrid::itemChanged, this,
            [this](long row, const QString& column, const QVariant&) { keepSign(row, column); });

    // Captions and names in today's CJK faces make the columns wider than
    // designed; the window is as much wider as they need, so that at its
    // designed size it shows every column beside a long list's scroll bar.
    auto place = [](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(units::toPixels(x, y, width, height));
    };
    place(m_nameLabel, 50, 44, 310, 64);
    place(m_name, 360, 32, 500, 84);
    place(m_periodLabel, 920, 44, 480, 64);
    place(m_from, 1400, 32, 520, 84);
    place(m_toLabel, 1950, 44, 80, 64);
    place(m_to, 2030, 32, 520, 84);
    place(m_query, 2640, 28, 320, 92);
    place(m_exit, 3000, 28, 320, 92);
    m_grid->setGeometry(units::toPixels(kGrid));
    int x = 1820;
    for (QPushButton* b : {m_delete, m_save, m_print, m_export}) {
        place(b, x, 2010, 320, 92);
        x += 380;
    }
    const int lacking = m_grid->widthShowingAllColumns() - m_grid->width();
    if (lacking > 0) {
        resize(width() + lacking, height());
        m_grid->resize(m_grid->width() + lacking, m_grid->height());
    }
    fitContents(this, m_grid);

    // Open: bound, today in both date fields, nothing listed yet.
    m_grid->setTransObject(&m_tr);
    m_from->setDate(QDate::currentDate());
    m_to->setDate(QDate::currentDate());
}

bool RecordsWindow::hasUnsavedChanges()
{
    return gridHasUnsavedChanges(*m_grid);
}

bool RecordsWindow::list()
{
    // A new list would drop what is pending: the same question as on closing.
    if (!confirmUnsavedChanges(
            hasUnsavedChanges(), [this] { return save(); }, QStringLiteral("查询")))
        return false;
    m_grid->retrieve({m_name->text().trimmed(), m_from->storedText(), m_to->storedText()});
    return true;
}

// The kind decides the sign: whatever size the operator types, and whichever
// way the kind is changed, a given gift stays negative and a received one
// positive, so the balance of every listing and statistic stays right.
void RecordsWindow::keepSign(long row, const QString& column)
{
    if (column != u"je" && column != u"lx")
        return;
    DataStore& store = m_grid->store();
    const QVariant amount = store.getItem(row, QStringLiteral("je"));
    if (amount.isNull())
        return;
    const Money stored = store.getItemMoney(row, QStringLiteral("je"));
    const Money wanted = signedForKind(store.getItemString(row, QStringLiteral("lx")), stored);
    if (wanted != stored)
        store.setItem(row, QStringLiteral("je"), QVariant::fromValue(wanted));
}

void RecordsWindow::highlightRow(long row)
{
    QItemSelectionModel* selection = m_grid->selectionModel();
    const QAbstractItemModel* model = m_grid->model();
    if (model->rowCount() == 0 || model->columnCount() == 0) {
        selection->clearSelection();
        return;
    }
    const int first = row > 0 ? int(row - 1) : 0;
    const int last = row > 0 ? int(row - 1) : model->rowCount() - 1;
    const QItemSelection rows(model->index(first, 0), model->index(last, model->columnCount() - 1));
    selection->select(rows, QItemSelectionModel::ClearAndSelect);
}

// A click below the last row hits no row: the clicked row is 0, and row 0
// stands for every row.
bool RecordsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // After the view has handled the release, which clears the selection.
        if (!m_grid->indexAt(mouse->position().toPoint()).isValid())
            QTimer::singleShot(0, this, [this] { highlightRow(0); });
    }
    return EditableWindow::eventFilter(watched, event);
}

void RecordsWindow::deleteRow()
{
    const long row = m_grid->getRow();
    if (row == 0)
        return;
    const DataStore& store = m_grid->store();
    const QString question =
        QStringLiteral("确实删除*") + store.getItemString(row, QStringLiteral("lx")) +
        store.getItemString(row, QStringLiteral("xm")) + store.getItemString(row, QStringLiteral("dx")) +
        store.getItemString(row, QStringLiteral("sy")) +
        store.getItemMoney(row, QStringLiteral("je")).format(u"000.00") + QStringLiteral("*吗?");
    if (messagebox(QStringLiteral("删除！"), question, Icon::Question, Buttons::OKCancel, 2) == 1)
        m_grid->store().deleteRow(row);
}

bool RecordsWindow::save()
{
    // A cell the grid refused has been named already.
    if (m_grid->acceptText() != 1)
        return false;
    DataStore& store = m_grid->store();
    for (const auto& message : {store.validate(), checkRecords(store)}) {
        if (message) {
            messagebox(QStringLiteral("错误"), *message, Icon::StopSign);
            return false;
        }
    }
    if (saveChanges(store, m_tr) != 1) {
        messagebox(QStringLiteral("错误"),
                   withReason(QStringLiteral("数据保存出错,请查明原因!"), m_tr.SQLErrText), Icon::StopSign);
        return false;
    }
    messagebox(QStringLiteral("提示"), QStringLiteral("数据保存成功!"), Icon::Information);
    return true;
}

void RecordsWindow::print()
{
    m_grid->acceptText();
    printPreview(m_grid->store(), this, heading());
}

// The person and the period of the list, printed above it.
PrintHeading RecordsWindow::heading() const
{
    const QString format = DateEdit::displayFormat();
    return {QString(),
            {QStringLiteral("姓名：") + m_name->text().trimmed(),
             QStringLiteral("日期：") + m_from->date().toString(format) + QStringLiteral(" 至 ") +
                 m_to->date().toString(format)}};
}

} // namespace qv
