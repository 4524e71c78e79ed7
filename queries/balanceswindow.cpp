#include "balanceswindow.h"

#include "data/contactpicker.h"
#include "data/personname.h"
#include "platform/core/messagebox.h"
#include "platform/database/dialect.h"
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
#include "platform/widgets/songfont.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qv {

namespace {

// The window as laid out, less its title bar and borders.
constexpr int kClientWidth = 3760;
constexpr int kClientHeight = 2060;
const QRect kGridUnits(60, 328, 3620, 1508);

ColumnDef countColumn(const char* name, const char* caption, int widthUnits)
{
    ColumnDef c = textColumn(QString::fromLatin1(name), QString::fromUtf8(caption), widthUnits);
    c.type = ColumnType::Integer;
    c.alignment = Qt::AlignRight | Qt::AlignVCenter;
    return c;
}

} // namespace

ReportDef balancesDefinition(const Dialect& dialect)
{
    const QString received = QStringLiteral("(CASE WHEN lx = '收情' THEN je END)");
    const QString given = QStringLiteral("(CASE WHEN lx = '送情' THEN je END)");
    ReportDef def;
    def.name = QStringLiteral("dw_wlye");
    def.title = QStringLiteral("往来余额（按人）");
    // One pass over the (xm, sq) index, grouped by person. Without a name the
    // bounds are the first and last name of the ledger, so both forms are a
    // range on the index's first column. The last exchange's kind is the
    // kind whose latest gift (date, then record number) is the later one.
    // Given amounts are stored negative: received plus given is the balance.
    def.select =
        QStringLiteral(
            "SELECT g.xm, COALESCE(w.fw, g.fw) AS fw, g.sou_n, g.sou_c / 100.0 AS sou_je, g.song_n, "
            "-g.song_c / 100.0 AS song_je, (g.sou_c + g.song_c) / 100.0 AS ye, g.last_sq, "
            "CASE WHEN g.sou_key IS NULL AND g.song_key IS NULL THEN NULL "
            "WHEN g.song_key IS NULL OR g.sou_key > g.song_key THEN '收情' ELSE '送情' END AS last_lx "
            "FROM (SELECT xm, MAX(fw) AS fw, "
            "SUM(CASE WHEN lx = '收情' THEN 1 ELSE 0 END) AS sou_n, %1 AS sou_c, "
            "SUM(CASE WHEN lx = '送情' THEN 1 ELSE 0 END) AS song_n, %2 AS song_c, "
            "MAX(sq) AS last_sq, "
            "MAX(CASE WHEN lx = '收情' THEN sq || xtbh END) AS sou_key, "
            "MAX(CASE WHEN lx = '送情' THEN sq || xtbh END) AS song_key "
            "FROM rqwlb "
            "WHERE xm BETWEEN COALESCE(:as_xm, (SELECT MIN(xm) FROM rqwlb)) "
            "AND COALESCE(:as_xm, (SELECT MAX(xm) FROM rqwlb)) "
            "AND sq BETWEEN :as_from AND :as_to "
            "GROUP BY xm) g "
            "LEFT JOIN wlryb w ON w.xm = g.xm")
            .arg(dialect.sumInCents(received), dialect.sumInCents(given));
    def.arguments = {QStringLiteral("as_xm"), QStringLiteral("as_from"), QStringLiteral("as_to")};
    const QString money = QStringLiteral("#,##0.00");
    def.columns = {
        textColumn(QStringLiteral("xm"), QStringLiteral("姓名"), 420),
        textColumn(QStringLiteral("fw"), QStringLiteral("分类"), 330),
        countColumn("sou_n", "收情次数", 280),
        moneyColumn(QStringLiteral("sou_je"), QStringLiteral("收情金额"), 420, money),
        countColumn("song_n", "送情次数", 280),
        moneyColumn(QStringLiteral("song_je"), QStringLiteral("送情金额"), 420, money),
        moneyColumn(QStringLiteral("ye"), QStringLiteral("余额"), 420, money),
        dateColumn(QStringLiteral("last_sq"), QStringLiteral("最近往来"), 470,
                   QStringLiteral("yyyy年mm月dd日")),
        textColumn(QStringLiteral("last_lx"), QStringLiteral("类别"), 220),
    };
    // Green, a positive balance: the household has received more and owes a
    // return gift.
    def.rowColor = rowcolors::bySign(QStringLiteral("ye"), QColor(180, 255, 200), QColor(250, 200, 255),
                                     QColor(255, 255, 255));
    TotalDef caption;
    caption.column = QStringLiteral("fw");
    caption.kind = TotalKind::Text;
    caption.label = QStringLiteral("共计：");
    def.totals << caption;
    for (const char* column : {"sou_je", "song_je", "ye"}) {
        TotalDef sum;
        sum.column = QString::fromLatin1(column);
        def.totals << sum;
    }
    return def;
}

BalancesWindow::BalancesWindow(Transaction& transaction, QWidget* parent)
    : QWidget(parent), m_transaction(transaction)
{
    setObjectName(QStringLiteral("w_wlye"));
    setWindowTitle(QStringLiteral("往来余额（按人）"));
    setFont(songFont(font(), 10));
    resize(units::toPixels(kClientWidth, kClientHeight));

    m_nameLabel = namedLabel(this, "st_1", QStringLiteral("请输入姓名："));
    m_name = named<QLineEdit>(this, "sle_1");
    m_name->setPlaceholderText(QStringLiteral("空白 = 所有人"));
    m_fromLabel = namedLabel(this, "st_2", QStringLiteral("往来日期    从"));
    m_from = named<DateEdit>(this, "em_1");
    m_toLabel = namedLabel(this, "st_3", QStringLiteral("至"));
    m_to = named<DateEdit>(this, "em_2");
    m_query = namedButton(this, "cb_1", QStringLiteral("查询"));
    m_print = namedButton(this, "cb_2", QStringLiteral("打印"));
    m_exit = namedButton(this, "cb_3", QStringLiteral("退出"));
    m_export = addExportButton(m_print, [this] { return tableFromStore(m_grid->store()); });
    m_nameLabel->setBuddy(m_name);

    m_grid = new ReportGrid(balancesDefinition(transaction.dialect()), this);
    m_grid->setObjectName(QStringLiteral("dw_1"));
    m_grid->setReadOnly(true);
    m_grid->setTotalsVisible(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setTransObject(&m_transaction);
    m_grid->installEventFilter(this);
    QHeaderView* header = m_grid->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);

    m_picker = attachNamePicker(m_name, m_transaction, this, 444);

    m_from->setDate(QDate(2000, 1, 1));
    m_to->setDate(QDate::currentDate());

    const QList<QWidget*> order = {m_name,  m_picker->grid(), m_from, m_to,  m_query,
                                   m_print, m_export,         m_grid, m_exit};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_query, &QPushButton::clicked, this, [this] { query(); });
    connect(m_print, &QPushButton::clicked, this, &BalancesWindow::print);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    connect(header, &QHeaderView::sectionClicked, this, &BalancesWindow::onHeaderClicked);
    connect(m_grid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { requestPerson(index.isValid() ? index.row() + 1 : 0); });

    sortBy(QStringLiteral("ye"), false);

    m_nameLabel->setGeometry(units::toPixels(60, 152, 370, 68));
    m_name->setGeometry(units::toPixels(440, 132, 521, 92));
    m_fromLabel->setGeometry(units::toPixels(1010, 140, 430, 84));
    m_from->setGeometry(units::toPixels(1450, 124, 539, 92));
    m_toLabel->setGeometry(units::toPixels(2010, 140, 73, 68));
    m_to->setGeometry(units::toPixels(2095, 124, 562, 92));
    m_query->setGeometry(units::toPixels(2720, 120, 247, 108));
    m_print->setGeometry(units::toPixels(2967, 120, 256, 108));
    m_export->setGeometry(units::toPixels(3223, 120, 256, 108));
    m_grid->setGeometry(units::toPixels(kGridUnits));
    // 退出 stays under the grid's right end as the grid grows.
    m_exit->setGeometry(units::toPixels(3433, 1876, 247, 108));
    m_picker->grid()->raise();
    fitContents(this, m_grid);
}

long BalancesWindow::query()
{
    if (m_from->date() > m_to->date()) {
        messagebox(QStringLiteral("提示"), QStringLiteral("起始日期晚于终止日期，请重新选择。"),
                   Icon::Information);
        return -1;
    }
    const QString name = personName(m_name->text());
    const long rows = m_grid->retrieve(
        {name.isEmpty() ? QVariant() : QVariant(name), m_from->storedText(), m_to->storedText()});
    if (rows < 0) {
        messagebox(QStringLiteral("错误"),
                   withReason(QStringLiteral("往来余额查询失败。"), m_grid->store().errorText()),
                   Icon::StopSign);
        return -1;
    }
    m_grid->store().sort();
    return rows;
}

void BalancesWindow::sortBy(const QString& column, bool ascending)
{
    m_sortColumn = column;
    m_sortAscending = ascending;
    // Equal values keep the names in order, so a sorted list reads the same
    // on every query.
    QList<SortKey> keys = {{column, ascending}};
    if (column != u"xm")
        keys.append({QStringLiteral("xm"), true});
    m_grid->store().setSort(keys);
    m_grid->store().sort();
    const int section = m_grid->viewColumn(column);
    if (section >= 0)
        m_grid->horizontalHeader()->setSortIndicator(section,
                                                     ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void BalancesWindow::onHeaderClicked(int section)
{
    const auto& columns = m_grid->store().definition().columns;
    for (const ColumnDef& c : columns) {
        if (m_grid->viewColumn(c.name) != section)
            continue;
        // A second click on the same column turns the order round; a new
        // column starts with the order people look for first: names from A,
        // numbers from the largest.
        const bool ascending = c.name == m_sortColumn ? !m_sortAscending : c.type == ColumnType::Text;
        sortBy(c.name, ascending);
        return;
    }
}

void BalancesWindow::requestPerson(long row)
{
    if (row < 1 || row > m_grid->rowCount())
        return;
    emit personRequested(m_grid->store().getItemString(row, QStringLiteral("xm")), m_from->date(),
                         m_to->date());
}

bool BalancesWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            requestPerson(m_grid->getRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BalancesWindow::print()
{
    const QString format = QStringLiteral("yyyy年MM月dd日");
    const QString name = m_name->text().trimmed();
    PrintHeading heading;
    heading.fields = {
        QStringLiteral("姓名：%1").arg(name.isEmpty() ? QStringLiteral("所有人") : name),
        QStringLiteral("日期：%1 至 %2").arg(m_from->date().toString(format), m_to->date().toString(format))};
    printPreview(m_grid->store(), this, heading);
}

} // namespace qv
