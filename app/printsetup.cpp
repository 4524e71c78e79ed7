#include "printsetup.h"

#include <QPrintDialog>
#include <QPrinter>

namespace qv {

QPrinter& sharedPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

void printsetup(QWidget* parent)
{
    QPrintDialog dialog(&sharedPrinter(), parent);
    dialog.setWindowTitle(QStringLiteral("打印设置"));
    dialog.exec();
}

} // namespace qv
