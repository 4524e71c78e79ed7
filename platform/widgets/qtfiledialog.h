#pragma once

#include "platform/core/filedialog.h"

namespace qv {

// The real form of the file-dialog service: a modal QFileDialog over the
// active window.
class QtFileDialogService : public FileDialogService
{
public:
    QString choose(const FileDialogRequest& request) override;
};

} // namespace qv
