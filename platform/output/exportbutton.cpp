#include "exportbutton.h"

#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>
#include <climits>

namespace qv {

namespace {
// An export quicker than this is over before a progress dialog would be read.
constexpr int kShowProgressAfterMs = 400;
} // namespace

bool exportWithDialog(const ReportRows& table, const QString& suggestedName)
{
    const QString suggested =
        suggestedName.isEmpty()
            ? (table.title.isEmpty() ? QStringLiteral("报表") : table.title) + QStringLiteral(".xlsx")
            : suggestedName;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString file = saveFileName(QStringLiteral("导出"), QDir(documents).filePath(suggested),
                                QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (file.isEmpty())
        return false;
    if (QFileInfo(file).suffix().isEmpty()) {
        file += QStringLiteral(".xlsx");
        // The dialog asked about the name as typed, not about this one.
        if (QFileInfo::exists(file) &&
            messagebox(QStringLiteral("导出"), QStringLiteral("“%1”已存在，要替换它吗？").arg(file),
                       Icon::Question, Buttons::YesNo, 2) != 1)
            return false;
    }
    QString error;
    QProgressDialog progress(QStringLiteral("正在导出到“%1”……").arg(QFileInfo(file).fileName()),
                             QStringLiteral("取消"), 0, int(std::min<long>(table.count, INT_MAX)),
                             QApplication::activeWindow());
    progress.setWindowTitle(QStringLiteral("导出"));
    progress.setObjectName(QStringLiteral("exportProgress"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(kShowProgressAfterMs);
    const bool written = exportRows(table, file, &error, [&progress](long done, long) {
        // A modal progress dialog keeps the window painted as it goes.
        progress.setValue(int(std::min<long>(done, INT_MAX)));
        return !progress.wasCanceled();
    });
    const bool cancelled = progress.wasCanceled();
    progress.reset();
    if (!written && cancelled)
        return false;
    if (!written) {
        messagebox(QStringLiteral("错误"), withReason(QStringLiteral("不能导出到“%1”").arg(file), error),
                   Icon::StopSign);
        return false;
    }
    return true;
}

QPushButton* addExportButton(QPushButton* printButton, std::function<ReportRows()> source)
{
    QWidget* parent = printButton->parentWidget();
    auto* button = new QPushButton(QStringLiteral("导出"), parent);
    button->setObjectName(QStringLiteral("cb_export"));
    button->setFont(printButton->font());
    if (auto* box = parent ? qobject_cast<QBoxLayout*>(parent->layout()) : nullptr;
        box && box->indexOf(printButton) >= 0) {
        box->insertWidget(box->indexOf(printButton) + 1, button);
    } else {
        button->setGeometry(printButton->geometry().translated(printButton->width(), 0));
    }
    QWidget::setTabOrder(printButton, button);
    QObject::connect(button, &QPushButton::clicked, button, [source = std::move(source)] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const ReportRows table = source();
        QApplication::restoreOverrideCursor();
        exportWithDialog(table);
    });
    button->show();
    return button;
}

} // namespace qv
