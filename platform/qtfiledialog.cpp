#include "qtfiledialog.h"

#include <QApplication>
#include <QFileDialog>

namespace qv {

QString QtFileDialogService::choose(const FileDialogRequest& request)
{
    QWidget* parent = QApplication::activeWindow();
    if (request.mode == FileDialogMode::Save) {
        // The callers refuse an existing file with their own message; a
        // "replace it?" first would only promise what they will not do.
        return QFileDialog::getSaveFileName(parent, request.title, request.path, request.filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
    return QFileDialog::getOpenFileName(parent, request.title, request.path, request.filter);
}

} // namespace qv
