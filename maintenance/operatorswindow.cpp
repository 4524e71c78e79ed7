#include "operatorswindow.h"

#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"
#include "platform/reports/report.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"
#include "platform/widgets/sheetfit.h"
#include "platform/widgets/songfont.h"

#include <QDir>
#include <QPushButton>

#include <algorithm>

namespace qv {

namespace {

// The window as designed, less a title bar and borders.
constexpr int kClientWidth = 1262 - 32;
constexpr int kClientHeight = 1104 - 132;
constexpr int kCodeWidth = 4;

// A text column of czr, typed into and written back.
ColumnDef operatorColumn(const char* name, const char* caption, int gbkWidth, int widthUnits)
{
    return editableColumn(
        textColumn(QString::fromLatin1(name), QString::fromUtf8(caption), widthUnits, gbkWidth));
}

// A row the operator appended and never typed into is not an operator.
bool counts(const DataStore& store, long row)
{
    return store.rowStatus(row) != RowStatus::New;
}

} // namespace

ReportDef operatorsDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dw_mm");
    def.title = QStringLiteral("操作人员");
    def.select = QStringLiteral("SELECT ' ' AS compute_0001, code, name, password FROM czr");

    // The narrow unlabelled first column only gives the rows a margin.
    const ColumnDef blank = textColumn(QStringLiteral("compute_0001"), {}, 60);
    ColumnDef password = operatorColumn("password", "密码", 10, 300);
    password.format = QStringLiteral("*********");
    def.columns = {blank, operatorColumn("code", "代码", kCodeWidth, 200),
                   operatorColumn("name", "姓名", 10, 300), password};
    def.updateTable = QStringLiteral("czr");
    def.keyColumns = {QStringLiteral("code")};
    return def;
}

std::optional<QString> checkOperators(const DataStore& store)
{
    const ReportDef& def = store.definition();
    const int code = def.columnIndex(QStringLiteral("code"));
    const int name = def.columnIndex(QStringLiteral("name"));
    const int password = def.columnIndex(QStringLiteral("password"));
    long operators = 0;
    QStringList problems;
    for (long row = 1; row <= store.rowCount(); ++row) {
        if (!counts(store, row))
            continue;
        ++operators;
        // What is already stored is left as it is (another program may have
        // written a code such as "01"); only what is being written must be
        // something the login can take.
        const bool isNew = store.rowStatus(row) == RowStatus::NewModified;
        auto written = [&](int column) { return isNew || store.itemModified(row, column); };
        const QString at = QStringLiteral("第%1行").arg(row);
        if (written(code)) {
            const QString value = store.getItemString(row, code);
            const bool plain = std::all_of(value.begin(), value.end(),
                                           [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); });
            if (value.size() != kCodeWidth || !plain)
                problems << QStringLiteral("“代码”必须是%1个字母或数字（例如 7063）：%2的代码是“%3”。")
                                .arg(kCodeWidth)
                                .arg(at, value);
        }
        // The login refuses an operator without a name. Widths are the
        // store's to check, before this.
        if (written(name)) {
            const QString value = store.getItemString(row, name);
            if (value.trimmed().isEmpty())
                problems << QStringLiteral("%1的“姓名”是空的：没有姓名的操作人员不能登录。").arg(at);
        }
        // The login takes the typed password without its outer blanks and
        // refuses an empty one: such a password could never be typed again.
        if (written(password)) {
            const QString value = store.getItemString(row, password);
            if (value.isEmpty())
                problems << QStringLiteral("%1的“密码”是空的：登录时不能用空密码。").arg(at);
            else if (value.trimmed() != value)
                problems << QStringLiteral(
                                "%1的“密码”开头或结尾有空格：登录时空格会被去掉，这个密码将无法登录。")
                                .arg(at);
        }
    }
    if (!problems.isEmpty())
        return problems.join(u'\n');
    // Without an operator nobody could log in again.
    if (operators == 0)
        return QStringLiteral("至少要保留一个操作人员");
    return std::nullopt;
}

OperatorsWindow::OperatorsWindow(Transaction& transaction, QWidget* parent)
    : EditableWindow(parent), m_tr(transaction)
{
    setObjectName(QStringLiteral("w_czrsz"));
    setWindowTitle(QStringLiteral("操作人员设置"));
    setWindowIcon(QIcon(QDir::current().filePath(QStringLiteral("rqwl.ico"))));
    resize(units::toPixels(kClientWidth, kClientHeight));

    m_grid = new ReportGrid(operatorsDefinition(), this);
    m_grid->setObjectName(QStringLiteral("dw_1"));

    const QFont song = songFont(font());
    auto button = [this, &song](const char* name, const char* text) {
        auto* b = namedButton(this, name, QString::fromUtf8(text));
        b->setFont(song);
        return b;
    };
    m_add = button("cb_1", "增加");
    m_delete = button("cb_2", "删除");
    m_save = button("cb_3", "保存");
    m_exit = button("cb_4", "退出");
    setTabOrder(m_grid, m_add);
    setTabOrder(m_add, m_delete);
    setTabOrder(m_delete, m_save);
    setTabOrder(m_save, m_exit);

    connect(m_add, &QPushButton::clicked, this, &OperatorsWindow::addRow);
    connect(m_delete, &QPushButton::clicked, this, &OperatorsWindow::deleteRow);
    connect(m_save, &QPushButton::clicked, this, &OperatorsWindow::save);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);

    m_grid->setTransObject(&m_tr);
    m_grid->retrieve();
    m_grid->setRowFocusIndicator(ReportGrid::FocusIndicator::Hand);

    m_grid->setGeometry(units::toPixels(37, 32, 1156, 780));
    int x = 37;
    for (QPushButton* b : {m_add, m_delete, m_save, m_exit}) {
        b->setGeometry(units::toPixels(x, 850, 247, 92));
        x += 303;
    }
    fitContents(this, m_grid);
}

bool OperatorsWindow::hasUnsavedChanges()
{
    return gridHasUnsavedChanges(*m_grid);
}

void OperatorsWindow::addRow()
{
    appendGridRow(*m_grid);
}

void OperatorsWindow::deleteRow()
{
    deleteGridRow(*m_grid, QStringLiteral("name"));
}

bool OperatorsWindow::writeChanges(const QString& failureText)
{
    return saveGrid(*m_grid, m_tr, failureText, [](DataStore& store) {
        if (auto message = checkOperators(store)) {
            messagebox(QStringLiteral("错误"), *message, Icon::StopSign);
            return false;
        }
        return true;
    });
}

void OperatorsWindow::save()
{
    writeChanges(QStringLiteral("数据保存出错,请查明是否主键（代码）重复或其他原因!"));
}

bool OperatorsWindow::saveBeforeClose()
{
    return writeChanges(QStringLiteral("数据保存出错,请查明是否主键重复!"));
}

} // namespace qv
