#include "exportbutton.h"

#include "messagebox.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>

namespace qv {

namespace {

SaveFileNameProvider g_provider;

QString askFileName(QWidget* parent, const QString& suggestedName)
{
    if (g_provider)
        return g_provider(parent, suggestedName);
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("导出"), QDir(dir).filePath(suggestedName),
                                        QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
}

} // namespace

void setSaveFileNameProvider(SaveFileNameProvider provider)
{
    g_provider = std::move(provider);
}

bool exportWithDialog(const ReportTable& table, QWidget* parent, const QString& suggestedName)
{
    const QString suggested =
        suggestedName.isEmpty()
            ? (table.title.isEmpty() ? QStringLiteral("报表") : table.title) + QStringLiteral(".xlsx")
            : suggestedName;
    QString file = askFileName(parent, suggested);
    if (file.isEmpty())
        return false;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".xlsx");
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
    QObject::connect(button, &QPushButton::clicked, button, [button, source = std::move(source)] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const ReportTable table = source();
        QApplication::restoreOverrideCursor();
        exportWithDialog(table, button->window());
    });
    button->show();
    return button;
}

} // namespace qv
