#include "giftquerywindow.h"

#include "data/contactpicker.h"
#include "data/personname.h"
#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/output/exportbutton.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/units.h"
#include "platform/widgets/dateedit.h"
#include "platform/widgets/named.h"
#include "platform/widgets/sheetfit.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <memory>

namespace qv {

namespace {
// How often a long query lets the window paint and hear "取消".
constexpr qint64 kEventsEveryMs = 60;
} // namespace

GiftQueryConfig giftQueryConfig(const QString& windowName)
{
    static const GiftQueryConfig configs[] = {
        {QStringLiteral("w_ldpy"), QStringLiteral("收情查询（按单人）"), GiftSide::Received, true, 3566},
        {QStringLiteral("w_sgsh"), QStringLiteral("送情查询（按单人）"), GiftSide::Given, true, 3630},
        {QStringLiteral("w_lwcx"), QStringLiteral("人情往来查询（按单人）"), GiftSide::Both, true, 3630},
        {QStringLiteral("w_dbcl"), QStringLiteral("收情查询（按所有）"), GiftSide::Received, false, 3630},
        {QStringLiteral("w_wjfx"), QStringLiteral("送情查询（按所有）"), GiftSide::Given, false, 3630},
        {QStringLiteral("w_fwcx"), QStringLiteral("人情往来查询（所有）"), GiftSide::Both, false, 3630},
    };
    for (const GiftQueryConfig& c : configs)
        if (c.name == windowName)
            return c;
    return {};
}

namespace {

// "导出" needs room beside "打印"; the windows are this much wider than
// their designed size, the report keeps its size.
constexpr int kExportRoomUnits = 160;
constexpr int kHeightUnits = 2296;

ReportGrid* makeReport(const GiftQueryConfig& config, Transaction& transaction, QWidget* parent)
{
    auto* grid = new ReportGrid(giftListDefinition(config.side, config.byPerson, config.title), parent);
    // Arial as designed, one point smaller: at 10 points the twelve digits of
    // a record number and the kind "收情" overflow their designed widths.
    QFont arial;
    arial.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"), QStringLiteral("Noto Sans CJK SC")});
    arial.setPointSize(9);
    grid->setFont(arial);
    grid->setReadOnly(true);
    grid->setTotalsVisible(true);
    grid->setTransObject(&transaction);
    grid->setFrameShadow(QFrame::Sunken);
    return grid;
}

QString shownDate(const DateEdit* edit)
{
    return edit->date().toString(DateEdit::displayFormat());
}

} // namespace

GiftQueryWindow::GiftQueryWindow(GiftQueryConfig config, Transaction& transaction, QWidget* parent)
    : QWidget(parent), m_config(std::move(config)), m_tr(transaction)
{
    setObjectName(m_config.name);
    setWindowTitle(m_config.title);
    setFont(windowFont());
    resize(units::toPixels(m_config.widthUnits + kExportRoomUnits, kHeightUnits));

    auto dateEdit = [this](const char* name) {
        auto* e = new DateEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setDate(QDate::currentDate());
        return e;
    };

    if (m_config.byPerson) {
        m_nameLabel = namedLabel(this, "st_1", QStringLiteral("请输入姓名："));
        m_name = named<QLineEdit>(this, "sle_1");
    }
    m_dateLabel = namedLabel(this, "st_2", QStringLiteral("收情日期    从"));
    m_from = dateEdit("em_1");
    m_toLabel = namedLabel(this, "st_3", QStringLiteral("至"));
    m_to = dateEdit("em_2");
    m_query = namedButton(this, "cb_1", QStringLiteral("查询"));
    m_print = namedButton(this, "cb_2", QStringLiteral("打印"));

    m_reports = new QStackedWidget(this);
    m_dw1 = makeReport(m_config, m_tr, m_reports);
    m_standby = makeReport(m_config, m_tr, m_reports);
    m_dw1->setObjectName(QStringLiteral("dw_1"));
    m_reports->addWidget(m_dw1);
    m_reports->addWidget(m_standby);
    m_reports->setCurrentWidget(m_dw1);
    m_exit = namedButton(this, "cb_3", QStringLiteral("退出"));

    placeControls();
    m_export = addExportButton(m_print, [this] { return rowsFromStore(m_dw1->store()); });
    if (!m_config.byPerson) // "退出" stood where "导出" now stands
        m_exit->move(m_export->geometry().right() + 1, m_exit->y());

    if (m_config.byPerson) {
        m_picker = attachNamePicker(m_name, m_tr, this, 599);
        setTabOrder(m_name, m_from);
    }
    setTabOrder(m_from, m_to);
    setTabOrder(m_to, m_query);
    setTabOrder(m_query, m_print);
    setTabOrder(m_print, m_export);
    setTabOrder(m_export, m_dw1);
    setTabOrder(m_dw1, m_exit);

    connect(m_query, &QPushButton::clicked, this, &GiftQueryWindow::query);
    connect(m_print, &QPushButton::clicked, this, &GiftQueryWindow::print);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);
    m_query->setDefault(true);
    fitContents(this, m_reports);
}

void GiftQueryWindow::placeControls()
{
    auto place = [](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(units::toPixels(x, y, width, height));
    };
    if (m_config.byPerson) {
        place(m_nameLabel, 187, 152, 370, 68);
        place(m_name, 594, 132, 521, 92);
        place(m_dateLabel, 1170, 140, 430, 84);
        place(m_from, 1609, 124, 539, 92);
        place(m_toLabel, 2171, 140, 73, 68);
        place(m_to, 2258, 124, 562, 92);
        place(m_query, 2885, 120, 247, 108);
        place(m_print, 3131, 120, 256, 108);
        place(m_exit, 3131, 1876, 247, 108);
    } else {
        place(m_dateLabel, 270, 124, 430, 84);
        place(m_from, 786, 108, 539, 92);
        place(m_toLabel, 1390, 124, 73, 68);
        place(m_to, 1518, 108, 562, 92);
        place(m_query, 2359, 104, 361, 108);
        place(m_print, 2715, 104, 329, 108);
        place(m_exit, 3045, 104, 320, 108);
    }
    place(m_reports, 174, 328, 3227, 1508);
}

long GiftQueryWindow::query()
{
    const QString s_xm = m_name ? personName(m_name->text()) : QString();
    const QString s_d1 = m_from->storedText();
    const QString s_d2 = m_to->storedText();
    QVariantList arguments;
    if (m_config.side != GiftSide::Both) {
        globals().g_lb = giftKindText(m_config.side);
        arguments << globals().g_lb;
    }
    if (m_config.byPerson)
        arguments << s_xm;
    arguments << s_d1 << s_d2;

    // Between batches of rows a long read lets the window paint and the
    // operator stop it; the progress dialog is modal, so nothing else can be
    // started meanwhile.
    QElapsedTimer clock;
    clock.start();
    qint64 lastEvents = 0;
    std::unique_ptr<QProgressDialog> progress;
    auto onBatch = [&](long rowsRead) {
        const qint64 now = clock.elapsed();
        if (!progress) {
            if (now < m_progressDelayMs)
                return true;
            progress = std::make_unique<QProgressDialog>(QString(), QStringLiteral("取消"), 0, 0, this);
            progress->setObjectName(QStringLiteral("queryProgress"));
            progress->setWindowTitle(m_config.title);
            progress->setWindowModality(Qt::ApplicationModal);
            progress->setMinimumDuration(0);
            progress->show();
        } else if (now - lastEvents < kEventsEveryMs) {
            return true;
        }
        progress->setLabelText(QStringLiteral("正在查询，已读 %1 行……").arg(rowsRead));
        QApplication::processEvents();
        lastEvents = clock.elapsed();
        return !progress->wasCanceled();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const long rows = m_standby->retrieve(arguments, onBatch);
    QApplication::restoreOverrideCursor();
    progress.reset();
    if (rows < 0 && m_standby->store().wasCancelled())
        return -1;
    if (rows < 0) {
        const QString reason = m_standby->store().errorText();
        messagebox(QStringLiteral("错误"), withReason(QStringLiteral("查询失败"), reason), Icon::StopSign);
        return -1;
    }
    // The new rows take the shown ones' place; the grid that showed them is
    // emptied and stands by for the next query.
    const bool hadFocus = m_dw1->hasFocus();
    std::swap(m_dw1, m_standby);
    m_standby->setObjectName(QString());
    m_dw1->setObjectName(QStringLiteral("dw_1"));
    m_reports->setCurrentWidget(m_dw1);
    setTabOrder(m_export, m_dw1);
    setTabOrder(m_dw1, m_exit);
    if (hadFocus)
        m_dw1->setFocus(Qt::OtherFocusReason);
    // The old rows are freed once the new ones are on screen, unless another
    // query has filled that grid again by then.
    QTimer::singleShot(0, this, [this, old = m_standby] {
        if (old == m_standby)
            old->store().reset();
    });

    m_heading.title = m_config.title;
    m_heading.fields.clear();
    if (m_config.byPerson)
        m_heading.fields << QStringLiteral("姓名：") + s_xm;
    m_heading.fields << QStringLiteral("日期：%1 至 %2").arg(shownDate(m_from), shownDate(m_to));
    return rows;
}

void GiftQueryWindow::print()
{
    PrintHeading heading = m_heading;
    if (heading.title.isEmpty())
        heading.title = m_config.title;
    printPreview(m_dw1->store(), this, heading);
}

QWidget* createGiftQuery(QStringView windowName, Transaction& transaction)
{
    GiftQueryConfig config = giftQueryConfig(windowName.toString());
    if (config.name.isEmpty())
        return nullptr;
    return new GiftQueryWindow(std::move(config), transaction);
}

} // namespace qv
