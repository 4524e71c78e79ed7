#include "qtfiledialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>

namespace qv {

QString QtFileDialogService::choose(const FileDialogRequest& request)
{
    // On the heap and watched, unlike Qt's static helpers: a dialog on the
    // stack would be deleted twice if the window it stands over went while
    // it ran.
    QPointer<QFileDialog> dialog =
        new QFileDialog(QApplication::activeWindow(), request.title, request.path, request.filter);
    if (request.mode == FileDialogMode::Save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.askBeforeReplacing);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    const bool chosen = dialog->exec() == QDialog::Accepted && dialog;
    const QString file =
        chosen && !dialog->selectedFiles().isEmpty() ? dialog->selectedFiles().constFirst() : QString();
    delete dialog.data();
    return file;
}

} // namespace qv
