#include "exportbutton.h"

#include "filedialog.h"
#include "messagebox.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>

namespace qv {

bool exportWithDialog(const ReportTable& table, const QString& suggestedName)
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
            messagebox(QStringLiteral("导出"), QStringLiteral("“%1”已存在，要替换它吗？").arg(file), Icon::Question,
                       Buttons::YesNo, 2) != 1)
            return false;
    }
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = exportTable(table, file, &error);
    QApplication::restoreOverrideCursor();
    if (!written) {
        messagebox(QStringLiteral("错误"), withReason(QStringLiteral("不能导出到“%1”").arg(file), error),
                   Icon::StopSign);
        return false;
    }
    return true;
}

QPushButton* addExportButton(QPushButton* printButton, std::function<ReportTable()> source)
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
        const ReportTable table = source();
        QApplication::restoreOverrideCursor();
        exportWithDialog(table);
    });
    button->show();
    return button;
}

} // namespace qv
