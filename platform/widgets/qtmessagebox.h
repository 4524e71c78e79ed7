#pragma once

#include "platform/core/messagebox.h"

namespace qv {

// The real form of the message-box service: a modal QMessageBox over the
// active window, with the buttons and default the caller asked for.
class QtMessageBoxService : public MessageBoxService
{
public:
    int show(const ShownMessage& message) override;
};

// Installs the real message boxes, file dialogs and a beep that sounds.
void installQtRuntimeServices();

} // namespace qv
