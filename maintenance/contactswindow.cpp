#include "contactswindow.h"

#include "data/contactpicker.h"
#include "data/dropdowns.h"
#include "data/personname.h"
#include "platform/core/gbktext.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/output/printing.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"
#include "platform/reports/report.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"
#include "platform/widgets/sheetfit.h"
#include "platform/widgets/songfont.h"

#include <QLabel>
#include <QPushButton>

namespace qv {

namespace {

// The window as designed, less a title bar and borders,
// which the designed size included.
constexpr int kClientWidth = 3534 - 32;
constexpr QRect kGrid(59, 44, 3360, 1648);
constexpr int kClientHeight = 2232 - 132;

// A text column of wlryb, typed into and written back.
ColumnDef contactColumn(const char* name, const char* caption, int gbkWidth, int widthUnits)
{
    return editableColumn(
        textColumn(QString::fromLatin1(name), QString::fromUtf8(caption), widthUnits, gbkWidth));
}

// Names are the key the gift records are found by: a typed name is stored
// as a person's name. Only a name typed in this session is touched, so that
// a stored name is never renamed behind the operator's back.
void trimTypedName(DataStore& store, long row)
{
    const int xm = store.definition().columnIndex(QStringLiteral("xm"));
    if (!store.itemModified(row, xm))
        return;
    const QString typed = store.getItemString(row, xm);
    const QString name = personName(typed);
    if (name != typed)
        store.setItem(row, xm, name);
}

} // namespace

ReportDef contactsDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dw_wlrywh");
    def.title = QStringLiteral("往来人员");
    def.select = QStringLiteral("SELECT ' ' AS blank, xm, xb, py, fw, bm, dh, yd, hj, dz FROM wlryb");

    // The narrow unlabelled first column only gives the rows a margin.
    const ColumnDef blank = textColumn(QStringLiteral("blank"), {}, 101);

    ColumnDef xb = contactColumn("xb", "性别", 2, 146);
    xb.codeTable = {{QStringLiteral("男"), QStringLiteral("男")},
                    {QStringLiteral("女"), QStringLiteral("女")}};
    ColumnDef fw = contactColumn("fw", "分类", 16, 206);
    fw.dropDown = QStringLiteral("dddw_fl");

    def.columns = {blank,
                   contactColumn("xm", "姓名", 16, 215),
                   xb,
                   contactColumn("py", "拼音码", 16, 229),
                   fw,
                   contactColumn("bm", "部门", 30, 421),
                   contactColumn("dh", "电话", 30, 434),
                   contactColumn("yd", "手机", 15, 389),
                   contactColumn("hj", "呼机", 12, 357),
                   contactColumn("dz", "住址", 40, 658)};
    def.updateTable = QStringLiteral("wlryb");
    def.keyColumns = {QStringLiteral("xm")};
    def.rowColor = [](const DataStore&, long row) {
        return row % 2 == 0 ? QColor(255, 255, 255) : QColor(180, 255, 200);
    };
    return def;
}

ContactsWindow::ContactsWindow(Transaction& transaction, QWidget* parent)
    : EditableWindow(parent), m_tr(transaction)
{
    setObjectName(QStringLiteral("w_wlrywh"));
    setWindowTitle(QStringLiteral("往来人员设置"));
    setFont(songFont(font(), 9));
    resize(units::toPixels(kClientWidth, kClientHeight));

    m_dw1 = new ReportGrid(contactsDefinition(), this);
    m_dw1->setObjectName(QStringLiteral("dw_1"));
    m_dw1->setDropDownDefinition(categoriesDefinition());

    m_st1 = new QLabel(QStringLiteral("注：姓名和性别不能为空。"), this);
    m_st1->setObjectName(QStringLiteral("st_1"));
    QPalette red = m_st1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_st1->setPalette(red);

    m_cb1 = namedButton(this, "cb_1", "增加");
    m_cb2 = namedButton(this, "cb_2", "删除");
    m_cb3 = namedButton(this, "cb_3", "保存");
    m_cb5 = namedButton(this, "cb_5", "打印");
    m_cb4 = namedButton(this, "cb_4", "退出");
    // cb_3 and cb_4 share the same tab value; the row order decides between them.
    setTabOrder(m_dw1, m_cb1);
    setTabOrder(m_cb1, m_cb2);
    setTabOrder(m_cb2, m_cb3);
    setTabOrder(m_cb3, m_cb4);
    setTabOrder(m_cb4, m_cb5);

    connect(m_dw1, &ReportGrid::itemChanged, this,
            [this](long row, const QString&, const QVariant&) { recomputePinyin(row); });
    connect(m_cb1, &QPushButton::clicked, this, &ContactsWindow::addRow);
    connect(m_cb2, &QPushButton::clicked, this, &ContactsWindow::deleteRow);
    connect(m_cb3, &QPushButton::clicked, this, &ContactsWindow::save);
    connect(m_cb5, &QPushButton::clicked, this, &ContactsWindow::print);
    // Leaving by 退出 and by the close box ask the same question.
    connect(m_cb4, &QPushButton::clicked, this, &QWidget::close);

    openWindow();

    m_dw1->setGeometry(units::toPixels(kGrid));
    auto place = [](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(units::toPixels(x, y, width, height));
    };
    place(m_st1, 82, 1752, 965, 60);
    place(m_cb1, 1253, 1772, 411, 92);
    place(m_cb2, 1659, 1772, 393, 92);
    place(m_cb3, 2048, 1772, 375, 92);
    place(m_cb5, 2423, 1772, 347, 92);
    place(m_cb4, 2770, 1772, 347, 92);

    // Eight-character names and captions in today's CJK faces make the
    // columns wider than designed: the window and the grid grow by what the
    // grid lacks, and that is the size the window is fitted from.
    const int lacking = m_dw1->widthShowingAllColumns() - m_dw1->width();
    if (lacking > 0) {
        resize(width() + lacking, height());
        m_dw1->resize(m_dw1->width() + lacking, m_dw1->height());
    }
    // The note and the buttons stay under the grid as it grows.
    fitContents(this, m_dw1);
}

void ContactsWindow::openWindow()
{
    m_word.load(m_tr);
    m_dw1->setTransObject(&m_tr);
    m_dw1->retrieve();
    m_dw1->setRowFocusIndicator(ReportGrid::FocusIndicator::Hand);
}

// The row edited is the one whose code is recomputed: by the time an edit
// is committed because the operator clicked into another row, that other
// row is already current.
void ContactsWindow::recomputePinyin(long row)
{
    m_dw1->acceptText();
    DataStore& store = m_dw1->store();
    trimTypedName(store, row);
    const QString name = store.getItemString(row, QStringLiteral("xm"));
    if (gbk::len(name) == 0)
        return;
    store.setItem(row, QStringLiteral("py"), m_word.initials(name));
}

void ContactsWindow::addRow()
{
    appendGridRow(*m_dw1);
}

void ContactsWindow::deleteRow()
{
    deleteGridRow(*m_dw1, QStringLiteral("xm"));
}

bool ContactsWindow::writeChanges(const QString& failureText)
{
    const bool saved = saveGrid(*m_dw1, m_tr, failureText, [this](DataStore& store) {
        for (long row = 1; row <= store.rowCount(); ++row)
            trimTypedName(store, row);
        // The note under the grid, checked here so that the operator is sent
        // to the empty cell rather than left to guess at the database's words.
        if (auto empty = m_dw1->checkRequired({QStringLiteral("xm"), QStringLiteral("xb")})) {
            messagebox(QStringLiteral("提示"), withReason(QStringLiteral("姓名和性别不能为空。"), *empty),
                       Icon::Exclamation);
            return false;
        }
        return true;
    });
    if (saved)
        contactsChanged();
    return saved;
}

void ContactsWindow::save()
{
    writeChanges(QStringLiteral("数据保存出错,请查明是否姓名重复或其他原因!"));
}

void ContactsWindow::print()
{
    m_dw1->acceptText();
    printPreview(m_dw1->store(), this);
}

bool ContactsWindow::hasUnsavedChanges()
{
    return gridHasUnsavedChanges(*m_dw1);
}

bool ContactsWindow::saveBeforeClose()
{
    return writeChanges(QStringLiteral("数据保存出错,请查明是否主键重复!"));
}

} // namespace qv
