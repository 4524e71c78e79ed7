#include "qtmessagebox.h"

#include "qtfiledialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace qv {

int QtMessageBoxService::show(const ShownMessage& m)
{
    // On the heap and watched: a box on the stack would be deleted twice if
    // the window it stands over went while it ran.
    QPointer<QMessageBox> guard = new QMessageBox(QApplication::activeWindow());
    QMessageBox& box = *guard;
    box.setWindowTitle(m.title);
    box.setText(m.text);
    switch (m.icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::StopSign:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QList<std::pair<QMessageBox::StandardButton, QString>> buttons;
    switch (m.buttons) {
    case Buttons::OK:
        buttons = {{QMessageBox::Ok, QStringLiteral("确定")}};
        break;
    case Buttons::OKCancel:
        buttons = {{QMessageBox::Ok, QStringLiteral("确定")}, {QMessageBox::Cancel, QStringLiteral("取消")}};
        break;
    case Buttons::YesNo:
        buttons = {{QMessageBox::Yes, QStringLiteral("是(&Y)")}, {QMessageBox::No, QStringLiteral("否(&N)")}};
        break;
    case Buttons::YesNoCancel:
        buttons = {{QMessageBox::Yes, QStringLiteral("是(&Y)")},
                   {QMessageBox::No, QStringLiteral("否(&N)")},
                   {QMessageBox::Cancel, QStringLiteral("取消")}};
        break;
    case Buttons::RetryCancel:
        buttons = {{QMessageBox::Retry, QStringLiteral("重试(&R)")},
                   {QMessageBox::Cancel, QStringLiteral("取消")}};
        break;
    case Buttons::AbortRetryIgnore:
        buttons = {{QMessageBox::Abort, QStringLiteral("中止(&A)")},
                   {QMessageBox::Retry, QStringLiteral("重试(&R)")},
                   {QMessageBox::Ignore, QStringLiteral("忽略(&I)")}};
        break;
    }
    QList<QAbstractButton*> created;
    for (const auto& [standard, text] : buttons) {
        QAbstractButton* b = box.addButton(standard);
        b->setText(text);
        created.append(b);
    }
    if (m.defaultButton >= 1 && m.defaultButton <= created.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(created[m.defaultButton - 1]));
    // The last button (Cancel, or No where there is no Cancel) answers Escape.
    box.setEscapeButton(created.back());
    box.exec();
    if (!guard)
        return int(created.size()); // as Escape: the cautious answer
    const int index = int(created.indexOf(box.clickedButton()));
    delete guard.data();
    return index < 0 ? int(created.size()) : index + 1;
}

void installQtRuntimeServices()
{
    MessageBoxService::install(std::make_unique<QtMessageBoxService>());
    FileDialogService::install(std::make_unique<QtFileDialogService>());
    setBeepSink([] { QApplication::beep(); });
}

} // namespace qv
