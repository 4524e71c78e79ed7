#include "qtfiledialog.h"

#include <QApplication>
#include <QFileDialog>

namespace qv {

QString QtFileDialogService::choose(const FileDialogRequest& request)
{
    QWidget* parent = QApplication::activeWindow();
    if (request.mode == FileDialogMode::Save) {
        const QFileDialog::Options options =
            request.askBeforeReplacing ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
        return QFileDialog::getSaveFileName(parent, request.title, request.path, request.filter, nullptr,
                                            options);
    }
    return QFileDialog::getOpenFileName(parent, request.title, request.path, request.filter);
}

} // namespace qv
