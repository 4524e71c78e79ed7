#include "annualstatisticswindow.h"

#include "annualstatistics.h"
#include "statisticsreports.h"
#include "yearchoice.h"

#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/output/exportbutton.h"
#include "platform/output/printing.h"
#include "platform/output/reportgrid.h"
#include "platform/reports/datastore.h"
#include "platform/reports/units.h"
#include "platform/widgets/named.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace qv {

namespace {
// The designed size less the title bar and borders it included.
constexpr int kClientWidth = 2533 - 32;
constexpr int kClientHeight = 1860 - 132;
} // namespace

AnnualStatisticsWindow::AnnualStatisticsWindow(Transaction& transaction, QWidget* parent)
    : QDialog(parent), m_tr(transaction)
{
    setObjectName(QStringLiteral("w_ndtj"));
    setWindowTitle(QStringLiteral("年度统计"));
    useSongFont(this);
    setFixedSize(units::toPixels(kClientWidth, kClientHeight));

    m_yearLabel = new QLabel(QStringLiteral("年份"), this);
    m_yearLabel->setObjectName(QStringLiteral("st_1"));
    m_year = createYearList(QStringLiteral("ddlb_1"), QStringLiteral("2003"), this);
    m_yearLabel->setBuddy(m_year);

    auto button = [this](const char* name, const char* text) {
        auto* b = namedButton(this, name, QString::fromUtf8(text));
        b->setAutoDefault(false);
        return b;
    };
    m_compute = button("cb_1", "统计");
    m_archiveButton = button("cb_2", "存盘");
    m_print = button("cb_4", "打印");
    m_exit = button("cb_3", "退出");
    // Enter in the year field computes, as the keyboard user expects.
    m_compute->setDefault(true);

    m_report = new ReportGrid(annualStatisticsDefinition(), this);
    m_report->setObjectName(QStringLiteral("dw_1"));
    m_report->setReadOnly(true);
    m_report->setTotalsVisible(true);
    m_report->store().setSort({{QStringLiteral("mon"), true}});

    m_archive = new DataStore(archiveDefinition(), this);
    m_archive->setObjectName(QStringLiteral("dw_2"));

    m_yearLabel->setGeometry(units::toPixels(73, 64, 160, 72));
    m_year->setGeometry(units::toPixels(242, 52, 357, 92));
    m_compute->setGeometry(units::toPixels(690, 48, 320, 100));
    m_archiveButton->setGeometry(units::toPixels(1050, 48, 320, 100));
    m_print->setGeometry(units::toPixels(1410, 48, 320, 100));
    m_exit->setGeometry(units::toPixels(2130, 48, 320, 100));
    m_report->setGeometry(units::toPixels(55, 200, kClientWidth - 110, kClientHeight - 260));

    setTabOrder(m_year, m_compute);
    setTabOrder(m_compute, m_archiveButton);
    setTabOrder(m_archiveButton, m_print);
    setTabOrder(m_print, m_exit);
    setTabOrder(m_exit, m_report);

    connect(m_compute, &QPushButton::clicked, this, &AnnualStatisticsWindow::compute);
    connect(m_archiveButton, &QPushButton::clicked, this, &AnnualStatisticsWindow::archiveMonths);
    connect(m_print, &QPushButton::clicked, this, &AnnualStatisticsWindow::print);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::close);
    m_export = addExportButton(m_print, [this] {
        ReportTable table = tableFromStore(m_report->store());
        table.title = QStringLiteral("年度统计");
        return table;
    });
    m_export->setObjectName(QStringLiteral("cb_5"));
    m_export->setGeometry(units::toPixels(1770, 48, 320, 100));
    setTabOrder(m_print, m_export);
    setTabOrder(m_export, m_exit);

    openWindow();
}

void AnnualStatisticsWindow::openWindow()
{
    // tjb only ever holds the year on screen. The emptying is not committed
    // here: it becomes permanent with January's row of the next computation.
    m_tr.execute(QStringLiteral("DELETE FROM tjb"));
    m_report->setTransObject(&m_tr);
    m_report->retrieve();
    m_archive->setTransObject(&m_tr);
    m_archive->retrieve();
}

void AnnualStatisticsWindow::compute()
{
    const auto year = checkedYear(m_year->currentText());
    if (!year)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto refused = [this](const QString& reason) {
        QApplication::restoreOverrideCursor();
        messagebox(QStringLiteral("提示"), withReason(QStringLiteral("保存不成功"), reason), Icon::StopSign);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    };
    const bool committed = computeYear(m_tr, *year, [&](const MonthOutcome& month) {
        if (!month.stored) {
            refused(month.reason);
            return;
        }
        // The report grows month by month.
        m_report->retrieve();
        m_report->store().sort();
    });
    if (!committed) {
        refused(m_tr.SQLErrText);
        // The rollback brought back what tjb held before the window opened,
        // another year that 存盘 would archive as this one: empty it again,
        // as at opening, and show nothing.
        m_tr.execute(QStringLiteral("DELETE FROM tjb"));
        m_report->store().reset();
    }
    QApplication::restoreOverrideCursor();
}

void AnnualStatisticsWindow::archiveMonths()
{
    if (messagebox(QStringLiteral("统计数据保存"), QStringLiteral("每年只能保存一次数据，是否继续？"),
                   Icon::Exclamation, Buttons::OKCancel, 2) != 1)
        return;
    const DataStore& shown = m_report->store();
    // With nothing computed there is nothing to copy, and nothing is archived.
    if (shown.rowsCopy(1, shown.rowCount(), RowBuffer::Primary, *m_archive, 1) != 1) {
        messagebox(QStringLiteral("错误"), QStringLiteral("数据拷贝出错,请与管理员联系!"), Icon::StopSign);
        return;
    }
    if (saveChanges(*m_archive, m_tr) != 1) {
        messagebox(QStringLiteral("错误"),
                   withReason(QStringLiteral("数据保存出错,请与管理员联系!"), m_tr.SQLErrText),
                   Icon::StopSign);
        return;
    }
    messagebox(QStringLiteral("提示"), QStringLiteral("数据保存成功!"), Icon::Information);
}

void AnnualStatisticsWindow::print()
{
    printPreview(m_report->store(), this, heading());
}

PrintHeading AnnualStatisticsWindow::heading() const
{
    // The year the rows are of, not whatever the list holds by now.
    const DataStore& rows = m_report->store();
    if (rows.rowCount() == 0)
        return {};
    return {QString(), {QStringLiteral("年份：") + rows.getItemString(1, QStringLiteral("year"))}};
}

} // namespace qv
