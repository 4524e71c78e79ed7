#include "printsetup.h"

#include "platform/printing.h"

#include <QPrintDialog>

namespace qv {

void printsetup(QWidget* parent)
{
    QPrintDialog dialog(&sharedPrinter(), parent);
    dialog.setWindowTitle(QStringLiteral("打印设置"));
    dialog.exec();
}

} // namespace qv
